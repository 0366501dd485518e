// The message port of tests: records every call and answers from a script.
#pragma once

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/messages.hpp"

namespace testsupport {

class ScriptedPort final : public platform::MessagePort {
  public:
    using Answer = platform::Answer;
    using Buttons = platform::Buttons;
    using Icon = platform::Icon;

    struct Call {
        enum class Kind { message, pick_file, show_text_file, open_document } kind;
        std::string text, title;  // message text and title; path for the file calls
        Buttons buttons = Buttons::ok;
        Icon icon = Icon::none;
        std::string shown;  // show_text_file: the file's bytes at the time it was shown
    };

    std::vector<Call> calls;
    std::deque<Answer> answers;  // message answers, in order; default_answer when empty
    std::deque<std::optional<std::filesystem::path>>
        picks;                            // pick_file results; nothing when empty
    bool documents_open = true;           // result of open_document
    std::function<void()> while_showing;  // runs inside show_text_file (a wait in progress)
    // Runs after a message box is recorded, before it is answered (what the
    // user might do while the box is up).
    std::function<void(const Call&)> on_message;

    Answer message(const std::string& text, const std::string& title, Buttons buttons = Buttons::ok,
                   Icon icon = Icon::none) override {
        calls.push_back({Call::Kind::message, text, title, buttons, icon, {}});
        if (on_message) on_message(calls.back());
        if (answers.empty()) return platform::default_answer(buttons);
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }

    std::optional<std::filesystem::path> pick_file(const platform::FilePick& pick) override {
        calls.push_back({Call::Kind::pick_file,
                         pick.start_folder.string(),
                         pick.title,
                         Buttons::ok,
                         Icon::none,
                         {}});
        if (picks.empty()) return std::nullopt;
        auto p = picks.front();
        picks.pop_front();
        return p;
    }

    bool show_text_file(const std::filesystem::path& file) override {
        Call c{Call::Kind::show_text_file, file.string(), {}, Buttons::ok, Icon::none, {}};
        std::ifstream in(file, std::ios::binary);
        bool ok = bool(in);
        if (ok) {
            c.shown.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            ok = !in.bad();
        }
        calls.push_back(std::move(c));
        if (while_showing) while_showing();
        return ok;
    }

    bool open_document(const std::filesystem::path& file) override {
        calls.push_back(
            {Call::Kind::open_document, file.string(), {}, Buttons::ok, Icon::none, {}});
        return documents_open;
    }

    // The message calls only.
    std::vector<Call> messages() const {
        std::vector<Call> out;
        for (const auto& c : calls)
            if (c.kind == Call::Kind::message) out.push_back(c);
        return out;
    }
};

}  // namespace testsupport
