// The spreadsheet exchange of clsdj: informado lines between the pair list and
// the first worksheet of an .xlsx workbook. Row 1 holds the column titles; row
// r (r >= 2) is line r - 1, column j its field j + 1.
//
// Each side works on two threads: this one talks to the data object, a second
// one reads or writes the workbook.
//
// The import takes a workbook whole or not at all. Its pairs go into a new
// list of the data object, with the previous list put aside; only when every
// line is in does it merge the pairs it did not replace back in front, as
// adding each imported pair to the old list would have left them. Anything
// that stops it (a workbook that cannot be read, a cell the data file cannot
// hold, too much text, a failed ADD_Valor) gives the data object its previous
// list back. What it takes in is checked cell by cell (celdas.hpp).
//
// The export writes with libxlsxwriter into a temporary file beside the
// workbook and puts it in the workbook's place only when it is complete, so a
// failed export leaves no file and leaves an existing workbook as it was. A
// value goes into its cell as a number when the import would read that number
// back as the same text ("12345678", "-0.5"), otherwise as text ("0012",
// "1.50", "K"), so a round trip keeps every value.
#include <fcntl.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "canal.hpp"
#include "celdas.hpp"
#include "cls_dj.hpp"
#include "platform/numtext.hpp"
#include "platform/paths.hpp"
#include "platform/text.hpp"
#include "xlsx_lector.hpp"

namespace tolvan {

namespace fs = std::filesystem;

namespace {

// The data lines a worksheet holds below its title row.
constexpr std::int32_t kMaxLineas = 1048575;

// Rows go between the threads in batches of this many, with at most this
// many batches waiting.
constexpr std::size_t kFilasPorLote = 256;
constexpr std::size_t kLotesEnCola = 8;

// Lines as read: the texts of their cells in Windows-1252, line after line.
struct FilasLeidas {
    std::vector<std::string> celdas;
};

// Lines to write: the first one's number and, line after line, the values of
// fields 2 onwards.
struct LineasPorEscribir {
    std::int32_t primera = 0;
    std::vector<std::string> valores;
};

struct Falla : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A path text (Windows-1252) as the file it names, found without regard to
// letter case.
fs::path ruta_de(const std::string& texto) {
    if (texto.empty() || texto.find('\0') != std::string::npos) throw Falla("ruta no válida");
    return platform::resolve(fs::path(platform::cp1252_to_utf8(texto)));
}

// Whether a key is one an import of `items` items writes: "MAX_ROWS" or
// ITEM1 to ITEM<items>, letter case aside, as the pair list compares keys.
bool es_clave_importada(const std::string& clave, std::int32_t items) {
    const std::string k = platform::upper_cp1252(clave);
    if (k == "MAX_ROWS") return true;
    if (k.size() < 5 || k.size() > 14 || k.compare(0, 4, "ITEM") != 0 || k[4] == '0') return false;
    std::int64_t n = 0;
    for (std::size_t i = 4; i < k.size(); ++i) {
        if (k[i] < '0' || k[i] > '9') return false;
        n = n * 10 + (k[i] - '0');
    }
    return n <= items;
}

// A new workbook with one worksheet, written into a temporary file and moved
// over the destination by guardar(); dropped with its temporary file otherwise.
class LibroNuevo {
  public:
    explicit LibroNuevo(const fs::path& destino) : destino_(destino) {
        // A workbook that may not be written stays as it is.
        if (::access(destino.c_str(), F_OK) == 0 && ::access(destino.c_str(), W_OK) != 0)
            throw Falla("el libro no se puede escribir");
        static std::atomic<unsigned> serie{0};
        for (int intento = 0; intento < 100 && temporal_.empty(); ++intento) {
            fs::path t = destino;
            t += ".~" + std::to_string(::getpid()) + "-" + std::to_string(serie++);
            const int fd = ::open(t.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                ::close(fd);
                temporal_ = t;
            } else if (errno != EEXIST) {
                break;
            }
        }
        if (temporal_.empty()) throw Falla("no se puede crear el libro");
        lxw_workbook_options opciones{};
        opciones.constant_memory = LXW_TRUE;  // rows go to disk as they are written
        libro_ = workbook_new_opt(temporal_.c_str(), &opciones);
        if (libro_) hoja_ = workbook_add_worksheet(libro_, "Hoja1");
        if (!hoja_) {
            descartar();
            throw Falla("no se puede crear el libro");
        }
    }
    ~LibroNuevo() { descartar(); }
    LibroNuevo(const LibroNuevo&) = delete;
    LibroNuevo& operator=(const LibroNuevo&) = delete;

