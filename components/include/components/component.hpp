// The component layer (liborvex_components.so): component libraries, objects
// created by programmatic identifier and members called late, by name.
//
// A component library is a shared library that exports the three C entry
// points of component_c.hpp (register, unregister, create). `regsvr32 LIBRARY`
// loads it and calls its register entry, which records each programmatic
// identifier with the library's absolute path in the per-user registration
// file. `CreateObject(progid)` looks the identifier up there, loads the library
// and has it create the object.
//
// Registration file: ORVEX_COMPONENTS when set, else
// $XDG_DATA_HOME/orvex/components (~/.local/share/orvex/components). One line
// per identifier, "progid<TAB>absolute library path", LF-terminated; lines of
// any other shape are kept as they stand. Identifiers are compared without
// regard to ASCII letter case. Every update locks "<file>.lock" (flock), reads
// the file, writes a complete new copy next to it and renames it over the old
// one, so programs registering at the same time never lose each other's lines
// and readers never see half a file.
//
// Objects describe their members (name, call kinds, parameters) in a ClassInfo;
// the layer matches member names without regard to letter case, checks the
// number of arguments, converts each argument to its parameter's type and, after
// the call, writes by-reference parameters back to the caller's variables.
// Texts are Windows-1252 bytes. Errors are thrown as ComponentError: 438 for a
// member the object lacks, 429 for creation errors, 13 and 6 for arguments
// that do not convert, 450 for a wrong number of arguments.
//
// Objects and their members are used from one thread; registration and
// creation may be used from any thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "components/component_c.hpp"
#include "platform/errors.hpp"
#include "platform/messages.hpp"
#include "platform/process.hpp"

#define ORVEX_COMPONENT_API ORVEX_EXPORT

namespace components {

namespace errnum {
inline constexpr int object_not_set = 91;    // variable de objeto no establecida
inline constexpr int wrong_arguments = 450;  // numero de argumentos incorrecto
}  // namespace errnum

// An error of the layer or of a member: number and description (UTF-8).
class ORVEX_COMPONENT_API ComponentError : public std::runtime_error {
  public:
    ComponentError(int number, const std::string& description);
    explicit ComponentError(int number);  // with the number's standard description
    explicit ComponentError(const platform::RuntimeError& e)
        : ComponentError(e.number, e.description) {}
    ~ComponentError() override;
    int number() const noexcept { return number_; }
    std::string description() const { return what(); }
    platform::RuntimeError error() const { return {number_, what()}; }

  private:
    int number_;
};

class Object;
using ObjectRef = std::shared_ptr<Object>;

// A value passed to or returned by a member: empty, text (Windows-1252 bytes),
// Boolean, 32-bit integer or object (an empty ObjectRef is "no object").
class ORVEX_COMPONENT_API Variant {
  public:
    enum class Type { empty = 0, text = 1, boolean = 2, int32 = 3, object = 4 };

    Variant() = default;
    Variant(std::string text) : v_(std::move(text)) {}
    Variant(std::string_view text) : v_(std::string(text)) {}
    Variant(const char* text) : v_(std::string(text)) {}
    Variant(bool value) : v_(value) {}
    Variant(std::int32_t value) : v_(value) {}
    Variant(ObjectRef object) : v_(std::move(object)) {}

    Type type() const { return Type(v_.index()); }
    bool is_empty() const { return type() == Type::empty; }

    // The value converted as a late-bound call converts it. Text: empty gives
    // "", Booleans "True"/"False", integers their decimal text. Integer: empty
    // 0, True -1, False 0, a numeric text its value rounded half to even (6
    // when out of range). Boolean: empty False, numbers non-zero, texts "True"
    // or "False" (any case) or a number. Object: empty gives no object. Any
    // other conversion is a type mismatch (13).
    std::string to_text() const&;
    std::string to_text() &&;  // moves a text out
    std::int32_t to_int32() const;
    bool to_bool() const;
    ObjectRef to_object() const;
    // The value converted to a type; Type::empty leaves it as it is.
    Variant converted(Type type) const;

    // Direct access; the type must match.
    const std::string& text() const { return std::get<std::string>(v_); }
    std::string& text() { return std::get<std::string>(v_); }

    bool operator==(const Variant&) const = default;

