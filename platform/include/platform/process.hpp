// Outside programs: started with an argument vector, never through a shell,
// so paths with blanks and texts read from files cannot reach an interpreter.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace platform {

struct RunResult {
    bool started = false;  // false: the program could not be started
    int error = 0;         // errno of a failed start
    int exit_code = 0;     // exit status, or 128 + signal number
};

// Lets pending window events run; empty for headless callers.
using EventPump = std::function<void()>;

// Starts a program and waits until it has ended, polling its exit status and
// letting pending events run between polls (a short sleep, no busy loop).
// With `pause`, each poll is followed by a longer pause that still pumps
// events. A start that fails ends the wait at once. argv[0] is the program:
// a name without "/" is looked up in PATH. A `quiet` program (one that would
// run in a hidden window) gets /dev/null for its input and output. A child
// started `tied` is killed when this program ends, however it ends, so a
// program that hangs never outlives the one that waits for it.
RunResult Ejecutar_y_Esperar(const std::vector<std::string>& argv, const EventPump& pump = {},
                             bool pause = false, bool quiet = false, bool tied = false);

// Starts a program without waiting for it; its exit is reaped in the
// background. False when it could not be started.
bool start_detached(const std::vector<std::string>& argv);

// The path of an executable found in PATH (or the name itself when it holds a
// "/" and is executable); empty when there is none.
std::filesystem::path find_program(const std::string& name);

// Whether a process other than this one runs the executable file `exe`
// (compared as a file, whatever path it was started by).
bool other_process_runs(const std::filesystem::path& exe);

// Whether another process runs the same executable file as this one.
bool another_copy_running();

}  // namespace platform