    // Rows and columns are 0-based; rows are written in ascending order.
    void numero(std::uint32_t fila, std::uint16_t columna, double valor) {
        comprobar(worksheet_write_number(hoja_, fila, columna, valor, nullptr));
    }
    // Windows-1252 text; "" leaves the cell empty.
    void texto(std::uint32_t fila, std::uint16_t columna, const std::string& t) {
        if (t.empty()) return;
        comprobar(worksheet_write_string(hoja_, fila, columna,
                                         escapar(platform::cp1252_to_utf8(t)).c_str(), nullptr));
    }
    // A value: a number when it reads back as the same text, else text.
    void valor(std::uint32_t fila, std::uint16_t columna, const std::string& t) {
        double v = 0;
        if (xlsx::numero_exacto(t, v))
            numero(fila, columna, v);
        else
            texto(fila, columna, t);
    }

    void guardar() {
        lxw_workbook* l = libro_;
        libro_ = nullptr;
        hoja_ = nullptr;
        comprobar(workbook_close(l));
        std::error_code ec;
        fs::rename(temporal_, destino_, ec);
        if (ec) throw Falla("no se puede guardar el libro");
        temporal_.clear();
    }

  private:
    // Readers decode "_xHHHH_" in a text as the character HHHH; the writer
    // escapes control characters that way but leaves such text alone, so its
    // "_" is written as "_x005F_" to come back as it stands.
    static std::string escapar(std::string t) {
        for (std::size_t p = t.find("_x"); p != std::string::npos; p = t.find("_x", p + 1)) {
            if (p + 7 > t.size() || t[p + 6] != '_' ||
                !std::all_of(t.begin() + std::ptrdiff_t(p) + 2, t.begin() + std::ptrdiff_t(p) + 6,
                             [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
                continue;
            t.insert(p + 1, "x005F_");
            p += 6;
        }
        return t;
    }
    static void comprobar(lxw_error e) {
        if (e != LXW_NO_ERROR) throw Falla(lxw_strerror(e));
    }
    void descartar() {
        if (libro_) lxw_workbook_free(libro_);
        libro_ = nullptr;
        if (!temporal_.empty()) ::unlink(temporal_.c_str());
        temporal_.clear();
    }

    fs::path destino_;
    fs::path temporal_;
    lxw_workbook* libro_ = nullptr;
    lxw_worksheet* hoja_ = nullptr;
};

// The line count of "MAX_ROWS": the value of its leading number ("" and other
// text give 0), rounded half to even. A count beyond what a worksheet holds
// fails.
std::int32_t cuenta_de_lineas(const std::string& texto) {
    const double v = std::nearbyint(platform::leading_value(texto));
    if (!(v <= kMaxLineas)) throw Falla("demasiadas lineas");
    if (v < -2147483648.0) throw Falla("desbordamiento");
    return v < 0 ? 0 : std::int32_t(v);
}

// The pairs of a list, in order, read through the data object's key index.
// False when an entry cannot be reached by its key (one filed under a key
// that is not its text's).
bool pares_de(kvario::Kvario& datos, std::vector<std::pair<std::string, std::string>>& p) {
    const std::int32_t n = datos.Cantidad_de_Elementos();
    if (!datos.Crear_indice_de_elementos()) return false;
    p.reserve(std::size_t(n));
    for (std::int32_t i = 0; i < n; ++i) {
        std::string clave = datos.GETidx_Key(i);
        if (clave.empty()) return false;
        p.emplace_back(std::move(clave), datos.GETidx_Valor(i));
    }
    return true;
}

}  // namespace

void ClsDj::Importar_de_Excel() {
    const tolvan::Formulario* f = formulario();
    if (!f) return;
    std::optional<std::string> mensaje;
    bool hecho = false;
    try {
        xlsx::Libro libro(ruta_de(ruta_libro_));
        // The lines are about to change under the RUT index.
        indice_hecho_ = false;
        const comp::Dispatch anterior = datos_.colDatosURL();
        datos_.Nuevo_Archivo();
        try {
            std::int32_t items = 0;
            if (importar_lineas(libro, *f, items, mensaje)) {
                conservar_anteriores(anterior, items);
                hecho = true;
            }
        } catch (...) {
        }
        if (!hecho) datos_.colDatosURL(anterior);
    } catch (...) {
        // A workbook that cannot be opened ends the import without a word.
    }
    if (mensaje) {
        comp::show_message(platform::cp1252_to_utf8(*mensaje), "Error en Tolvan",
                           platform::Buttons::ok, platform::Icon::critical);
    }
    if (hecho) comp::pump_events();
}

bool ClsDj::importar_lineas(xlsx::Libro& libro, const tolvan::Formulario& f, std::int32_t& items,
                            std::optional<std::string>& mensaje) {
    const std::size_t campos = f.campos.size();

    // The sheet is read and its cells checked on a second thread, a batch of
    // lines at a time. Row 1 holds the titles and is never read; the lines
    // end at the first row that is missing or has an empty A cell.
    Canal<FilasLeidas> canal(kLotesEnCola);
    Hilo lector(
        [&] {
            struct Cierre {
                Canal<FilasLeidas>& c;
                ~Cierre() { c.cerrar(); }
            } cierre{canal};
            FilasLeidas lote;
            std::uint32_t esperada = 2;
            std::int32_t item = 1;  // item number of column A of that row
            CeldasImportadas control;
            libro.leer_filas(campos, [&](std::uint32_t fila, std::span<const std::string> c) {
                if (fila < esperada) return true;
                if (fila > esperada || c[0].empty()) return false;
                for (std::size_t j = 0; j < campos; ++j)
                    lote.celdas.push_back(control.tomar(c[j], fila, j, item + std::int32_t(j)));
                ++esperada;
                item += std::int32_t(campos);
                if (lote.celdas.size() < kFilasPorLote * campos) return true;
                return canal.enviar(std::exchange(lote, {}));
            });
            if (!lote.celdas.empty()) canal.enviar(std::move(lote));
        },
        [&] { canal.abandonar(); });

    // Every pair is new to the list, so the count tells whether ADD_Valor
    // took it; the first one it could not take (it has shown its message)
    // ends the import.
    std::int32_t item = 0;
    FilasLeidas lote;
    while (canal.recibir(lote)) {
        for (const std::string& valor : lote.celdas) {
            datos_.ADD_Valor(ClaveItem(++item).vista(), valor);
            if (datos_.Cantidad_de_Elementos() != item) {
                canal.abandonar();
                return false;
            }
        }
    }
    try {
        lector.esperar();
    } catch (const Rechazo& r) {
        mensaje = r.mensaje;
        return false;
    }
    datos_.ADD_Valor("MAX_ROWS", std::to_string(item / std::int32_t(campos)));
    items = item;
    return datos_.Cantidad_de_Elementos() == item + 1;
}

void ClsDj::conservar_anteriores(const comp::Dispatch& anterior, std::int32_t items) {
    const comp::Dispatch importados = datos_.colDatosURL();
    datos_.colDatosURL(anterior);
    std::vector<std::pair<std::string, std::string>> previos;
    const bool por_clave = pares_de(datos_, previos);
    if (por_clave) {
        // The pairs that were not replaced go in front of the imported ones,
        // in their order. One the list cannot take (its message shown)
        // undoes the import.
        datos_.colDatosURL(importados);
        std::int32_t cuenta = datos_.Cantidad_de_Elementos();
        for (auto it = previos.rbegin(); it != previos.rend(); ++it) {
            if (es_clave_importada(it->first, items)) continue;
            datos_.ADD_Valor_Header(it->first, it->second);
            if (datos_.Cantidad_de_Elementos() != ++cuenta)
                throw comp::ComponentError(platform::err::out_of_memory);
        }
        return;
    }
    // Otherwise the imported pairs are added to the previous list one by one.
    std::vector<std::pair<std::string, std::string>> nuevos;
    datos_.colDatosURL(importados);
    pares_de(datos_, nuevos);  // all reachable: the import made them
    datos_.colDatosURL(anterior);
    for (const auto& [clave, valor] : nuevos) datos_.ADD_Valor(clave, valor);
}

void ClsDj::Exportar_a_Excel() {
    const tolvan::Formulario* f = formulario();
    if (!f) return;
    try {
        const fs::path destino = ruta_de(ruta_libro_);
        const std::int32_t cuenta = cuenta_de_lineas(datos_.Get_Valor("MAX_ROWS"));
        LibroNuevo libro(destino);
        const std::size_t campos = f->campos.size();
        for (std::size_t j = 0; j < campos; ++j)
            libro.texto(0, std::uint16_t(j), f->campos[j].titulo);

        // The rows are written on a second thread, a batch of lines at a time.
        Canal<LineasPorEscribir> canal(kLotesEnCola);
        Hilo escritor(
            [&] {
                try {
                    LineasPorEscribir lote;
                    while (canal.recibir(lote)) {
                        const std::size_t n = lote.valores.size() / (campos - 1);
                        for (std::size_t k = 0; k < n; ++k) {
                            // Line i is 0-based row i, below the titles.
                            const std::uint32_t i = std::uint32_t(lote.primera) + std::uint32_t(k);
                            libro.numero(i, 0, i);  // the line number, whatever "NUM" holds
                            for (std::size_t j = 1; j < campos; ++j)
                                libro.valor(i, std::uint16_t(j),
                                            lote.valores[k * (campos - 1) + j - 1]);
                        }
                    }
                } catch (...) {
                    canal.abandonar();
                    throw;
                }
            },
            [&] { canal.abandonar(); });

        LineasPorEscribir lote{1, {}};
        for (std::int32_t i = 1; i <= cuenta; ++i) {
            const std::int32_t base = numero_de_item(*f, i, 1);
            for (std::size_t j = 1; j < campos; ++j)
                lote.valores.push_back(datos_.Get_Valor(ClaveItem(base + std::int32_t(j)).vista()));
            if (std::size_t(i - lote.primera) + 1 == kFilasPorLote || i == cuenta) {
                if (!canal.enviar(std::exchange(lote, {i + 1, {}}))) break;
            }
        }
        canal.cerrar();
        escritor.esperar();
        libro.guardar();
    } catch (...) {
        // A failed export writes nothing and says nothing.
        return;
    }
    comp::pump_events();
}

}  // namespace tolvan
