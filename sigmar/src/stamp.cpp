#include "stamp.hpp"

#include <cerrno>
#include <cstddef>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "sigmar/sigmar.h"

namespace sigmarlib {

namespace {

constexpr std::size_t kNameMax = 151;  // characters of the file name
constexpr std::size_t kReadSize = 4096;
constexpr std::size_t kHeadSize = 64;  // files this long carry the zero field
constexpr std::size_t kFieldFirst = 31;
constexpr std::size_t kFieldLast = 50;
constexpr off_t kNumberEnd = 41;  // one past the last digit
constexpr char kVersionQuery[] = "[VERSION]";

bool folder_exists(const char* name) {
    struct stat st;
    return ::stat(name, &st) == 0 && S_ISDIR(st.st_mode);
}

// A missing file is 2 when its folder exists and 3 when the folder is missing.
std::int32_t missing_code(const char* name) {
    const char* slash = std::strrchr(name, '/');
    if (slash == nullptr) {
        return name[0] == '\0' ? SIGMAR_PATH_NOT_FOUND : SIGMAR_FILE_NOT_FOUND;
    }
    if (slash == name) {
        return SIGMAR_FILE_NOT_FOUND;  // in the root folder
    }
    char folder[kNameMax + 1];
    const auto length = static_cast<std::size_t>(slash - name);
    std::memcpy(folder, name, length);
    folder[length] = '\0';
    return folder_exists(folder) ? SIGMAR_FILE_NOT_FOUND : SIGMAR_PATH_NOT_FOUND;
}

// Maps an open failure to the codes the callers know. Every code is non-zero
// and fits in 16 bits.
std::int32_t open_error(int error, const char* name) {
    switch (error) {
        case ENOENT:
            return missing_code(name);
        case ENOTDIR:
            return SIGMAR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return SIGMAR_ACCESS_DENIED;
        case ETXTBSY:
        case EBUSY:
        case EWOULDBLOCK:
            return SIGMAR_SHARING_VIOLATION;
        case EMFILE:
        case ENFILE:
            return SIGMAR_TOO_MANY_OPEN_FILES;
        case ENOMEM:
            return SIGMAR_NOT_ENOUGH_MEMORY;
        case ENAMETOOLONG:
            return SIGMAR_NAME_TOO_LONG;
        case ELOOP:
            return SIGMAR_CANNOT_RESOLVE_NAME;
        default:
            return SIGMAR_GENERAL_FAILURE;
    }
}

int open_file(const char* name, int flags) {
    int fd;
    do {
        fd = ::open(name, flags | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Reads until size bytes or the end of the file; -1 when a read fails.
long read_full(int fd, unsigned char* buffer, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, buffer + got, size - got);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    return static_cast<long>(got);
}

// Whether another open of the file holds a write lock on it: an exclusive
// flock(2) lock, or a POSIX or open-file-description record lock of type F_WRLCK
// on any part of it. Shared locks of readers do not count. The shared flock lock
// taken for the test is kept until the descriptor is closed.
bool locked_by_writer(int fd) {
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
        return errno == EWOULDBLOCK;
    }
    struct flock lock {};
    lock.l_type = F_RDLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(fd, F_OFD_GETLK, &lock) != 0) {
        lock = {};
        lock.l_type = F_RDLCK;
        lock.l_whence = SEEK_SET;
        if (::fcntl(fd, F_GETLK, &lock) != 0) {
            return false;
        }
    }
    return lock.l_type != F_UNLCK;
}

// Closes fd on every way out of a step.
class FileHandle {
  public:
    explicit FileHandle(int fd) : fd_(fd) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }
    // Closes now and tells whether the close reported no error.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 || errno == EINTR;
    }

  private:
    int fd_;
};

