#include "lista_pares.hpp"

#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

#include "platform/text.hpp"

namespace kvario {

namespace {

// Windows-1252 upper case of every byte, the fold under which keys compare.
const std::array<unsigned char, 256> kPlegado = [] {
    std::array<unsigned char, 256> t{};
    for (int b = 0; b < 256; ++b) {
        const char c = char(b);
        t[std::size_t(b)] =
            static_cast<unsigned char>(platform::upper_cp1252(std::string_view(&c, 1))[0]);
    }
    return t;
}();

// A record reference: the block number, then the record's offset in the
// block in units of 8 bytes.
constexpr unsigned kBitsDesplazamiento = 19;
constexpr std::size_t kBloqueMaximo = std::size_t(8) << kBitsDesplazamiento;  // 4 MB
constexpr std::size_t kBloqueMinimo = 4096;
constexpr std::size_t kMaximoBloques = (std::size_t(1) << (32 - kBitsDesplazamiento)) - 1;
constexpr std::size_t kBloqueMapeado = std::size_t(64) << 10;  // from here on, mapped
constexpr std::size_t kPaginaGrande = std::size_t(2) << 20;
constexpr std::size_t kBasuraTolerada = std::size_t(1) << 20;  // kept before compacting

constexpr std::size_t alineado(std::size_t n) {
    return (n + 7) & ~std::size_t(7);
}

// Slot marks.
constexpr std::uint8_t kLibre = 0;
constexpr std::uint8_t kLapida = 1;
constexpr std::uint8_t kMarcaMinima = 2;
constexpr std::size_t kNingunaCasilla = ~std::size_t(0);

// The mark of a key: 2 to 255, from the hash's top bits, which do not pick
// the slot.
constexpr std::uint8_t marca_de(std::uint64_t h) {
    return std::uint8_t(kMarcaMinima + (h >> 56) % 254);
}

}  // namespace

// Zero-filled memory. Blocks from 64 KB on are mapped and populated at once
// (one call instead of a page fault for every page, which is costly in
// virtual machines); from 2 MB on they lie on huge-page boundaries and are
// advised for huge pages, so a list of a million entries costs a few dozen
// faults.
class ListaPares::Bloque {
  public:
    explicit Bloque(std::size_t bytes) : n_(std::max<std::size_t>(bytes, 1)) {
        if (n_ < kBloqueMapeado) {
            p_ = static_cast<char*>(std::calloc(1, n_));
            if (!p_) throw std::bad_alloc();
            return;
        }
        const bool grande = n_ >= kPaginaGrande;
        const std::size_t total = n_ + (grande ? kPaginaGrande : 0);
        void* p =
            ::mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) throw std::bad_alloc();
        const auto base = reinterpret_cast<std::uintptr_t>(p);
        const std::uintptr_t alineada =
            grande ? (base + kPaginaGrande - 1) & ~(kPaginaGrande - 1) : base;
        if (alineada > base) ::munmap(p, alineada - base);
        const std::uintptr_t fin = base + total, usado = alineada + n_;
        if (fin > usado) ::munmap(reinterpret_cast<void*>(usado), fin - usado);
        p_ = reinterpret_cast<char*>(alineada);
        mapeado_ = true;
        if (grande) ::madvise(p_, n_, MADV_HUGEPAGE);
        ::madvise(p_, n_, MADV_POPULATE_WRITE);  // a kernel without it faults pages in on use
    }
    ~Bloque() {
        if (mapeado_)
            ::munmap(p_, n_);
        else
            std::free(p_);
    }
    Bloque(const Bloque&) = delete;
    Bloque& operator=(const Bloque&) = delete;
    char* datos() const { return p_; }
    std::size_t size() const { return n_; }

  private:
    char* p_ = nullptr;
    std::size_t n_;
    bool mapeado_ = false;
};

ListaPares::ListaPares() = default;
ListaPares::~ListaPares() = default;

namespace {

// Eight bytes of a key in upper case: ASCII letters at once, other bytes
// through the table.
std::uint64_t plegar_palabra(std::uint64_t w) {
    constexpr std::uint64_t kAltos = 0x8080808080808080ull;
    if ((w & kAltos) == 0) {
        const std::uint64_t desde_a = w + 0x1f1f1f1f1f1f1f1full;  // high bit from 'a' on
        const std::uint64_t tras_z = w + 0x0505050505050505ull;   // high bit after 'z'
        return w ^ ((desde_a & ~tras_z & kAltos) >> 2);           // 0x20 off each letter
    }
    unsigned char b[8];
    std::memcpy(b, &w, 8);
    for (unsigned char& c : b) c = kPlegado[c];
    std::memcpy(&w, b, 8);
    return w;
}

}  // namespace

