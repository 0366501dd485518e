// Files written whole or not at all, and an advisory lock on a folder.
//
// A file that others read or send is written under a temporary name in its
// own folder and renamed into place once complete: readers never see half a
// file, and a link, FIFO or file planted at the final name is replaced rather
// than followed or opened.
#pragma once

#include <filesystem>
#include <functional>
#include <system_error>

#include "platform/process.hpp"

namespace platform {

struct TempFile {
    int fd = -1;                 // open for writing; the caller closes it
    std::filesystem::path path;  // the temporary name
};

// Creates a new, empty file beside `target` under a unique hidden name
// (".NAME.XXXXXX"), exclusively (never through an existing entry), with the
// permissions of a new file (0666 less the umask). fd -1 and `ec` on failure.
TempFile create_temp_beside(const std::filesystem::path& target, std::error_code& ec);

// Renames `temp` to `target` in one step. False with `ec` when it cannot; the
// temporary file is then left for the caller to remove.
bool replace_file(const std::filesystem::path& temp, const std::filesystem::path& target,
                  std::error_code& ec);

// An exclusive advisory lock (flock) on a folder, held until released or
// destroyed. Other processes that take the same lock wait for it.
class FolderLock {
  public:
    FolderLock() = default;
    ~FolderLock() { release(); }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Takes the lock, waiting as long as another holder keeps it: polls with a
    // short sleep, letting `pump` run window events between polls; `waiting`
    // (may be empty) is called once when the lock is not free at once. False
    // with `ec` when the folder cannot be opened or locked.
    bool acquire(const std::filesystem::path& folder, const EventPump& pump,
                 const std::function<void()>& waiting, std::error_code& ec);
    void release();
    bool held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

}  // namespace platform
