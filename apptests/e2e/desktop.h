#pragma once
// A private X server for one test, and the desktop tools that look at it and
// act on it as a user would: xdotool for the pointer and the keyboard,
// xwininfo for the windows, ImageMagick for screenshots.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "apptests/e2e/pictures.h"
#include "apptests/e2e/process.h"

namespace e2e {

inline constexpr int ScreenPixelsWide = 1600;
inline constexpr int ScreenPixelsHigh = 900;

// Xvfb on the first free display number; stopped when destroyed.
class XServer {
public:
    explicit XServer(const std::string& logPath);
    bool ready() const { return !display_.empty(); }
    const std::string& display() const { return display_; }  // ":N"
    const std::string& failure() const { return failure_; }
    pid_t pid() const { return child_ ? child_->pid() : -1; }

private:
    std::unique_ptr<Child> child_;
    std::string display_;
    std::string failure_;
};

struct XWindow {
    std::string id;    // "0x200006"
    std::string name;  // empty when it has none
    int width = 0;
    int height = 0;
    int x = 0;  // absolute, on the screen
    int y = 0;
};

class Desktop {
public:
    explicit Desktop(std::string display) : display_(std::move(display)) {}

    Environment environment() const { return {{"DISPLAY", display_}}; }
    // Runs a desktop tool against this display.
    Outcome Tool(const std::vector<std::string>& argv, Milliseconds limit = Milliseconds(20000)) const;
    // xdotool with the arguments; true when it succeeded.
    bool Xdo(const std::vector<std::string>& arguments) const;

    void MovePointer(int x, int y) const;
    std::string WindowName(const std::string& id) const;
    // Windows below the root (or below `id`, at any depth with `tree`).
    std::vector<XWindow> Windows(const std::string& id = "", bool tree = false) const;
    // Ids of the mapped windows whose whole name matches the regular expression.
    std::vector<std::string> VisibleWindowsNamed(const std::string& pattern) const;

    std::optional<Image> Screenshot() const;
    // Writes the image as PNG (for people to look at later).
    bool SavePng(const Image& image, const std::string& path) const;

private:
    std::string display_;
};

}  // namespace e2e
