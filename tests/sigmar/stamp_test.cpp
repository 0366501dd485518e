#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <set>
#include <sstream>
#include <string>

#include "sigmar/sigmar.h"
#include "stamp.hpp"
#include "support.hpp"

namespace {

using sigmartest::crafted;
using sigmartest::Folder;
using sigmartest::number_of;
using sigmartest::read_file;
using sigmartest::stamped;
using sigmartest::upload_like;
namespace fs = std::filesystem;

// Works inside a scratch folder so that bare names and "[VERSION]" resolve there.
class sigmar_stamp : public testing::Test {
  protected:
    void SetUp() override {
        previous_ = fs::current_path();
        fs::current_path(folder_.path());
    }
    void TearDown() override { fs::current_path(previous_); }

    std::int32_t stamp(const fs::path& p) { return sigmar(p.c_str()); }

    Folder folder_;
    fs::path previous_;
};

TEST_F(sigmar_stamp, WritesTheWorkedControlNumbers) {
    const auto abc = folder_.write("abc", "abc");
    const auto empty = folder_.write("empty", "");
    EXPECT_EQ(stamp(abc), 0);
    EXPECT_EQ(stamp(empty), 0);
    // Short files are extended with zero bytes up to the digits at offsets 33 to 40.
    EXPECT_EQ(read_file(abc), "abc" + std::string(30, '\0') + "32492317");
    EXPECT_EQ(read_file(empty), std::string(33, '\0') + "50981304");
}

// Larger than one read, with the field right after the first 64 bytes' test.
TEST_F(sigmar_stamp, StampsAnUploadFileOnceAndRefusesItAfterwards) {
    const std::string content = upload_like(10000);
    const auto file = folder_.write("DJ1879.txt", content);
    ASSERT_EQ(stamp(file), 0);
    const std::string after = read_file(file);
    EXPECT_EQ(after, stamped(content));
    EXPECT_NE(after, content);

    EXPECT_EQ(stamp(file), SIGMAR_FIELD_NOT_ZERO);
    EXPECT_EQ(read_file(file), after);
}

TEST_F(sigmar_stamp, BothEnginesStampTheSameNumber) {
    if (!sigmarlib::engine_available(sigmarlib::Engine::sha_ext)) {
        GTEST_SKIP() << "this processor has no SHA extension instructions";
    }
    const std::string content = upload_like(70000, 3);
    const auto a = folder_.write("a", content);
    const auto b = folder_.write("b", content);
    ASSERT_EQ(sigmarlib::stamp(a.c_str(), sigmarlib::Engine::scalar), 0);
    ASSERT_EQ(sigmarlib::stamp(b.c_str(), sigmarlib::Engine::sha_ext), 0);
    EXPECT_EQ(read_file(a), read_file(b));
    EXPECT_EQ(read_file(a), stamped(content));
}

// Files of 64 bytes or more need twenty "0" at offsets 31 to 50; shorter ones are
// not tested and get stamped whatever they hold there.
TEST_F(sigmar_stamp, TestsTheZeroFieldOnlyInFilesOf64BytesOrMore) {
    struct Case {
        std::size_t size;
        std::size_t changed;  // offset that gets a "1"
        std::int32_t result;
    };
    const Case cases[] = {
        {64, 31, SIGMAR_FIELD_NOT_ZERO},
        {64, 40, SIGMAR_FIELD_NOT_ZERO},
        {5000, 50, SIGMAR_FIELD_NOT_ZERO},
        {64, 30, SIGMAR_OK},
        {64, 51, SIGMAR_OK},
        {63, 31, SIGMAR_OK},
    };
    for (const auto& c : cases) {
        std::string content = upload_like(c.size);
        content[c.changed] = '1';
        const auto file = folder_.write("f", content);
        EXPECT_EQ(stamp(file), c.result) << c.size << " bytes, offset " << c.changed;
        EXPECT_EQ(read_file(file), c.result == SIGMAR_OK ? stamped(content) : content)
            << c.size << " bytes, offset " << c.changed;
    }
}

// Contents crafted to give chosen numbers: fewer digits move right, ending at
// offset 40, and 0 writes nothing at all.
TEST_F(sigmar_stamp, PlacesShortNumbersRightAlignedAndWritesNothingForZero) {
    struct Case {
        unsigned long nonce;
        std::uint32_t number;
        std::string field;  // offsets 31 to 50 afterwards
    };
    const Case cases[] = {
        {24, 6772211, "00067722110000000000"},
        {26954113, 2, "00000000020000000000"},
        {60735847, 0, "00000000000000000000"},
    };
    for (const auto& c : cases) {
        const std::string content = crafted(c.nonce);
        ASSERT_EQ(number_of(content), c.number) << "crafted content " << c.nonce;
        const auto file = folder_.write("f", content);
        EXPECT_EQ(stamp(file), 0);
        const std::string after = read_file(file);
        EXPECT_EQ(after.substr(31, 20), c.field);
        EXPECT_EQ(after.substr(0, 31), content.substr(0, 31));
        EXPECT_EQ(after.substr(51), content.substr(51));
    }
}

TEST_F(sigmar_stamp, AnswersTheVersionQueryWithoutTouchingAnyFile) {
    // Files with the query's name show that nothing is opened.
    folder_.write("[VERSION]", "abc");
    folder_.write("[version]", "abc");
    EXPECT_EQ(sigmar("[VERSION]"), SIGMAR_VERSION);
    EXPECT_EQ(sigmar("[VERSION] more words"), SIGMAR_VERSION);
    EXPECT_EQ(read_file("[VERSION]"), "abc");
    // Only the exact upper-case word is the query: this is a file name.
    EXPECT_EQ(sigmar("[version]"), 0);
    EXPECT_EQ(read_file("[version]"), stamped("abc"));
}

TEST_F(sigmar_stamp, TakesTheNameUpToTheFirstBlank) {
    folder_.write("DJ", "abc");
    EXPECT_EQ(sigmar("DJ more words"), 0);
    EXPECT_EQ(read_file("DJ"), stamped("abc"));
    // A leading blank leaves an empty name.
    EXPECT_EQ(sigmar(" DJ"), SIGMAR_PATH_NOT_FOUND);
}

TEST_F(sigmar_stamp, RefusesNamesOver151CharactersWithoutOpeningThem) {
    const std::string longest(151, 'n');
    const std::string too_long(152, 'n');
    folder_.write(longest, "abc");
    folder_.write(too_long, "abc");
    EXPECT_EQ(sigmar(longest.c_str()), 0);
    EXPECT_EQ(read_file(longest), stamped("abc"));
    EXPECT_EQ(sigmar(too_long.c_str()), SIGMAR_NAME_TOO_LONG);
    EXPECT_EQ(sigmar((too_long + " word").c_str()), SIGMAR_NAME_TOO_LONG);
    EXPECT_EQ(sigmar(std::string(100000, 'n').c_str()), SIGMAR_NAME_TOO_LONG);
    EXPECT_EQ(read_file(too_long), "abc");
    EXPECT_EQ(sigmar(nullptr), SIGMAR_INVALID_PARAMETER);
}

TEST_F(sigmar_stamp, ReportsFilesThatCannotBeOpened) {
    folder_.write("plain", "abc");
    fs::create_directory("folder");
    ASSERT_EQ(::mkfifo("pipe", 0600), 0);
    struct Case {
        std::string name;
        std::int32_t result;
    };
    const Case cases[] = {
        {"missing.txt", SIGMAR_FILE_NOT_FOUND},
        {(folder_.path() / "missing.txt").string(), SIGMAR_FILE_NOT_FOUND},
        {"no-folder/missing.txt", SIGMAR_PATH_NOT_FOUND},
        {"plain/missing.txt", SIGMAR_PATH_NOT_FOUND},
        {"folder", SIGMAR_ACCESS_DENIED},
        // Neither blocks nor reads forever.
        {"pipe", SIGMAR_ACCESS_DENIED},
        {"/dev/zero", SIGMAR_ACCESS_DENIED},
        // A regular file whose first read fails is not stamped.
        {"/proc/self/mem", SIGMAR_READ_FAULT},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sigmar(c.name.c_str()), c.result) << c.name;
    }
    EXPECT_EQ(read_file("plain"), "abc");
}

