// Small install folders with a catalogue of a few forms, and declaration files
// built from readable record values, for the review tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogo_lineas.hpp"
#include "orvex/revision.hpp"
#include "platform/messages.hpp"
#include "platform/text.hpp"
#include "scripted_port.hpp"
#include "temp_folder.hpp"

namespace revtest {

namespace fs = std::filesystem;

// `s` cut or blank-filled to `w` characters.
inline std::string fit(std::string s, std::size_t w) {
    s.resize(w, ' ');
    return s;
}

inline std::string linea_formato(const std::string& form, int tipo, int largo, char modo) {
    return testsupport::linea_formato(form, testsupport::tipo_de(tipo), largo, modo);
}
inline std::string linea_campo(const std::string& form, int tipo, int numero, int desde,
                               int hasta) {
    return testsupport::linea_campo(form, testsupport::tipo_de(tipo), numero, desde, hasta);
}

// The layout of one test form. Type 1: line code 1-2, the tax year (or the
// period) from 3, the form number at 7-10 (9-12 for long-header forms), then
// presentation code, folio (7), declaration type, previous RUT (8) and its
// DV, previous folio (7), RUT (8), DV. Type 2: type, presentation code,
// folio, declaration type, RUT, DV, date (8), amount (10), medium (1).
// Type 3: line code, folio, RUT, DV, date in three parts (2, 3, 4).
struct Disposicion {
    std::string form;
    bool encabezado_largo = false;
    bool mensual = false;
    char modo1 = 'U', modo2 = 'U', modo3 = 'U';
    int largo1 = 50, largo2 = 40, largo3 = 40;

    int zona_ano() const { return encabezado_largo ? 6 : 4; }

    std::vector<std::string> formatos() const {
        return {linea_formato(form, 1, largo1, modo1), linea_formato(form, 2, largo2, modo2),
                linea_formato(form, 3, largo3, modo3)};
    }
    std::vector<std::string> campos() const {
        std::vector<std::string> c;
        int b = 3 + zona_ano() + 4;  // after the form number
        c.push_back(linea_campo(form, 1, 1, 3, 3 + (mensual ? 6 : 4) - 1));
        c.push_back(linea_campo(form, 1, 2, b, b));
        c.push_back(linea_campo(form, 1, 3, b + 1, b + 7));
        c.push_back(linea_campo(form, 1, 4, b + 8, b + 8));
        c.push_back(linea_campo(form, 1, 5, b + 9, b + 16));
        c.push_back(linea_campo(form, 1, 6, b + 17, b + 17));
        c.push_back(linea_campo(form, 1, 8, b + 18, b + 24));
        c.push_back(linea_campo(form, 1, 9, b + 25, b + 32));
        c.push_back(linea_campo(form, 1, 10, b + 33, b + 33));
        for (auto [n, d, h] : {std::tuple{1, 2, 2},
                               {2, 3, 9},
                               {3, 10, 10},
                               {4, 11, 18},
                               {5, 19, 19},
                               {10, 20, 27},
                               {11, 28, 37},
                               {12, 38, 38}})
            c.push_back(linea_campo(form, 2, n, d, h));
        for (auto [n, d, h] :
             {std::tuple{2, 3, 9}, {4, 10, 17}, {5, 18, 18}, {7, 19, 20}, {8, 21, 23}, {9, 24, 27}})
            c.push_back(linea_campo(form, 3, n, d, h));
        return c;
    }
};

struct Tipo1 {
    std::string codigo = "11", ano = "2018", form, pres = "M", folio = "8023401", tipo = "O",
                rut_ant = "        ", dv_ant = " ", folio_ant = "       ", rut = "12345678",
                dv = "9";
};
struct Tipo2 {
    std::string pres = "M", folio = "8023401", tipo = "O", rut = "12345678", dv = "9",
                fecha = "15032017", monto = "0000100000", medio = "A";
};
struct Tipo3 {
    std::string codigo = "31", folio = "8023401", rut = "12345678", dv = "9", f7 = "00", f8 = "   ",
                f9 = "0000";
};

// A declaration as record values. Type-1 sections of several lines repeat
// the first line with the line codes 12, 13, ...; type-3 records are one line
// each ('U') or the two lines of one section ('M').
struct Declaracion {
    Disposicion disp;
    int lineas_tipo1 = 1;
    Tipo1 t1;
    std::vector<Tipo2> t2;
    std::vector<Tipo3> t3;

