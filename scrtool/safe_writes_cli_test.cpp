// scrtool's writes where others or the system work against them: links,
// files and pipes planted in shared folders, size limits, ACLs, interrupts,
// hostile names and outputs that collide. Each case runs as root and as
// nobody (those that need no other user as the user running the tests when
// that is not root), and checks status, message and every file afterwards.
// Streams have streams_cli_test.cpp.

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
#include "scrtool/writes_test_support.h"

namespace scrtool::testing {
namespace {

using files::testing::StatesBelow;

constexpr uid_t Root = 0;
constexpr uid_t Daemon = 1;  // neither the runner nor the folder's owner

std::vector<Runner> Runners() { return files::testing::RootAndNobody(); }

// Cases that need no other user: as root they run as root and as nobody,
// otherwise as the user running the tests.
class WritesCli : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::permissions(folder_.path(), std::filesystem::perms(0777));
        WriteBytes(folder_ / "good.scr", screen_);
    }
    TempFolder folder_;
    const Bytes screen_ = ToBytes(RealScreens()[3].bytes);
    const Bytes old_ = ToBytes(RealScreens()[5].bytes);
};

class SafeWritesCli : public WritesCli {
protected:
    void SetUp() override {
        if (Runners().empty())
            GTEST_SKIP() << "other users' links and files need root to plant";
        WritesCli::SetUp();
    }
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

// Another user's pipe once blocked the write for ever (and handed the screen
// to whoever read it); another user's file took the screen and stayed theirs.
TEST_F(SafeWritesCli, AnotherUsersFileOrPipeInASharedFolderIsRefused) {
    const std::string shared = folder_ / "shared";
    ::mkdir(shared.c_str(), 0777);
    ::chmod(shared.c_str(), 01777);
    for (const Runner& runner : Runners()) {
        SCOPED_TRACE(runner.name);
        const std::string pipe = shared + "/f.scr", file = shared + "/p.scr";
        std::filesystem::remove(pipe);
        ASSERT_EQ(::mkfifo(pipe.c_str(), 0666), 0);
        WriteBytes(file, old_);
        for (const std::string& planted : {pipe, file}) {
            ::chmod(planted.c_str(), 0666);
            ::chown(planted.c_str(), runner.stranger, runner.stranger);
        }
        const auto before = StatesBelow(folder_.path());
        for (const std::string& planted : {pipe, file}) {
            const Ran run = RunPrepared(runner, {"invert", folder_ / "good.scr", "-o", planted}, [] { ::alarm(10); });
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(run.err, "scrtool: " + planted +
                                   ": cannot write: a file in a shared folder that belongs to neither you nor the "
                                   "folder's owner\n");
        }
        EXPECT_EQ(StatesBelow(folder_.path()), before);
    }
}

TEST_F(WritesCli, AFileSizeLimitIsFileTooLargeWithTheOldFileWhole) {
    for (const Runner& runner : files::testing::Anyone()) {
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

TEST_F(WritesCli, ANameWithANewlineAndAnEscapeIsQuotedOnOneLine) {
    for (const Runner& runner : files::testing::Anyone()) {
        SCOPED_TRACE(runner.name);
        const std::string name = folder_ / "two\nlines\x1b[31m\xff.scr";
        WriteBytes(name, {1, 2, 3});
        const Ran run = RunPrepared(runner, {"invert", "--in-place", name});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "scrtool: $'" + folder_.path().string() +
                               "/two\\nlines\\E[31m\\xff.scr': not a screen file (3 bytes, a screen is 6912)\n");
    }
}

TEST_F(WritesCli, TwoInputsForOneOutputAreRefusedAndTwoNamesForOneFileAreDoneOnce) {
    for (const Runner& runner : files::testing::Anyone()) {
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
        const Parsed parsed = ParseArguments(arguments);
        return parsed.invocation ? scrtool::Run(*parsed.invocation) : 3;
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
