// A fresh folder under the system's temporary folder, removed with everything
// in it when the test ends.
#pragma once

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace orvex::prueba {

class CarpetaTemporal {
  public:
    CarpetaTemporal() {
        static std::atomic<int> contador{0};
        raiz_ = std::filesystem::temp_directory_path() /
                ("orvex-startup-" + std::to_string(::getpid()) + "-" + std::to_string(contador++));
        std::filesystem::remove_all(raiz_);
        std::filesystem::create_directories(raiz_);
    }
    ~CarpetaTemporal() {
        std::error_code ec;
        std::filesystem::remove_all(raiz_, ec);
    }
    CarpetaTemporal(const CarpetaTemporal&) = delete;
    CarpetaTemporal& operator=(const CarpetaTemporal&) = delete;

    const std::filesystem::path& raiz() const { return raiz_; }

    // Writes `bytes` to raiz/relativo, creating the folders on the way.
    std::filesystem::path escribir(const std::filesystem::path& relativo,
                                   std::string_view bytes) const {
        std::filesystem::path p = raiz_ / relativo;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return p;
    }

  private:
    std::filesystem::path raiz_;
};

inline std::string leer(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace orvex::prueba
