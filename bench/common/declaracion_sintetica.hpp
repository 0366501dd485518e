// Install trees and large declarations of form 1879 for the benchmarks: records
// of 250 characters, lines ended by CR LF.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

#include "catalogo_lineas.hpp"

namespace bench {

inline constexpr int kLargo = 250;

// `s` padded with '0' to a whole record.
inline std::string rellenar(std::string s) {
    s.resize(kLargo, '0');
    return s;
}

// Writes `texto` to `p`, creating its folder.
inline void escribir(const std::filesystem::path& p, const std::string& texto) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << texto;
}

// A field of a record type: its number, first and last column.
struct Campo {
    int n, desde, hasta;
};
using Campos = std::initializer_list<Campo>;

// The layout of form 1879 (FORMATOSDJ.TXT: types 1 and 3 single-line, type 2
// of modo `modo2`; REGISTROSDJ.txt: the numeric fields of each type) and the
// folder "registro" of an install tree.
inline void catalogo(const std::filesystem::path& install, char modo2, Campos tipo1, Campos tipo2,
                     Campos tipo3) {
    std::string formatos, registros;
    int tipo = 1;
    for (Campos campos : {tipo1, tipo2, tipo3}) {
        const char t = testsupport::tipo_de(tipo);
        formatos += testsupport::linea_formato("1879", t, kLargo, tipo == 2 ? modo2 : 'U') + "\r\n";
        for (const Campo& c : campos)
            registros += testsupport::linea_campo("1879", t, c.n, c.desde, c.hasta) + "\r\n";
        ++tipo;
    }
    escribir(install / "Sistema" / "FORMATOSDJ.TXT", formatos);
    escribir(install / "Sistema" / "REGISTROSDJ.txt", registros);
    std::filesystem::create_directories(install / "registro");
}

// A declaration of the record `uno`, `n` copies of the informado `dos` and the
// closing records `cierre`, each padded by rellenar.
inline void declaracion(const std::filesystem::path& p, const std::string& uno,
                        const std::string& dos, long n, std::initializer_list<std::string> cierre) {
    std::ofstream out(p, std::ios::binary);
    out << rellenar(uno) << "\r\n";
    const std::string linea = rellenar(dos) + "\r\n";
    for (long i = 0; i < n; ++i) out << linea;
    for (const std::string& c : cierre) out << rellenar(c) << "\r\n";
}

// An install tree for form 1879 with single-line records of 250 characters,
// the catalogue files the window lists, and 7z linked to the system's 7-Zip.
inline void instalacion_1879(const std::filesystem::path& install) {
    escribir(install / "Sistema" / "FormsDJ.txt", "1879 Formulario de prueba\r\n");
    escribir(install / "Sistema" / "ANOT.TXT", "2018\r\n");
    catalogo(install, 'U',
             {{1, 3, 6}, {2, 11, 11}, {3, 12, 18}, {4, 19, 19}, {9, 20, 27}, {10, 28, 28}},
             {{1, 2, 2}, {2, 3, 9}, {3, 10, 10}, {4, 11, 18}, {5, 19, 19}},
             {{2, 3, 9}, {4, 10, 17}, {5, 18, 18}});
    std::filesystem::create_symlink("/usr/bin/7zz", install / "7z");
}

// The records of a clean form-1879 declaration for that layout.
inline constexpr const char* kUno1879 = "1120181879M8023401O12345678K";
inline constexpr const char* kDos1879 = "2M8023401O12345678K";
inline constexpr const char* kTres1879 = "31802340112345678K";

}  // namespace bench
