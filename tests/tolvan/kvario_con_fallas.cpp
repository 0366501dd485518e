// A stand-in for the data-file component "Kvario3.clsURL" that fails on
// purpose: it creates the real object from libKvario3.so (in ORVEX_BIN_DIR)
// and passes every call on, except that ADD_Valor, from the call number that
// KVARIO_FALLA_DESDE gives onwards, fails as the real one does when memory
// runs out: it shows its message and stores nothing.
#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include "components/component.hpp"

namespace {

namespace comp = components;

comp::ObjectRef kvario_real() {
    const std::string lib = std::string(std::getenv("ORVEX_BIN_DIR")) + "/libKvario3.so";
    void* h = ::dlopen(lib.c_str(), RTLD_NOW);
    auto crear =
        h ? reinterpret_cast<orvex_component_create_fn>(::dlsym(h, "orvex_component_create"))
          : nullptr;
    void* objeto = nullptr;
    orvex_error e{};
    if (!crear || crear("Kvario3.clsURL", &objeto, &e) != 0 || !objeto)
        throw comp::ComponentError(platform::err::cannot_create_object);
    return comp::ObjectRef(static_cast<comp::Object*>(objeto));
}

class KvarioConFallas final : public comp::Object {
  public:
    KvarioConFallas() : real_(kvario_real()), add_valor_(real_->class_info().find("ADD_Valor")) {
        const char* desde = std::getenv("KVARIO_FALLA_DESDE");
        desde_ = desde ? std::atol(desde) : 0;
    }
    const comp::ClassInfo& class_info() const override { return real_->class_info(); }
    comp::Variant invoke(int member, comp::CallKind kind, std::span<comp::Variant> args) override {
        if (member == add_valor_ && desde_ > 0 && ++llamadas_ >= desde_) {
            comp::show_message("Error", "Error no definido -Versión Prueba", platform::Buttons::ok,
                               platform::Icon::critical);
            return {};
        }
        return real_->invoke(member, kind, args);
    }

  private:
    comp::ObjectRef real_;
    int add_valor_;
    long desde_ = 0;
    long llamadas_ = 0;
};

const comp::ClassEntry kClases[] = {
    {"Kvario3.clsURL", []() -> comp::Object* { return new KvarioConFallas; }},
};

}  // namespace

ORVEX_COMPONENT_ENTRY_POINTS(kClases)
