// What other users plant in shared sticky folders (such as /tmp), files too
// large to keep for a write in place, and names swapped between the walk and
// the open. Each case runs in a child process, as root and as nobody where
// users matter, and checks every file afterwards: refused or bounded, nothing
// written outside, nothing lost.

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "files/file_io.h"
#include "files/file_services.h"
#include "files/file_states.h"
#include "files/files_test_support.h"
#include "files/in_place.h"

namespace files {
namespace {

using testing::AsRunner;
using testing::Bytes;
using testing::Pattern;
using testing::Runner;
using testing::StatesBelow;
using testing::StatusOf;
using testing::TempFolder;
using testing::WriteBytes;

constexpr std::size_t Screen = 6912;
// Long enough for any write here; a write that blocks is ended by SIGALRM.
constexpr unsigned BlockedSeconds = 10;

std::error_code Write(const std::string& path, const Bytes& bytes) {
    return WriteFileSafely(path, bytes.data(), bytes.size());
}

// The write in a child that a blocked open or write cannot hold for ever.
int Bounded(const Runner& runner, const std::function<std::error_code()>& body) {
    return AsRunner(runner, [&] {
        ::alarm(BlockedSeconds);
        return body();
    });
}

off_t SizeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_size : -1;
}

// fs.protected_hardlinks at 0, the kernel's default, for as long as it lives:
// then anyone may link anyone's file into a shared folder. A container may
// not let it be changed (set() is then false).
class UnprotectedHardLinks {
public:
    UnprotectedHardLinks() {
        std::ifstream(Setting) >> saved_;
        std::ofstream(Setting) << 0;
        int now = -1;
        std::ifstream(Setting) >> now;
        set_ = now == 0;
    }
    ~UnprotectedHardLinks() { std::ofstream(Setting) << saved_; }
    UnprotectedHardLinks(const UnprotectedHardLinks&) = delete;
    UnprotectedHardLinks& operator=(const UnprotectedHardLinks&) = delete;
    bool set() const { return set_; }

private:
    static constexpr char Setting[] = "/proc/sys/fs/protected_hardlinks";
    int saved_ = 1;
    bool set_ = false;
};

class SharedFolders : public ::testing::Test {
protected:
    void SetUp() override {
        if (testing::RootAndNobody().empty())
            GTEST_SKIP() << "planting other users' files needs root";
        ::chmod(folder_.path().c_str(), 0755);
        shared_ = folder_ / "shared";
        ::mkdir(shared_.c_str(), 0777);
        ::chmod(shared_.c_str(), 01777);  // root's, as /tmp is
    }
    void Empty() {
        for (const auto& entry : std::filesystem::directory_iterator(folder_.path()))
            if (entry.path() != shared_)
                std::filesystem::remove_all(entry.path());
        for (const auto& entry : std::filesystem::directory_iterator(shared_))
            std::filesystem::remove_all(entry.path());
    }
    // A file or pipe that anyone may write, made by `owner`.
    void Plant(const std::string& name, bool pipe, uid_t owner) {
        if (pipe) {
            ASSERT_EQ(::mkfifo(name.c_str(), 0666), 0);
        } else {
            WriteBytes(name, old_);
        }
        ASSERT_EQ(::chown(name.c_str(), owner, owner), 0);
        ASSERT_EQ(::chmod(name.c_str(), 0666), 0);
    }
    TempFolder folder_;
    std::string shared_;
    const Bytes old_ = Pattern(Screen, 1);
    const Bytes new_ = Pattern(Screen, 2);
};

// Once the planter's pipe blocked for ever (and handed the bytes to its
// reader), and the planter's file took the bytes and stayed the planter's.
TEST_F(SharedFolders, OnlyTheUsersAndTheFolderOwnersFilesAreWrittenAndNeverInPlace) {
    for (const Runner& runner : testing::RootAndNobody()) {
        // Writable by everyone, or by a group the runner is in (nobody's own).
        for (const mode_t mode : {01777, 01770}) {
            ASSERT_EQ(::chown(shared_.c_str(), 0, testing::NobodyId), 0);
            ASSERT_EQ(::chmod(shared_.c_str(), mode), 0);
            for (const bool pipe : {false, true}) {
                SCOPED_TRACE(std::string(runner.name) + (pipe ? ", a pipe" : ", a file") +
                             (mode & S_IWOTH ? "" : ", group"));
                Empty();
                Plant(shared_ + "/planted.scr", pipe, runner.stranger);
                const auto before = StatesBelow(folder_.path());
                EXPECT_EQ(Bounded(runner, [&] { return Write(shared_ + "/planted.scr", new_); }),
                          StatusOf(FileFault::OthersFileInSharedFolder));
                EXPECT_EQ(StatesBelow(folder_.path()), before);
            }
        }
        ::chmod(shared_.c_str(), 01777);
        SCOPED_TRACE(runner.name);
        Empty();
        Plant(shared_ + "/own.scr", false, runner.uid);
        Plant(shared_ + "/owners.scr", false, 0);  // the folder's owner
        auto expected = StatesBelow(folder_.path());
        EXPECT_EQ(Bounded(runner, [&] { return Write(shared_ + "/own.scr", new_); }), 0);
        expected["shared/own.scr"].bytes = new_;
        EXPECT_EQ(StatesBelow(folder_.path()), expected);
        // Root's file: a new file of nobody's could not take root's place, and
        // writing it in place is not done there.
        const int owners = Bounded(runner, [&] { return Write(shared_ + "/owners.scr", new_); });
        if (runner.uid == 0) {
            EXPECT_EQ(owners, 0);
            expected["shared/owners.scr"].bytes = new_;
        } else {
            EXPECT_EQ(owners, StatusOf(FileFault::InPlaceInSharedFolder));
        }
        EXPECT_EQ(StatesBelow(folder_.path()), expected);
    }
}

// Planted by another user as a second name of the runner's private file, it
// was written through, rewriting the private file.
TEST_F(SharedFolders, ASecondLinkToAPrivateFileIsReplacedNeverWrittenThrough) {
    const UnprotectedHardLinks unprotected;
    for (const Runner& runner : testing::RootAndNobody()) {
        SCOPED_TRACE(runner.name);
        Empty();
        const std::string secret = folder_ / "secret.scr", planted = shared_ + "/hl.scr";
        WriteBytes(secret, old_);
        ASSERT_EQ(::chown(secret.c_str(), runner.uid, runner.uid), 0);
        ASSERT_EQ(::chmod(secret.c_str(), 0600), 0);
        // Planted by the stranger where the setting could be lowered, else by
        // root: the second name is the same either way.
        const uid_t planter = unprotected.set() ? runner.stranger : 0;
        ASSERT_EQ(testing::InChildProcess([&] {
                      return testing::BecomeUser(planter) && ::link(secret.c_str(), planted.c_str()) == 0 ? 0 : 1;
                  }),
                  0);
        auto expected = StatesBelow(folder_.path());
        EXPECT_EQ(Bounded(runner, [&] { return Write(planted, new_); }), 0);
        expected["shared/hl.scr"].bytes = new_;
        EXPECT_EQ(StatesBelow(folder_.path()), expected);
        struct stat info {};
        ASSERT_EQ(::stat(secret.c_str(), &info), 0);
        EXPECT_EQ(info.st_nlink, 1u);
    }
}

// A giant with a second name was read whole into memory (1 TiB: bad_alloc)
// and copied beside itself. In a shared folder it is replaced without a
// byte read; elsewhere a write in place refuses it, and takes one at the
// limit.
TEST(InPlaceLimit, AGiantWithASecondNameIsReplacedOrRefusedUnreadAndOneAtTheLimitIsKept) {
    for (const Runner& runner : testing::Anyone()) {
        SCOPED_TRACE(runner.name);
        TempFolder folder;
        ::chmod(folder.path().c_str(), 0777);
        const std::string giant = folder / "giant.scr", second = folder / "second.scr";
        const auto plant = [&](off_t size) {
            std::filesystem::remove(giant);
            std::filesystem::remove(second);
            WriteBytes(giant, {});
            ::truncate(giant.c_str(), size);
            ::chown(giant.c_str(), runner.uid, runner.uid);
            ::link(giant.c_str(), second.c_str());
        };
        const auto write = [&] { return AsRunner(runner, [&] { return Write(giant, Pattern(Screen, 2)); }); };
        for (const off_t size : {off_t{1} << 40, InPlaceLimit + 1}) {
            plant(size);
            EXPECT_EQ(write(), StatusOf(FileFault::TooLargeForInPlace)) << size;
            EXPECT_EQ(SizeOf(giant), size);
            EXPECT_EQ(folder.names(), (std::vector<std::string>{"giant.scr", "second.scr"}));
        }
        plant(InPlaceLimit);
        EXPECT_EQ(write(), 0);
        EXPECT_EQ(testing::ReadBytes(second), Pattern(Screen, 2));
        EXPECT_EQ(folder.names(), (std::vector<std::string>{"giant.scr", "second.scr"}));

        ::chmod(folder.path().c_str(), 01777);
        plant(off_t{1} << 40);
        EXPECT_EQ(write(), 0);
        EXPECT_EQ(testing::ReadBytes(giant), Pattern(Screen, 2));
        EXPECT_EQ(SizeOf(second), off_t{1} << 40);
    }
}

// Another program swaps the name between the walk and the open: for another
// file, or a pipe for a file and a file for a pipe. What was opened is
// refused unless it is what the walk found; nothing blocks, and neither the
// file swapped in nor the one swapped out changes.
TEST(OpenedAsWalked, ANameSwappedAfterTheWalkIsRefusedOnEveryPath) {
    struct Case {
        const char* label;
        bool pipeBefore;
        bool pipeAfter;
        bool hardLinked;  // so that the file is written in place
    };
    const Case cases[] = {
        {"a file for another", false, false, false},
        {"a hard-linked file for another", false, false, true},
        {"a file for a pipe", false, true, false},
        {"a pipe for a file", true, false, false},
    };
    for (const Runner& runner : testing::Anyone()) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(runner.name) + ": " + c.label);
            TempFolder folder;
            ::chmod(folder.path().c_str(), 0777);
            const std::string name = folder / "out.scr", swapIn = folder / "in";
            const auto make = [&](const std::string& path, bool pipe, std::uint8_t seed) {
                if (pipe)
                    ::mkfifo(path.c_str(), 0666);
                else
                    WriteBytes(path, Pattern(Screen, seed));
                ::chown(path.c_str(), runner.uid, runner.uid);
            };
            make(name, c.pipeBefore, 1);
            make(swapIn, c.pipeAfter, 3);
            if (c.hardLinked)
                ::link(name.c_str(), (folder / "second").c_str());
            const int status = Bounded(runner, [&] {
                testing::SetWalkedHook([&](const std::string&) { ::rename(swapIn.c_str(), name.c_str()); });
                return Write(name, Pattern(Screen, 2));
            });
            EXPECT_EQ(status, StatusOf(FileFault::ChangedWhileOpened));
            if (!c.pipeAfter) {
                EXPECT_EQ(testing::ReadBytes(name), Pattern(Screen, 3));
            }
            if (c.hardLinked) {
                EXPECT_EQ(testing::ReadBytes(folder / "second"), Pattern(Screen, 1));
            }
            EXPECT_EQ(folder.names().size(), c.hardLinked ? 2u : 1u);
        }
    }
}

