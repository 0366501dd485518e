/* The C interface of the component layer (liborvex_components.so): create
 * objects by programmatic identifier, call their members by name, register
 * component libraries. It is plain C, for clients in other languages (the
 * Python module tools/python/orvex_components.py drives it through ctypes),
 * and it also fixes the three entry points every component library exports.
 *
 * Texts are bytes in Windows-1252 with an explicit length; error descriptions
 * are UTF-8. Functions return 0 on success, else an error number, and then
 * fill `err` (when not NULL) with that number and its description. */
#ifndef PLATFORM_COMPONENT_C_HPP
#define PLATFORM_COMPONENT_C_HPP

#include <stddef.h>
#include <stdint.h>

#define ORVEX_EXPORT __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

/* A reference to a component object; released with orvex_object_release. */
typedef struct orvex_object orvex_object;

enum { ORVEX_EMPTY = 0, ORVEX_TEXT = 1, ORVEX_BOOLEAN = 2, ORVEX_INT32 = 3, ORVEX_OBJECT = 4 };

/* Call kinds; a call may name several (ORVEX_METHOD | ORVEX_PROPERTY_GET
 * reads a property or runs a method, whichever the member is). */
enum { ORVEX_METHOD = 1, ORVEX_PROPERTY_GET = 2, ORVEX_PROPERTY_LET = 4, ORVEX_PROPERTY_SET = 8 };

/* Variant flags. */
enum {
    ORVEX_BYREF = 1, /* an argument the member may assign (set by the caller) */
    ORVEX_OWNED = 2  /* the text or object belongs to the layer: orvex_variant_clear frees it */
};

typedef struct orvex_variant {
    int32_t type;   /* ORVEX_EMPTY ... ORVEX_OBJECT */
    int32_t flags;  /* ORVEX_BYREF, ORVEX_OWNED */
    int32_t number; /* ORVEX_INT32 value; ORVEX_BOOLEAN: 0 false, anything else true */
    int32_t reserved;
    const char* text; /* ORVEX_TEXT: `length` bytes (a NUL follows in texts the layer gives) */
    size_t length;
    orvex_object* object; /* ORVEX_OBJECT: a reference (NULL for no object) */
} orvex_variant;

typedef struct orvex_error {
    int32_t number;
    char description[1024]; /* UTF-8, NUL-terminated, cut to fit */
} orvex_error;

/* Creates an object of a registered programmatic identifier ("Kvario3.clsURL").
 * Error 429 when the identifier is not registered, its library is missing or
 * cannot be loaded, or the library cannot create it. */
ORVEX_EXPORT int32_t orvex_create_object(const char* progid, orvex_object** object,
                                         orvex_error* err);
ORVEX_EXPORT void orvex_object_release(orvex_object* object);

/* The call kinds a member accepts and its number of parameters (a let or set
 * takes one more argument, the value). Error 438 when there is no such member.
 * Names are compared without regard to letter case. */
ORVEX_EXPORT int32_t orvex_member_info(orvex_object* object, const char* member, int32_t* kinds,
                                       int32_t* parameters, orvex_error* err);

/* Calls a member by name. `args` are in the member's order, the assigned value
 * last for a let or set. Arguments are read, never freed. After a successful
 * call every argument flagged ORVEX_BYREF holds its value as the member left
 * it, owned by the layer (ORVEX_OWNED; the caller's own text pointer is simply
 * replaced), and `result` holds the result, owned by the layer. Clear both
 * with orvex_variant_clear. On failure nothing is written back and `result`
 * is empty. */
ORVEX_EXPORT int32_t orvex_invoke(orvex_object* object, const char* member, int32_t kinds,
                                  orvex_variant* args, int32_t count, orvex_variant* result,
                                  orvex_error* err);

/* Frees what the layer owns in a variant (texts, object references) and makes
 * it empty. Values the caller owns are left alone; the variant still becomes empty. */
ORVEX_EXPORT void orvex_variant_clear(orvex_variant* v);

/* Loads a component library and registers (or, with `unregister`, removes)
 * its classes in the registration file, as regsvr32 does. */
ORVEX_EXPORT int32_t orvex_register_library(const char* library, int32_t unregister,
                                            orvex_error* err);

/* Messages that components show go to this handler (UTF-8 text and title,
 * buttons and icon as the message port numbers them); it returns the answer
 * (1 OK, 2 Cancel, ... 6 Yes, 7 No). NULL restores the default, standard error. */
typedef int32_t (*orvex_message_handler)(const char* text, const char* title, int32_t buttons,
                                         int32_t icon, void* user);
ORVEX_EXPORT void orvex_set_message_handler(orvex_message_handler handler, void* user);

/* The entry points a component library exports. `library` is the library's
 * absolute path, as it is recorded. orvex_component_create stores in *object a
 * components::Object created with new; the layer takes it over. */
typedef int32_t (*orvex_component_register_fn)(const char* library, orvex_error* err);
typedef int32_t (*orvex_component_unregister_fn)(const char* library, orvex_error* err);
typedef int32_t (*orvex_component_create_fn)(const char* progid, void** object, orvex_error* err);

#ifdef __cplusplus
}
#endif

#endif /* PLATFORM_COMPONENT_C_HPP */
