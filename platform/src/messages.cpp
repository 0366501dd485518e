#include "platform/messages.hpp"

#include <fstream>
#include <iterator>
#include <ostream>

#include "platform/text.hpp"

namespace platform {

namespace {

bool read_file(const std::filesystem::path& file, std::string& bytes) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

Answer default_answer(Buttons buttons) {
    switch (buttons) {
        case Buttons::ok:
        case Buttons::ok_cancel:
            return Answer::ok;
        case Buttons::abort_retry_ignore:
            return Answer::abort;
        case Buttons::yes_no_cancel:
        case Buttons::yes_no:
            return Answer::yes;
        case Buttons::retry_cancel:
            return Answer::retry;
    }
    return Answer::ok;
}

Answer ConsolePort::message(const std::string& text, const std::string& title, Buttons buttons,
                            Icon) {
    // A carriage return inside a message starts a new line on the terminal.
    std::string shown = text;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] == '\r')
            shown[i] = (i + 1 < shown.size() && shown[i + 1] == '\n') ? ' ' : '\n';
    }
    out_ << title << ": " << shown << '\n' << std::flush;
    return default_answer(buttons);
}

std::optional<std::filesystem::path> ConsolePort::pick_file(const FilePick&) {
    return std::nullopt;
}

bool ConsolePort::show_text_file(const std::filesystem::path& file) {
    std::string bytes;
    if (!read_file(file, bytes)) return false;
    out_ << cp1252_to_utf8(bytes);
    if (!bytes.empty() && bytes.back() != '\n') out_ << '\n';
    out_ << std::flush;
    return true;
}

bool ConsolePort::open_document(const std::filesystem::path& file) {
    out_ << "Documento: " << file.string() << '\n' << std::flush;
    return false;
}

Answer ScriptedPort::message(const std::string& text, const std::string& title, Buttons buttons,
                             Icon icon) {
    calls.push_back({Call::Kind::message, text, title, buttons, icon, {}});
    if (answers.empty()) return default_answer(buttons);
    Answer a = answers.front();
    answers.pop_front();
    return a;
}

std::optional<std::filesystem::path> ScriptedPort::pick_file(const FilePick& pick) {
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

bool ScriptedPort::show_text_file(const std::filesystem::path& file) {
    Call c{Call::Kind::show_text_file, file.string(), {}, Buttons::ok, Icon::none, {}};
    bool ok = read_file(file, c.shown);
    calls.push_back(std::move(c));
    if (while_showing) while_showing();
    return ok;
}

bool ScriptedPort::open_document(const std::filesystem::path& file) {
    calls.push_back({Call::Kind::open_document, file.string(), {}, Buttons::ok, Icon::none, {}});
    return documents_open;
}

std::vector<ScriptedPort::Call> ScriptedPort::messages() const {
    std::vector<Call> out;
    for (const auto& c : calls)
        if (c.kind == Call::Kind::message) out.push_back(c);
    return out;
}

}  // namespace platform