// Opens the file read-only and hashes it. Returns 0 with the control number, or
// the failure code. Only regular files are read: a folder, a pipe or a device
// could not be stamped and might never end.
std::int32_t compute(const char* name, Engine engine, std::uint32_t& number) {
    FileHandle file(open_file(name, O_RDONLY | O_NONBLOCK));
    if (file.get() < 0) {
        return open_error(errno, name);
    }
    struct stat st;
    if (::fstat(file.get(), &st) != 0) {
        return open_error(errno, name);
    }
    if (!S_ISREG(st.st_mode)) {
        return SIGMAR_ACCESS_DENIED;
    }
    ::posix_fadvise(file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    unsigned char buffer[kReadSize];
    Sha0 hash(engine);
    long got = read_full(file.get(), buffer, kHeadSize);
    if (got == static_cast<long>(kHeadSize)) {
        for (std::size_t i = kFieldFirst; i <= kFieldLast; ++i) {
            if (buffer[i] != '0') {
                return SIGMAR_FIELD_NOT_ZERO;
            }
        }
    }
    // The read after the first 64 bytes stops at offset 4096, so that every later
    // read covers exactly one page of the file.
    std::size_t next = kReadSize - kHeadSize;
    while (got > 0) {
        hash.update(buffer, static_cast<std::size_t>(got));
        got = read_full(file.get(), buffer, next);
        next = kReadSize;
    }
    // A failed read would stamp the number of part of the file.
    if (got < 0) {
        return SIGMAR_READ_FAULT;
    }
    number = control_number(hash.finish());
    return SIGMAR_OK;
}

// Opens the file for reading and writing. A file without any write permission
// bit counts as read-only even for a user whom the system would let write it.
std::int32_t open_for_writing(const char* name, int& fd) {
    fd = open_file(name, O_RDWR | O_NONBLOCK);
    if (fd < 0) {
        return open_error(errno, name);
    }
    struct stat st;
    std::int32_t code = SIGMAR_OK;
    if (::fstat(fd, &st) != 0) {
        code = open_error(errno, name);
    } else if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        code = SIGMAR_ACCESS_DENIED;
    } else if (locked_by_writer(fd)) {
        code = SIGMAR_SHARING_VIOLATION;
    }
    if (code != SIGMAR_OK) {
        ::close(fd);
        fd = -1;
    }
    return code;
}

}  // namespace

std::int32_t stamp(const char* argument, Engine engine) {
    if (argument == nullptr) {
        return SIGMAR_INVALID_PARAMETER;
    }
    // The name is the argument up to its first blank.
    char name[kNameMax + 1];
    std::size_t length = 0;
    while (argument[length] != '\0' && argument[length] != ' ') {
        if (length == kNameMax) {
            return SIGMAR_NAME_TOO_LONG;
        }
        name[length] = argument[length];
        ++length;
    }
    name[length] = '\0';
    if (std::strcmp(name, kVersionQuery) == 0) {
        return SIGMAR_VERSION;
    }

    std::uint32_t number = 0;
    if (const std::int32_t code = compute(name, engine, number); code != SIGMAR_OK) {
        return code;
    }

    // Decimal digits, most significant first, none at all for 0.
    char digits[9];
    std::size_t count = 0;
    for (std::uint32_t n = number; n != 0; n /= 10) {
        ++count;
    }
    for (std::size_t i = count; i > 0; --i, number /= 10) {
        digits[i - 1] = static_cast<char>('0' + number % 10);
    }
    digits[count] = '\0';

    int fd;
    if (const std::int32_t code = open_for_writing(name, fd); code != SIGMAR_OK) {
        return code;
    }
    FileHandle file(fd);
    if (::lseek(file.get(), kNumberEnd - static_cast<off_t>(count), SEEK_SET) < 0) {
        return SIGMAR_SEEK_FAILED;
    }
    std::size_t written = 0;
    while (written < count) {
        const ssize_t n = ::write(file.get(), digits + written, count - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    // A close that fails may have lost the write.
    if (!file.close() || written != count) {
        return SIGMAR_SHORT_WRITE;
    }
    return SIGMAR_OK;
}

}  // namespace sigmarlib
