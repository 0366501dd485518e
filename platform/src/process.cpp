#include "platform/process.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string_view>
#include <thread>

extern char** environ;

namespace platform {

namespace {

using namespace std::chrono_literals;

// Starts argv[0] (looked up in PATH when it holds no "/"); the pid, or -1
// with errno set.
pid_t spawn(const std::vector<std::string>& argv, bool quiet = false) {
    if (argv.empty() || argv[0].empty()) {
        errno = ENOENT;
        return -1;
    }
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    if (quiet) {
        ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        ::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        ::posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = -1;
    int rc = argv[0].find('/') == std::string::npos
                 ? ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ)
                 : ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        errno = rc;
        return -1;
    }
    return pid;
}

// Starts argv[0] in a child that the kernel kills when this process ends.
// posix_spawn cannot ask for that, so this forks and does only
// async-signal-safe calls before exec; a failed exec reports its errno
// through a pipe. The pid, or -1 with errno set.
pid_t spawn_tied(const std::vector<std::string>& argv, bool quiet) {
    if (argv.empty() || argv[0].empty()) {
        errno = ENOENT;
        return -1;
    }
    const std::filesystem::path program = argv[0].find('/') == std::string::npos
                                              ? find_program(argv[0])
                                              : std::filesystem::path(argv[0]);
    if (program.empty()) {
        errno = ENOENT;
        return -1;
    }
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return -1;
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        const int e = errno;
        ::close(report[0]);
        ::close(report[1]);
        errno = e;
        return -1;
    }
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);  // the parent is already gone
        struct sigaction dfl {};
        dfl.sa_handler = SIG_DFL;
        ::sigaction(SIGPIPE, &dfl, nullptr);
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        if (quiet) {
            const int null = ::open("/dev/null", O_RDWR);
            if (null >= 0) {
                ::dup2(null, 0);
                ::dup2(null, 1);
                ::dup2(null, 2);
                if (null > 2) ::close(null);
            }
        }
        ::execve(program.c_str(), args.data(), environ);
        const int e = errno;
        [[maybe_unused]] ssize_t w = ::write(report[1], &e, sizeof e);
        ::_exit(127);
    }
    ::close(report[1]);
    int e = 0;
    ssize_t n;
    while ((n = ::read(report[0], &e, sizeof e)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    if (n == static_cast<ssize_t>(sizeof e)) {
        int status;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        errno = e;
        return -1;
    }
    return pid;
}

int exit_code_of(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return 0;
}

}  // namespace

RunResult Ejecutar_y_Esperar(const std::vector<std::string>& argv, const EventPump& pump,
                             bool pause, bool quiet, bool tied) {
    RunResult result;
    pid_t pid = tied ? spawn_tied(argv, quiet) : spawn(argv, quiet);
    if (pid < 0) {
        result.error = errno;
        return result;
    }
    result.started = true;
    for (;;) {
        int status = 0;
        pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) {
            result.exit_code = exit_code_of(status);
            return result;
        }
        if (r < 0 && errno != EINTR) return result;  // lost the child: nothing to wait for
        if (pump) pump();
        std::this_thread::sleep_for(2ms);
        if (pause) {
            // The longer pause between two polls, still keeping the windows alive.
            for (int i = 0; i < 5; ++i) {
                if (pump) pump();
                std::this_thread::sleep_for(2ms);
            }
        }
    }
}

bool start_detached(const std::vector<std::string>& argv) {
    pid_t pid = spawn(argv);
    if (pid < 0) return false;
    std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

std::filesystem::path find_program(const std::string& name) {
    if (name.empty()) return {};
    if (name.find('/') != std::string::npos)
        return ::access(name.c_str(), X_OK) == 0 ? std::filesystem::path(name)
                                                 : std::filesystem::path();
    const char* path = std::getenv("PATH");
    std::string_view dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!dirs.empty()) {
        std::size_t colon = dirs.find(':');
        std::string dir(dirs.substr(0, colon));
        dirs = colon == std::string_view::npos ? std::string_view() : dirs.substr(colon + 1);
        std::filesystem::path candidate = std::filesystem::path(dir.empty() ? "." : dir) / name;
        struct stat st;
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

bool another_copy_running() {
    return other_process_runs("/proc/self/exe");
}

bool other_process_runs(const std::filesystem::path& exe) {
    struct stat self;
    if (::stat(exe.c_str(), &self) != 0) return false;
    const pid_t me = ::getpid();
    DIR* proc = ::opendir("/proc");
    if (!proc) return false;
    bool found = false;
    while (dirent* e = ::readdir(proc)) {
        char* end = nullptr;
        long pid = std::strtol(e->d_name, &end, 10);
        if (*end != '\0' || pid <= 0 || pid == me) continue;
        std::string exe = std::string("/proc/") + e->d_name + "/exe";
        struct stat other;
        if (::stat(exe.c_str(), &other) == 0 && other.st_dev == self.st_dev &&
            other.st_ino == self.st_ino) {
            found = true;
            break;
        }
    }
    ::closedir(proc);
    return found;
}

}  // namespace platform