  private:
    std::variant<std::monostate, std::string, bool, std::int32_t, ObjectRef> v_;
};

enum CallKind : unsigned {
    call_method = ORVEX_METHOD,
    call_get = ORVEX_PROPERTY_GET,
    call_let = ORVEX_PROPERTY_LET,
    call_set = ORVEX_PROPERTY_SET
};

struct Parameter {
    std::string name;
    Variant::Type type = Variant::Type::empty;  // empty: any value, passed unconverted
    bool by_ref = false;
};

struct Member {
    std::string name;
    unsigned kinds = 0;             // CallKind bits
    std::vector<Parameter> params;  // a let or set takes the assigned value after these
    Variant::Type value_type = Variant::Type::empty;  // the result, or the value assigned
};

// A class's name and members, with a case-blind index of the names.
class ORVEX_COMPONENT_API ClassInfo {
  public:
    ClassInfo(std::string name, std::vector<Member> members);
    const std::string& name() const { return name_; }
    const std::vector<Member>& members() const { return members_; }
    // The index of the member of that name (ASCII letter case ignored); -1 when none.
    int find(std::string_view member) const;

  private:
    std::string name_;
    std::vector<Member> members_;
    std::unordered_map<std::string, int> index_;  // lower-case names
};

// What a component object implements.
class ORVEX_COMPONENT_API Object {
  public:
    virtual ~Object();
    virtual const ClassInfo& class_info() const = 0;
    // Runs member `member` (an index into class_info().members()) as `kind`,
    // one kind the member has. `args` hold the arguments already converted to
    // the parameter types, the assigned value last for a let or set; the
    // member may assign its by-reference parameters there. Errors are thrown
    // as ComponentError.
    virtual Variant invoke(int member, CallKind kind, std::span<Variant> args) = 0;
};

// A class described once: each entry is a member's description (name, call
// kinds, parameters, value type) with the function that runs it. The class's
// ClassInfo and its dispatch are both built from the table, so the two cannot
// disagree, and adding a member is adding one entry.
template <class C>
struct MemberEntry {
    Member member;
    Variant (*run)(C& self, CallKind kind, std::span<Variant> args);
};

template <class C>
class ClassTable {
  public:
    ClassTable(std::string name, std::vector<MemberEntry<C>> entries)
        : info_(std::move(name), descriptions(entries)) {
        run_.reserve(entries.size());
        for (const MemberEntry<C>& e : entries) run_.push_back(e.run);
    }
    const ClassInfo& info() const { return info_; }
    Variant invoke(C& self, int member, CallKind kind, std::span<Variant> args) const {
        if (member < 0 || std::size_t(member) >= run_.size())
            throw ComponentError(platform::err::no_such_member);
        return run_[std::size_t(member)](self, kind, args);
    }

  private:
    static std::vector<Member> descriptions(const std::vector<MemberEntry<C>>& entries) {
        std::vector<Member> members;
        members.reserve(entries.size());
        for (const MemberEntry<C>& e : entries) members.push_back(e.member);
        return members;
    }

    ClassInfo info_;
    std::vector<Variant (*)(C&, CallKind, std::span<Variant>)> run_;
};

// An object whose class is described by a ClassTable: C provides
// `static const ClassTable<C>& table()`.
template <class C>
class TableObject : public Object {
  public:
    const ClassInfo& class_info() const override { return C::table().info(); }
    Variant invoke(int member, CallKind kind, std::span<Variant> args) override {
        return C::table().invoke(static_cast<C&>(*this), member, kind, args);
    }
};

// An argument as the caller passes it: a value, or the caller's own variable,
// which a by-reference parameter assigns after the call. A text given as a
// view (a string_view, a C string or a std::string lvalue) is only looked at,
// and copied once by the call: an Arg lives for one call expression.
class Arg {
  public:
    Arg(std::string_view text) : view_(text), is_view_(true) {}
    Arg(const char* text) : Arg(std::string_view(text)) {}
    Arg(const std::string& text) : Arg(std::string_view(text)) {}
    Arg(std::string&& text) : value_(std::move(text)) {}
    template <class T>
    requires(std::is_constructible_v<Variant, T&&> && !std::is_convertible_v<T&&, std::string_view>)
        Arg(T&& value)
        : value_(std::forward<T>(value)) {}
    static Arg ref(Variant& variable) {
        Arg a{Variant(variable)};
        a.target_ = &variable;
        return a;
    }
    Variant::Type type() const { return is_view_ ? Variant::Type::text : value_.type(); }
    // The value converted to a parameter's type (Type::empty: as it is).
    Variant converted(Variant::Type type) const {
        if (!is_view_) return value_.converted(type);
        Variant text{std::string(view_)};
        if (type == Variant::Type::empty || type == Variant::Type::text) return text;
        return text.converted(type);
    }
    Variant* target() const { return target_; }

