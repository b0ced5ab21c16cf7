#include "scrtool/writes_test_support.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace scrtool::testing {
namespace {

constexpr auto Patience = std::chrono::seconds(10);
constexpr auto Poll = std::chrono::milliseconds(5);

[[noreturn]] void ExecAs(const Runner& runner, const std::vector<std::string>& arguments, const std::string& program,
                         const std::string& script) {
    if (runner.uid != ::geteuid() && !files::testing::BecomeUser(runner.uid))
        ::_exit(126);
    if (script.empty())
        ExecTool(arguments, program);
    std::vector<std::string> words{"sh", "-c", script, program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    ::execv("/bin/sh", argv.data());
    ::_exit(127);
}

}  // namespace

Bytes Inverted(const Bytes& screen) {
    const RunResult run = RunTool({"invert", "-", "-o", "-"}, screen);
    return Bytes(run.out.begin(), run.out.end());
}

ProgramCopy::ProgramCopy() : path_(folder_ / "scrtool") {
    std::filesystem::permissions(folder_.path(), std::filesystem::perms(0755));
    std::filesystem::copy_file(SCRTOOL_PROGRAM, path_);
    std::filesystem::permissions(path_, std::filesystem::perms(0755));
}

Ran RunPrepared(const Runner& runner, const std::vector<std::string>& arguments, const std::function<void()>& prepare,
                const std::string& script) {
    const ProgramCopy program;
    TempFolder streams;
    std::filesystem::permissions(streams.path(), std::filesystem::perms(0777));
    const std::string err = streams / "err";
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        ::dup2(fd, STDERR_FILENO);
        prepare();
        ExecAs(runner, arguments, program.path(), script);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    const Bytes text = ReadBytes(err);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status), std::string(text.begin(), text.end())};
}

pid_t StartAs(const Runner& runner, const std::vector<std::string>& arguments, const ProgramCopy& program) {
    const pid_t child = ::fork();
    if (child == 0)
        ExecAs(runner, arguments, program.path(), "");
    return child;
}

// Where the kernel hides wait channels, a sleep inside openat stands in:
// opening a regular file or a folder does not sleep.
bool SleepsInOpen(const std::string& proc) {
    long call = -1;
    std::ifstream(proc + "/syscall") >> call;
    std::string stat;
    std::getline(std::ifstream(proc + "/stat"), stat);
    const std::size_t state = stat.rfind(") ");
    return call == SYS_openat && state != std::string::npos && stat.compare(state + 2, 1, "S") == 0;
}

bool WaitsForAPipesReader(pid_t process) {
    const std::string proc = "/proc/" + std::to_string(process);
    for (const auto until = std::chrono::steady_clock::now() + Patience; std::chrono::steady_clock::now() < until;) {
        std::string where;
        std::ifstream(proc + "/wchan") >> where;
        if (where == "wait_for_partner" || ((where.empty() || where == "0") && SleepsInOpen(proc)))
            return true;
        std::this_thread::sleep_for(Poll);
    }
    return false;
}

int EndOf(pid_t child, bool& ended) {
    int status = 0;
    for (const auto until = std::chrono::steady_clock::now() + Patience; std::chrono::steady_clock::now() < until;) {
        if (::waitpid(child, &status, WNOHANG) == child) {
            ended = true;
            return status;
        }
        std::this_thread::sleep_for(Poll);
    }
    ended = false;
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return status;
}

}  // namespace scrtool::testing
