// Values, member descriptions and late-bound calls; the host's message port
// and event pump as components see them.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <iostream>
#include <limits>
#include <new>

#include "components/component.hpp"
#include "platform/numtext.hpp"
#include "platform/text.hpp"

namespace components {

// The platform layer's errors, texts and ports, used throughout.
using namespace platform;

namespace {

std::string description_of(int number) {
    switch (number) {
        case errnum::object_not_set:
            return "Variable de objeto o bloque With no establecido";
        case errnum::wrong_arguments:
            return "Número de argumentos incorrecto o asignación de propiedad no válida";
        default:
            return std::string(error_description(number));
    }
}

std::string lower_ascii(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return out;
}

// The converted arguments of one call: up to four are built in place, only
// as many as there are; more go to the heap.
class Arguments {
  public:
    explicit Arguments(std::size_t count) {
        if (count > kInline) many_.reserve(count);
    }
    ~Arguments() {
        for (std::size_t i = 0; i < built_; ++i) std::launder(slot(i))->~Variant();
    }
    Arguments(const Arguments&) = delete;
    Arguments& operator=(const Arguments&) = delete;
    void add(Variant v) {
        if (many_.capacity() > 0) {
            many_.push_back(std::move(v));
        } else {
            new (raw_ + built_ * sizeof(Variant)) Variant(std::move(v));
            ++built_;
        }
    }
    std::span<Variant> span() {
        if (many_.capacity() > 0) return many_;
        return {std::launder(slot(0)), built_};
    }

