// Differential fuzzing of the data-file component's pair list: a script of
// adds at the end, inserts at the front and removals, decoded from the input,
// runs against the list and against a plain model (a vector searched by
// case-folded key); order, keys and texts must agree after every step.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "lista_pares.hpp"
#include "platform/text.hpp"

namespace {

struct Modelo {
    std::vector<std::pair<std::string, std::string>> entradas;  // key, text
    auto buscar(std::string_view clave) {
        std::string k = platform::upper_cp1252(clave);
        return std::find_if(entradas.begin(), entradas.end(),
                            [&](const auto& e) { return platform::upper_cp1252(e.first) == k; });
    }
};

void comparar(const kvario::ListaPares& lista, const Modelo& m) {
    if (lista.size() != m.entradas.size()) std::abort();
    std::size_t i = 0;
    for (kvario::Entrada e : lista) {
        if (e.clave != m.entradas[i].first || e.texto != m.entradas[i].second) std::abort();
        ++i;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kvario::ListaPares lista;
    Modelo m;
    std::size_t at = 0;
    while (at + 2 <= size) {
        const int op = data[at] % 3;
        const std::size_t largo = std::min<std::size_t>(data[at + 1] % 8, size - at - 2);
        std::string clave(reinterpret_cast<const char*>(data + at + 2), largo);
        at += 2 + largo;
        std::string texto = clave + "=" + std::to_string(at);
        bool hay = m.buscar(clave) != m.entradas.end();
        if (op == 0) {
            if (lista.agregar(clave, texto) == hay) std::abort();
            if (!hay) m.entradas.emplace_back(clave, texto);
        } else if (op == 1) {
            if (lista.insertar_al_frente(clave, texto) == hay) std::abort();
            if (!hay) m.entradas.emplace(m.entradas.begin(), clave, texto);
        } else {
            if (lista.quitar(clave) != hay) std::abort();
            if (hay) m.entradas.erase(m.buscar(clave));
        }
        kvario::Entrada e;
        if (lista.buscar(clave, e) != (m.buscar(clave) != m.entradas.end())) std::abort();
        comparar(lista, m);
    }
    return 0;
}
