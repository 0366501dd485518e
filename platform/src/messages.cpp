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

}  // namespace platform
