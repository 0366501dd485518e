#include "platform/files.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <random>
#include <string>
#include <thread>

namespace platform {

namespace {

std::error_code last_error() {
    return std::error_code(errno, std::generic_category());
}

}  // namespace

TempFile create_temp_beside(const std::filesystem::path& target, std::error_code& ec) {
    static std::atomic<unsigned> counter{0};
    static constexpr char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::mt19937 random(seed() ^ static_cast<unsigned>(::getpid()) ^ counter++);
    TempFile t;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "." + target.filename().string() + ".";
        for (int i = 0; i < 6; ++i) name += kDigits[random() % (sizeof kDigits - 1)];
        t.path = target.parent_path() / name;
        t.fd = ::open(t.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (t.fd >= 0) {
            ec.clear();
            return t;
        }
        if (errno != EEXIST) break;
    }
    ec = last_error();
    t.path.clear();
    return t;
}

bool replace_file(const std::filesystem::path& temp, const std::filesystem::path& target,
                  std::error_code& ec) {
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        ec = last_error();
        return false;
    }
    ec.clear();
    return true;
}

bool FolderLock::acquire(const std::filesystem::path& folder, const EventPump& pump,
                         const std::function<void()>& waiting, std::error_code& ec) {
    release();
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        ec = last_error();
        return false;
    }
    bool told = false;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) break;
        if (errno != EWOULDBLOCK && errno != EINTR) {
            ec = last_error();
            ::close(fd);
            return false;
        }
        if (!told && waiting) waiting();
        told = true;
        if (pump) pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    fd_ = fd;
    ec.clear();
    return true;
}

void FolderLock::release() {
    if (fd_ >= 0) ::close(fd_);  // closing the only descriptor drops the lock
    fd_ = -1;
}

}  // namespace platform
