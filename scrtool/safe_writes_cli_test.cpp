// scrtool's writes where others or the system work against them: links
// planted in shared folders, standard output and pipes, size limits, ACLs,
// interrupts, hostile names and outputs that collide. Each case runs as root
// and as nobody, and checks status, message and every file afterwards.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "files/file_states.h"
#include "scrtool/command_line.h"
#include "scrtool/commands.h"
#include "scrtool/scrtool_test_support.h"

namespace scrtool::testing {
namespace {

using files::testing::StatesBelow;

constexpr uid_t Root = 0;
constexpr uid_t Nobody = files::testing::NobodyId;
constexpr uid_t Daemon = 1;  // neither the runner nor the folder's owner

struct Runner {
    const char* name;
    uid_t uid;
    uid_t stranger;
};

std::vector<Runner> Runners() {
    if (::geteuid() != 0)
        return {};
    return {{"root", Root, Nobody}, {"nobody", Nobody, Daemon}};
}

// What invert makes of the screen, by the program itself.
Bytes Inverted(const Bytes& screen) {
    const RunResult run = RunTool({"invert", "-", "-o", "-"}, screen);
    return Bytes(run.out.begin(), run.out.end());
}

// Runs the program as the runner with `prepare` run in the child first
// (redirections, limits); the exit status or -(signal), and standard error.
struct Ran {
    int status;
    std::string err;
};
Ran RunPrepared(
    const Runner& runner, const std::vector<std::string>& arguments, const std::function<void()>& prepare = [] {}) {
    TempFolder streams;
    std::filesystem::permissions(streams.path(), std::filesystem::perms(0777));
    const std::string program = streams / "scrtool", err = streams / "err";
    std::filesystem::copy_file(SCRTOOL_PROGRAM, program);
    std::filesystem::permissions(program, std::filesystem::perms(0755));
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        ::dup2(fd, STDERR_FILENO);
        prepare();
        if (runner.uid != Root && !files::testing::DropRootPrivileges())
            ::_exit(126);
        ExecTool(arguments, program);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    const Bytes text = ReadBytes(err);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status), std::string(text.begin(), text.end())};
}

class SafeWritesCli : public ::testing::Test {
protected:
    void SetUp() override {
        if (Runners().empty())
            GTEST_SKIP() << "other users' links and files need root to plant";
        std::filesystem::permissions(folder_.path(), std::filesystem::perms(0777));
        WriteBytes(folder_ / "good.scr", screen_);
    }
    TempFolder folder_;
    const Bytes screen_ = ToBytes(RealScreens()[3].bytes);
    const Bytes old_ = ToBytes(RealScreens()[5].bytes);
};

TEST_F(SafeWritesCli, AnotherUsersLinkInASharedFolderIsRefusedAndTheUsersOwnIsFollowed) {
    const std::string shared = folder_ / "shared";
    for (const Runner& runner : Runners()) {
        for (const uid_t linkOwner : {runner.stranger, runner.uid}) {
            SCOPED_TRACE(std::string(runner.name) + ", link of " + std::to_string(linkOwner));
            std::filesystem::remove_all(shared);
            ::mkdir(shared.c_str(), 0777);
            ::chmod(shared.c_str(), 01777);
            const std::string victim = folder_ / "victim.scr";
            WriteBytes(victim, old_);
            ::chmod(victim.c_str(), 0666);
            ASSERT_EQ(::symlink(victim.c_str(), (shared + "/out.scr").c_str()), 0);
            ASSERT_EQ(::lchown((shared + "/out.scr").c_str(), linkOwner, linkOwner), 0);
            ASSERT_EQ(::symlink("gone.scr", (shared + "/dangling.scr").c_str()), 0);
            ASSERT_EQ(::lchown((shared + "/dangling.scr").c_str(), runner.uid, runner.uid), 0);
            auto expected = StatesBelow(folder_.path());

            const Ran run = RunPrepared(runner, {"invert", folder_ / "good.scr", "-o", shared + "/out.scr"});
            if (linkOwner == runner.uid) {
                EXPECT_EQ(run.status, 0) << run.err;
                expected["victim.scr"].bytes = Inverted(screen_);
            } else {
                EXPECT_EQ(run.status, 1);
                EXPECT_EQ(run.err, "scrtool: " + shared +
                                       "/out.scr: cannot write: a symbolic link in a shared "
                                       "folder that belongs to neither you nor the folder's owner\n");
            }
            EXPECT_EQ(StatesBelow(folder_.path()), expected);
            const Ran dangling = RunPrepared(runner, {"invert", folder_ / "good.scr", "-o", shared + "/dangling.scr"});
            EXPECT_EQ(dangling.status, 1);
            EXPECT_EQ(dangling.err, "scrtool: " + shared +
                                        "/dangling.scr: cannot write: a symbolic link to a file that does not exist\n");
            EXPECT_EQ(StatesBelow(folder_.path()), expected);
        }
    }
}

