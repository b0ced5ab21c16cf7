// Writes that others cannot turn against the user: links planted in shared
// folders, file size limits, ACLs and attributes, writes in place that fail.
// Each case runs as root and as an unprivileged user, in a child process, and
// checks every file's bytes, mode, owner, ACL and attributes afterwards.

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "files/file_services.h"
#include "files/file_states.h"
#include "files/files_test_support.h"
#include "files/screen_files.h"

namespace files {
namespace {

using testing::Bytes;
using testing::FileState;
using testing::Pattern;
using testing::StateOf;
using testing::StatesBelow;
using testing::TempFolder;
using testing::WriteBytes;

constexpr std::size_t Screen = 6912;
constexpr uid_t Root = 0;
constexpr uid_t Nobody = testing::NobodyId;
constexpr uid_t Daemon = 1;  // a third user, neither the runner nor the folder's owner

using testing::AsRunner;
using testing::Runner;
using testing::StatusOf;

std::vector<Runner> Runners() { return testing::RootAndNobody(); }

std::error_code Write(const std::string& path, const Bytes& bytes) {
    return WriteFileSafely(path, bytes.data(), bytes.size());
}

// Cases that need no other user: as root they run as root and as nobody,
// otherwise as the user running the tests.
class Writes : public ::testing::Test {
protected:
    const Bytes old_ = Pattern(Screen, 1);
    const Bytes new_ = Pattern(Screen, 2);
};

class SafeWrites : public Writes {
protected:
    void SetUp() override {
        if (Runners().empty())
            GTEST_SKIP() << "planting other users' links and files needs root";
        // Everyone may pass through; "shared" is like /tmp.
        chmod(folder_.path().c_str(), 0755);
        shared_ = folder_ / "shared";
        mkdir(shared_.c_str(), 0777);
        chmod(shared_.c_str(), 01777);
    }
    // A file everybody may write, so that only the link rule can keep it safe.
    std::string Victim(uid_t owner) {
        const std::string victim = folder_ / "victim.scr";
        WriteBytes(victim, old_);
        lchown(victim.c_str(), owner, owner);
        chmod(victim.c_str(), 0666);
        return victim;
    }
    void Plant(const std::string& target, const std::string& link, uid_t owner) {
        ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
        ASSERT_EQ(lchown(link.c_str(), owner, owner), 0);
    }
    TempFolder folder_;
    std::string shared_;
};

TEST_F(SafeWrites, LinksInASharedStickyFolderAreFollowedOnlyWhenTheRuleAllows) {
    struct Case {
        const char* label;
        bool stranger;       // planted by another user, else by the runner
        bool throughFolder;  // the link stands for a folder on the way
        bool followed;
    };
    const Case cases[] = {
        {"another user's link to a file", true, false, false},
        {"another user's link to a folder", true, true, false},
        {"the runner's own link", false, false, true},
        {"the runner's own link to a folder", false, true, true},
    };
    for (const Runner& runner : Runners()) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(runner.name) + ": " + c.label);
            std::filesystem::remove_all(folder_ / "victim.scr");
            for (const auto& entry : std::filesystem::directory_iterator(shared_))
                std::filesystem::remove_all(entry.path());
            const std::string victim = Victim(Root == runner.uid ? Nobody : Root);
            const uid_t owner = c.stranger ? runner.stranger : runner.uid;
            std::string name = shared_ + "/out.scr";
            if (c.throughFolder) {
                Plant(folder_.path().string(), shared_ + "/into", owner);
                name = shared_ + "/into/victim.scr";
            } else {
                Plant(victim, name, owner);
            }
            const auto before = StatesBelow(folder_.path());
            const int code = AsRunner(runner, [&] { return Write(name, new_); });
            auto expected = before;
            if (c.followed) {
                EXPECT_EQ(code, 0);
                expected["victim.scr"].bytes = new_;
            } else {
                EXPECT_EQ(code, StatusOf(FileFault::LinkNotFollowed));
            }
            EXPECT_EQ(StatesBelow(folder_.path()), expected);
        }
    }
}

TEST_F(SafeWrites, TheFolderOwnersLinksAreFollowedAndALinkToNothingIsRefused) {
    for (const Runner& runner : Runners()) {
        SCOPED_TRACE(runner.name);
        for (const auto& entry : std::filesystem::directory_iterator(shared_))
            std::filesystem::remove_all(entry.path());
        std::filesystem::remove_all(folder_ / "victim.scr");
        const std::string victim = Victim(Root == runner.uid ? Nobody : Root);
        Plant(victim, shared_ + "/owners.scr", Root);  // the folder's owner
        Plant(folder_ / "nothing.scr", shared_ + "/dangling.scr", runner.uid);
        auto expected = StatesBelow(folder_.path());
        EXPECT_EQ(AsRunner(runner, [&] { return Write(shared_ + "/dangling.scr", new_); }),
                  StatusOf(FileFault::DanglingLink));
        EXPECT_EQ(StatesBelow(folder_.path()), expected);
        EXPECT_EQ(AsRunner(runner, [&] { return Write(shared_ + "/owners.scr", new_); }), 0);
        expected["victim.scr"].bytes = new_;
        EXPECT_EQ(StatesBelow(folder_.path()), expected);
    }
}

