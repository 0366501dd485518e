#!/usr/bin/env python3
"""Writes the demo install tree (demo/Orvex18) and the sample declarations
(demo/samples) from the layouts defined here, so both stay reproducible.

Every file is Windows-1252 text with CR LF line ends. Run from anywhere:
    python3 tools/make_demo_samples.py
"""

from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
DEMO = ROOT / "demo"
SISTEMA = DEMO / "Orvex18" / "Sistema"
REGISTRO = DEMO / "Orvex18" / "registro"
SAMPLES = DEMO / "samples"

TAX_YEAR = "2018"

# ---------------------------------------------------------------------------
# Layouts
#
# A field is (number, description, width, clase): N numeric, A alphabetic,
# X alphanumeric. Fields are laid out one after the other from a start
# position; the record-type/line-code prefix is field 0.


def lay_out(start, fields, end):
    """Gives fields consecutive positions from `start`; they must end at `end`."""
    out = []
    pos = start
    for num, desc, width, clase in fields:
        assert len(desc) <= 20, desc
        out.append((num, desc, pos, pos + width - 1, clase))
        pos += width
    assert pos - 1 == end, f"fields end at {pos - 1}, expected {end}"
    return out


def shifted(fields, offset):
    return [(n, d, a + offset, b + offset, c) for n, d, a, b, c in fields]


WIDTH_1 = 120  # every type-1 line; record 0 of the upload file gets this length

# Identification part of a type-1 line after the form number: fields 2-6, 8-10.
DECLARANT_TAIL = [
    (2, "COD. PRESENTACION", 1, "A"),
    (3, "FOLIO", 7, "N"),
    (4, "TIPO DECLARACION", 1, "A"),
    (5, "RUT ANTERIOR", 8, "N"),
    (6, "DV RUT ANTERIOR", 1, "X"),
    (8, "FOLIO ANTERIOR", 7, "N"),
    (9, "RUT DECLARANTE", 8, "N"),
    (10, "DV DECLARANTE", 1, "X"),
    (11, "RAZON SOCIAL", 60, "X"),
    (12, "RUT REPRESENTANTE", 8, "N"),
    (13, "DV REPRESENTANTE", 1, "X"),
]


def declarant_line1(kind):
    """First type-1 line. Ordinary forms: tax year 3-6, form number 7-10.
    Long-header forms: tax year 3-6, form number 9-12. Monthly forms: the
    period AAAAMM 3-8, form number 9-12."""
    head = [(0, "CODIGO DE LINEA", 2, "N")]
    if kind == "ordinary":
        head += [(1, "A\xd1O TRIBUTARIO", 4, "N"), (7, "NUMERO FORMULARIO", 4, "N")]
    elif kind == "long":
        head += [(1, "A\xd1O TRIBUTARIO", 4, "N"), (14, "RESERVADO", 2, "X"),
                 (7, "NUMERO FORMULARIO", 4, "N")]
    elif kind == "monthly":
        head += [(1, "PERIODO AAAAMM", 6, "N"), (7, "NUMERO FORMULARIO", 4, "N")]
    else:
        raise ValueError(kind)
    used = sum(w for _, _, w, _ in head + DECLARANT_TAIL)
    return lay_out(1, head + DECLARANT_TAIL + [(15, "RESERVADO", WIDTH_1 - used, "X")], WIDTH_1)


DECLARANT_LINE2 = [  # local positions of the second line of a multi-line section
    (20, "CODIGO DE LINEA 2", 2, "N"),
    (21, "DOMICILIO", 60, "X"),
    (22, "COMUNA", 30, "X"),
    (23, "TELEFONO", 10, "N"),
    (24, "RESERVADO", 18, "X"),
]
DECLARANT_LINE3 = [
    (25, "CODIGO DE LINEA 3", 2, "N"),
    (26, "CORREO ELECTRONICO", 60, "X"),
    (27, "GIRO", 40, "X"),
    (28, "RESERVADO", 18, "X"),
]