std::uint64_t ListaPares::hash_de(std::string_view clave) {
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ clave.size();
    const char* p = clave.data();
    std::size_t n = clave.size();
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        h = (h ^ plegar_palabra(w)) * 0xbf58476d1ce4e5b9ull;
        h ^= h >> 31;
    }
    if (n > 0) {
        // The last bytes: the last eight of a longer key, else byte by byte.
        std::uint64_t w = 0;
        if (clave.size() >= 8) {
            std::memcpy(&w, clave.data() + clave.size() - 8, 8);
        } else {
            for (std::size_t i = 0; i < n; ++i)
                w |= std::uint64_t(static_cast<unsigned char>(p[i])) << (8 * i);
        }
        h = (h ^ plegar_palabra(w)) * 0x94d049bb133111ebull;
    }
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    return h;
}

bool ListaPares::iguales(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    if (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0) return true;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (kPlegado[static_cast<unsigned char>(a[i])] !=
            kPlegado[static_cast<unsigned char>(b[i])])
            return false;
    }
    return true;
}

Entrada ListaPares::entrada_de(const Registro& r) {
    const char* bytes = reinterpret_cast<const char*>(&r + 1);
    const std::uint32_t lc = r.largo_clave & ~kClaveAparte;
    if (r.largo_clave & kClaveAparte)
        return {std::string_view(bytes, lc), std::string_view(bytes + lc, r.largo_texto)};
    return {std::string_view(bytes, lc), std::string_view(bytes, r.largo_texto)};
}

std::size_t ListaPares::bytes_de(const Registro& r) {
    return r.largo_texto + ((r.largo_clave & kClaveAparte) ? (r.largo_clave & ~kClaveAparte) : 0);
}

ListaPares::Registro& ListaPares::registro(std::uint32_t ref) const {
    char* bloque = arena_[ref >> kBitsDesplazamiento]->datos();
    return *reinterpret_cast<Registro*>(bloque +
                                        std::size_t(ref & ((1u << kBitsDesplazamiento) - 1)) * 8);
}

std::uint8_t* ListaPares::marcas() const {
    return reinterpret_cast<std::uint8_t*>(marcas_->datos());
}

std::uint32_t* ListaPares::refs() const {
    return reinterpret_cast<std::uint32_t*>(refs_->datos());
}

std::uint32_t ListaPares::nuevo_registro(std::size_t bytes) {
    const std::size_t n = alineado(sizeof(Registro) + bytes);
    if (arena_.empty() || usado_ + n > arena_.back()->size()) {
        if (arena_.size() >= kMaximoBloques) throw std::length_error("lista de pares llena");
        const std::size_t ultimo = arena_.empty() ? 0 : arena_.back()->size();
        // A record larger than a block gets a block of its own.
        const std::size_t siguiente =
            std::max(std::clamp(ultimo * 2, kBloqueMinimo, kBloqueMaximo), proximo_bloque_);
        arena_.push_back(std::make_unique<Bloque>(std::max(n, siguiente)));
        usado_ = 0;
        proximo_bloque_ = 0;
    }
    const std::uint32_t ref =
        std::uint32_t(((arena_.size() - 1) << kBitsDesplazamiento) | (usado_ / 8));
    usado_ += n;
    if (n > kBloqueMaximo) usado_ = arena_.back()->size();  // nothing else fits its block
    return ref;
}

std::size_t ListaPares::casilla_de(std::string_view clave, std::uint64_t h,
                                   std::size_t* libre) const {
    const std::uint8_t* m = marcas();
    const std::uint8_t marca = marca_de(h);
    const std::size_t mascara = casillas_ - 1;
    std::size_t primera_lapida = kNingunaCasilla;
    __builtin_prefetch(refs() + (h & mascara));  // fetched while the mark is read
    for (std::size_t c = h & mascara;; c = (c + 1) & mascara) {
        if (m[c] == kLibre) {
            if (libre) *libre = primera_lapida != kNingunaCasilla ? primera_lapida : c;
            return kNingunaCasilla;
        }
        if (m[c] == kLapida) {
            if (primera_lapida == kNingunaCasilla) primera_lapida = c;
        } else if (m[c] == marca && iguales(entrada_de(registro(refs()[c])).clave, clave)) {
            return c;
        }
    }
}

void ListaPares::reservar(std::size_t entradas, std::size_t bytes) {
    std::size_t nuevas = casillas_ == 0 ? 16 : casillas_;
    while (nuevas < entradas * 2) nuevas *= 2;
    if (nuevas > casillas_) rehacer_indice(nuevas);
    proximo_bloque_ = std::min(bytes + entradas * sizeof(Registro), kBloqueMaximo);
}