    std::string linea1(const std::string& codigo) const {
        std::string s = codigo + fit(t1.ano, static_cast<std::size_t>(disp.zona_ano())) +
                        fit(t1.form, 4) + fit(t1.pres, 1) + fit(t1.folio, 7) + fit(t1.tipo, 1) +
                        fit(t1.rut_ant, 8) + fit(t1.dv_ant, 1) + fit(t1.folio_ant, 7) +
                        fit(t1.rut, 8) + fit(t1.dv, 1);
        return fit(s, static_cast<std::size_t>(disp.largo1));
    }
    std::string linea2(const Tipo2& r) const {
        std::string s = "2" + fit(r.pres, 1) + fit(r.folio, 7) + fit(r.tipo, 1) + fit(r.rut, 8) +
                        fit(r.dv, 1) + fit(r.fecha, 8) + fit(r.monto, 10) + fit(r.medio, 1);
        return fit(s, static_cast<std::size_t>(disp.largo2));
    }
    std::string linea3(const Tipo3& r) const {
        std::string s = fit(r.codigo, 2) + fit(r.folio, 7) + fit(r.rut, 8) + fit(r.dv, 1) +
                        fit(r.f7, 2) + fit(r.f8, 3) + fit(r.f9, 4);
        return fit(s, static_cast<std::size_t>(disp.largo3));
    }

    std::vector<std::string> lineas() const {
        std::vector<std::string> out;
        out.push_back(linea1(t1.codigo));
        for (int k = 2; k <= lineas_tipo1; ++k) out.push_back(linea1("1" + std::to_string(k)));
        for (const Tipo2& r : t2) out.push_back(linea2(r));
        for (const Tipo3& r : t3) out.push_back(linea3(r));
        return out;
    }

    // Folio, RUT and DV of the declarant, repeated in every type-2 and type-3 record.
    void declarante(const std::string& folio, const std::string& rut, const std::string& dv) {
        t1.folio = folio;
        t1.rut = rut;
        t1.dv = dv;
        for (Tipo2& r : t2) r.folio = folio, r.rut = rut, r.dv = dv;
        for (Tipo3& r : t3) r.folio = folio, r.rut = rut, r.dv = dv;
    }
};

// The forms of the test catalogue.
inline Disposicion disposicion(const std::string& form) {
    Disposicion d;
    d.form = form;
    if (form == "2807") d.encabezado_largo = d.mensual = true;
    if (form == "1849") d.encabezado_largo = true, d.modo1 = 'M', d.modo3 = 'M';
    if (form == "1831") d.modo1 = 'M';
    return d;
}

// A clean declaration of the form: a declarant record (three lines for 1831,
// two for 1849), three informados, and a summary "31" + "32".
inline Declaracion limpia(const std::string& form) {
    Declaracion d;
    d.disp = disposicion(form);
    d.t1.form = form;
    if (form == "2807") d.t1.ano = "201805";
    if (form == "1831") d.lineas_tipo1 = 3;
    if (form == "1849") d.lineas_tipo1 = 2;
    d.t2.resize(3);
    d.t3.resize(2);
    d.t3[1].codigo = "32";
    if (form == "1889") d.declarante("8000001", "50000000", "1");
    return d;
}

inline const std::vector<std::string> kFormas = {"1879", "2807", "1849", "1831", "1889"};

// "linea|tipo|esperado|informado|mensaje|F" (F fatal, - not), texts in UTF-8.
inline std::string describir(const orvex::Hallazgo& h) {
    return std::to_string(h.linea) + "|" + h.tipo + "|" + platform::cp1252_to_utf8(h.esperado) +
           "|" + platform::cp1252_to_utf8(h.informado) + "|" + platform::cp1252_to_utf8(h.mensaje) +
           "|" + (h.fatal ? "F" : "-");
}

// An install folder with "Sistema" (the catalogue of kFormas) and "registro".
class Instalacion : public ::testing::Test {
  protected:
    testsupport::TempFolder tmp;
    fs::path install = tmp / "Orvex18";
    testsupport::ScriptedPort port;
    orvex::Entorno entorno{install, port, {}, {}, {}, {}};
    std::vector<orvex::Hallazgo> hallazgos;

    void SetUp() override {
        std::string formatos, campos;
        for (const std::string& f : kFormas) {
            for (const std::string& l : disposicion(f).formatos()) formatos += l + "\r\n";
            for (const std::string& l : disposicion(f).campos()) campos += l + "\r\n";
        }
        tmp.write("Orvex18/Sistema/FORMATOSDJ.TXT", formatos);
        tmp.write("Orvex18/Sistema/REGISTROSDJ.txt", campos);
        fs::create_directories(install / "registro");
    }

    fs::path declarar(const std::vector<std::string>& lineas) {
        std::string bytes;
        for (const std::string& l : lineas) bytes += l + "\r\n";
        return tmp.write("dj.txt", bytes);
    }

    orvex::ResultadoRevision revisar(const std::string& form, const std::string& ruta,
                                     const std::string& ano = "2018") {
        hallazgos.clear();
        return orvex::Revisar(entorno, {form, ano, ruta},
                              [this](const orvex::Hallazgo& h) { hallazgos.push_back(h); });
    }
    orvex::ResultadoRevision revisar(const std::string& form,
                                     const std::vector<std::string>& lineas) {
        return revisar(form, declarar(lineas).string());
    }

    std::vector<std::string> descritos() const {
        std::vector<std::string> out;
        for (const orvex::Hallazgo& h : hallazgos) out.push_back(describir(h));
        return out;
    }
    std::string informe() const { return testsupport::read_file(install / "registro/errores.txt"); }
};

}  // namespace revtest
