// The pair list: entry texts ("key=value") filed under their keys, in
// insertion order. Keys are compared without regard to letter case
// (Windows-1252 letters, accented ones included). Lookup, append, insert at the
// front and removal by key take constant time whatever the size.
//
// Layout, chosen so that a million entries cost few allocations and few cache
// misses:
// - every entry is one record in an arena of large blocks: the links of the
//   list order, the lengths, then the bytes. An entry whose text begins with
//   its key and "=" (every entry the readers and ADD_Valor make) stores only
//   the text; otherwise the key is stored before it;
// - the key index is an open-addressing table with linear probing, at most
//   half full: a byte of each key's hash per slot in one array (small enough
//   to stay in the cache), the record reference in another, so a lookup reads
//   the bytes, then one reference and one record. Removal leaves a tombstone;
//   the table is rebuilt from the records when tombstones pile up.
// Removed entries leave their records behind; once that garbage outweighs the
// live records, the arena is rebuilt in list order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace kvario {

// An entry as the list holds it; the views are valid until the next change.
struct Entrada {
    std::string_view clave;  // the key the text is filed under, as first added
    std::string_view texto;  // the entry text
};

class ListaPares {
  public:
    class const_iterator;

    ListaPares();
    ~ListaPares();
    ListaPares(const ListaPares&) = delete;
    ListaPares& operator=(const ListaPares&) = delete;

    // Adds at the end (or at the front); false, with nothing changed, when
    // the key is already present.
    bool agregar(std::string_view clave, std::string_view texto);
    bool insertar_al_frente(std::string_view clave, std::string_view texto);
    // Adds entries at the end in order, skipping those whose key is present
    // (the first of a key stays). Faster than one by one for many entries.
    void agregar_varias(std::span<const Entrada> entradas);
    // Makes room for this many entries in all, and about this many more
    // bytes of texts.
    void reservar(std::size_t entradas, std::size_t bytes = 0);
    // Removes the entry of a key; false when there is none.
    bool quitar(std::string_view clave);
    void quitar_primero();

    // The entry of a key; false when there is none.
    bool buscar(std::string_view clave, Entrada& e) const;
    // The entry at a 1-based position (walks the list); false outside 1..size.
    bool en_posicion(std::size_t posicion, Entrada& e) const;

    std::size_t size() const { return cuenta_; }
    bool empty() const { return cuenta_ == 0; }
    const_iterator begin() const;
    const_iterator end() const;

  private:
    struct Registro {               // followed by its bytes
        std::uint32_t ant, sig;     // list order; kNinguno at the ends
        std::uint32_t largo_clave;  // high bit: the key is stored before the text
        std::uint32_t largo_texto;
    };
    class Bloque;  // a zero-filled block of memory

    static constexpr std::uint32_t kNinguno = 0xFFFFFFFFu;
    static constexpr std::uint32_t kClaveAparte = 0x80000000u;

    static std::uint64_t hash_de(std::string_view clave);
    static bool iguales(std::string_view a, std::string_view b);
    static Entrada entrada_de(const Registro& r);
    static std::size_t bytes_de(const Registro& r);
    Registro& registro(std::uint32_t ref) const;
    std::uint8_t* marcas() const;
    std::uint32_t* refs() const;
    // The slot holding the key; kNingunaCasilla when there is none, with
    // `libre` set to the slot where it would go.
    std::size_t casilla_de(std::string_view clave, std::uint64_t h, std::size_t* libre) const;
    bool insertar(bool al_frente, std::string_view clave, std::string_view texto, std::uint64_t h);
    void quitar_casilla(std::size_t c);
    void rehacer_indice(std::size_t casillas);
    std::uint32_t nuevo_registro(std::size_t bytes);  // room in the arena
    void compactar();

    std::uint32_t cabeza_ = kNinguno, cola_ = kNinguno;
    std::size_t cuenta_ = 0;

    std::unique_ptr<Bloque> marcas_;  // per slot: 0 free, 1 tombstone, else 2 + 8 bits of the hash
    std::unique_ptr<Bloque> refs_;    // per slot: the record reference
    std::size_t casillas_ = 0;        // a power of two
    std::size_t lapidas_ = 0;

    std::vector<std::unique_ptr<Bloque>> arena_;
    std::size_t usado_ = 0;           // bytes used in the last block
    std::size_t proximo_bloque_ = 0;  // at least this size for the next block
    std::size_t bytes_vivos_ = 0, bytes_muertos_ = 0;

    friend class const_iterator;
};

class ListaPares::const_iterator {
  public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = Entrada;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = Entrada;
    const_iterator() = default;
    Entrada operator*() const { return entrada_de(l_->registro(ref_)); }
    const_iterator& operator++() {
        ref_ = l_->registro(ref_).sig;
        return *this;
    }
    const_iterator operator++(int) {
        const_iterator t = *this;
        ++*this;
        return t;
    }
    bool operator==(const const_iterator& o) const { return ref_ == o.ref_; }

  private:
    friend class ListaPares;
    const_iterator(const ListaPares* l, std::uint32_t ref) : l_(l), ref_(ref) {}
    const ListaPares* l_ = nullptr;
    std::uint32_t ref_ = kNinguno;
};

inline ListaPares::const_iterator ListaPares::begin() const {
    return {this, cabeza_};
}
inline ListaPares::const_iterator ListaPares::end() const {
    return {this, kNinguno};
}

// The key of an entry text: the text before the first "="; "" when there is
// no "=" or it is the first character.
std::string_view Clave_de_Par(std::string_view texto);
// The value of an entry text: everything after the first "="; "" without one.
std::string_view Valor_de_Par(std::string_view texto);

}  // namespace kvario
