// Small workbooks for the tests, written part by part into a ZIP archive, and
// the outside programs that read and write real ones (openpyxl, LibreOffice).
#pragma once

#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/process.hpp"
#include "xlsx_lector.hpp"

namespace tolvan_test {

namespace fs = std::filesystem;

struct Parte {
    std::string nombre;
    std::string contenido;
};

// Writes the parts into a ZIP archive (deflated).
inline fs::path escribir_zip(const fs::path& ruta, const std::vector<Parte>& partes) {
    int error = 0;
    zip_t* z = zip_open(ruta.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    EXPECT_NE(z, nullptr);
    if (!z) return ruta;
    for (const Parte& p : partes) {
        zip_source_t* s = zip_source_buffer(z, p.contenido.data(), p.contenido.size(), 0);
        EXPECT_GE(zip_file_add(z, p.nombre.c_str(), s, ZIP_FL_ENC_UTF_8), 0) << p.nombre;
    }
    EXPECT_EQ(zip_close(z), 0);
    return ruta;
}

inline const char* const kNsHoja =
    "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
inline const char* const kTipoRel =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

inline std::string hoja(const std::string& filas) {
    return std::string(
               "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet ") +
           kNsHoja + "><dimension ref=\"A1\"/><sheetData>" + filas + "</sheetData></worksheet>";
}

inline std::string cadenas_compartidas(std::initializer_list<std::string> items) {
    std::string x = std::string("<?xml version=\"1.0\"?><sst ") + kNsHoja + ">";
    for (const std::string& i : items) x += "<si><t xml:space=\"preserve\">" + i + "</t></si>";
    return x + "</sst>";
}

// A workbook whose sheets are listed in this order, each with its part
// (sheet1.xml, sheet2.xml, ...) and relationship type ("worksheet",
// "chartsheet").
struct Hoja {
    std::string nombre;
    std::string contenido;
    std::string tipo = "worksheet";
};

inline std::vector<Parte> libro(const std::vector<Hoja>& hojas, const std::string& sst = "") {
    std::string wb = std::string("<?xml version=\"1.0\"?><workbook ") + kNsHoja + "><sheets>";
    std::string rels =
        "<?xml version=\"1.0\"?><Relationships "
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    std::vector<Parte> partes;
    for (std::size_t i = 0; i < hojas.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        // Relationship ids in reverse, so that part and id order differ from sheet order.
        const std::string id = "rId" + std::to_string(hojas.size() - i + 1);
        wb += "<sheet name=\"" + hojas[i].nombre + "\" sheetId=\"" + n + "\" r:id=\"" + id + "\"/>";
        const std::string carpeta = hojas[i].tipo == "worksheet" ? "worksheets" : "chartsheets";
        rels += "<Relationship Id=\"" + id + "\" Type=\"" + kTipoRel + hojas[i].tipo +
                "\" Target=\"" + carpeta + "/sheet" + n + ".xml\"/>";
        partes.push_back({"xl/" + carpeta + "/sheet" + n + ".xml", hojas[i].contenido});
    }
    if (!sst.empty()) {
        rels += std::string("<Relationship Id=\"rId1\" Type=\"") + kTipoRel +
                "sharedStrings\" Target=\"/xl/sharedStrings.xml\"/>";
        partes.push_back({"xl/sharedStrings.xml", sst});
    }
    partes.push_back({"xl/workbook.xml", wb + "</sheets></workbook>"});
    partes.push_back({"xl/_rels/workbook.xml.rels", rels + "</Relationships>"});
    partes.push_back(
        {"_rels/.rels",
         std::string("<?xml version=\"1.0\"?><Relationships "
                     "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                     "<Relationship Id=\"rId1\" Type=\"") +
             kTipoRel + "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"});
    return partes;
}

// The column letters of a 0-based column (0 is A, 26 is AA).
inline std::string columna(std::size_t c) {
    std::string s;
    for (++c; c > 0; c = (c - 1) / 26) s.insert(s.begin(), char('A' + (c - 1) % 26));
    return s;
}

// A row of cells from texts: "" leaves the cell out, "#12" is the number 12,
// anything else an inline string.
inline std::string fila(std::uint32_t r, const std::vector<std::string>& celdas) {
    std::string x = "<row r=\"" + std::to_string(r) + "\">";
    for (std::size_t c = 0; c < celdas.size(); ++c) {
        const std::string& v = celdas[c];
        if (v.empty()) continue;
        const std::string ref = columna(c) + std::to_string(r);
        if (v[0] == '#')
            x += "<c r=\"" + ref + "\"><v>" + v.substr(1) + "</v></c>";
        else
            x += "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + v + "</t></is></c>";
    }
    return x + "</row>";
}

// The first worksheet as our reader sees it: row number to the texts of its
// first `columnas` columns.
using Celdas = std::map<std::uint32_t, std::vector<std::string>>;
inline Celdas leer_hoja(const fs::path& ruta, std::size_t columnas) {
    Celdas out;
    tolvan::xlsx::Libro l(ruta);
    l.leer_filas(columnas, [&](std::uint32_t f, std::span<const std::string> c) {
        out[f].assign(c.begin(), c.end());
        return true;
    });
    return out;
}

// ---- Outside programs ----

inline const char* const kPythonConOpenpyxl = "/usr/bin/python3";

inline bool hay_openpyxl() {
    return fs::exists(kPythonConOpenpyxl) &&
           platform::Ejecutar_y_Esperar({kPythonConOpenpyxl, "-c", "import openpyxl"}, {}, false,
                                        true)
                   .exit_code == 0;
}

inline bool hay_libreoffice() {
    return !platform::find_program("soffice").empty();
}

// Runs a Python script with openpyxl; true when it ended with 0.
inline bool python(const fs::path& carpeta, const std::string& script,
                   const std::vector<std::string>& args) {
    const fs::path s = carpeta / "script.py";
    std::ofstream(s) << script;
    std::vector<std::string> argv{kPythonConOpenpyxl, s.string()};
    argv.insert(argv.end(), args.begin(), args.end());
    return platform::Ejecutar_y_Esperar(argv).exit_code == 0;
}

// Converts a file with LibreOffice into `formato` ("csv", "xlsx") in
// `salida`; the result's path, empty when it failed. A private profile keeps
// parallel runs apart.
inline fs::path convertir_con_libreoffice(const fs::path& archivo, const std::string& formato,
                                          const fs::path& salida) {
    fs::create_directories(salida);
    const fs::path perfil = salida / "perfil";
    const platform::RunResult r = platform::Ejecutar_y_Esperar(
        {"soffice", "-env:UserInstallation=file://" + perfil.string(), "--headless", "--convert-to",
         formato, "--outdir", salida.string(), archivo.string()},
        {}, false, true);
    const fs::path hecho =
        salida / (archivo.stem().string() + "." + formato.substr(0, formato.find(':')));
    return r.exit_code == 0 && fs::exists(hecho) ? hecho : fs::path();
}

}  // namespace tolvan_test
