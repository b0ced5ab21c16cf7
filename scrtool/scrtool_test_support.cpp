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

}  // namespace

Bytes ToBytes(const ScreenBytes& screen) { return Bytes(screen.begin(), screen.end()); }

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

std::uint8_t& AttributeOf(std::uint8_t* screen, int column, int row) {
    return screen[testsupport::AttributeOffset(column, row)];
}
std::uint8_t AttributeOf(const std::uint8_t* screen, int column, int row) {
    return screen[testsupport::AttributeOffset(column, row)];
}

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

}  // namespace scrtool::testing
