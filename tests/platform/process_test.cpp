#include "platform/process.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

#include "../support/temp_folder.hpp"

using testsupport::TempFolder;

TEST(Process, WaitsForTheProgramAndPumpsEventsMeanwhile) {
    int pumps = 0;
    auto start = std::chrono::steady_clock::now();
    auto r = platform::Ejecutar_y_Esperar({"sleep", "0.2"}, [&] { ++pumps; });
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(r.started);
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_GE(waited, std::chrono::milliseconds(200));
    EXPECT_GT(pumps, 5);

    int paused_pumps = 0;
    r = platform::Ejecutar_y_Esperar(
        {"sleep", "0.1"}, [&] { ++paused_pumps; }, true);
    EXPECT_TRUE(r.started);
    EXPECT_GT(paused_pumps, 5);
}

TEST(Process, PassesArgumentsWithoutAShell) {
    TempFolder t;
    auto out = t / "out file.txt";
    // Blanks, quotes and shell characters reach the program as they stand.
    const std::string arg = "12 34; rm -rf \"x\" $(id) `y`";
    auto r = platform::Ejecutar_y_Esperar(
        {"/bin/sh", "-c", "printf %s \"$1\" > \"$2\"; exit 7", "sh", arg, out.string()});
    EXPECT_TRUE(r.started);
    EXPECT_EQ(r.exit_code, 7);
    EXPECT_EQ(testsupport::read_file(out), arg);
}

TEST(Process, AProgramThatCannotStartEndsTheWaitAtOnce) {
    TempFolder t;
    int pumps = 0;
    for (auto argv : std::vector<std::vector<std::string>>{
             {"no-such-program-orvex"}, {(t / "missing").string()}, {t.path().string()}, {}}) {
        auto r = platform::Ejecutar_y_Esperar(argv, [&] { ++pumps; });
        EXPECT_FALSE(r.started);
        EXPECT_NE(r.error, 0);
    }
    EXPECT_EQ(pumps, 0);
    EXPECT_FALSE(platform::start_detached({"no-such-program-orvex"}));
}

TEST(Process, FindsProgramsInPath) {
    EXPECT_FALSE(platform::find_program("sh").empty());
    EXPECT_TRUE(platform::find_program("no-such-program-orvex").empty());
    EXPECT_EQ(platform::find_program("/bin/sh"), std::filesystem::path("/bin/sh"));
}

TEST(Process, SeesAnotherProcessOfTheSameProgramFile) {
    // A private copy of a program, so that no other process runs that file.
    TempFolder t;
    auto copia = t / "durmiente";
    std::filesystem::copy_file(platform::find_program("sleep"), copia);
    EXPECT_FALSE(platform::other_process_runs(copia));
    ASSERT_TRUE(platform::start_detached({copia.string(), "2"}));
    bool seen = false;
    for (int i = 0; i < 100 && !seen; ++i) {
        seen = platform::other_process_runs(copia);
        if (!seen) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(seen);
}

TEST(Process, AQuietProgramWritesNowhere) {
    testing::internal::CaptureStdout();
    auto r = platform::Ejecutar_y_Esperar({"echo", "hidden"}, {}, false, true);
    EXPECT_TRUE(r.started);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

namespace {

// Whether process `pid` has ended (gone, or a zombie not yet reaped by init).
bool ended(pid_t pid) {
    const std::string stat = testsupport::read_file("/proc/" + std::to_string(pid) + "/stat");
    if (stat.empty()) return true;
    const auto close = stat.rfind(')');
    return close != std::string::npos && stat.size() > close + 2 && stat[close + 2] == 'Z';
}

}  // namespace

// A tied child is killed when the program waiting for it ends, however it
// ends: a hung helper never outlives it.
TEST(Process, ATiedChildEndsWithItsParent) {
    TempFolder t;
    const auto pidfile = t / "pid";
    const pid_t waiter = ::fork();
    if (waiter == 0) {
        platform::Ejecutar_y_Esperar(
            {"/bin/sh", "-c", "echo $$ > \"$0\"; exec sleep 30", pidfile.string()}, {}, false, true,
            true);
        ::_exit(0);
    }
    pid_t child = 0;
    for (int i = 0; i < 500 && child == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        child = std::atoi(testsupport::read_file(pidfile).c_str());
    }
    ASSERT_GT(child, 0);
    EXPECT_FALSE(ended(child));
    ::kill(waiter, SIGKILL);
    int status;
    ::waitpid(waiter, &status, 0);
    bool gone = false;
    for (int i = 0; i < 300 && !gone; ++i) {
        gone = ended(child);
        if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(gone);
    if (!gone) ::kill(child, SIGKILL);
}

TEST(Process, ATiedChildReportsAFailedStart) {
    const auto r = platform::Ejecutar_y_Esperar({"/nonexistent/program"}, {}, false, true, true);
    EXPECT_FALSE(r.started);
    EXPECT_EQ(r.error, ENOENT);
    const auto ok = platform::Ejecutar_y_Esperar({"sh", "-c", "exit 3"}, {}, false, true, true);
    EXPECT_TRUE(ok.started);
    EXPECT_EQ(ok.exit_code, 3);
}
