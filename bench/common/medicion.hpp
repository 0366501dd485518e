// Timing for the benchmarks, and outside programs run as reference figures.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

extern char** environ;

namespace bench {

// Seconds that `f` takes, by the steady clock.
inline double segundos(const std::function<void()>& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// The best of `veces` runs of `f`, the files it reads being in the page cache
// after the first.
inline double mejor(int veces, const std::function<void()>& f) {
    double t = 1e300;
    for (int i = 0; i < veces; ++i) t = std::min(t, segundos(f));
    return t;
}

// Runs a program without a shell (argv[0] is looked up in PATH) and waits for
// it with a blocking wait, so that no polling pause is timed. Its standard
// output goes to `salida`, without the final newlines, or is thrown away when
// there is none. True when it exits with 0.
inline bool correr(const std::vector<std::string>& argv, std::string* salida = nullptr) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int tubo[2];
    if (salida != nullptr && ::pipe2(tubo, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t acciones;
    posix_spawn_file_actions_init(&acciones);
    if (salida != nullptr)
        posix_spawn_file_actions_adddup2(&acciones, tubo[1], STDOUT_FILENO);
    else
        posix_spawn_file_actions_addopen(&acciones, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid;
    const int error = posix_spawnp(&pid, args[0], &acciones, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&acciones);
    if (salida != nullptr) {
        ::close(tubo[1]);
        salida->clear();
        char buf[4096];
        ssize_t n;
        while ((n = ::read(tubo[0], buf, sizeof buf)) > 0) salida->append(buf, size_t(n));
        ::close(tubo[0]);
        while (!salida->empty() && salida->back() == '\n') salida->pop_back();
    }
    int estado = 0;
    return error == 0 && ::waitpid(pid, &estado, 0) == pid && WIFEXITED(estado) &&
           WEXITSTATUS(estado) == 0;
}

}  // namespace bench