def declarant(kind, lines):
    """Type-1 layout. Field positions count in the record text: a section of
    lines L1..Ln reads L1, L2, L2 L3, ..., so line 2 starts at 121 and line 3,
    after L2 repeated, at 361."""
    fields = declarant_line1(kind)
    if lines >= 2:
        fields += shifted(lay_out(1, DECLARANT_LINE2, WIDTH_1), WIDTH_1)
    if lines >= 3:
        fields += shifted(lay_out(1, DECLARANT_LINE3, WIDTH_1), 3 * WIDTH_1)
    return fields


# Type 2 begins with the declarant's identification, repeated on every line.
INFORMADO_HEAD = [
    (0, "TIPO REGISTRO", 1, "N"),
    (6, "NUMERO FORMULARIO", 4, "N"),
    (1, "COD. PRESENTACION", 1, "A"),
    (2, "FOLIO", 7, "N"),
    (3, "TIPO DECLARACION", 1, "A"),
    (4, "RUT DECLARANTE", 8, "N"),
    (5, "DV DECLARANTE", 1, "X"),
    (7, "RUT INFORMADO", 8, "N"),
    (8, "DV INFORMADO", 1, "X"),
]


def informado(width, body):
    used = sum(w for _, _, w, _ in INFORMADO_HEAD + body)
    return lay_out(1, INFORMADO_HEAD + body + [(40, "RESERVADO", width - used, "X")], width)


INFORMADO_1879 = informado(250, [
    (9, "NOMBRE INFORMADO", 60, "X"),
    (10, "MONTO HONORARIOS", 15, "N"),
    (11, "RETENCION HONORARIO", 15, "N"),
    (12, "MONTO DIETAS", 15, "N"),
    (13, "RETENCION DIETAS", 15, "N"),
    (14, "MESES CON PAGO", 12, "X"),
])
INFORMADO_1887 = informado(200, [
    (9, "RENTA TOTAL NETA", 15, "N"),
    (10, "IMPUESTO RETENIDO", 15, "N"),
    (11, "MAYOR RETENCION", 15, "N"),
    (12, "RENTA EXENTA", 15, "N"),
    (13, "REBAJA ZONA EXTREMA", 15, "N"),
    (14, "MESES TRABAJADOS", 12, "X"),
])
INFORMADO_1831 = informado(150, [
    (9, "NOMBRE APORTANTE", 60, "X"),
    (10, "FECHA APORTE", 8, "N"),
    (11, "MONTO APORTE", 15, "N"),
    (12, "MEDIO DEL APORTE", 1, "A"),
])
INFORMADO_GENERAL = informado(150, [
    (9, "MONTO", 15, "N"),
    (10, "MONTO RETENIDO", 15, "N"),
    (11, "CODIGO OPERACION", 2, "N"),
])
INFORMADO_MENSUAL = informado(120, [
    (9, "MONTO DEL MES", 15, "N"),
    (10, "IMPUESTO DEL MES", 15, "N"),
])

# Type 3: the summary lines "31" (totals) and "32" (presentation date and legal
# representative) share one layout, so their fields overlap past position 23.
WIDTH_3 = 120
SUMMARY_HEAD = [
    (0, "CODIGO DE LINEA", 2, "N"),
    (1, "NUMERO FORMULARIO", 4, "N"),
    (2, "FOLIO", 7, "N"),
    (3, "COD. PRESENTACION", 1, "A"),
    (4, "RUT DECLARANTE", 8, "N"),
    (5, "DV DECLARANTE", 1, "X"),
]
SUMMARY_31 = [
    (6, "L31 TOTAL MONTO 1", 15, "N"),
    (10, "L31 TOTAL MONTO 2", 15, "N"),
    (11, "L31 CANT. INFORMADOS", 7, "N"),
    (12, "L31 RESERVADO", 60, "X"),
]
SUMMARY_32 = [
    (7, "L32 FECHA PRES. DIA", 2, "N"),
    (8, "L32 FECHA PRES. MES", 3, "X"),
    (9, "L32 FECHA PRES. A\xd1O", 4, "N"),
    (13, "L32 RUT REPRES.", 8, "N"),
    (16, "L32 DV REPRES.", 1, "X"),
    (17, "L32 RESERVADO", 79, "X"),
]