// The hidden copy of the old bytes is given to the owner of the file opened,
// not of what the walk saw: here its group changes in between.
TEST_F(SharedFolders, TheKeptCopyBelongsToTheFileAsOpened) {
    TempFolder folder;
    const std::string path = folder / "title.scr";
    WriteBytes(path, old_);
    ::link(path.c_str(), (folder / "second.scr").c_str());
    constexpr gid_t Later = 1;
    const int status = testing::InChildProcess([&] {
        testing::SetWalkedHook([&](const std::string&) { ::chown(path.c_str(), 0, Later); });
        testing::SetWritePointHook([&](seams::WritePoint point) {
            if (point != seams::WritePoint::KeptCopyWritten)
                return;
            for (const std::string& name : folder.names()) {
                struct stat copy {};
                if (name.find(SavingMark) != std::string::npos && ::stat((folder / name).c_str(), &copy) == 0)
                    ::_exit(copy.st_gid == Later ? 0 : 1);
            }
            ::_exit(2);
        });
        return StatusOf(Write(path, new_));
    });
    EXPECT_EQ(status, 0);
}

// A file that may be written but not read is written with no copy kept: a
// size limit once emptied it and left a part on every name, with the message
// saying only "File too large". Now the limit is found before it is touched.
TEST(InPlaceUnkept, AFileSizeLimitLeavesAWriteOnlyFileUntouched) {
    for (const Runner& runner : testing::Anyone()) {
        if (runner.uid == 0)
            continue;  // root reads anything
        SCOPED_TRACE(runner.name);
        TempFolder folder;
        ::chmod(folder.path().c_str(), 0777);
        const std::string path = folder / "title.scr";
        WriteBytes(path, Pattern(Screen, 1));
        ::chown(path.c_str(), runner.uid, runner.uid);
        ::chmod(path.c_str(), 0200);
        ::link(path.c_str(), (folder / "second.scr").c_str());
        const int status = AsRunner(runner, [&] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{1024, 1024};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            return Write(path, Pattern(Screen, 2));
        });
        EXPECT_EQ(status, EFBIG);
        ::chmod(path.c_str(), 0600);
        EXPECT_EQ(testing::ReadBytes(folder / "second.scr"), Pattern(Screen, 1));
        EXPECT_EQ(folder.names(), (std::vector<std::string>{"second.scr", "title.scr"}));
    }
}

}  // namespace
}  // namespace files