// Standard output named as a file is written where the shell put it: after
// the earlier content of a file opened for appending, or into a pipe.
TEST_F(SafeWritesCli, DevStdoutAppendsToAFileAndFillsAPipe) {
    for (const Runner& runner : Runners()) {
        SCOPED_TRACE(runner.name);
        const std::string log = folder_ / "log";
        WriteBytes(log, {'e', 'a', 'r', 'l', 'y'});
        Ran run = RunPrepared(runner, {"invert", folder_ / "good.scr", "-o", "/dev/stdout"},
                              [&] { ::dup2(::open(log.c_str(), O_WRONLY | O_APPEND), STDOUT_FILENO); });
        EXPECT_EQ(run.status, 0) << run.err;
        Bytes expected{'e', 'a', 'r', 'l', 'y'};
        const Bytes inverted = Inverted(screen_);
        expected.insert(expected.end(), inverted.begin(), inverted.end());
        EXPECT_EQ(ReadBytes(log), expected);

        int pipe[2];
        ASSERT_EQ(::pipe(pipe), 0);
        Bytes got;
        std::thread reader([&] {
            std::uint8_t chunk[1024];
            for (ssize_t n; (n = ::read(pipe[0], chunk, sizeof chunk)) > 0;)
                got.insert(got.end(), chunk, chunk + n);
        });
        run = RunPrepared(runner, {"png", folder_ / "good.scr", "--scale", "8", "-o", "/dev/stdout"},
                          [&] { ::dup2(pipe[1], STDOUT_FILENO); });
        ::close(pipe[1]);
        reader.join();
        ::close(pipe[0]);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(DecodePng(got).width, 2048);
    }
}

// A reader that comes two seconds late still gets the whole screen; an
// interrupt while the program waits for it ends the program at once.
TEST_F(SafeWritesCli, AFifoWaitsForItsReaderAndAnInterruptIsNotHeldBackMeanwhile) {
    for (const Runner& runner : Runners()) {
        SCOPED_TRACE(runner.name);
        const std::string fifo = folder_ / "fifo.scr";
        std::filesystem::remove(fifo);
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
        ::chmod(fifo.c_str(), 0666);
        Bytes got;
        std::thread reader([&] {
            std::this_thread::sleep_for(std::chrono::seconds(2));
            const int fd = ::open(fifo.c_str(), O_RDONLY);
            std::uint8_t chunk[1024];
            for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) > 0;)
                got.insert(got.end(), chunk, chunk + n);
            ::close(fd);
        });
        const Ran run = RunPrepared(runner, {"invert", folder_ / "good.scr", "-o", fifo});
        reader.join();
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(got, Inverted(screen_));

        // Nobody reads now: only the interrupt can end the wait.
        const pid_t child = ::fork();
        if (child == 0)
            ExecTool({"invert", folder_ / "good.scr", "-o", fifo});
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ::kill(child, SIGINT);
        int status = 0;
        for (int tries = 0; tries < 100 && ::waitpid(child, &status, WNOHANG) == 0; ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (::waitpid(child, &status, WNOHANG) == 0) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            ADD_FAILURE() << "the interrupt was held back while waiting for a reader";
        }
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    }
}

