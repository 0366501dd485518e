"""The Python module over the component layer driving the declaration
component end to end, as an outside client scripts it. Run by ctest; exits
non-zero on failure."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.environ["ORVEX_SOURCE_DIR"], "tools", "python"))
import orvex_components as oc  # noqa: E402

BIN = os.environ["ORVEX_BIN_DIR"]


class TolvanClientTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.dir = self.tmp.name
        os.environ["ORVEX_COMPONENTS"] = os.path.join(self.dir, "components")
        self.messages = []
        oc.set_message_handler(lambda *m: self.messages.append(m))

    def tearDown(self):
        oc.set_message_handler(None)
        self.tmp.cleanup()

    def path(self, name):
        return os.path.join(self.dir, name)

    def test_declaration_end_to_end(self):
        oc.register_library(os.path.join(BIN, "libTolvan.so"))
        with self.assertRaises(oc.ComponentError) as e:
            oc.CreateObject("Tolvan.clsdj")  # Kvario is not registered yet
        self.assertEqual(e.exception.number, 429)
        oc.register_library(os.path.join(BIN, "libKvario3.so"))

        dj = oc.CreateObject("Tolvan.clsdj")
        dj.Ubicacion_Archivo_VAzorode = self.path("dj.txt")
        self.assertIs(dj.Abrir_Archivo(True), True)
        dj.Formulario = "1879"
        dj.Agrega_Dupla_Cabecera("RUT", "7")
        dj.Agrega_Dupla_Cabecera("DV", "K")
        dj.Agrega_Dupla_Cabecera("FORMDJ", "1879")
        dj.Agrega_Dupla_Cabecera("MAX_ROWS", "1")
        dj.Agrega_Dupla_Informado(1, "RUT", "111")
        dj.agrega_dupla_informado(1, "DV", "1")
        dj.Agrega_Dupla_Informado_por_RUT(222, "CERTIFICADO", "Peña")
        code = oc.Ref("DV")
        self.assertEqual(dj.Obtiene_Dupla_Informado(1, code), "1")
        self.assertEqual(code.value, "DV")
        self.assertEqual(dj.Obtiene_Dupla_Informado_por_RUT(222, "CERTIFICADO"), "Peña")
        self.assertEqual(dj.AYUDA("formulario"), "Indica sobre cual formulario se trabajara")
        self.assertEqual(dj.Mensaje, "")
        self.assertIsNone(dj.Actualiza_Informado())
        self.assertIs(dj.Grabar_Archivo(), True)
        with open(self.path("dj.txt"), "rb") as f:
            self.assertEqual(
                f.read(),
                b"RUT=7&DV=K&FORMDJ=1879&ITEM2=111&ITEM3=1&ITEM9=222&MAX_ROWS=2&ITEM14=Pe\xf1a&")

        # Export (the line added by RUT is counted), then import into a fresh declaration.
        dj.Ubicacion_Archivo_Excels = self.path("dj.xlsx")
        self.assertIsNone(dj.Exportar_a_Excel())
        other = oc.CreateObject("TOLVAN.CLSDJ")
        other.Formulario = "1879"
        other.Ubicacion_Archivo_Excels = self.path("dj.xlsx")
        other.Importar_de_Excel()
        self.assertEqual(other.Obtiene_Dupla_Informado(2, "NUM"), "2")
        self.assertEqual(other.Obtiene_Dupla_Informado(2, "CERTIFICADO"), "Peña")
        self.assertEqual(other.Obtiene_Dupla_Informado_por_RUT(111, "DV"), "1")

        # By-RUT access needs a numeric "MAX_ROWS": the conversion error reaches the client.
        empty = oc.CreateObject("Tolvan.clsdj")
        empty.Formulario = "1879"
        with self.assertRaises(oc.ComponentError) as e:
            empty.Obtiene_Dupla_Informado_por_RUT(1, "DV")
        self.assertEqual(e.exception.number, 13)
        self.assertEqual(self.messages, [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
