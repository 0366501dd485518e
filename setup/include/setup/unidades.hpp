// The drive list and the drive checks. A "drive" here is a folder under which
// Setup lays out Orvex18: the user's home folder first, then the mount points
// of the mounted local file systems.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace setup {

namespace fs = std::filesystem;

inline constexpr std::string_view kAdvertencia = "¡ Advertencia !";
inline constexpr std::string_view kDiscoNoDisponible =
    "Disco no disponible en este momento , seleccione otra unidad";
inline constexpr std::string_view kNoEsPosibleInstalar =
    "No es posible instalar la aplicación en este disco";

// The mount points of a mounts table (the text of /proc/self/mounts), in its
// order, without pseudo and network file systems and without repeats; octal
// escapes ("\040" for a blank) are decoded.
std::vector<std::string> puntos_de_montaje(std::string_view montajes);

// The drive list: the home folder ($HOME), then the mount points of
// /proc/self/mounts that are folders, each once.
std::vector<std::string> Lista_Unidades();

// The drive that holds a path: the longest entry of `unidades` that is the
// path or one of its parent folders; "/" when none is.
std::string unidad_de(const fs::path& ruta, const std::vector<std::string>& unidades);

// `Ruta_Destino` of a drive: its folder with one trailing "/".
std::string ruta_destino(std::string_view unidad);

// The drive can be entered (an existing folder the user may search).
bool unidad_disponible(const fs::path& raiz);

// The drive takes a new folder: "TestInstall" is created below it and removed
// again. A "TestInstall" left behind by someone else is not touched; the test
// then uses a name of its own.
bool unidad_escribible(const fs::path& raiz);

}  // namespace setup
