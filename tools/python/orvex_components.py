"""Script the system's component libraries from Python.

A pure-Python module (standard library only, no build step) over the C
interface of liborvex_components.so:

    from orvex_components import CreateObject
    o = CreateObject("Kvario3.clsURL")
    o.UbicacionArchivo2 = "/home/ana/Orvex18/registro/Rut.Tmp"
    if o.LeerDatos():
        print(o.GET_Valor("rut"), o.Cantidad_de_Elementos)

Member names are matched without regard to letter case. Reading an attribute
reads a property, or gives a bound method when the member is a method;
assigning an attribute assigns the property. Texts go in and come back as
`str`, encoded as Windows-1252 (bytes are passed through as they are);
Booleans are `True`/`False`, 32-bit integers `int`, empty `None`, objects new
proxies. An argument wrapped in `Ref` is passed by reference: its `.value`
holds what the member left in it after the call.

Saving data files (Kvario3.clsURL `EscribirDatos`, and Tolvan.clsdj
`Grabar_Archivo`, which saves through it) never writes a file that would not
read back as it was held:

- The data-file format has no escaping. A key or value holding "&", a key
  holding "=", or a carriage return, line feed or NUL byte anywhere makes
  the save return False with nothing written; `MensajeError` names the key,
  for example 'Error al Escribir Datos: el valor de la clave "RAZ" contiene
  "&"'. Such values can be held in memory and read with `Get_Valor`, but not
  saved; replace or remove them first. Entries whose key or value is blank
  are dropped from a save as before and are not checked.
  `Importar_de_Excel` checks every cell of the lines it would import the
  same way (also: at most 32,767 characters a cell, 1 GiB of text in all);
  a cell that fails imports nothing from that workbook and shows one
  message naming the cell.
- A data file that has no write permission bit, or that the user cannot
  write, is not replaced: the save returns False and `MensajeError` is
  'Error al Escribir Datos: Permiso denegado'.

The library is looked for in the folder named by ORVEX_BIN_DIR, then beside
this module, then by the usual library search; `load(path)` names it
explicitly. Objects are created from the registration file the layer uses
(ORVEX_COMPONENTS, else the per-user default).
"""

import ctypes
import codecs
import os
import threading

__all__ = [
    "CreateObject",
    "ComponentError",
    "MemberNotFound",
    "Ref",
    "load",
    "register_library",
    "set_message_handler",
]

_EMPTY, _TEXT, _BOOLEAN, _INT32, _OBJECT = 0, 1, 2, 3, 4
METHOD, PROPERTY_GET, PROPERTY_LET, PROPERTY_SET = 1, 2, 4, 8
_BYREF, _OWNED = 1, 2
_NO_SUCH_MEMBER = 438

# Windows-1252 with the five bytes it leaves undefined mapped to the control
# characters of the same value, as the rest of the system maps them.
_DECODING = "".join(
    bytes([b]).decode("cp1252", errors="ignore") or chr(b) for b in range(256)
)
_ENCODING = codecs.charmap_build(_DECODING)


def _decode(data):
    return codecs.charmap_decode(data, "strict", _DECODING)[0]


def _encode(text):
    return codecs.charmap_encode(text, "strict", _ENCODING)[0]


class ComponentError(Exception):
    """A failed creation or call: the layer's error number and description."""

    def __init__(self, number, description):
        super().__init__("%d: %s" % (number, description))
        self.number = number
        self.description = description


class MemberNotFound(ComponentError, AttributeError):
    """Error 438: the object has no such member (or not of that kind)."""


class Ref:
    """An argument passed by reference; `.value` is updated by the call."""

    __slots__ = ("value",)

    def __init__(self, value=None):
        self.value = value

    def __repr__(self):
        return "Ref(%r)" % (self.value,)


class _Variant(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int32),
        ("flags", ctypes.c_int32),
        ("number", ctypes.c_int32),
        ("reserved", ctypes.c_int32),
        ("text", ctypes.c_void_p),
        ("length", ctypes.c_size_t),
        ("object", ctypes.c_void_p),
    ]


class _Error(ctypes.Structure):
    _fields_ = [("number", ctypes.c_int32), ("description", ctypes.c_char * 1024)]