  private:
    static constexpr std::size_t kInline = 4;
    Variant* slot(std::size_t i) { return reinterpret_cast<Variant*>(raw_ + i * sizeof(Variant)); }
    alignas(Variant) unsigned char raw_[kInline * sizeof(Variant)];
    std::size_t built_ = 0;
    std::vector<Variant> many_;
};

}  // namespace

ComponentError::ComponentError(int number, const std::string& description)
    : std::runtime_error(description), number_(number) {}
ComponentError::ComponentError(int number) : ComponentError(number, description_of(number)) {}
ComponentError::~ComponentError() = default;

// ---- Variant ----

std::string Variant::to_text() && {
    if (type() == Type::text) return std::move(std::get<std::string>(v_));
    return static_cast<const Variant&>(*this).to_text();
}

std::string Variant::to_text() const& {
    switch (type()) {
        case Type::empty:
            return {};
        case Type::text:
            return std::get<std::string>(v_);
        case Type::boolean:
            return std::get<bool>(v_) ? "True" : "False";
        case Type::int32:
            return std::to_string(std::get<std::int32_t>(v_));
        case Type::object:
            break;
    }
    throw ComponentError(err::type_mismatch);
}

std::int32_t Variant::to_int32() const {
    switch (type()) {
        case Type::empty:
            return 0;
        case Type::boolean:
            return std::get<bool>(v_) ? -1 : 0;
        case Type::int32:
            return std::get<std::int32_t>(v_);
        case Type::text: {
            const std::string& t = std::get<std::string>(v_);
            if (!is_number(t)) break;
            double v = std::nearbyint(leading_value(t));  // half to even
            if (!(v >= std::numeric_limits<std::int32_t>::min() &&
                  v <= std::numeric_limits<std::int32_t>::max()))
                throw ComponentError(err::overflow);
            return std::int32_t(v);
        }
        case Type::object:
            break;
    }
    throw ComponentError(err::type_mismatch);
}

bool Variant::to_bool() const {
    switch (type()) {
        case Type::empty:
            return false;
        case Type::boolean:
            return std::get<bool>(v_);
        case Type::int32:
            return std::get<std::int32_t>(v_) != 0;
        case Type::text: {
            std::string_view t = trim(std::get<std::string>(v_));
            if (iequals(t, "True")) return true;
            if (iequals(t, "False")) return false;
            if (is_number(t)) return leading_value(t) != 0;
            break;
        }
        case Type::object:
            break;
    }
    throw ComponentError(err::type_mismatch);
}

ObjectRef Variant::to_object() const {
    if (type() == Type::empty) return nullptr;
    if (type() == Type::object) return std::get<ObjectRef>(v_);
    throw ComponentError(err::type_mismatch);
}

Variant Variant::converted(Type t) const {
    if (t == Type::empty || t == type()) return *this;
    switch (t) {
        case Type::text:
            return Variant(to_text());
        case Type::boolean:
            return Variant(to_bool());
        case Type::int32:
            return Variant(to_int32());
        case Type::object:
            return Variant(to_object());
        case Type::empty:
            break;
    }
    return *this;
}

// ---- Classes and calls ----

ClassInfo::ClassInfo(std::string name, std::vector<Member> members)
    : name_(std::move(name)), members_(std::move(members)) {
    for (std::size_t i = 0; i < members_.size(); ++i)
        index_.emplace(lower_ascii(members_[i].name), int(i));
}

int ClassInfo::find(std::string_view member) const {
    auto it = index_.find(lower_ascii(member));
    return it == index_.end() ? -1 : it->second;
}

Object::~Object() = default;

Variant invoke(Object& object, int member, unsigned kinds, std::span<const Arg> args) {
    const std::vector<Member>& members = object.class_info().members();
    if (member < 0 || std::size_t(member) >= members.size())
        throw ComponentError(err::no_such_member);
    const Member& m = members[std::size_t(member)];
    const unsigned usable = kinds & m.kinds;
    if (usable == 0) throw ComponentError(err::no_such_member);

    CallKind kind;
    if (usable & call_method) {
        kind = call_method;
    } else if (usable & call_get) {
        kind = call_get;
    } else if ((usable & call_set) &&
               (!(usable & call_let) ||
                (!args.empty() && args.back().type() == Variant::Type::object))) {
        kind = call_set;
    } else {
        kind = call_let;
    }
    const bool assigns = kind == call_let || kind == call_set;
    if (args.size() != m.params.size() + (assigns ? 1 : 0))
        throw ComponentError(errnum::wrong_arguments);

    // Arguments converted to the parameter types; a few fit without allocating.
    Arguments work(args.size());
    for (std::size_t i = 0; i < args.size(); ++i) {
        Variant::Type t = i < m.params.size() ? m.params[i].type : m.value_type;
        if (assigns && i == m.params.size() && kind == call_set) t = Variant::Type::object;
        work.add(args[i].converted(t));
    }

    Variant result = object.invoke(member, kind, work.span());

    for (std::size_t i = 0; i < m.params.size(); ++i) {
        if (m.params[i].by_ref && args[i].target()) *args[i].target() = std::move(work.span()[i]);
    }
    return result;
}

Variant invoke(Object& object, std::string_view member, unsigned kinds, std::span<const Arg> args) {
    int id = object.class_info().find(member);
    if (id < 0) throw ComponentError(err::no_such_member);
    return invoke(object, id, kinds, args);
}

Object& Dispatch::target() const {
    if (!object_) throw ComponentError(errnum::object_not_set);
    return *object_;
}

Variant Dispatch::call(std::string_view member, std::initializer_list<Arg> args) const {
    return components::invoke(target(), member, call_method | call_get,
                              std::span<const Arg>(args.begin(), args.size()));
}

Variant Dispatch::get(std::string_view member, std::initializer_list<Arg> args) const {
    return components::invoke(target(), member, call_get,
                              std::span<const Arg>(args.begin(), args.size()));
}

void Dispatch::let(std::string_view member, Variant value) const {
    Arg a(std::move(value));
    components::invoke(target(), member, call_let, std::span<const Arg>(&a, 1));
}

void Dispatch::set(std::string_view member, ObjectRef value) const {
    Arg a(std::move(value));
    components::invoke(target(), member, call_set, std::span<const Arg>(&a, 1));
}

int Dispatch::member_id(std::string_view member) const {
    int id = target().class_info().find(member);
    if (id < 0) throw ComponentError(err::no_such_member);
    return id;
}

Variant Dispatch::invoke(int member, unsigned kinds, std::span<const Arg> args) const {
    return components::invoke(target(), member, kinds, args);
}

std::int32_t fill_error(orvex_error* err, int number, std::string_view description) {
    if (err) {
        err->number = number;
        std::size_t n = std::min(description.size(), sizeof err->description - 1);
        // Never cut a UTF-8 sequence in two.
        if (n < description.size()) {
            while (n > 0 && (static_cast<unsigned char>(description[n]) & 0xC0) == 0x80) --n;
        }
        std::memcpy(err->description, description.data(), n);
        err->description[n] = '\0';
    }
    return number;
}

// ---- The host ----

namespace {

MessagePort* g_port = nullptr;
EventPump g_pump;

}  // namespace

void set_message_port(MessagePort* port) {
    g_port = port;
}

Answer show_message(const std::string& text, const std::string& title, Buttons buttons, Icon icon) {
    if (g_port) return g_port->message(text, title, buttons, icon);
    ConsolePort console(std::cerr);
    return console.message(text, title, buttons, icon);
}

void set_event_pump(EventPump pump) {
    g_pump = std::move(pump);
}

void pump_events() {
    if (g_pump) g_pump();
}

}  // namespace components