// A new table of that size, filled from the records in list order; it has no
// tombstones.
void ListaPares::rehacer_indice(std::size_t nuevas) {
    auto m = std::make_unique<Bloque>(nuevas);
    auto r = std::make_unique<Bloque>(nuevas * sizeof(std::uint32_t));
    auto* mm = reinterpret_cast<std::uint8_t*>(m->datos());
    auto* rr = reinterpret_cast<std::uint32_t*>(r->datos());
    for (std::uint32_t ref = cabeza_; ref != kNinguno; ref = registro(ref).sig) {
        const std::uint64_t h = hash_de(entrada_de(registro(ref)).clave);
        std::size_t c = h & (nuevas - 1);
        while (mm[c] != kLibre) c = (c + 1) & (nuevas - 1);
        mm[c] = marca_de(h);
        rr[c] = ref;
    }
    marcas_ = std::move(m);
    refs_ = std::move(r);
    casillas_ = nuevas;
    lapidas_ = 0;
}

bool ListaPares::insertar(bool al_frente, std::string_view clave, std::string_view texto,
                          std::uint64_t h) {
    if (clave.size() >= kClaveAparte || texto.size() >= kClaveAparte)
        throw std::length_error("texto demasiado largo");
    if ((cuenta_ + lapidas_ + 1) * 2 > casillas_) {
        // Grow once live entries fill a quarter; below that, sweeping the
        // tombstones out is enough.
        const bool crecer = casillas_ == 0 || (cuenta_ + 1) * 4 > casillas_;
        rehacer_indice(casillas_ == 0 ? 16 : crecer ? casillas_ * 2 : casillas_);
    }
    std::size_t c = 0;
    if (casilla_de(clave, h, &c) != kNingunaCasilla) return false;

    // A text that begins with its key and "=" holds the key; otherwise the key
    // is stored before the text.
    const bool aparte = !(texto.size() > clave.size() &&
                          texto.compare(0, clave.size(), clave) == 0 && texto[clave.size()] == '=');
    const std::size_t bytes = texto.size() + (aparte ? clave.size() : 0);
    const std::uint32_t ref = nuevo_registro(bytes);
    Registro& r = registro(ref);
    char* datos = reinterpret_cast<char*>(&r + 1);
    if (aparte) {
        if (!clave.empty()) std::memcpy(datos, clave.data(), clave.size());
        datos += clave.size();
    }
    if (!texto.empty()) std::memcpy(datos, texto.data(), texto.size());
    r.largo_clave = std::uint32_t(clave.size()) | (aparte ? kClaveAparte : 0);
    r.largo_texto = std::uint32_t(texto.size());
    if (al_frente) {
        r.ant = kNinguno;
        r.sig = cabeza_;
        if (cabeza_ != kNinguno) registro(cabeza_).ant = ref;
        cabeza_ = ref;
        if (cola_ == kNinguno) cola_ = ref;
    } else {
        r.sig = kNinguno;
        r.ant = cola_;
        if (cola_ != kNinguno) registro(cola_).sig = ref;
        cola_ = ref;
        if (cabeza_ == kNinguno) cabeza_ = ref;
    }
    if (marcas()[c] == kLapida) --lapidas_;
    marcas()[c] = marca_de(h);
    refs()[c] = ref;
    ++cuenta_;
    bytes_vivos_ += alineado(sizeof(Registro) + bytes);
    return true;
}

bool ListaPares::agregar(std::string_view clave, std::string_view texto) {
    return insertar(false, clave, texto, hash_de(clave));
}

bool ListaPares::insertar_al_frente(std::string_view clave, std::string_view texto) {
    return insertar(true, clave, texto, hash_de(clave));
}

void ListaPares::agregar_varias(std::span<const Entrada> entradas) {
    if ((cuenta_ + lapidas_ + entradas.size()) * 2 > casillas_)
        reservar(cuenta_ + lapidas_ + entradas.size());
    // The slots of a group are fetched from memory together, before any is used.
    constexpr std::size_t kGrupo = 32;
    std::uint64_t hashes[kGrupo];
    for (std::size_t i = 0; i < entradas.size(); i += kGrupo) {
        const std::size_t n = std::min(kGrupo, entradas.size() - i);
        for (std::size_t j = 0; j < n; ++j) {
            hashes[j] = hash_de(entradas[i + j].clave);
            __builtin_prefetch(marcas() + (hashes[j] & (casillas_ - 1)));
            __builtin_prefetch(refs() + (hashes[j] & (casillas_ - 1)), 1);
        }
        for (std::size_t j = 0; j < n; ++j)
            insertar(false, entradas[i + j].clave, entradas[i + j].texto, hashes[j]);
    }
}

