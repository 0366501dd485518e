// A small component library for the component-layer tests: one class with
// properties of each type, by-reference and by-value parameters, an
// untyped parameter, a member that fails and one that shows a message.
#include "components/component.hpp"
#include "platform/text.hpp"

namespace {

namespace comp = components;
using comp::Variant;
using T = Variant::Type;

class Contador final : public comp::Object {
  public:
    enum { kValor, kNombre, kActivo, kClase, kDuplicar, kAnexar, kCopiar, kEco, kFallar, kMostrar };

    static const comp::ClassInfo& info() {
        using comp::call_get, comp::call_let, comp::call_method, comp::call_set;
        static const comp::ClassInfo i(
            "Contador", {
                            {"Valor", call_get | call_let, {}, T::int32},
                            {"Nombre", call_get | call_let, {}, T::text},
                            {"Activo", call_get | call_let, {}, T::boolean},
                            {"Clase", call_get, {}, T::text},
                            {"Duplicar", call_method, {{"n", T::int32, true}}, T::empty},
                            {"Anexar",
                             call_method,
                             {{"texto", T::text, true}, {"sufijo", T::text, false}},
                             T::int32},
                            {"Copiar", call_method, {{"n", T::int32, false}}, T::int32},
                            {"Eco", call_method | call_get, {{"x", T::empty, false}}, T::empty},
                            {"Fallar", call_method, {}, T::empty},
                            {"Mostrar", call_method, {{"texto", T::text, false}}, T::int32},
                        });
        return i;
    }
    const comp::ClassInfo& class_info() const override { return info(); }

    Variant invoke(int member, comp::CallKind kind, std::span<Variant> a) override {
        const bool let = kind == comp::call_let;
        switch (member) {
            case kValor:
                if (let) valor_ = a[0].to_int32();
                return let ? Variant() : Variant(valor_);
            case kNombre:
                if (let) nombre_ = a[0].text();
                return let ? Variant() : Variant(nombre_);
            case kActivo:
                if (let) activo_ = a[0].to_bool();
                return let ? Variant() : Variant(activo_);
            case kClase:
                return "Contador";
            case kDuplicar:
                a[0] = Variant(a[0].to_int32() * 2);
                return {};
            case kAnexar:
                a[0].text() += a[1].text();
                return std::int32_t(a[0].text().size());
            case kCopiar:
                a[0] = Variant(a[0].to_int32() +
                               1);  // a by-value parameter: the caller never sees this
                return a[0];
            case kEco:
                return a[0];
            case kFallar:
                throw comp::ComponentError(5, "Falla pedida");
            case kMostrar:
                // Texts are Windows-1252; the message port speaks UTF-8.
                return std::int32_t(comp::show_message(platform::cp1252_to_utf8(a[0].text()),
                                                       "Sonda", platform::Buttons::yes_no,
                                                       platform::Icon::question));
        }
        throw comp::ComponentError(platform::err::no_such_member);
    }

  private:
    std::int32_t valor_ = 0;
    std::string nombre_;
    bool activo_ = false;
};

const comp::ClassEntry kClases[] = {
    {"OrvexProbe.Contador", []() -> comp::Object* { return new Contador; }},
    {"OrvexProbe.Otro", []() -> comp::Object* { return new Contador; }},
};

}  // namespace

ORVEX_COMPONENT_ENTRY_POINTS(kClases)
