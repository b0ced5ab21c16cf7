#include "files/files_test_support.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#include "files/file_errors.h"

namespace files::testing {

TempFolder::TempFolder() {
    char name[] = "/tmp/scrlab-files-XXXXXX";
    if (!mkdtemp(name))
        throw std::runtime_error("cannot make a temporary folder");
    path_ = name;
}

TempFolder::~TempFolder() {
    // Tests take rights away; give them back so everything can go.
    std::error_code ignored;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
        if (entry.is_directory(ignored) && !entry.is_symlink(ignored))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempFolder::names() const {
    std::vector<std::string> result;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
        result.push_back(entry.path().filename().string());
    std::sort(result.begin(), result.end());
    return result;
}

std::map<std::string, Bytes> TempFolder::Snapshot() const {
    std::map<std::string, Bytes> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_)) {
        const std::string name = entry.path().lexically_relative(path_).string();
        if (entry.is_regular_file())
            entries[name] = ReadBytes(entry.path().string());
        else
            entries[name + "/"] = {};
    }
    return entries;
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

Bytes Pattern(std::size_t count, std::uint8_t seed) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7 + i / 251);
    return bytes;
}

Bytes AsBytes(const ScreenBuffer& screen) { return Bytes(screen.begin(), screen.end()); }

int InChildProcess(const std::function<int()>& body) {
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0)
        _exit(body());
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool DropRootPrivileges() {
    if (geteuid() != 0)
        return true;
    return BecomeUser(NobodyId);
}

bool BecomeUser(unsigned uid) { return setgroups(0, nullptr) == 0 && setgid(uid) == 0 && setuid(uid) == 0; }

std::vector<Runner> RootAndNobody() {
    // Daemon (1) is neither the runner nor a shared folder's owner.
    if (geteuid() != 0)
        return {};
    return {{"root", 0, NobodyId}, {"nobody", NobodyId, 1}};
}

std::vector<Runner> Anyone() {
    if (geteuid() == 0)
        return RootAndNobody();
    return {{"this user", geteuid(), geteuid()}};
}

int StatusOf(std::error_code error) {
    if (!error)
        return 0;
    if (error.category() == FileFaultCategory())
        return 100 + error.value();
    return error.value();
}

int AsRunner(const Runner& runner, const std::function<std::error_code()>& body) {
    return InChildProcess([&] {
        if (runner.uid != geteuid() && !BecomeUser(runner.uid))
            return 255;
        return StatusOf(body());
    });
}

}  // namespace files::testing
