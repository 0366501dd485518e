// libTolvan.so: the component library's entry points.
#include "cls_dj.hpp"

namespace {

using components::ClassEntry;
using components::Object;

const ClassEntry kClases[] = {
    {"Tolvan.clsdj", []() -> Object* { return new tolvan::ClsDj; }},
};

}  // namespace

ORVEX_COMPONENT_ENTRY_POINTS(kClases)
