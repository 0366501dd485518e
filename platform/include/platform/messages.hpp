// The message port: everything the programs show to the user or ask of the
// desktop (message boxes, the file picker, showing a text file until it is
// closed, opening a document) goes through it. The Qt programs give a port of
// real dialogs, headless tools the console port, tests the scripted port.
// Texts are UTF-8.
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class Buttons {
    ok = 0,
    ok_cancel = 1,
    abort_retry_ignore = 2,
    yes_no_cancel = 3,
    yes_no = 4,
    retry_cancel = 5
};
enum class Icon { none = 0, critical = 16, question = 32, exclamation = 48, information = 64 };
enum class Answer { ok = 1, cancel = 2, abort = 3, retry = 4, ignore = 5, yes = 6, no = 7 };

struct FilePick {
    std::string title;           // empty: the dialog's own title
    std::string filter = "*.*";  // name pattern(s) offered
    std::filesystem::path start_folder;
    bool validate_names = false;  // false: any typed name is returned as it stands
};

class MessagePort {
  public:
    virtual ~MessagePort() = default;
    // A modal message box; returns the button the user chose.
    virtual Answer message(const std::string& text, const std::string& title,
                           Buttons buttons = Buttons::ok, Icon icon = Icon::none) = 0;
    // The open-file dialog; nothing when the user cancels.
    virtual std::optional<std::filesystem::path> pick_file(const FilePick& pick) = 0;
    // Shows an 8-bit (Windows-1252) text file until the user closes it.
    // False when the file could not be shown.
    virtual bool show_text_file(const std::filesystem::path& file) = 0;
    // Opens a document with the desktop's application for it, without waiting.
    // False when nothing could be opened.
    virtual bool open_document(const std::filesystem::path& file) = 0;
};

// Headless port: prints each message as "title: text" on its stream and
// answers with the first button; prints a shown text file decoded to UTF-8;
// picks no file; opens no document (it says so on the stream).
class ConsolePort final : public MessagePort {
  public:
    explicit ConsolePort(std::ostream& out) : out_(out) {}
    Answer message(const std::string& text, const std::string& title, Buttons buttons = Buttons::ok,
                   Icon icon = Icon::none) override;
    std::optional<std::filesystem::path> pick_file(const FilePick& pick) override;
    bool show_text_file(const std::filesystem::path& file) override;
    bool open_document(const std::filesystem::path& file) override;

  private:
    std::ostream& out_;
};

// The first button of a set, the answer of a box that is simply confirmed.
Answer default_answer(Buttons buttons);

}  // namespace platform