def summary(lines):
    """Type-3 layout. With one line per record both line kinds use positions
    1-120; as a two-line section the "32" line follows at 121."""
    line31 = lay_out(1, SUMMARY_HEAD + SUMMARY_31, WIDTH_3)
    line32 = [f for f in lay_out(1, SUMMARY_HEAD + SUMMARY_32, WIDTH_3) if f[0] >= 7]
    if lines == 2:
        line32 = shifted(line32, WIDTH_3)
    return line31 + line32


# form: description, {type: (length, modo, fields)}
FORMS = {
    "1805": ("Declaraci\xf3n Jurada Anual sobre Adquisici\xf3n de Acciones", {
        1: (WIDTH_1, "U", declarant("long", 1)),
        2: (150, "U", INFORMADO_GENERAL),
        3: (WIDTH_3, "U", summary(1)),
    }),
    "1820": ("Declaraci\xf3n Mensual de Retenciones a No Residentes", {
        1: (WIDTH_1, "U", declarant("monthly", 1)),
        2: (120, "U", INFORMADO_MENSUAL),
        3: (WIDTH_3, "U", summary(1)),
    }),
    "1831": ("Declaraci\xf3n Jurada Anual sobre Aportes Recibidos", {
        1: (WIDTH_1, "M", declarant("ordinary", 3)),
        2: (150, "U", INFORMADO_1831),
        3: (WIDTH_3, "U", summary(1)),
    }),
    "1879": ("Declaraci\xf3n Jurada Anual sobre Retenciones por Honorarios y Dietas", {
        1: (WIDTH_1, "U", declarant("ordinary", 1)),
        2: (250, "U", INFORMADO_1879),
        3: (WIDTH_3, "U", summary(1)),
    }),
    "1887": ("Declaraci\xf3n Jurada Anual sobre Sueldos y Otras Rentas", {
        1: (WIDTH_1, "U", declarant("ordinary", 1)),
        2: (200, "U", INFORMADO_1887),
        3: (WIDTH_3, "M", summary(2)),
    }),
    "1889": ("Declaraci\xf3n Jurada Anual de Grandes Contribuyentes sobre Cr\xe9ditos", {
        1: (WIDTH_1, "M", declarant("ordinary", 3)),
        2: (150, "U", INFORMADO_GENERAL),
        3: (WIDTH_3, "U", summary(1)),
    }),
    "1890": ("Declaraci\xf3n Jurada Anual sobre Operaciones con Instrumentos", {
        1: (WIDTH_1, "M", declarant("ordinary", 2)),
        2: (150, "U", INFORMADO_GENERAL),
        3: (WIDTH_3, "U", summary(1)),
    }),
    "2807": ("Declaraci\xf3n Mensual de Operaciones de Cambio", {
        1: (WIDTH_1, "U", declarant("monthly", 1)),
        2: (120, "U", INFORMADO_MENSUAL),
        3: (WIDTH_3, "U", summary(1)),
    }),
}

LONG_HEADER = {"1805", "1820", "2807"}  # of the forms above

# ---------------------------------------------------------------------------
# Catalogue files


def formatos_line(form, tipo, largo, modo, desc):
    # form 1-4, type 6, length 8-11, modo 17, a description from 19
    line = f"{form} {tipo} {largo:04d}     {modo} {desc}"
    assert line[7:11] == f"{largo:04d}" and line[16] == modo
    return line


def registros_line(form, tipo, num, desc, desde, hasta, clase):
    # form 1-4, type 6, field 8-9, description 10-29, first 30-32, last 34-36, clase 38
    line = f"{form} {tipo} {num:02d}{desc:<20}{desde:03d} {hasta:03d} {clase}"
    assert len(line) == 38 and line[29:32] == f"{desde:03d}" and line[33:36] == f"{hasta:03d}"
    return line


