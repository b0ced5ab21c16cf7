#include "scrtool/scrtool_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#include <png.h>

#include "screen/screen_layout.h"

namespace scrtool::testing {
namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

Bytes ToBytes(const ScreenBytes& screen) { return Bytes(screen.begin(), screen.end()); }

const std::vector<RealScreen>& RealScreens() {
    static const std::vector<RealScreen> screens = [] {
        std::vector<RealScreen> found;
        for (const auto& entry : std::filesystem::directory_iterator(SCRLAB_TESTDATA_DIR)) {
            if (entry.path().extension() != ".scr")
                continue;
            const Bytes bytes = ReadBytes(entry.path().string());
            if (bytes.size() != screen::ScreenSize)
                throw std::runtime_error("not a test screen: " + entry.path().string());
            RealScreen screen{entry.path().stem().string(), entry.path().string(), {}};
            std::copy(bytes.begin(), bytes.end(), screen.bytes.begin());
            found.push_back(screen);
        }
        std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
        if (found.size() < 10)
            throw std::runtime_error("the test screens are missing");
        return found;
    }();
    return screens;
}

RunResult RunTool(const std::vector<std::string>& arguments, const Bytes& input, const std::vector<std::string>& env,
                  RunAs user) {
    TempFolder streams;
    // The child, whoever it runs as, must reach its standard streams.
    std::filesystem::permissions(streams.path(), std::filesystem::perms(0777));
    const std::string in = streams / "in", out = streams / "out", err = streams / "err";
    WriteBytes(in, input);
    // Nobody may not reach the build folder (a checkout under /root, say):
    // then it runs a copy of the program from the throw-away folder.
    std::string program = SCRTOOL_PROGRAM;
    if (user == RunAs::Nobody && ::geteuid() == 0) {
        program = streams / "scrtool";
        std::filesystem::copy_file(SCRTOOL_PROGRAM, program);
        std::filesystem::permissions(program, std::filesystem::perms(0755));
    }
    const pid_t child = ::fork();
    if (child == 0) {
        const auto redirect = [](const std::string& path, int flags, int fd) {
            const int opened = ::open(path.c_str(), flags, 0600);
            if (opened < 0 || ::dup2(opened, fd) < 0)
                ::_exit(127);
            ::close(opened);
        };
        redirect(in, O_RDONLY, STDIN_FILENO);
        redirect(out, O_WRONLY | O_CREAT | O_TRUNC, STDOUT_FILENO);
        redirect(err, O_WRONLY | O_CREAT | O_TRUNC, STDERR_FILENO);
        for (const std::string& setting : env)
            ::putenv(const_cast<char*>(setting.c_str()));
        if (user == RunAs::Nobody && ::geteuid() == 0 && !files::testing::DropRootPrivileges())
            ::_exit(126);
        ExecTool(arguments, program);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return RunResult{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(out), ReadText(err)};
}

void ExecTool(const std::vector<std::string>& arguments, const std::string& program) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

bool PixelOf(const std::uint8_t* screen, int x, int y) {
    const int offset = ((y >> 6) << 11) | ((y & 7) << 8) | (((y >> 3) & 7) << 5) | (x >> 3);
    return (screen[offset] >> (7 - (x & 7))) & 1;
}

void SetPixel(std::uint8_t* screen, int x, int y, bool on) {
    const int offset = ((y >> 6) << 11) | ((y & 7) << 8) | (((y >> 3) & 7) << 5) | (x >> 3);
    const auto bit = static_cast<std::uint8_t>(0x80 >> (x & 7));
    screen[offset] = static_cast<std::uint8_t>(on ? screen[offset] | bit : screen[offset] & ~bit);
}

std::uint8_t& AttributeOf(std::uint8_t* screen, int column, int row) { return screen[6144 + 32 * row + column]; }
std::uint8_t AttributeOf(const std::uint8_t* screen, int column, int row) { return screen[6144 + 32 * row + column]; }

Image DecodePng(const Bytes& png) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size()))
        return {};
    image.format = PNG_FORMAT_RGB;
    Image decoded{static_cast<int>(image.width), static_cast<int>(image.height), {}};
    decoded.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
    if (!png_image_finish_read(&image, nullptr, decoded.pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return {};
    }
    return decoded;
}

} // namespace scrtool::testing