void ListaPares::quitar_casilla(std::size_t c) {
    Registro& r = registro(refs()[c]);
    (r.ant != kNinguno ? registro(r.ant).sig : cabeza_) = r.sig;
    (r.sig != kNinguno ? registro(r.sig).ant : cola_) = r.ant;
    const std::size_t bytes = alineado(sizeof(Registro) + bytes_de(r));
    bytes_vivos_ -= bytes;
    bytes_muertos_ += bytes;
    --cuenta_;
    // A slot followed by a free one ends its probe runs: it becomes free, and
    // so do the tombstones right before it. Otherwise it becomes a tombstone.
    std::uint8_t* m = marcas();
    const std::size_t mascara = casillas_ - 1;
    if (m[(c + 1) & mascara] == kLibre) {
        m[c] = kLibre;
        for (std::size_t k = (c - 1) & mascara; m[k] == kLapida; k = (k - 1) & mascara) {
            m[k] = kLibre;
            --lapidas_;
        }
    } else {
        m[c] = kLapida;
        ++lapidas_;
    }
    if (bytes_muertos_ > bytes_vivos_ && bytes_muertos_ > kBasuraTolerada) compactar();
}

void ListaPares::compactar() {
    std::vector<std::unique_ptr<Bloque>> vieja = std::move(arena_);
    arena_.clear();
    usado_ = 0;
    auto en_vieja = [&](std::uint32_t ref) -> Registro& {
        char* bloque = vieja[ref >> kBitsDesplazamiento]->datos();
        return *reinterpret_cast<Registro*>(
            bloque + std::size_t(ref & ((1u << kBitsDesplazamiento) - 1)) * 8);
    };
    const std::uint8_t* m = marcas();
    std::uint32_t* rr = refs();
    const std::size_t mascara = casillas_ - 1;
    std::uint32_t anterior = kNinguno;
    for (std::uint32_t ref = cabeza_; ref != kNinguno;) {
        const Registro& viejo = en_vieja(ref);
        const std::uint32_t siguiente = viejo.sig;
        const std::size_t bytes = bytes_de(viejo);
        const std::uint32_t nuevo = nuevo_registro(bytes);
        Registro& r = registro(nuevo);
        std::memcpy(&r, &viejo, sizeof(Registro) + bytes);
        r.ant = anterior;
        r.sig = kNinguno;
        (anterior != kNinguno ? registro(anterior).sig : cabeza_) = nuevo;
        // The slot that named the old record now names the new one.
        std::size_t c = hash_de(entrada_de(r).clave) & mascara;
        while (m[c] < kMarcaMinima || rr[c] != ref) c = (c + 1) & mascara;
        rr[c] = nuevo;
        anterior = nuevo;
        ref = siguiente;
    }
    cola_ = anterior;
    bytes_muertos_ = 0;
}

bool ListaPares::quitar(std::string_view clave) {
    if (cuenta_ == 0) return false;
    const std::size_t c = casilla_de(clave, hash_de(clave), nullptr);
    if (c == kNingunaCasilla) return false;
    quitar_casilla(c);
    return true;
}

void ListaPares::quitar_primero() {
    if (cabeza_ == kNinguno) return;
    const std::string_view clave = entrada_de(registro(cabeza_)).clave;
    quitar_casilla(casilla_de(clave, hash_de(clave), nullptr));
}

bool ListaPares::buscar(std::string_view clave, Entrada& e) const {
    if (cuenta_ == 0) return false;
    const std::size_t c = casilla_de(clave, hash_de(clave), nullptr);
    if (c == kNingunaCasilla) return false;
    e = entrada_de(registro(refs()[c]));
    return true;
}

bool ListaPares::en_posicion(std::size_t posicion, Entrada& e) const {
    if (posicion < 1 || posicion > cuenta_) return false;
    auto it = begin();
    std::advance(it, std::ptrdiff_t(posicion - 1));
    e = *it;
    return true;
}

std::string_view Clave_de_Par(std::string_view texto) {
    std::size_t p = texto.find('=');
    if (p == std::string_view::npos || p == 0) return {};
    return texto.substr(0, p);
}

std::string_view Valor_de_Par(std::string_view texto) {
    std::size_t p = texto.find('=');
    if (p == std::string_view::npos) return {};
    return texto.substr(p + 1);
}

}  // namespace kvario
