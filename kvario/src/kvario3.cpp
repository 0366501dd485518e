// libKvario3.so: the component library's entry points.
#include "cls_url.hpp"

namespace {

using components::ClassEntry;
using components::Object;

const ClassEntry kClases[] = {
    {"Kvario3.clsURL", []() -> Object* { return new kvario::ClsURL; }},
    {"Kvario3.clsCodigoValor", []() -> Object* { return new kvario::ClsCodigoValor; }},
};

}  // namespace

ORVEX_COMPONENT_ENTRY_POINTS(kClases)
