#include "platform/files.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "../support/temp_folder.hpp"

namespace fs = std::filesystem;
using testsupport::TempFolder;

// A file written under a temporary name replaces whatever stands at the final
// name, a link included, without writing through it.
TEST(Files, TemporaryFileReplacesTheFinalNameWhole) {
    TempFolder t;
    const fs::path victim = t.write("victim.txt", "keep");
    const fs::path target = t / "out.txt";
    fs::create_symlink(victim, target);
    std::error_code ec;
    platform::TempFile tmp = platform::create_temp_beside(target, ec);
    ASSERT_GE(tmp.fd, 0) << ec.message();
    EXPECT_EQ(tmp.path.parent_path(), t.path());
    EXPECT_EQ(tmp.path.filename().string().rfind(".out.txt.", 0), 0u);
    ASSERT_EQ(::write(tmp.fd, "new", 3), 3);
    ::close(tmp.fd);
    EXPECT_TRUE(fs::is_symlink(target));  // nothing changes until the rename
    ASSERT_TRUE(platform::replace_file(tmp.path, target, ec));
    EXPECT_FALSE(fs::is_symlink(target));
    EXPECT_EQ(testsupport::read_file(target), "new");
    EXPECT_EQ(testsupport::read_file(victim), "keep");
    EXPECT_FALSE(fs::exists(tmp.path));

    platform::TempFile none = platform::create_temp_beside(t / "missing/out.txt", ec);
    EXPECT_EQ(none.fd, -1);
    EXPECT_EQ(ec, std::errc::no_such_file_or_directory);
}

// The lock waits while another process holds it, letting events run and
// saying once that it waits.
TEST(Files, FolderLockWaitsForAnotherHolder) {
    TempFolder t;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t other = ::fork();
    if (other == 0) {
        const int fd = ::open(t.path().c_str(), O_RDONLY | O_DIRECTORY);
        ::flock(fd, LOCK_EX);
        [[maybe_unused]] auto n = ::write(ready[1], "x", 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ::_exit(0);
    }
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    int waits = 0, pumps = 0;
    platform::FolderLock lock;
    std::error_code ec;
    ASSERT_TRUE(lock.acquire(
        t.path(), [&] { ++pumps; }, [&] { ++waits; }, ec));
    EXPECT_TRUE(lock.held());
    EXPECT_EQ(waits, 1);
    EXPECT_GT(pumps, 0);
    int status;
    ::waitpid(other, &status, 0);
    ::close(ready[0]);
    ::close(ready[1]);

    // Held: another descriptor cannot take it; released: it can.
    const int fd = ::open(t.path().c_str(), O_RDONLY | O_DIRECTORY);
    EXPECT_NE(::flock(fd, LOCK_EX | LOCK_NB), 0);
    lock.release();
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);

    platform::FolderLock missing;
    EXPECT_FALSE(missing.acquire(t / "none", {}, {}, ec));
    EXPECT_FALSE(missing.held());
}