TYPE_NAMES = {1: "DECLARANTE", 2: "INFORMADOS", 3: "CUADRO DE RESUMEN"}


def check_layout(form, tipo, largo, modo, fields):
    nums = [f[0] for f in fields]
    assert len(nums) == len(set(nums)), (form, tipo, "duplicate field number")
    assert all(0 <= n <= 40 for n in nums)
    lines = 1
    if tipo == 1 and modo == "M":
        lines = 3 if form in ("1831", "1889") else 2
    if tipo == 3 and modo == "M":
        lines = 2
    text_len = largo * (1 + lines * (lines - 1) // 2)
    for n, d, a, b, c in fields:
        assert 1 <= a <= b <= 999 and b <= text_len, (form, tipo, n, a, b)
    required = {1: range(1, 11), 2: range(1, 6), 3: (2, 4, 5, 7, 8, 9)}[tipo]
    assert set(required) <= set(nums), (form, tipo)
    if form == "1831" and tipo == 2:
        assert {10, 11, 12} <= set(nums)
    # The form number lies where the review looks for it.
    f7 = next(f for f in fields if f[0] == 7) if tipo == 1 else None
    if f7:
        assert (f7[2], f7[3]) == ((9, 12) if form in LONG_HEADER else (7, 10)), form


def catalogue():
    formatos, registros = [], []
    for form, (_, types) in FORMS.items():
        for tipo, (largo, modo, fields) in types.items():
            check_layout(form, tipo, largo, modo, fields)
            formatos.append(formatos_line(form, tipo, largo, modo, TYPE_NAMES[tipo]))
            for n, d, a, b, c in sorted(fields, key=lambda f: f[0]):
                registros.append(registros_line(form, tipo, n, d, a, b, c))
    return formatos, registros


LEAME = """\
INSTRUCCIONES GENERALES
=======================

Este programa revisa el archivo de la declaraci\xf3n jurada que usted ha
construido con su propio sistema y, si no contiene errores, genera el
Archivo Internet que debe enviar.

PASOS

1. Seleccione el formulario en la lista "Seleccionar un Formulario".
2. Seleccione el a\xf1o tributario en la lista "Seleccionar A\xf1o Tributario".
3. Presione "Explorar" y elija el archivo de la declaraci\xf3n.
4. Presione "Revisar y Generar Archivo para Internet".

   - Si el archivo tiene errores, se muestra el informe de errores con el
     n\xfamero de l\xednea, el tipo de registro, el valor esperado, el valor
     informado y la descripci\xf3n de cada error. Corrija el archivo y
     vuelva a revisarlo.
   - Si el archivo no tiene errores, se genera el Archivo Internet
     comprimido en la carpeta GEN_2018\\zip.

5. Ingrese al men\xfa "Declaraciones Juradas" del sitio web de KAV,
   elija la opci\xf3n "Env\xedo de Declaraciones Juradas Mediante Software"
   y env\xede el archivo desde la carpeta GEN_2018\\zip.

REGLAS PARA CONSTRUIR EL ARCHIVO

- Todos los registros de un mismo tipo deben tener el mismo largo y deben
  incluirse los tipos de registro 1, 2 y 3.
- El archivo generado por el declarante no debe incluir el registro 0.
- Los datos NUMERICOS deben ser enteros, alineados a la derecha y
  rellenos con ceros por la izquierda.
- Los datos ALFABETICOS deben estar en may\xfascula, alineados a la
  izquierda y rellenos con blancos por la derecha.
- Los datos ALFANUMERICOS deben estar alineados a la izquierda y
  rellenos con blancos por la derecha.
- Las fechas que no corresponda llenar se graban como 01011900.
- Todas las letras "K" deben estar en MAYUSCULA.
- FOLIO es EERRRnn, donde EE = 80, RRR = 2\xba, 3\xba y 4\xba d\xedgito del RUT del
  declarante (de izquierda a derecha) y nn = correlativo que se inicia
  en 01.
- El c\xf3digo de presentaci\xf3n es M en los registros 1, 2 y 3.
- Registro tipo 3 (Cuadro de Resumen): fecha de presentaci\xf3n 00   0000.
- Cada l\xednea del registro tipo 2 repite el n\xfamero de formulario, el
  c\xf3digo de presentaci\xf3n, el folio, el tipo de declaraci\xf3n y el RUT del
  declarante.
"""

# ---------------------------------------------------------------------------
# Sample declarations


def dv(rut):
    """Check digit of a RUT (modulo 11), so the sample data look genuine."""
    total, factor = 0, 2
    for d in reversed(str(int(rut))):
        total += int(d) * factor
        factor = 2 if factor == 7 else factor + 1
    r = 11 - total % 11
    return {11: "0", 10: "K"}.get(r, str(r))


def num(value, width):
    text = f"{value:0{width}d}"
    assert len(text) == width
    return text


def make_line(fields, length, values, offset=0):
    """One line of a layout: every field of the line's positions gets its value,
    exactly as wide as the field; the reserved fields stay blank."""
    buf = [" "] * length
    for n, d, a, b, c in fields:
        a, b = a - offset, b - offset
        if a < 1 or b > length:
            continue
        value = values.get(n)
        if value is None:
            assert d.endswith("RESERVADO"), (n, d)
            continue
        assert len(value) == b - a + 1, (n, d, value)
        buf[a - 1:b] = value
    return "".join(buf)


def field(fields, line, n, offset=0):
    _, _, a, b, _ = next(f for f in fields if f[0] == n)
    return line[a - 1 - offset:b - offset]


DECLARANT = {"rut": "12345678", "razon": "COMERCIAL LOS ALAMOS LIMITADA",
             "rep": "07654321"}
FOLIO = "80" + DECLARANT["rut"][1:4] + "01"  # 8023401


def header_1879(code="M", folio=FOLIO):
    rut = DECLARANT["rut"]
    return {
        0: "11", 1: TAX_YEAR, 7: "1879", 2: code, 3: folio, 4: "O",
        5: "00000000", 6: "0", 8: "0000000", 9: rut, 10: dv(rut),
        11: f"{DECLARANT['razon']:<60}", 12: DECLARANT["rep"], 13: dv(DECLARANT["rep"]),
    }


INFORMADOS_1879 = [  # RUT, name, fees, directors' fees, months paid
    ("9876543", "GONZALEZ PEREZ JUAN CARLOS", 4500000, 0, "XXXXXX      "),
    ("15432876", "MU\xd1OZ SOTO PATRICIA ANDREA", 1200000, 0, "  XX        "),
    ("10203040", "ROJAS DIAZ MARCELA", 0, 3600000, "XXXXXXXXXXXX"),
    ("8765432", "CONSULTORA SOTO Y CIA LIMITADA", 9800000, 0, "X  X  X  X  "),
    ("22334455", "FERNANDEZ O'RYAN LUIS", 650000, 0, "         X  "),
    ("6543210", "SILVA ARAYA ROSA ELENA", 2300000, 1500000, "XXX         "),
]
RATE = 10  # percent retained on fees


def informado_1879(rut, name, fees, dietas, months, folio=FOLIO):
    return {
        0: "2", 6: "1879", 1: "M", 2: folio, 3: "O", 4: DECLARANT["rut"],
        5: dv(DECLARANT["rut"]), 7: num(int(rut), 8), 8: dv(rut), 9: f"{name:<60}",
        10: num(fees, 15), 11: num(fees * RATE // 100, 15), 12: num(dietas, 15),
        13: num(dietas * RATE // 100, 15), 14: months,
    }


def summary_1879(folio=FOLIO, rut=None, date=("00", "   ", "0000")):
    rut = rut or DECLARANT["rut"]
    base = {1: "1879", 2: folio, 3: "M", 4: rut, 5: dv(DECLARANT["rut"])}
    paid = sum(i[2] + i[3] for i in INFORMADOS_1879)
    retained = sum(i[2] * RATE // 100 + i[3] * RATE // 100 for i in INFORMADOS_1879)
    l31 = {**base, 0: "31", 6: num(paid, 15), 10: num(retained, 15),
           11: num(len(INFORMADOS_1879), 7)}
    l32 = {**base, 0: "32", 7: date[0], 8: date[1], 9: date[2],
           13: DECLARANT["rep"], 16: dv(DECLARANT["rep"])}
    return l31, l32


def declaration_1879(header, informados, l31, l32):
    _, types = FORMS["1879"]
    (l1, _, f1), (l2, _, f2), (l3, _, f3) = types[1], types[2], types[3]
    lines = [make_line(f1, l1, header)]
    lines += [make_line(f2, l2, v) for v in informados]
    # Each summary line fills only the fields of its own kind.
    f31 = [f for f in f3 if f[0] not in (7, 8, 9, 13, 16, 17)]
    f32 = [f for f in f3 if f[0] not in (6, 10, 11, 12)]
    lines += [make_line(f31, l3, l31), make_line(f32, l3, l32)]
    for line, length in zip(lines, [l1] + [l2] * len(informados) + [l3, l3]):
        assert len(line) == length
    return lines


def samples_1879():
    _, types = FORMS["1879"]
    f1, f2, f3 = types[1][2], types[2][2], types[3][2]
    informados = [informado_1879(*i) for i in INFORMADOS_1879]

    correcta = declaration_1879(header_1879(), informados, *summary_1879())

    # Errors the review reports and reads on past: presentation code "P" in the
    # declarant line; a mistyped folio and RUT in the "31" line; a presentation
    # date in the "32" line.
    l31, l32 = summary_1879(date=("01", "   ", "0000"))
    l31[2] = "8023410"
    l31[4] = "12345679"
    con_errores = declaration_1879(header_1879(code="P"), informados, l31, l32)
    assert field(f1, con_errores[0], 2) == "P"
    assert (field(f3, con_errores[7], 2), field(f3, con_errores[7], 4)) == ("8023410", "12345679")
    assert field(f3, con_errores[8], 7) + field(f3, con_errores[8], 8) + \
        field(f3, con_errores[8], 9) == "01   0000"

    # A stopping error: the fourth informado line (line 5) lost its last
    # blank, as a text editor that trims lines would do.
    largo_erroneo = list(correcta)
    assert largo_erroneo[4].endswith(" ")
    largo_erroneo[4] = largo_erroneo[4][:-1]
    assert len(largo_erroneo[4]) == 249

    # The clean file really repeats the header where the review compares it.
    h = correcta[0]
    assert (h[0:2], h[6:10], field(f1, h, 1), field(f1, h, 2), field(f1, h, 3)) == \
        ("11", "1879", TAX_YEAR, "M", "8023401")
    for line in correcta[1:-2]:
        assert field(f2, line, 1) == "M"
        assert field(f2, line, 2) == field(f1, h, 3)
        assert field(f2, line, 3) == field(f1, h, 4)
        assert field(f2, line, 4) + field(f2, line, 5) == field(f1, h, 9) + field(f1, h, 10)
    l31, l32 = correcta[-2], correcta[-1]
    assert l31[:2] == "31" and l32[:2] == "32"
    assert field(f3, l31, 2) == field(f1, h, 3)
    assert field(f3, l31, 4) + field(f3, l31, 5) == "123456785"
    assert field(f3, l32, 7) + field(f3, l32, 8) + field(f3, l32, 9) == "00   0000"
    return correcta, con_errores, largo_erroneo


def sample_1831():
    """A clean form-1831 file: a three-line declarant section, contributions
    dated in 2017 paid by the four media."""
    _, types = FORMS["1831"]
    (w1, _, f1), (w2, _, f2), (w3, _, f3) = types[1], types[2], types[3]
    rut = "76543210"
    folio = "80" + rut[1:4] + "01"
    d = dv(rut)
    header = {0: "11", 1: TAX_YEAR, 7: "1831", 2: "M", 3: folio, 4: "O", 5: "00000000",
              6: "0", 8: "0000000", 9: rut, 10: d,
              11: f"{'FUNDACION EDUCACIONAL EL ROBLE':<60}", 12: "08123456",
              13: dv("08123456")}
    line2 = {20: "12", 21: f"{'AVENIDA LOS CARRERA 1450 OFICINA 3':<60}",
             22: f"{'CONCEPCION':<30}", 23: "0412345678"}
    line3 = {25: "13", 26: f"{'contacto@fundacionelroble.cl':<60}",
             27: f"{'EDUCACION':<40}"}
    lines = [make_line(f1, w1, header),
             make_line(f1, w1, line2, offset=w1),
             make_line(f1, w1, line3, offset=3 * w1)]
    aportes = [("11111111", "PEREZ LAGOS ANA MARIA", "15032017", 500000, "A"),
               ("13579246", "COMERCIAL EL SAUCE S.A.", "01122017", 2500000, "B"),
               ("7654321", "TORRES VIDAL JORGE", "30062017", 150000, "C"),
               ("20123456", "INVERSIONES NU\xd1EZ LIMITADA", "31122017", 1000000, "D")]
    for r, name, fecha, monto, medio in aportes:
        lines.append(make_line(f2, w2, {
            0: "2", 6: "1831", 1: "M", 2: folio, 3: "O", 4: rut, 5: d,
            7: num(int(r), 8), 8: dv(r), 9: f"{name:<60}", 10: fecha, 11: num(monto, 15),
            12: medio}))
    total = sum(a[3] for a in aportes)
    base = {1: "1831", 2: folio, 3: "M", 4: rut, 5: d}
    f31 = [f for f in f3 if f[0] not in (7, 8, 9, 13, 16, 17)]
    f32 = [f for f in f3 if f[0] not in (6, 10, 11, 12)]
    lines.append(make_line(f31, w3, {**base, 0: "31", 6: num(total, 15), 10: num(0, 15),
                                      11: num(len(aportes), 7)}))
    lines.append(make_line(f32, w3, {**base, 0: "32", 7: "00", 8: "   ", 9: "0000",
                                      13: "08123456", 16: dv("08123456")}))
    assert all(len(l) == 120 for l in lines[:3])
    assert all(len(l) == w2 for l in lines[3:-2])
    # The composed declarant text (L1 L2 L2 L3) puts lines 2 and 3 where the fields say.
    text = lines[0] + lines[1] + lines[1] + lines[2]
    assert field(f1, text, 22).rstrip() == "CONCEPCION"
    assert field(f1, text, 25) == "13"
    return lines


# ---------------------------------------------------------------------------


def write_lines(path, lines):
    path.parent.mkdir(parents=True, exist_ok=True)
    data = "".join(line + "\r\n" for line in lines).encode("cp1252")
    path.write_bytes(data)


def main():
    formatos, registros = catalogue()
    write_lines(SISTEMA / "FORMATOSDJ.TXT", formatos)
    write_lines(SISTEMA / "REGISTROSDJ.txt", registros)
    write_lines(SISTEMA / "FormsDJ.txt",
                [f"{form} {desc}" for form, (desc, _) in sorted(FORMS.items())])
    write_lines(SISTEMA / "ANOT.TXT", ["2018", "2017", "2016"])
    write_lines(SISTEMA / "leame.ASC", LEAME.splitlines())
    REGISTRO.mkdir(parents=True, exist_ok=True)
    (REGISTRO / ".keep").write_bytes(b"")

    correcta, con_errores, largo_erroneo = samples_1879()
    write_lines(SAMPLES / "F1879_correcta.txt", correcta)
    write_lines(SAMPLES / "F1879_con_errores.txt", con_errores)
    write_lines(SAMPLES / "F1879_largo_erroneo.txt", largo_erroneo)
    write_lines(SAMPLES / "F1831_correcta.txt", sample_1831())


if __name__ == "__main__":
    main()
