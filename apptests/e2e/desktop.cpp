#include "apptests/e2e/desktop.h"

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace e2e {
namespace {

constexpr Milliseconds ServerStartLimit(30000);

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

// Xvfb writes its display number to the descriptor once it accepts clients.
std::string ReadDisplayNumber(int descriptor) {
    std::string number;
    const Clock::time_point deadline = Clock::now() + ServerStartLimit;
    while (Clock::now() < deadline) {
        pollfd watched{descriptor, POLLIN, 0};
        auto left = std::chrono::duration_cast<Milliseconds>(deadline - Clock::now()).count();
        if (poll(&watched, 1, static_cast<int>(left)) <= 0)
            break;
        char c = 0;
        if (read(descriptor, &c, 1) != 1)
            break;
        if (c == '\n')
            return number;
        number.push_back(c);
    }
    return {};
}

}  // namespace

XServer::XServer(const std::string& logPath) {
    int pipe[2];
    if (pipe2(pipe, O_CLOEXEC) != 0) {
        failure_ = "no pipe for the display number";
        return;
    }
    // The child finds the pipe as descriptor 3. Without -noreset the server
    // starts over whenever its last client leaves, and a program connecting
    // just then is turned away: the tools come and go all the time.
    child_ = std::make_unique<Child>(
        std::vector<std::string>{"Xvfb", "-displayfd", "3", "-screen", "0",
                                 std::to_string(ScreenPixelsWide) + "x" + std::to_string(ScreenPixelsHigh) + "x24",
                                 "-nolisten", "tcp", "-noreset"},
        Environment{}, logPath, logPath, pipe[1]);
    close(pipe[1]);
    std::string number = ReadDisplayNumber(pipe[0]);
    close(pipe[0]);
    if (number.empty()) {
        failure_ = "Xvfb did not start: " + ReadWholeFile(logPath);
        child_.reset();
        return;
    }
    display_ = ":" + number;
}

Outcome Desktop::Tool(const std::vector<std::string>& argv, Milliseconds limit) const {
    return RunToEnd(argv, limit, environment());
}

bool Desktop::Xdo(const std::vector<std::string>& arguments) const {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return Tool(argv).succeeded();
}

void Desktop::MovePointer(int x, int y) const { Xdo({"mousemove", std::to_string(x), std::to_string(y)}); }

std::string Desktop::WindowName(const std::string& id) const {
    Outcome outcome = Tool({"xdotool", "getwindowname", id});
    return outcome.succeeded() ? Trimmed(outcome.output) : std::string{};
}

std::vector<XWindow> Desktop::Windows(const std::string& id, bool tree) const {
    std::vector<std::string> argv{"xwininfo", tree ? "-tree" : "-children"};
    if (id.empty()) {
        argv.push_back("-root");
    } else {
        argv.push_back("-id");
        argv.push_back(id);
    }
    Outcome outcome = Tool(argv);
    // "     0x200006 "New window ( 0 )": ("scrlab" "scrlab")  1073x510+381+118  +381+118"
    static const std::regex line(
        R"re(^\s+(0x[0-9a-f]+) (?:"(.*)"|\(has no name\)): \(.*\)\s+(\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+(-?\d+)\+(-?\d+)\s*$)re");
    std::vector<XWindow> windows;
    std::istringstream lines(outcome.output);
    std::string text;
    bool past = false;  // skip the line that describes the window asked about
    while (std::getline(lines, text)) {
        if (text.find("child") != std::string::npos && text.find(':') == text.size() - 1) {
            past = true;
            continue;
        }
        std::smatch match;
        if (!past || !std::regex_match(text, match, line))
            continue;
        windows.push_back(XWindow{match[1], match[2], std::stoi(match[3]), std::stoi(match[4]), std::stoi(match[5]),
                                  std::stoi(match[6])});
    }
    return windows;
}

std::vector<std::string> Desktop::VisibleWindowsNamed(const std::string& pattern) const {
    Outcome outcome = Tool({"xdotool", "search", "--onlyvisible", "--name", pattern});
    std::vector<std::string> ids;
    std::istringstream lines(outcome.output);
    std::string id;
    while (lines >> id)
        ids.push_back(id);
    return ids;
}

std::optional<Image> Desktop::Screenshot() const {
    Outcome outcome = Tool({"/usr/bin/import", "-silent", "-window", "root", "-depth", "8", "ppm:-"});
    if (!outcome.succeeded())
        return std::nullopt;
    return ParsePpm(outcome.output);
}

bool Desktop::SavePng(const Image& image, const std::string& path) const {
    const std::string ppmPath = path + ".ppm";
    {
        std::ofstream out(ppmPath, std::ios::binary);
        out << ToPpm(image);
        if (!out)
            return false;
    }
    bool written = Tool({"/usr/bin/convert", ppmPath, path}).succeeded();
    std::remove(ppmPath.c_str());
    return written;
}

}  // namespace e2e
