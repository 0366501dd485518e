"""The Python module over the component layer, driving the data-file component
end to end and the probe component for argument passing. Run by ctest;
exits non-zero on failure."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.environ["ORVEX_SOURCE_DIR"], "tools", "python"))
import orvex_components as oc  # noqa: E402

BIN = os.environ["ORVEX_BIN_DIR"]
PROBE = os.environ["ORVEX_PROBE_LIBRARY"]


class ClientTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.dir = self.tmp.name
        os.environ["ORVEX_COMPONENTS"] = os.path.join(self.dir, "components")
        oc.register_library(os.path.join(BIN, "libKvario3.so"))
        oc.register_library(PROBE)
        self.messages = []
        oc.set_message_handler(lambda *m: self.messages.append(m))

    def tearDown(self):
        oc.set_message_handler(None)
        self.tmp.cleanup()

    def write(self, name, data):
        path = os.path.join(self.dir, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def test_kvario_end_to_end(self):
        path = self.write("Rut.Tmp", b"RUT=7&DV=K&RAZ=Pe\xf1a y C\x92a\r\n")
        o = oc.CreateObject("Kvario3.clsURL")
        o.UbicacionArchivo2 = path
        self.assertIs(o.LeerDatos(), True)
        self.assertEqual(o.GET_Valor("rut"), "7")
        self.assertEqual(o.get_valor("RAZ"), "Peña y C\u2019a")
        self.assertEqual(o.Cantidad_de_Elementos, 3)
        self.assertEqual(o.MensajeError, "")
        self.assertEqual(o.Version(), "3.1.485")

        o.ADD_Valor("AÑO", "2018")
        o.ADD_Valor_Header("FORMDJ", "1832")
        self.assertIs(o.EscribirDatos(), True)
        with open(path, "rb") as f:
            self.assertEqual(f.read(), b"FORMDJ=1832&RUT=7&DV=K&RAZ=Pe\xf1a y C\x92a&A\xd1O=2018&")
        self.assertTrue(os.path.exists(path[:-1] + "p"))

        self.assertIs(o.Crear_indice_de_elementos(), True)
        self.assertEqual([o.GETidx_Key(i) for i in range(5)], ["FORMDJ", "RUT", "DV", "RAZ", "AÑO"])
        index = oc.Ref(4)
        self.assertEqual(o.GETidx_Valor(index), "2018")
        self.assertEqual(index.value, 4)

        col = o.colDatosURL
        self.assertEqual(col.Count, 5)
        self.assertEqual(col.Item("año"), "AÑO=2018")

        # Saving nothing: False and the error text, no message.
        o.Nuevo_Archivo()
        self.assertIs(o.EscribirDatos(), False)
        self.assertEqual(o.MensajeError, "No se grabaron datos en el archivo:" + path[:-1] + "p")
        self.assertEqual(self.messages, [])

        # A read error is shown through the client's message handler.
        o.UbicacionArchivo2 = "/proc/self/mem"
        self.assertIs(o.LeerDatos(), False)
        self.assertEqual(self.messages, [("57:Error de E/S en el dispositivo", "Error en Kvario", 0, 16)])

        holder = oc.CreateObject("Kvario3.clsCodigoValor")
        self.assertEqual(holder.Codigo, "")
        holder.codigo = "RUT"
        self.assertEqual(holder.CODIGO, "RUT")

    def test_probe_arguments_and_errors(self):
        p = oc.CreateObject("OrvexProbe.Contador")
        p.Activo = True
        self.assertIs(p.Activo, True)
        p.activo = 0
        self.assertIs(p.Activo, False)
        p.Valor = 12
        self.assertEqual(p.valor, 12)
        p.Nombre = b"raw \xff"
        self.assertEqual(p.Nombre, "raw ÿ")

        n = oc.Ref(21)
        self.assertIsNone(p.Duplicar(n))
        self.assertEqual(n.value, 42)
        t = oc.Ref("ab")
        self.assertEqual(p.Anexar(t, "ñ"), 3)
        self.assertEqual(t.value, "abñ")
        m = oc.Ref(5)
        self.assertEqual(p.Copiar(m), 6)
        self.assertEqual(m.value, 5)
        self.assertIsNone(p.Eco(None))
        same = p.Eco(p)
        same.Valor = 99
        self.assertEqual(p.Valor, 99)

        with self.assertRaises(oc.MemberNotFound) as e:
            p.NoExiste
        self.assertEqual(e.exception.number, 438)
        self.assertFalse(hasattr(p, "Tampoco"))
        with self.assertRaises(oc.ComponentError) as e:
            p.Fallar()
        self.assertEqual((e.exception.number, e.exception.description), (5, "Falla pedida"))
        with self.assertRaises(oc.ComponentError) as e:
            p.Duplicar("x")
        self.assertEqual(e.exception.number, 13)
        with self.assertRaises(OverflowError):
            p.Copiar(2 ** 31)
        with self.assertRaises(UnicodeEncodeError):
            p.Nombre = "漢"
        with self.assertRaises(oc.ComponentError) as e:
            oc.CreateObject("Nadie.Registrado")
        self.assertEqual(e.exception.number, 429)
        self.assertIn("no está registrado", e.exception.description)

        self.assertEqual(p.Mostrar("¿Sí?"), 1)
        self.assertEqual(self.messages, [("¿Sí?", "Sonda", 4, 32)])


if __name__ == "__main__":
    unittest.main(verbosity=2)
