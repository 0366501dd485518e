// Pictures of the screen for the programs' screenshot tools (run under Xvfb).
#pragma once

#include <QString>
#include <utility>

namespace platform {

// Saves the whole screen, once pending events have run, as
// FOLDER/PREFIX + n + "-" + NAME + ".png", n counting this grabber's pictures
// from 1, and prints the path; a picture that cannot be saved is told on
// standard error with the tool's name.
class ScreenGrabber {
  public:
    ScreenGrabber(QString folder, QString prefix, QString tool)
        : folder_(std::move(folder)), prefix_(std::move(prefix)), tool_(std::move(tool)) {}
    void grab(const char* name);

  private:
    QString folder_, prefix_, tool_;
    int count_ = 0;
};

}  // namespace platform