  private:
    Variant value_;
    std::string_view view_;
    bool is_view_ = false;
    Variant* target_ = nullptr;
};

// Calls a member of an object by name (or by index, as found by
// ClassInfo::find). `kinds` may name several call kinds: the first the member
// has of method, get, let, set is used, except that an assigned object goes
// to a set. 438 when the member does not exist or has none of the kinds.
ORVEX_COMPONENT_API Variant invoke(Object& object, std::string_view member, unsigned kinds,
                                   std::span<const Arg> args);
ORVEX_COMPONENT_API Variant invoke(Object& object, int member, unsigned kinds,
                                   std::span<const Arg> args);

// A late-bound reference to an object, as client code holds it.
class ORVEX_COMPONENT_API Dispatch {
  public:
    Dispatch() = default;
    explicit Dispatch(ObjectRef object) : object_(std::move(object)) {}
    const ObjectRef& object() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

    // A method call, or a property read when the member is a property.
    Variant call(std::string_view member, std::initializer_list<Arg> args = {}) const;
    Variant get(std::string_view member, std::initializer_list<Arg> args = {}) const;
    void let(std::string_view member, Variant value) const;
    void set(std::string_view member, ObjectRef value) const;

    // The index of a member, for callers that call it often (438 when none).
    int member_id(std::string_view member) const;
    Variant invoke(int member, unsigned kinds, std::span<const Arg> args) const;

  private:
    Object& target() const;  // 91 when no object is held
    ObjectRef object_;
};

// ---- Registration and creation ----

// The registration file in use (see the top of this header).
ORVEX_COMPONENT_API std::filesystem::path registration_file();

struct Registration {
    std::string progid;
    std::filesystem::path library;
};
// The registered identifiers; none when the file is missing.
ORVEX_COMPONENT_API std::vector<Registration> registrations();

// Records the identifiers for `library` (an absolute path), replacing the
// lines of the same identifiers; or removes the identifiers' lines that name
// this library (a line naming another library is left alone). What a
// library's register and unregister entries do.
ORVEX_COMPONENT_API void add_registrations(const std::filesystem::path& library,
                                           std::span<const std::string_view> progids);
ORVEX_COMPONENT_API void remove_registrations(const std::filesystem::path& library,
                                              std::span<const std::string_view> progids);

// Loads a component library and calls its register or unregister entry: what
// regsvr32 does. The path is made absolute first.
struct LibraryResult {
    enum class Stage { done, load_failed, no_entry_point, entry_failed } stage = Stage::done;
    platform::RuntimeError error;  // when not done
};
ORVEX_COMPONENT_API LibraryResult register_library(const std::filesystem::path& library,
                                                   bool unregister = false);

// Creates an object by programmatic identifier. ComponentError 429 when the
// identifier is not registered, the library is missing, cannot be loaded or
// lacks the create entry, or the library cannot create the object.
ORVEX_COMPONENT_API ObjectRef CreateObject(std::string_view progid);

// ---- Library side: the entry points' work ----

struct ClassEntry {
    std::string_view progid;
    Object* (*create)();
};
// The bodies of a library's orvex_component_register / _unregister / _create.
ORVEX_COMPONENT_API std::int32_t serve_register(const char* library,
                                                std::span<const ClassEntry> classes,
                                                bool unregister, orvex_error* err);
ORVEX_COMPONENT_API std::int32_t serve_create(const char* progid,
                                              std::span<const ClassEntry> classes, void** object,
                                              orvex_error* err);

// Defines a component library's three exported entry points over its table of
// classes (an array of ClassEntry). Used once, at namespace scope, in each library.
#define ORVEX_COMPONENT_ENTRY_POINTS(classes)                                                 \
    extern "C" ORVEX_EXPORT int32_t orvex_component_register(const char* library,             \
                                                             orvex_error* err) {              \
        return components::serve_register(library, classes, false, err);                      \
    }                                                                                         \
    extern "C" ORVEX_EXPORT int32_t orvex_component_unregister(const char* library,           \
                                                               orvex_error* err) {            \
        return components::serve_register(library, classes, true, err);                       \
    }                                                                                         \
    extern "C" ORVEX_EXPORT int32_t orvex_component_create(const char* progid, void** object, \
                                                           orvex_error* err) {                \
        return components::serve_create(progid, classes, object, err);                        \
    }

// Fills an orvex_error (when not null) and returns the number.
ORVEX_COMPONENT_API std::int32_t fill_error(orvex_error* err, int number,
                                            std::string_view description);

// ---- The host program ----

// Where components show their messages: the program's message port, or, when
// none is given (nullptr), standard error. The port must outlive its use.
ORVEX_COMPONENT_API void set_message_port(platform::MessagePort* port);
ORVEX_COMPONENT_API platform::Answer show_message(const std::string& text, const std::string& title,
                                                  platform::Buttons buttons = platform::Buttons::ok,
                                                  platform::Icon icon = platform::Icon::none);

// What components call to let pending window events run (none by default).
ORVEX_COMPONENT_API void set_event_pump(platform::EventPump pump);
ORVEX_COMPONENT_API void pump_events();

}  // namespace components
