// The message port of the window programs: real Qt dialogs.
#pragma once

#include <QString>

#include "platform/messages.hpp"

class QWidget;

namespace platform {

// UTF-8 <-> QString, and Windows-1252 bytes -> QString.
QString qt_text(const std::string& utf8);
std::string utf8_of(const QString& text);
QString qt_text_cp1252(const std::string& bytes);

class QtPort final : public MessagePort {
  public:
    // Dialogs are shown over `parent` (may change while the program runs).
    explicit QtPort(QWidget* parent = nullptr) : parent_(parent) {}
    void set_parent(QWidget* parent) { parent_ = parent; }

    Answer message(const std::string& text, const std::string& title, Buttons buttons = Buttons::ok,
                   Icon icon = Icon::none) override;
    std::optional<std::filesystem::path> pick_file(const FilePick& pick) override;
    bool show_text_file(const std::filesystem::path& file) override;
    bool open_document(const std::filesystem::path& file) override;

  private:
    QWidget* parent_;
};

// The text viewer: a modal, read-only window with a fixed-pitch font showing
// an 8-bit Windows-1252 file, with the file's name in its title. Returns when
// the user closes it; false when the file cannot be read.
bool show_text_viewer(QWidget* parent, const std::filesystem::path& file);

}  // namespace platform