// In a child that does not ignore SIGXFSZ itself: the library must not need it.
TEST_F(Writes, AFileSizeLimitFailsWithTheOldFileWholeAndNothingLeft) {
    for (const Runner& runner : testing::Anyone()) {
        for (const bool hardLinked : {false, true}) {
            SCOPED_TRACE(std::string(runner.name) + (hardLinked ? ", hard-linked" : ""));
            TempFolder folder;
            chmod(folder.path().c_str(), 0777);
            const std::string path = folder / "title.scr";
            WriteBytes(path, old_);
            chown(path.c_str(), runner.uid, runner.uid);
            if (hardLinked) {
                ASSERT_EQ(link(path.c_str(), (folder / "second.scr").c_str()), 0);
            }
            const auto before = StatesBelow(folder.path());
            const int code = AsRunner(runner, [&] {
                std::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{1024, 1024};
                setrlimit(RLIMIT_FSIZE, &limit);
                return Write(path, new_);
            });
            EXPECT_EQ(code, EFBIG);
            EXPECT_EQ(StatesBelow(folder.path()), before);
        }
    }
}

TEST_F(Writes, ReplacementsKeepTheAclAndAttributesAndNewFilesFollowTheFoldersDefaultAcl) {
    for (const Runner& runner : testing::Anyone()) {
        for (const bool hardLinked : {false, true}) {
            SCOPED_TRACE(std::string(runner.name) + (hardLinked ? ", hard-linked" : ""));
            TempFolder folder;
            chmod(folder.path().c_str(), 0777);
            const std::string path = folder / "title.scr";
            WriteBytes(path, old_);
            chown(path.c_str(), runner.uid, runner.uid);
            // The group may not read; the mode's group bits show the mask, rw.
            testing::SetAcl(path, "u::rw-,u:" + std::to_string(Daemon) + ":rw-,g::---,m::rw-,o::---");
            testing::SetAttribute(path, "user.comment", "the title screen");
            if (hardLinked) {
                ASSERT_EQ(link(path.c_str(), (folder / "second.scr").c_str()), 0);
            }
            auto expected = StatesBelow(folder.path());
            ASSERT_EQ(AsRunner(runner, [&] { return Write(path, new_); }), 0);
            expected["title.scr"].bytes = new_;
            if (hardLinked)
                expected["second.scr"].bytes = new_;
            EXPECT_EQ(StatesBelow(folder.path()), expected);
        }
        // umask 077 would give 0600; the default ACL gives the group read.
        TempFolder folder;
        chown(folder.path().c_str(), runner.uid, runner.uid);
        testing::SetAcl(folder.path(), "u::rwx,g::r-x,o::---", true);
        const int code = AsRunner(runner, [&] {
            umask(077);
            return Write(folder / "new.scr", new_);
        });
        ASSERT_EQ(code, 0);
        const FileState made = StateOf(folder / "new.scr");
        EXPECT_EQ(made.mode, 0640u);
        EXPECT_EQ(made.owner, runner.uid);
        EXPECT_EQ(made.bytes, new_);
    }
}

// A write in place that fails puts the old bytes back; when even that fails
// the cause says so, and the hidden copy of the old bytes stays beside it.
TEST_F(Writes, AFailedRestoreIsItsOwnErrorAndTheKeptCopyStays) {
    TempFolder folder;
    const std::string path = folder / "title.scr";
    WriteBytes(path, old_);
    ASSERT_EQ(link(path.c_str(), (folder / "second.scr").c_str()), 0);
    testing::SetBeforeRestoreHook([] {
        const rlimit none{0, 0};
        setrlimit(RLIMIT_FSIZE, &none);
    });
    // Room for the kept copy, not for the longer new content.
    const int code = testing::InChildProcess([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{Screen + 100, Screen + 100};
        setrlimit(RLIMIT_FSIZE, &limit);
        return StatusOf(Write(path, Pattern(Screen + 1000, 3)));
    });
    testing::SetBeforeRestoreHook({});
    EXPECT_EQ(code, StatusOf(FileFault::RestoreFailed));
    const std::vector<std::string> names = folder.names();
    ASSERT_EQ(names.size(), 3u);
    EXPECT_TRUE(names[0].starts_with(".title.scr.kept-")) << names[0];
    EXPECT_EQ(testing::ReadBytes(folder / names[0]), old_);
}

TEST(SplitScreen, RefusesToWriteOverTheLoadedFileItself) {
    TempFolder folder;
    const testing::ScreenBuffer screen = testing::RealScreen(0);
    for (const char* name : {"pic.screen", "pic.attr"}) {
        const std::string path = folder / name;
        WriteBytes(path, testing::AsBytes(screen));
        const auto before = folder.Snapshot();
        const SplitResult split = SplitScreen(path, screen);
        EXPECT_EQ(split.bitmap, FileFault::WouldOverwriteSource) << name;
        EXPECT_EQ(split.attributes, FileFault::WouldOverwriteSource) << name;
        EXPECT_EQ(folder.Snapshot(), before) << name;
        std::filesystem::remove(path);
    }
}

}  // namespace
}  // namespace files