// The hash step passes; the open for writing is refused and nothing changes.
TEST_F(sigmar_stamp, LeavesReadOnlyFilesUnchanged) {
    const auto file = folder_.write("readonly", "abc");
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(stamp(file), SIGMAR_ACCESS_DENIED);
    EXPECT_EQ(read_file(file), "abc");
}

enum class Lock { flock_exclusive, flock_shared, record_write, record_read };

// Another process that holds a lock on a file until it is released.
class LockHolder {
  public:
    LockHolder(const fs::path& file, Lock kind) {
        int ready[2], release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            const int fd = ::open(file.c_str(), O_RDWR);
            bool locked = false;
            if (kind == Lock::flock_exclusive || kind == Lock::flock_shared) {
                locked = ::flock(fd, kind == Lock::flock_exclusive ? LOCK_EX : LOCK_SH) == 0;
            } else {
                struct flock lock {};
                lock.l_type = kind == Lock::record_write ? F_WRLCK : F_RDLCK;
                lock.l_whence = SEEK_SET;
                lock.l_start = 10;
                lock.l_len = 5;
                locked = ::fcntl(fd, F_SETLK, &lock) == 0;
            }
            const char answer = locked ? 'y' : 'n';
            char ignored;
            if (::write(ready[1], &answer, 1) == 1) {
                while (::read(release[0], &ignored, 1) < 0 && errno == EINTR) {
                }
            }
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        release_ = release[1];
        char answer = 'n';
        locked_ = pid_ > 0 && ::read(ready[0], &answer, 1) == 1 && answer == 'y';
        ::close(ready[0]);
    }
    ~LockHolder() {
        if (release_ >= 0) {
            ::close(release_);
        }
        if (pid_ > 0) {
            ::waitpid(pid_, nullptr, 0);
        }
    }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;
    bool locked() const { return locked_; }

