// scrtool's writes into streams: standard output by any of its names, pipes
// whose reader comes late or never, and interrupts meanwhile. Each case runs
// as root and as nobody, or as the user running the tests when that is not
// root; signals are sent once the program provably waits.

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "scrtool/command_line.h"
#include "scrtool/commands.h"
#include "scrtool/writes_test_support.h"

namespace scrtool::testing {
namespace {

class StreamsCli : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::permissions(folder_.path(), std::filesystem::perms(0777));
        WriteBytes(folder_ / "good.scr", screen_);
    }
    TempFolder folder_;
    const Bytes screen_ = ToBytes(RealScreens()[3].bytes);
};

// Everything the pipe's read end gives until every writer is gone.
class PipeReader {
public:
    PipeReader() {
        if (::pipe(ends_) != 0)
            throw std::runtime_error("no pipe");
        reader_ = std::thread([this] {
            std::uint8_t chunk[1024];
            for (ssize_t n; (n = ::read(ends_[0], chunk, sizeof chunk)) > 0;)
                got_.insert(got_.end(), chunk, chunk + n);
        });
    }
    ~PipeReader() {
        if (reader_.joinable())
            Got();
    }
    PipeReader(const PipeReader&) = delete;
    PipeReader& operator=(const PipeReader&) = delete;
    int WriteEnd() const { return ends_[1]; }
    const Bytes& Got() {
        ::close(ends_[1]);
        reader_.join();
        ::close(ends_[0]);
        return got_;
    }

private:
    int ends_[2]{};
    std::thread reader_;
    Bytes got_;
};

// Every name of standard output was once either matched as a string or
// reopened by name: all but /dev/stdout and /dev/fd/1 cut a log opened for
// appending to one screen, and into a pipe failed as a link to nothing. Run
// by a shell, so that $$ is another process, whose standard output is ours.
TEST_F(StreamsCli, StandardOutputByAnyNameAppendsToALogAndFillsAPipe) {
    const Bytes early{'e', 'a', 'r', 'l', 'y'};
    Bytes appended = early;
    const Bytes inverted = Inverted(screen_);
    appended.insert(appended.end(), inverted.begin(), inverted.end());
    const std::string log = folder_ / "log";
    for (const Runner& runner : files::testing::Anyone()) {
        for (const char* name : {"/dev/stdout", "//dev/stdout", "/dev/./stdout", "/dev/fd/1", "/dev/fd/./1",
                                 "/proc/self/fd/1", "/proc/thread-self/fd/1", "/proc/$$/fd/1"}) {
            SCOPED_TRACE(std::string(runner.name) + ", " + name);
            const std::string script = std::string("\"$0\" invert \"$1\" -o ") + name + "; exit $?";
            WriteBytes(log, early);
            Ran run = RunPrepared(
                runner, {folder_ / "good.scr"},
                [&] { ::dup2(::open(log.c_str(), O_WRONLY | O_APPEND), STDOUT_FILENO); }, script);
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(ReadBytes(log), appended);

            PipeReader pipe;
            run = RunPrepared(
                runner, {folder_ / "good.scr"}, [&] { ::dup2(pipe.WriteEnd(), STDOUT_FILENO); }, script);
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(pipe.Got(), inverted);
        }
        // The shell's descriptor 3, not one of the program's standard three:
        // opened anew through /proc (so with the file's own permissions), a
        // regular file is written at its end.
        SCOPED_TRACE(std::string(runner.name) + ", another process's descriptor 3");
        WriteBytes(log, early);
        ::chmod(log.c_str(), 0666);
        const Ran run = RunPrepared(
            runner, {folder_ / "good.scr"}, [&] { ::dup2(::open(log.c_str(), O_WRONLY | O_APPEND), 3); },
            "\"$0\" invert \"$1\" -o /proc/$$/fd/3; exit $?");
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(ReadBytes(log), appended);
    }
}

// The reader comes only once the program waits for it, and still gets the
// whole screen; with no reader an interrupt ends the wait at once.
TEST_F(StreamsCli, AFifoWaitsForItsReaderAndAnInterruptIsNotHeldBackMeanwhile) {
    const ProgramCopy program;
    const std::string fifo = folder_ / "fifo.scr";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    ::chmod(fifo.c_str(), 0666);
    for (const Runner& runner : files::testing::Anyone()) {
        SCOPED_TRACE(runner.name);
        pid_t child = StartAs(runner, {"invert", folder_ / "good.scr", "-o", fifo}, program);
        EXPECT_TRUE(WaitsForAPipesReader(child));
        Bytes got;
        const int fd = ::open(fifo.c_str(), O_RDONLY);
        std::uint8_t chunk[1024];
        for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) > 0;)
            got.insert(got.end(), chunk, chunk + n);
        ::close(fd);
        bool ended = false;
        int status = EndOf(child, ended);
        EXPECT_TRUE(ended && WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_EQ(got, Inverted(screen_));

        child = StartAs(runner, {"invert", folder_ / "good.scr", "-o", fifo}, program);
        EXPECT_TRUE(WaitsForAPipesReader(child));
        ::kill(child, SIGINT);
        status = EndOf(child, ended);
        EXPECT_TRUE(ended) << "the interrupt was held back while waiting for a reader";
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    }
}

// Whether the name is a stream was once asked of the name before the walk
// that the write then made: a file swapped for a pipe in between was opened
// with interrupts held back, and only SIGKILL ended the wait. Here the swap
// comes at the walk's start (a seam of the tests), in a child that runs the
// command itself.
TEST(Interrupts, AFileSwappedForAPipeBeforeTheWalkIsWaitedForWithInterruptsFree) {
    TempFolder folder;
    const std::string input = folder / "good.scr", output = folder / "out.scr";
    WriteBytes(input, ToBytes(RealScreens()[3].bytes));
    WriteBytes(output, ToBytes(RealScreens()[5].bytes));
    const pid_t child = ::fork();
    if (child == 0) {
        files::testing::SetBeforeWalkHook([&](const std::string& name) {
            if (name == output && ::unlink(output.c_str()) == 0)
                ::mkfifo(output.c_str(), 0600);
        });
        const Parsed parsed = ParseArguments({"invert", input, "-o", output});
        ::_exit(parsed.invocation ? scrtool::Run(*parsed.invocation) : 3);
    }
    EXPECT_TRUE(WaitsForAPipesReader(child));
    ::kill(child, SIGINT);
    bool ended = false;
    const int status = EndOf(child, ended);
    EXPECT_TRUE(ended) << "the interrupt was held back while waiting for a reader";
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
}

}  // namespace
}  // namespace scrtool::testing
