// The structural review: every check by record type, the state handed to the
// build, the outcomes, and the handling of lines the reader cannot place.
#include <gtest/gtest.h>

#include <functional>

#include "declaracion.hpp"
#include "platform/text.hpp"

namespace revtest {
namespace {

using orvex::FinRevision;
using Lineas = std::vector<std::string>;

struct Caso {
    const char* nombre;
    std::string form;
    std::function<Lineas(Declaracion)> lineas;  // from the clean declaration of the form
    std::vector<std::string> esperado;          // as `describir` writes them
};

class Revision : public Instalacion {
  protected:
    void correr(const std::vector<Caso>& casos) {
        for (const Caso& c : casos) {
            SCOPED_TRACE(c.nombre);
            orvex::ResultadoRevision r = revisar(c.form, c.lineas(limpia(c.form)));
            EXPECT_EQ(descritos(), c.esperado);
            EXPECT_EQ(r.fin,
                      c.esperado.empty() ? FinRevision::sin_errores : FinRevision::con_errores);
            EXPECT_EQ(r.estado.errores, static_cast<std::int32_t>(c.esperado.size()));
        }
    }
};

// The report as lines without their CR LF, header left out.
Lineas lineas_informe(const std::string& informe) {
    Lineas out;
    std::size_t inicio = 0;
    for (std::size_t fin; (fin = informe.find("\r\n", inicio)) != std::string::npos;
         inicio = fin + 2)
        out.push_back(informe.substr(inicio, fin - inicio));
    if (!out.empty()) out.erase(out.begin());
    return out;
}

TEST_F(Revision, CleanDeclarationsOfEveryLayoutPass) {
    for (const std::string& form : kFormas) {
        SCOPED_TRACE(form);
        orvex::ResultadoRevision r = revisar(form, limpia(form).lineas());
        EXPECT_EQ(r.fin, FinRevision::sin_errores);
        EXPECT_EQ(descritos(), Lineas{});
        EXPECT_EQ(informe(), std::string(orvex::kEncabezadoInforme) + "\r\n");
    }
}

TEST_F(Revision, HeaderRecordAndFileEnds) {
    auto cero = [](const std::string& form) { return "0" + fit("", 4) + form + fit("", 20); };
    correr({
        {"a leading type-0 line with the form number is tolerated",
         "1879",
         [&](Declaracion d) {
             Lineas l = d.lineas();
             l.insert(l.begin(), cero("1879"));
             return l;
         },
         {}},
        {"a type-0 line of another form",
         "1879",
         [&](Declaracion d) {
             Lineas l = d.lineas();
             l.insert(l.begin(), cero("1880"));
             l[2][1] = 'X';  // not read after the fatal error
             return l;
         },
         {"1|0|1879|1880|DECLARACION NO CORRESPONDE|F"}},
        {"a lone header line",
         "1879",
         [&](Declaracion) { return Lineas{cero("1879")}; },
         {"2|0|1879|1879|ARCHIVO INCOMPLETO|F"}},
        {"a lone line that begins with no digit",
         "1879",
         [&](Declaracion) { return Lineas{"X    1805"}; },
         {"2|0|1879|1805|ARCHIVO INCOMPLETO|F"}},
        {"an empty file",
         "1879",
         [](Declaracion) { return Lineas{}; },
         {"2|0|1879||ARCHIVO INCOMPLETO|F"}},
        {"a lone declarant line is read, and the missing types are reported",
         "1879",
         [](Declaracion d) { return Lineas{d.lineas()[0]}; },
         {"2|2|2||FALTA REGISTRO TIPO 2|-", "2|3|3||FALTA REGISTRO TIPO 3|-"}},
    });
}

TEST_F(Revision, UnreadableFileCountsAsEmpty) {
    revisar("1879", (tmp / "no-existe.txt").string());
    EXPECT_EQ(descritos(), Lineas{"2|0|1879||ARCHIVO INCOMPLETO|F"});
}

TEST_F(Revision, DeclarantRecordChecks) {
    correr({
        {"one-line record one character short; the review stops",
         "1879",
         [](Declaracion d) {
             d.t2[0].pres = "X";
             Lineas l = d.lineas();
             l[0].pop_back();
             return l;
         },
         {"1|1|50| 49|LARGO ERRONEO|F"}},
        {"three-line section with lines one too long: a fraction",
         "1831",
         [](Declaracion d) {
             Lineas l = d.lineas();
             for (int k = 0; k < 3; ++k) l[k] += " ";
             return l;
         },
         {"1|1|50| 51.3333333333333|LARGO ERRONEO|F"}},
        {"two-line section one character too long",
         "1849",
         [](Declaracion d) {
             Lineas l = d.lineas();
             l[1] += " ";
             return l;
         },
         {"1|1|50| 50.5|LARGO ERRONEO|F"}},
        {"a line of megabytes in a section is counted whole, though not held whole",
         "1849",
         [](Declaracion d) {
             Lineas l = d.lineas();
             l[1] += std::string(2000000, ' ');
             return l;
         },
         {"1|1|50| 1000050|LARGO ERRONEO|F"}},
        {"month 13",
         "2807",
         [](Declaracion d) {
             d.t1.ano = "201813";
             return d.lineas();
         },
         {"1|1|01 - 12|13|Mes Erroneo|F"}},
        {"month that is no number",
         "2807",
         [](Declaracion d) {
             d.t1.ano = "2018AB";
             return d.lineas();
         },
         {"1|1|01 - 12|AB|Mes Erroneo|F"}},
        {"another form number",
         "1879",
         [](Declaracion d) {
             d.t1.form = "1880";
             return d.lineas();
         },
         {"1|1|1879|1880|DECLARACION NO CORRESPONDE|F"}},
        {"long-header form number read at 9-12",
         "2807",
         [](Declaracion d) {
             d.t1.form = "2806";
             return d.lineas();
         },
         {"1|1|2807|2806|DECLARACION NO CORRESPONDE|F"}},
        {"RUT below 50,000,000 for a large declarant",
         "1889",
         [](Declaracion d) {
             d.declarante("8099901", "49999999", "1");
             return d.lineas();
         },
         {"1|1|>50.000.000|49999999|RUT DECLARANTE DEBE SER SUPERIOR A 50.000.000|F"}},
        {"tax year of another year",
         "1879",
         [](Declaracion d) {
             d.t1.ano = "2017";
             return d.lineas();
         },
         {"1|1|2018|2017|AÑO TRIBUTARIO NO CORRESPONDE|F"}},
        {"folio beginning 81 is not fatal: the informados are still read",
         "1879",
         [](Declaracion d) {
             d.declarante("8123407", "12345678", "9");
             d.t2[1].pres = "X";
             return d.lineas();
         },
         {"1|1|8023407|8123407|FOLIO NO CORRESPONDE A LA ESTRUCTURA SOLICITADA|-",
          "3|2|M|X|TIPO DE PRESENTACION NO CORRESPONDE|F"}},
        {"folio that is no number",
         "1879",
         [](Declaracion d) {
             d.declarante("AB23401", "12345678", "9");
             return d.lineas();
         },
         {"1|1|8023401|AB23401|FOLIO NO CORRESPONDE A LA ESTRUCTURA SOLICITADA|-"}},
        {"presentation code",
         "1879",
         [](Declaracion d) {
             d.t1.pres = "X";
             return d.lineas();
         },
         {"1|1|M|X|TIPO DE PRESENTACION NO CORRESPONDE|-"}},
        {"rectification repeating its folio",
         "1879",
         [](Declaracion d) {
             d.t1.tipo = "R";
             for (Tipo2& r : d.t2) r.tipo = "R";
             d.t1.folio_ant = d.t1.folio;
             d.t1.rut_ant = d.t1.rut;
             d.t1.dv_ant = d.t1.dv;
             return d.lineas();
         },
         {"1|1|8023401|8023401|FOLIO ANTERIOR REPETIDO|-"}},
        {"rectification with a previous folio and RUT that are no numbers",
         "1879",
         [](Declaracion d) {
             d.t1.tipo = "R";
             for (Tipo2& r : d.t2) r.tipo = "R";
             d.t1.folio_ant = "ABCDEFG";
             d.t1.rut_ant = "1234567X";
             d.t1.dv_ant = d.t1.dv;
             return d.lineas();
         },
         {"1|1|8023401|ABCDEFG|FOLIO ANTERIOR REPETIDO|-",
          "1|1|12345678|1234567X|RUT ANTERIOR NO CORRESPONDE|-"}},
        {"rectification with another previous check digit",
         "1879",
         [](Declaracion d) {
             d.t1.tipo = "R";
             for (Tipo2& r : d.t2) r.tipo = "R";
             d.t1.folio_ant = "8023400";
             d.t1.rut_ant = d.t1.rut;
             d.t1.dv_ant = "K";
             return d.lineas();
         },
         {"1|1|12345678|12345678|RUT ANTERIOR NO CORRESPONDE|-"}},
        {"an original declaration does not compare previous values",
         "1879",
         [](Declaracion d) {
             d.t1.folio_ant = d.t1.folio;
             d.t1.rut_ant = "99999999";
             return d.lineas();
         },
         {}},
        {"without line code 11 the informados compare with empty values",
         "1879",
         [](Declaracion d) {
             d.t1.codigo = "12";
             d.t1.ano = "1999";
             return d.lineas();
         },
         {"2|2||8023401|Folio No corresponde|F", "2|2|-|12345678-9|Rut No corresponde|F",
          "2|2||O|Tipo Declaración No corresponde|F"}},
    });
}

TEST_F(Revision, InformadoChecks) {
    correr({
        {"one character short; the records after it are not read",
         "1879",
         [](Declaracion d) {
             d.t2[2].pres = "X";
             Lineas l = d.lineas();
             l[2].pop_back();
             return l;
         },
         {"3|2|40| 39|LARGO ERRONEO|F"}},
        {"a line of megabytes is counted whole, though not held whole",
         "1879",
         [](Declaracion d) {
             Lineas l = d.lineas();
             l[2].resize(3000000, 'x');
             return l;
         },
         {"3|2|40| 3000000|LARGO ERRONEO|F"}},
        {"code, folio and RUT all wrong: three errors on one line, then stop",
         "1879",
         [](Declaracion d) {
             d.t2[0] = Tipo2{"X", "8023499", "O", "11111111", "9"};
             d.t2[1].pres = "X";
             return d.lineas();
         },
         {"2|2|M|X|TIPO DE PRESENTACION NO CORRESPONDE|F",
          "2|2|8023401|8023499|Folio No corresponde|F",
          "2|2|12345678-9|11111111-9|Rut No corresponde|F"}},
        {"another check digit",
         "1879",
         [](Declaracion d) {
             d.t2[2].dv = "K";
             return d.lineas();
         },
         {"4|2|12345678-9|12345678-K|Rut No corresponde|F"}},
        {"another declaration type",
         "1879",
         [](Declaracion d) {
             d.t2[1].tipo = "R";
             return d.lineas();
         },
         {"3|2|O|R|Tipo Declaración No corresponde|F"}},
    });
}

TEST_F(Revision, SummaryChecks) {
    correr({
        {"one-line summary one character short",
         "1879",
         [](Declaracion d) {
             d.t3[1].f7 = "01";  // not read after the fatal error
             Lineas l = d.lineas();
             l[4].pop_back();
             return l;
         },
         {"5|3|40| 39|LARGO ERRONEO|F"}},
        {"two-line summary with a line two characters long",
         "1849",
         [](Declaracion d) {
             Lineas l = d.lineas();
             l.back() += "  ";
             return l;
         },
         {"6|3|40| |LARGO ERRONEO|F"}},
        {"folio and RUT are not fatal",
         "1879",
         [](Declaracion d) {
             d.t3[0].folio = "8023499";
             d.t3[0].dv = "K";
             d.t3[1].f7 = "01";
             return d.lineas();
         },
         {"5|3|8023401|8023499|Folio Declaración No corresponde|-",
          "5|3|12345678-9|12345678-K|Rut Declarante No corresponde|-",
          "6|3|00   0000|01   0000|fecha de presentación = 00   0000|-"}},
        {"line code 33 checks the date too",
         "1879",
         [](Declaracion d) {
             d.t3[1].codigo = "33";
             d.t3[1].f8 = "X  ";
             d.t3[1].folio = "9999999";  // not compared on a 33 line
             return d.lineas();
         },
         {"6|3|00   0000|00X  0000|fecha de presentación = 00   0000|-"}},
        {"a type-4 line after the summary has no checks",
         "1879",
         [](Declaracion d) {
             Lineas l = d.lineas();
             l.push_back("4 anything at all");
             return l;
         },
         {}},
    });
}

// Lines the reader cannot place end the review with an error on that line.
TEST_F(Revision, UnplaceableLinesStopTheReview) {
    correr({
        {"an empty line before the end",
         "1879",
         [](Declaracion d) {
             Lineas l = d.lineas();
             l.insert(l.begin() + 2, "");
             return l;
         },
         {"3|2|||LINEA VACIA|F"}},
        {"an empty line between summary records",
         "1879",
         [](Declaracion d) {
             Lineas l = d.lineas();
             l.insert(l.begin() + 5, "");
             return l;
         },
         {"6|3|||LINEA VACIA|F"}},
        {"one empty last line is the end of the file",
         "1879",
         [](Declaracion d) {
             Lineas l = d.lineas();
             l.push_back("");
             return l;
         },
         {}},
        {"an informado after the summary",
         "1879",
         [](Declaracion d) {
             Lineas l = d.lineas();
             l.push_back(l[1]);
             return l;
         },
         {"7|3|3|2|TIPO DE REGISTRO NO CORRESPONDE|F"}},
        {"a line that begins with no digit",
         "1879",
         [](Declaracion d) {
             Lineas l = d.lineas();
             l[2][0] = 'X';
             return l;
         },
         {"3|2|2|X|TIPO DE REGISTRO NO CORRESPONDE|F"}},
        {"a second header line",
         "1879",
         [](Declaracion d) {
             Lineas l = d.lineas();
             std::string cero = "0    1879";
             l.insert(l.begin(), {cero, cero});
             return l;
         },
         {"2|1|1|0|TIPO DE REGISTRO NO CORRESPONDE|F"}},
        {"no informados",
         "1879",
         [](Declaracion d) {
             d.t2.clear();
             return d.lineas();
         },
         {"4|2|2||FALTA REGISTRO TIPO 2|-"}},
        {"a summary line alone",
         "1879",
         [](Declaracion d) { return Lineas{fit("34", static_cast<std::size_t>(d.disp.largo3))}; },
         {"2|1|1||FALTA REGISTRO TIPO 1|-", "2|2|2||FALTA REGISTRO TIPO 2|-"}},
        {"missing types are not reported after a fatal error",
         "1879",
         [](Declaracion d) {
             d.t1.ano = "2017";
             d.t2.clear();
             d.t3.clear();
             return d.lineas();
         },
         {"1|1|2018|2017|AÑO TRIBUTARIO NO CORRESPONDE|F"}},
    });
}

TEST_F(Revision, StateForTheBuild) {
    struct Estado {
        const char* nombre;
        std::string form;
        std::function<Lineas(Declaracion)> lineas;
        std::uint64_t lineas_registro0, tipo2;
        bool registro0;
        std::string periodo;
    };
    const std::vector<Estado> casos = {
        {"one-line records", "1879", [](Declaracion d) { return d.lineas(); }, 4, 3, false, "2018"},
        {"two-line declarant and summary sections", "1849",
         [](Declaracion d) { return d.lineas(); }, 5, 3, false, "2018"},
        {"three-line declarant section", "1831", [](Declaracion d) { return d.lineas(); }, 6, 3,
         false, "2018"},
        {"a leading header line is not counted", "1879",
         [](Declaracion d) {
             Lineas l = d.lineas();
             l.insert(l.begin(), "0    1879");
             return l;
         },
         4, 3, true, "2018"},
        {"lines of a section of a higher type count", "1879",
         [](Declaracion d) {
             Lineas l = d.lineas();
             l.insert(l.end(), {"4a", "4b", "4c"});
             return l;
         },
         7, 3, false, "2018"},
        {"monthly form: the period read", "2807", [](Declaracion d) { return d.lineas(); }, 4, 3,
         false, "201805"},
    };
    for (const Estado& c : casos) {
        SCOPED_TRACE(c.nombre);
        orvex::ResultadoRevision r = revisar(c.form, c.lineas(limpia(c.form)));
        EXPECT_EQ(r.fin, FinRevision::sin_errores);
        EXPECT_EQ(r.estado.lineas_registro0, c.lineas_registro0);
        EXPECT_EQ(r.estado.cantidad_tipo2, c.tipo2);
        EXPECT_EQ(r.estado.registro0, c.registro0);
        EXPECT_EQ(r.estado.periodo, c.periodo);
        EXPECT_EQ(r.estado.formulario, c.form);
        EXPECT_EQ(r.estado.ano_combo, "2018");
        EXPECT_EQ(r.estado.mensual, c.form == "2807");
        EXPECT_EQ(r.estado.tabla[1].largo, 50);
    }
}

TEST_F(Revision, DeclarantValuesComeFromTheLastDeclarantRecord) {
    Declaracion d = limpia("1879");
    Declaracion segunda = d;
    segunda.declarante("8076501", "87654321", "K");
    segunda.t1.tipo = "R";
    segunda.t1.rut_ant = "87654321";
    segunda.t1.dv_ant = "K";
    segunda.t1.folio_ant = "8076500";
    for (Tipo2& r : segunda.t2) r.tipo = "R";
    Declaracion otra_linea = segunda;  // line code 12: not taken
    otra_linea.t1.codigo = "12";
    otra_linea.t1.folio = "8000000";

    // The first declarant, the second, a "12" line, then the rest of the second.
    Lineas l = segunda.lineas();
    l.insert(l.begin() + 1, otra_linea.lineas()[0]);
    l.insert(l.begin(), d.lineas()[0]);

    orvex::ResultadoRevision r = revisar("1879", declarar(l).string());
    ASSERT_EQ(descritos(), Lineas{});
    const orvex::Declarante& v = r.estado.declarante;
    EXPECT_EQ(v.folio, "8076501");
    EXPECT_EQ(v.rut, "87654321");
    EXPECT_EQ(v.dv, "K");
    EXPECT_EQ(v.tipo_declaracion, "R");
    EXPECT_EQ(v.ano, "2018");
    EXPECT_EQ(v.codigo, "M");
    EXPECT_EQ(v.rut_anterior, "87654321");
    EXPECT_EQ(v.dv_anterior, "K");
    EXPECT_EQ(v.folio_anterior, "8076500");
    EXPECT_EQ(r.estado.archivo, tmp / "dj.txt");
    EXPECT_EQ(r.estado.lineas_registro0, 6u);  // three declarant lines, two summary lines
}

TEST_F(Revision, NoFileLeavesOnlyTheHeader) {
    tmp.write("Orvex18/registro/errores.txt", "old findings\r\n");
    orvex::ResultadoRevision r = revisar("1879", "");
    EXPECT_EQ(r.fin, FinRevision::sin_archivo);
    EXPECT_TRUE(port.calls.empty());  // the caller tells the user
    EXPECT_EQ(informe(), std::string(orvex::kEncabezadoInforme) + "\r\n");
}

TEST_F(Revision, ReportIsWrittenAnewAndInWindows1252) {
    Declaracion d = limpia("1879");
    d.t1.ano = "2017";
    revisar("1879", d.lineas());
    Lineas primera = lineas_informe(informe());
    ASSERT_EQ(primera.size(), 1u);
    // "AÑO" with the one byte 0xD1, in the file and in the finding.
    EXPECT_EQ(primera[0].substr(56), "A\xD1O TRIBUTARIO NO CORRESPONDE");
    ASSERT_EQ(hallazgos.size(), 1u);
    EXPECT_EQ(hallazgos[0].mensaje, "A\xD1O TRIBUTARIO NO CORRESPONDE");

    d.t1.ano = "2018";
    d.t2[0].tipo = "X";
    revisar("1879", d.lineas());
    Lineas segunda = lineas_informe(informe());
    ASSERT_EQ(segunda.size(), 1u);
    EXPECT_EQ(segunda[0].substr(56), "Tipo Declaraci\xF3n No corresponde");
    EXPECT_TRUE(port.calls.empty());  // findings never go to message boxes
}

TEST_F(Revision, MissingReportFolderStillCountsErrors) {
    fs::remove_all(install / "registro");
    Declaracion d = limpia("1879");
    d.t2[0].pres = "X";
    orvex::ResultadoRevision r = revisar("1879", d.lineas());
    EXPECT_EQ(r.fin, FinRevision::con_errores);
    EXPECT_EQ(r.estado.errores, 1);
    EXPECT_EQ(hallazgos.size(), 1u);
    EXPECT_FALSE(fs::exists(install / "registro"));
}

TEST_F(Revision, LongFilesReportProgressAndLetEventsRun) {
    Declaracion d = limpia("1879");
    d.t2.resize(70000);
    fs::path ruta = declarar(d.lineas());
    std::vector<std::pair<std::uint64_t, std::uint64_t>> avisos;
    int bombeos = 0;
    entorno.progreso = [&](std::uint64_t hecho, std::uint64_t total) {
        avisos.emplace_back(hecho, total);
    };
    entorno.pump = [&] { ++bombeos; };
    orvex::ResultadoRevision r = revisar("1879", ruta.string());
    EXPECT_EQ(r.fin, FinRevision::sin_errores);
    EXPECT_EQ(r.estado.cantidad_tipo2, 70000u);
    const std::uint64_t total = fs::file_size(ruta);
    ASSERT_GE(avisos.size(), 2u);
    EXPECT_GT(avisos.front().first, 0u);
    EXPECT_LT(avisos.front().first, total);
    EXPECT_EQ(avisos.front().second, total);
    EXPECT_EQ(avisos.back(), std::make_pair(total, total));
    EXPECT_GE(bombeos, 1);
}

}  // namespace
}  // namespace revtest