  private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool locked_ = false;
};

// Exclusive locks of another process block the stamp; shared ones of readers do not.
TEST_F(sigmar_stamp, LeavesFilesLockedByAnotherWriterUnchanged) {
    struct Case {
        Lock lock;
        const char* name;
        std::int32_t result;
    };
    const Case cases[] = {
        {Lock::flock_exclusive, "flock LOCK_EX", SIGMAR_SHARING_VIOLATION},
        {Lock::record_write, "fcntl F_WRLCK", SIGMAR_SHARING_VIOLATION},
        {Lock::flock_shared, "flock LOCK_SH", SIGMAR_OK},
        {Lock::record_read, "fcntl F_RDLCK", SIGMAR_OK},
    };
    for (const auto& c : cases) {
        const auto file = folder_.write("locked", "abc");
        LockHolder holder(file, c.lock);
        ASSERT_TRUE(holder.locked()) << c.name;
        EXPECT_EQ(stamp(file), c.result) << c.name;
        EXPECT_EQ(read_file(file), c.result == SIGMAR_OK ? stamped("abc") : "abc") << c.name;
    }
}

// Callers bind the one export by name; nothing else may leak out of the library.
TEST(sigmar_library, ExportsOnlySigmar) {
    Folder folder;
    const auto run = sigmartest::run(
        {"/usr/bin/nm", "-D", "--defined-only", sigmartest::built("libsigmar32.so").string()},
        folder.path() / "nm.txt");
    if (run.exit_code < 0) {
        GTEST_SKIP() << "nm is not available";
    }
    ASSERT_EQ(run.exit_code, 0) << run.output;
    std::set<std::string> names;
    std::istringstream lines(run.output);
    std::string address, type, name;
    while (lines >> address >> type >> name) {
        names.insert(name);
    }
    EXPECT_EQ(names, std::set<std::string>{"sigmar"});
}

}  // namespace