_MESSAGE_HANDLER = ctypes.CFUNCTYPE(
    ctypes.c_int32, ctypes.c_char_p, ctypes.c_char_p, ctypes.c_int32, ctypes.c_int32,
    ctypes.c_void_p,
)

_lib = None
_lock = threading.Lock()
_handler = None  # keeps the ctypes callback alive


def _candidates():
    name = "liborvex_components.so"
    folder = os.environ.get("ORVEX_BIN_DIR")
    if folder:
        yield os.path.join(folder, name)
    yield os.path.join(os.path.dirname(os.path.abspath(__file__)), name)
    yield name


def load(path=None):
    """Loads liborvex_components.so (from `path` when given) and returns it."""
    global _lib
    with _lock:
        if _lib is not None and path is None:
            return _lib
        errors = []
        for candidate in [path] if path else _candidates():
            if os.sep in candidate and not os.path.exists(candidate):
                errors.append("%s: no existe" % candidate)
                continue
            try:
                lib = ctypes.CDLL(candidate)
                break
            except OSError as e:
                errors.append(str(e))
        else:
            raise OSError("No se pudo cargar liborvex_components.so: " + "; ".join(errors))
        lib.orvex_create_object.argtypes = [
            ctypes.c_char_p, ctypes.POINTER(ctypes.c_void_p), ctypes.POINTER(_Error)]
        lib.orvex_create_object.restype = ctypes.c_int32
        lib.orvex_object_release.argtypes = [ctypes.c_void_p]
        lib.orvex_object_release.restype = None
        lib.orvex_member_info.argtypes = [
            ctypes.c_void_p, ctypes.c_char_p, ctypes.POINTER(ctypes.c_int32),
            ctypes.POINTER(ctypes.c_int32), ctypes.POINTER(_Error)]
        lib.orvex_member_info.restype = ctypes.c_int32
        lib.orvex_invoke.argtypes = [
            ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int32, ctypes.POINTER(_Variant),
            ctypes.c_int32, ctypes.POINTER(_Variant), ctypes.POINTER(_Error)]
        lib.orvex_invoke.restype = ctypes.c_int32
        lib.orvex_variant_clear.argtypes = [ctypes.POINTER(_Variant)]
        lib.orvex_variant_clear.restype = None
        lib.orvex_register_library.argtypes = [
            ctypes.c_char_p, ctypes.c_int32, ctypes.POINTER(_Error)]
        lib.orvex_register_library.restype = ctypes.c_int32
        lib.orvex_set_message_handler.argtypes = [_MESSAGE_HANDLER, ctypes.c_void_p]
        lib.orvex_set_message_handler.restype = None
        _lib = lib
        return lib


def _raise(err):
    description = err.description.decode("utf-8", errors="replace")
    cls = MemberNotFound if err.number == _NO_SUCH_MEMBER else ComponentError
    raise cls(err.number, description)


def _name(member):
    return member.encode("ascii") if isinstance(member, str) else bytes(member)


def CreateObject(progid):
    """Creates an object by its programmatic identifier."""
    lib = load()
    handle = ctypes.c_void_p()
    err = _Error()
    if lib.orvex_create_object(_name(progid), ctypes.byref(handle), ctypes.byref(err)):
        _raise(err)
    return ComponentObject(lib, handle.value)


def register_library(path, unregister=False):
    """Registers (or unregisters) a component library, as regsvr32 does."""
    lib = load()
    err = _Error()
    if lib.orvex_register_library(os.fsencode(path), 1 if unregister else 0, ctypes.byref(err)):
        _raise(err)


def set_message_handler(handler):
    """Routes the messages that components show to handler(text, title,
    buttons, icon), which returns the answer (1 OK ... 6 Yes, 7 No; None
    counts as OK). None restores the default, standard error."""
    global _handler
    lib = load()
    if handler is None:
        lib.orvex_set_message_handler(_MESSAGE_HANDLER(), None)
        _handler = None
        return

    def call(text, title, buttons, icon, _user):
        try:
            answer = handler(text.decode("utf-8", errors="replace"),
                             title.decode("utf-8", errors="replace"), buttons, icon)
            return 1 if answer is None else int(answer)
        except Exception:  # an exception cannot cross into the library: show it, answer OK
            import traceback
            traceback.print_exc()
            return 1

    _handler = _MESSAGE_HANDLER(call)
    lib.orvex_set_message_handler(_handler, None)