TEST_F(SafeWritesCli, AFileSizeLimitIsFileTooLargeWithTheOldFileWhole) {
    for (const Runner& runner : Runners()) {
        for (const bool hardLinked : {false, true}) {
            SCOPED_TRACE(std::string(runner.name) + (hardLinked ? ", hard-linked" : ""));
            TempFolder folder;
            std::filesystem::permissions(folder.path(), std::filesystem::perms(0777));
            WriteBytes(folder / "a.scr", screen_);
            ::chown((folder / "a.scr").c_str(), runner.uid, runner.uid);
            if (hardLinked) {
                ASSERT_EQ(::link((folder / "a.scr").c_str(), (folder / "b.scr").c_str()), 0);
            }
            const auto before = StatesBelow(folder.path());
            // As `ulimit -f 1` leaves it: SIGXFSZ as the system sets it.
            const Ran run = RunPrepared(runner, {"invert", "--in-place", folder / "a.scr"}, [] {
                std::signal(SIGXFSZ, SIG_DFL);
                const rlimit limit{1024, 1024};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            });
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(run.err, "scrtool: " + folder / "a.scr" + ": cannot write: File too large\n");
            EXPECT_EQ(StatesBelow(folder.path()), before);
        }
    }
}

TEST_F(SafeWritesCli, InPlaceKeepsTheAclAndAttributesAndANewFileFollowsTheDefaultAcl) {
    for (const Runner& runner : Runners()) {
        SCOPED_TRACE(runner.name);
        TempFolder folder;
        std::filesystem::permissions(folder.path(), std::filesystem::perms(0777));
        const std::string path = folder / "a.scr";
        WriteBytes(path, screen_);
        ::chown(path.c_str(), runner.uid, runner.uid);
        files::testing::SetAcl(path, "u::rw-,u:" + std::to_string(Daemon) + ":rw-,g::---,m::rw-,o::---");
        files::testing::SetAttribute(path, "user.comment", "title screen");
        auto expected = StatesBelow(folder.path());
        const Ran run = RunPrepared(runner, {"invert", "--in-place", path});
        EXPECT_EQ(run.status, 0) << run.err;
        expected["a.scr"].bytes = Inverted(screen_);
        EXPECT_EQ(StatesBelow(folder.path()), expected);

        const std::string made = folder / "made";
        ::mkdir(made.c_str(), 0777);
        ::chown(made.c_str(), runner.uid, runner.uid);
        files::testing::SetAcl(made, "u::rwx,g::r-x,o::---", true);
        const Ran create = RunPrepared(runner, {"invert", path, "-o", made + "/new.scr"}, [] { ::umask(077); });
        EXPECT_EQ(create.status, 0) << create.err;
        EXPECT_EQ(files::testing::StateOf(made + "/new.scr").mode, 0640u);
    }
}

TEST_F(SafeWritesCli, ANameWithANewlineAndAnEscapeIsQuotedOnOneLine) {
    for (const Runner& runner : Runners()) {
        SCOPED_TRACE(runner.name);
        const std::string name = folder_ / "two\nlines\x1b[31m\xff.scr";
        WriteBytes(name, {1, 2, 3});
        const Ran run = RunPrepared(runner, {"invert", "--in-place", name});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "scrtool: $'" + folder_.path().string() +
                               "/two\\nlines\\E[31m\\xff.scr': not a screen file (3 bytes, a screen is 6912)\n");
    }
}

