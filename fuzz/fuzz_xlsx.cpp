// The workbook reader on arbitrary workbook contents: the input is split at
// form feeds into the workbook part, the first sheet and the shared strings,
// packed into a well-formed archive with the usual relationships, and read.
// Nothing may crash; a bad workbook may only raise the reader's own error.
#include <unistd.h>
#include <zip.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "xlsx_lector.hpp"

namespace {

constexpr std::string_view kTipos =
    R"(<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="xml" ContentType="application/xml"/></Types>)";
constexpr std::string_view kRaiz =
    R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)";
constexpr std::string_view kLibro =
    R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/></Relationships>)";

bool agregar(zip_t* z, const char* nombre, std::string_view datos) {
    zip_source_t* s = zip_source_buffer(z, datos.data(), datos.size(), 0);
    if (!s) return false;
    if (zip_file_add(z, nombre, s, ZIP_FL_OVERWRITE) < 0) {
        zip_source_free(s);
        return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);
    std::string_view partes[3];
    for (auto& p : partes) {
        std::size_t corte = in.find('\f');
        p = in.substr(0, corte);
        in = corte == std::string_view::npos ? std::string_view() : in.substr(corte + 1);
    }
    static const std::filesystem::path ruta =
        std::filesystem::temp_directory_path() /
        ("orvex-fuzz-xlsx-" + std::to_string(::getpid()) + ".xlsx");
    int err = 0;
    zip_t* z = zip_open(ruta.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!z) return 0;
    bool ok = agregar(z, "[Content_Types].xml", kTipos) && agregar(z, "_rels/.rels", kRaiz) &&
              agregar(z, "xl/_rels/workbook.xml.rels", kLibro) &&
              agregar(z, "xl/workbook.xml", partes[0]) &&
              agregar(z, "xl/worksheets/sheet1.xml", partes[1]) &&
              agregar(z, "xl/sharedStrings.xml", partes[2]);
    if (!ok || zip_close(z) != 0) {
        zip_discard(z);
        return 0;
    }
    try {
        tolvan::xlsx::Libro libro(ruta);
        libro.leer_filas(20, [](std::uint32_t, std::span<const std::string>) { return true; });
    } catch (const tolvan::xlsx::Error&) {
    }
    return 0;
}