def _to_variant(value, out, keep):
    """Fills a _Variant from a Python value; `keep` holds buffers alive."""
    if isinstance(value, Ref):
        out.flags = _BYREF
        value = value.value
    if value is None:
        out.type = _EMPTY
    elif isinstance(value, bool):
        out.type, out.number = _BOOLEAN, 1 if value else 0
    elif isinstance(value, int):
        if not -(2 ** 31) <= value < 2 ** 31:
            raise OverflowError("%d no cabe en un entero de 32 bits" % value)
        out.type, out.number = _INT32, value
    elif isinstance(value, (str, bytes, bytearray)):
        data = _encode(value) if isinstance(value, str) else bytes(value)
        buf = ctypes.create_string_buffer(data, len(data) + 1)
        keep.append(buf)
        out.type, out.text, out.length = _TEXT, ctypes.addressof(buf), len(data)
    elif isinstance(value, ComponentObject):
        out.type, out.object = _OBJECT, value._handle
    else:
        raise TypeError("valor no admitido: %r" % (value,))


def _from_variant(lib, v):
    if v.type == _TEXT:
        return _decode(ctypes.string_at(v.text, v.length)) if v.length else ""
    if v.type == _BOOLEAN:
        return v.number != 0
    if v.type == _INT32:
        return v.number
    if v.type == _OBJECT:
        if not v.object:
            return None
        handle, v.object = v.object, None  # the proxy takes the reference over
        v.type = _EMPTY
        return ComponentObject(lib, handle)
    return None


class ComponentObject:
    """A late-bound proxy for a component object."""

    __slots__ = ("_lib", "_handle", "__weakref__")

    def __init__(self, lib, handle):
        object.__setattr__(self, "_lib", lib)
        object.__setattr__(self, "_handle", handle)

    def __del__(self):
        handle = getattr(self, "_handle", None)
        if handle:
            self._lib.orvex_object_release(handle)
            object.__setattr__(self, "_handle", None)

    def _info(self, member):
        kinds, params, err = ctypes.c_int32(), ctypes.c_int32(), _Error()
        if self._lib.orvex_member_info(self._handle, _name(member), ctypes.byref(kinds),
                                       ctypes.byref(params), ctypes.byref(err)):
            _raise(err)
        return kinds.value, params.value

    def _invoke(self, member, kinds, args):
        lib = self._lib
        keep = []
        array = (_Variant * max(len(args), 1))()
        for i, a in enumerate(args):
            _to_variant(a, array[i], keep)
        result, err = _Variant(), _Error()
        if lib.orvex_invoke(self._handle, _name(member), kinds, array, len(args),
                            ctypes.byref(result), ctypes.byref(err)):
            _raise(err)
        try:
            for i, a in enumerate(args):
                if isinstance(a, Ref):
                    a.value = _from_variant(lib, array[i])
            return _from_variant(lib, result)
        finally:
            for i, a in enumerate(args):
                if isinstance(a, Ref):
                    lib.orvex_variant_clear(ctypes.byref(array[i]))
            lib.orvex_variant_clear(ctypes.byref(result))

    def __getattr__(self, member):
        if member.startswith("__"):
            raise AttributeError(member)
        kinds, params = self._info(member)
        if kinds & PROPERTY_GET and params == 0 and not kinds & METHOD:
            return self._invoke(member, PROPERTY_GET, ())
        if not kinds & (METHOD | PROPERTY_GET):
            raise MemberNotFound(_NO_SUCH_MEMBER, "%s no se puede leer" % member)

        def call(*args):
            return self._invoke(member, METHOD | PROPERTY_GET, args)

        call.__name__ = member
        return call

    def __setattr__(self, member, value):
        if member.startswith("_"):
            raise AttributeError("atributo reservado: %s" % member)
        self._invoke(member, PROPERTY_LET | PROPERTY_SET, (value,))

    def __repr__(self):
        return "<ComponentObject 0x%x>" % (self._handle or 0)
