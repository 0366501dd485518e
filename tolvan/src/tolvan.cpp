// libTolvan.so: the component library's entry points.
#include "cls_dj.hpp"

namespace {

using platform::components::ClassEntry;
using platform::components::Object;

const ClassEntry kClases[] = {
    {"Tolvan.clsdj", []() -> Object* { return new tolvan::ClsDj; }},
};

}  // namespace

extern "C" {

ORVEX_EXPORT int32_t orvex_component_register(const char* library, orvex_error* err) {
    return platform::components::serve_register(library, kClases, false, err);
}

ORVEX_EXPORT int32_t orvex_component_unregister(const char* library, orvex_error* err) {
    return platform::components::serve_register(library, kClases, true, err);
}

ORVEX_EXPORT int32_t orvex_component_create(const char* progid, void** object, orvex_error* err) {
    return platform::components::serve_create(progid, kClases, object, err);
}

}  // extern "C"
