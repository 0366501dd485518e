// The C interface over the component layer.
#include <cstdlib>
#include <cstring>
#include <new>

#include "components/component.hpp"

using components::Arg;
using components::ComponentError;
using components::ObjectRef;
using components::Variant;
namespace err = platform::err;

struct orvex_object {
    ObjectRef ref;
};

namespace {

using components::fill_error;

Variant from_c(const orvex_variant& v) {
    switch (v.type) {
        case ORVEX_EMPTY:
            return Variant();
        case ORVEX_TEXT:
            return Variant(std::string(v.text ? v.text : "", v.text ? v.length : 0));
        case ORVEX_BOOLEAN:
            return Variant(v.number != 0);
        case ORVEX_INT32:
            return Variant(std::int32_t(v.number));
        case ORVEX_OBJECT:
            return Variant(v.object ? v.object->ref : ObjectRef());
        default:
            throw ComponentError(err::type_mismatch);
    }
}

// Stores a value in a variant the layer then owns; `flags` are kept but for
// ORVEX_OWNED, which is set.
void to_c(const Variant& value, orvex_variant& out) {
    const std::int32_t flags = out.flags & ~ORVEX_OWNED;
    out = orvex_variant{};
    out.flags = flags | ORVEX_OWNED;
    switch (value.type()) {
        case Variant::Type::empty:
            out.type = ORVEX_EMPTY;
            break;
        case Variant::Type::text: {
            const std::string& t = value.text();
            char* copy = static_cast<char*>(std::malloc(t.size() + 1));
            if (!copy) throw std::bad_alloc();
            std::memcpy(copy, t.data(), t.size());
            copy[t.size()] = '\0';
            out.type = ORVEX_TEXT;
            out.text = copy;
            out.length = t.size();
            break;
        }
        case Variant::Type::boolean:
            out.type = ORVEX_BOOLEAN;
            out.number = value.to_bool() ? 1 : 0;
            break;
        case Variant::Type::int32:
            out.type = ORVEX_INT32;
            out.number = value.to_int32();
            break;
        case Variant::Type::object: {
            ObjectRef o = value.to_object();
            out.type = ORVEX_OBJECT;
            out.object = o ? new orvex_object{std::move(o)} : nullptr;
            break;
        }
    }
}

template <class F>
std::int32_t guarded(orvex_error* e, F&& body) {
    try {
        body();
        return fill_error(e, 0, "");
    } catch (const ComponentError& x) {
        return fill_error(e, x.number(), x.what());
    } catch (const std::bad_alloc&) {
        return fill_error(e, err::out_of_memory, platform::error_description(err::out_of_memory));
    } catch (const std::exception& x) {
        return fill_error(e, err::device_io, x.what());
    }
}

class HandlerPort final : public platform::MessagePort {
  public:
    orvex_message_handler handler = nullptr;
    void* user = nullptr;

    platform::Answer message(const std::string& text, const std::string& title,
                             platform::Buttons buttons, platform::Icon icon) override {
        return platform::Answer(
            handler(text.c_str(), title.c_str(), std::int32_t(buttons), std::int32_t(icon), user));
    }
    std::optional<std::filesystem::path> pick_file(const platform::FilePick&) override {
        return std::nullopt;
    }
    bool show_text_file(const std::filesystem::path&) override { return false; }
    bool open_document(const std::filesystem::path&) override { return false; }
};

}  // namespace

extern "C" {

int32_t orvex_create_object(const char* progid, orvex_object** object, orvex_error* e) {
    if (object) *object = nullptr;
    return guarded(e, [&] {
        if (!progid || !object) throw ComponentError(err::invalid_call);
        *object = new orvex_object{components::CreateObject(progid)};
    });
}

void orvex_object_release(orvex_object* object) {
    delete object;
}

int32_t orvex_member_info(orvex_object* object, const char* member, int32_t* kinds,
                          int32_t* parameters, orvex_error* e) {
    return guarded(e, [&] {
        if (!object || !member) throw ComponentError(err::invalid_call);
        if (!object->ref) throw ComponentError(components::errnum::object_not_set);
        const auto& info = object->ref->class_info();
        int id = info.find(member);
        if (id < 0) throw ComponentError(err::no_such_member);
        const auto& m = info.members()[std::size_t(id)];
        if (kinds) *kinds = std::int32_t(m.kinds);
        if (parameters) *parameters = std::int32_t(m.params.size());
    });
}

int32_t orvex_invoke(orvex_object* object, const char* member, int32_t kinds, orvex_variant* args,
                     int32_t count, orvex_variant* result, orvex_error* e) {
    if (result) *result = orvex_variant{};
    return guarded(e, [&] {
        if (!object || !member || count < 0 || (count > 0 && !args))
            throw ComponentError(err::invalid_call);
        if (!object->ref) throw ComponentError(components::errnum::object_not_set);
        std::vector<Variant> vars;
        vars.reserve(std::size_t(count));
        for (int32_t i = 0; i < count; ++i) vars.push_back(from_c(args[i]));
        std::vector<Arg> call;
        call.reserve(std::size_t(count));
        for (int32_t i = 0; i < count; ++i) {
            if (args[i].flags & ORVEX_BYREF)
                call.push_back(Arg::ref(vars[std::size_t(i)]));
            else
                call.emplace_back(vars[std::size_t(i)]);
        }
        Variant r = components::invoke(*object->ref, member, unsigned(kinds), call);
        // Convert everything before touching the caller's variants, so that a
        // failure leaves them as they were.
        std::vector<orvex_variant> back(static_cast<std::size_t>(count));
        orvex_variant res{};
        try {
            for (int32_t i = 0; i < count; ++i) {
                if (args[i].flags & ORVEX_BYREF) {
                    back[std::size_t(i)].flags = args[i].flags;
                    to_c(vars[std::size_t(i)], back[std::size_t(i)]);
                }
            }
            to_c(r, res);
        } catch (...) {
            for (auto& b : back) orvex_variant_clear(&b);
            orvex_variant_clear(&res);
            throw;
        }
        for (int32_t i = 0; i < count; ++i) {
            if (args[i].flags & ORVEX_BYREF) args[i] = back[std::size_t(i)];
        }
        if (result)
            *result = res;
        else
            orvex_variant_clear(&res);
    });
}

void orvex_variant_clear(orvex_variant* v) {
    if (!v) return;
    if (v->flags & ORVEX_OWNED) {
        if (v->type == ORVEX_TEXT) std::free(const_cast<char*>(v->text));
        if (v->type == ORVEX_OBJECT) delete v->object;
    }
    const std::int32_t keep = v->flags & ORVEX_BYREF;
    *v = orvex_variant{};
    v->flags = keep;
}

int32_t orvex_register_library(const char* library, int32_t unregister, orvex_error* e) {
    return guarded(e, [&] {
        if (!library) throw ComponentError(err::invalid_call);
        auto r = components::register_library(library, unregister != 0);
        if (r.stage != components::LibraryResult::Stage::done) throw ComponentError(r.error);
    });
}

void orvex_set_message_handler(orvex_message_handler handler, void* user) {
    static HandlerPort port;
    if (!handler) {
        components::set_message_port(nullptr);
        return;
    }
    port.handler = handler;
    port.user = user;
    components::set_message_port(&port);
}

}  // extern "C"