TEST_F(SafeWritesCli, TwoInputsForOneOutputAreRefusedAndTwoNamesForOneFileAreDoneOnce) {
    for (const Runner& runner : Runners()) {
        SCOPED_TRACE(runner.name);
        TempFolder folder;
        std::filesystem::permissions(folder.path(), std::filesystem::perms(0777));
        for (const char* sub : {"d1", "d2", "out"})
            std::filesystem::create_directory(folder / sub);
        WriteBytes(folder / "d1/x.scr", screen_);
        WriteBytes(folder / "d2/x.scr", old_);
        WriteBytes(folder / "a.scr", screen_);
        WriteBytes(folder / "b.scr", old_);
        ::system(("chown -R " + std::to_string(runner.uid) + " " + folder.path().string()).c_str());
        ASSERT_EQ(::symlink("a.scr", (folder / "link.scr").c_str()), 0);
        ASSERT_EQ(::link((folder / "b.scr").c_str(), (folder / "hard.scr").c_str()), 0);
        auto expected = StatesBelow(folder.path());
        const Ran png =
            RunPrepared(runner, {"png", folder / "d1/x.scr", folder / "d2/x.scr", "--out-dir", folder / "out"});
        EXPECT_EQ(png.status, 2);
        EXPECT_EQ(png.err, "scrtool: " + folder / "out/x.png" + ": would be written for both " + folder / "d1/x.scr" +
                               " and " + folder / "d2/x.scr" + "; nothing was written\n");
        EXPECT_EQ(StatesBelow(folder.path()), expected);
        const Ran split = RunPrepared(runner, {"split", folder / "a.scr", folder / "a"});
        EXPECT_EQ(split.status, 2) << split.err;
        // export names its result after the input, extract its screens too.
        const Ran exported = RunPrepared(
            runner, {"export", "bin", folder / "d1/x.scr", folder / "d2/x.scr", "--out-dir", folder / "out"});
        EXPECT_EQ(exported.status, 2);
        EXPECT_EQ(exported.err, "scrtool: " + folder / "out/x.bin" + ": would be written for both " +
                                    folder / "d1/x.scr" + " and " + folder / "d2/x.scr" + "; nothing was written\n");
        const Ran extracted =
            RunPrepared(runner, {"extract", folder / "d1/x.scr", folder / "d2/x.scr", "--out-dir", folder / "out"});
        EXPECT_EQ(extracted.status, 2) << extracted.err;
        EXPECT_EQ(StatesBelow(folder.path()), expected);

        const Ran invert = RunPrepared(runner, {"invert", "--in-place", folder / "a.scr", folder / "link.scr",
                                                folder / "b.scr", folder / "hard.scr", folder / "a.scr"});
        EXPECT_EQ(invert.status, 0) << invert.err;
        expected["a.scr"].bytes = Inverted(screen_);
        expected["b.scr"].bytes = expected["hard.scr"].bytes = Inverted(old_);
        EXPECT_EQ(StatesBelow(folder.path()), expected);
    }
}

// In a child of the test: the third input's read raises SIGINT (a seam of
// the tests), and the sync of the folder is recorded by another.
TEST(Interrupts, AnInterruptWhileTheThirdFileIsReadLeavesTwoDoneAndTheirFolderSynced) {
    TempFolder folder;
    std::vector<std::string> arguments{"invert", "--in-place"};
    std::vector<Bytes> olds;
    for (int i = 0; i < 5; ++i) {
        olds.push_back(ToBytes(RealScreens()[static_cast<std::size_t>(i)].bytes));
        WriteBytes(folder / ("s" + std::to_string(i) + ".scr"), olds.back());
        arguments.push_back(folder / ("s" + std::to_string(i) + ".scr"));
    }
    int record[2];
    ASSERT_EQ(::pipe(record), 0);
    const int status = files::testing::InChildProcess([&] {
        files::testing::RecordFolderSyncsTo(record[1]);
        files::testing::SetBeforeReadHook([&](const std::string& name) {
            if (name == arguments[4])
                ::raise(SIGINT);
        });
        const auto parsed = ParseArguments(arguments);
        return parsed ? scrtool::Run(*parsed) : 3;
    });
    ::close(record[1]);
    char text[4096];
    const ssize_t length = ::read(record[0], text, sizeof text);
    ::close(record[0]);
    EXPECT_EQ(status, -1) << "the run was not ended by the interrupt";
    EXPECT_EQ(std::string(text, static_cast<std::size_t>(std::max<ssize_t>(length, 0))), folder.path().string() + "\n");
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(ReadBytes(folder / ("s" + std::to_string(i) + ".scr")), i < 2 ? Inverted(olds[i]) : olds[i]) << i;
    EXPECT_EQ(folder.names().size(), 5u) << "something left behind";
}

}  // namespace
}  // namespace scrtool::testing
