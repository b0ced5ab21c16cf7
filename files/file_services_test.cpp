#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "files/file_services.h"
#include "files/files_test_support.h"

namespace files {
namespace {

using testing::Bytes;
using testing::InChildProcess;
using testing::Pattern;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

constexpr std::size_t Screen = 6912;

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// Running as root, the tests act as an unprivileged user in their child
// processes; the files they use there must be that user's.
void GiveToTestUser(const std::string& path) {
    if (geteuid() == 0) {
        ASSERT_EQ(chown(path.c_str(), testing::NobodyId, testing::NobodyId), 0) << path;
    }
}

// Whether the write succeeded; the tests that look for a cause call the library.
bool Write(const std::string& path, const Bytes& bytes) { return !WriteFileSafely(path, bytes.data(), bytes.size()); }

TEST(FileSize, OnlyRegularFilesHaveOne) {
    TempFolder folder;
    WriteBytes(folder / "screen", Pattern(Screen, 1));
    WriteBytes(folder / "empty", {});
    ASSERT_EQ(symlink("screen", (folder / "link").c_str()), 0);
    ASSERT_EQ(symlink("nothing", (folder / "dangling").c_str()), 0);
    ASSERT_EQ(mkfifo((folder / "pipe").c_str(), 0600), 0);
    ASSERT_EQ(mkdir((folder / "sub").c_str(), 0700), 0);

    EXPECT_EQ(FileSize(folder / "screen"), 6912);
    EXPECT_EQ(FileSize(folder / "empty"), 0);
    EXPECT_EQ(FileSize(folder / "link"), 6912);
    EXPECT_LT(FileSize(folder / "dangling"), 0);
    EXPECT_LT(FileSize(folder / "pipe"), 0);  // taking its size must not open it either
    EXPECT_LT(FileSize(folder / "sub"), 0);
    EXPECT_LT(FileSize(folder / "missing"), 0);
    EXPECT_LT(FileSize(""), 0);
    EXPECT_LT(FileSize("/"), 0);
    EXPECT_LT(FileSize("/dev/null"), 0);
}

TEST(ReadFileStart, ReadsExactlyTheStartOrFails) {
    TempFolder folder;
    const Bytes screen = Pattern(Screen + 3, 9);
    WriteBytes(folder / "screen", screen);
    WriteBytes(folder / "short", Pattern(Screen - 1, 9));
    ASSERT_EQ(mkfifo((folder / "pipe").c_str(), 0600), 0);
    ASSERT_EQ(mkdir((folder / "sub").c_str(), 0700), 0);

    Bytes into(Screen, 0xEE);
    ASSERT_EQ(ReadFileStart(folder / "screen", into.data(), into.size()), std::error_code());
    EXPECT_EQ(into, Bytes(screen.begin(), screen.begin() + Screen));
    EXPECT_EQ(ReadFileStart(folder / "short", into.data(), into.size()), FileFault::ChangedWhileRead);
    EXPECT_EQ(ReadFileStart(folder / "missing", into.data(), into.size()), std::errc::no_such_file_or_directory);
    EXPECT_TRUE(ReadFileStart(folder / "sub", into.data(), into.size()));
    // A pipe with no writer would block a plain read for ever.
    EXPECT_TRUE(ReadFileStart(folder / "pipe", into.data(), into.size()));
}

TEST(WriteFileSafely, ReplacesTheContentAndKeepsThePermissions) {
    TempFolder folder;
    for (mode_t mode : {0600, 0640, 0755, 0604}) {
        const std::string path = folder / "title.scr";
        WriteBytes(path, Pattern(Screen, 1));
        ASSERT_EQ(chmod(path.c_str(), mode), 0);
        const Bytes next = Pattern(Screen, static_cast<std::uint8_t>(mode));
        ASSERT_TRUE(Write(path, next));
        EXPECT_EQ(ReadBytes(path), next);
        EXPECT_EQ(ModeOf(path), mode);
        EXPECT_EQ(folder.names(), std::vector<std::string>{"title.scr"}) << "temporary file left";
    }
}

// A kill can come at any moment of a save. The old file must therefore never
// be written into: the new content arrives whole, by a rename. Whoever still
// holds the old file sees it unchanged, and its name now shows the new one.
TEST(WriteFileSafely, NeverWritesIntoTheOldFileSoAKillLeavesItWhole) {
    TempFolder folder;
    const std::string path = folder / "title.scr";
    const Bytes old = Pattern(Screen, 1);
    WriteBytes(path, old);
    const int held = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    const Bytes next = Pattern(Screen, 2);
    const bool written = Write(path, next);
    Bytes seen(Screen + 1);
    const ssize_t got = pread(held, seen.data(), seen.size(), 0);
    close(held);
    ASSERT_TRUE(written);
    ASSERT_EQ(got, static_cast<ssize_t>(Screen));
    seen.resize(Screen);
    EXPECT_EQ(seen, old);
    EXPECT_EQ(ReadBytes(path), next);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"title.scr"});
}

TEST(WriteFileSafely, CreatesAMissingFileWithTheUsualPermissions) {
    TempFolder folder;
    const mode_t mask = umask(022);
    const Bytes bytes = Pattern(768, 4);
    const bool written = Write(folder / "title.attr", bytes);
    umask(mask);
    ASSERT_TRUE(written);
    EXPECT_EQ(ReadBytes(folder / "title.attr"), bytes);
    EXPECT_EQ(ModeOf(folder / "title.attr"), 0644u);
    EXPECT_FALSE(Write("", bytes));
    EXPECT_FALSE(Write(folder / "no folder/title.attr", bytes));
}

TEST(WriteFileSafely, WritesThroughSymbolicLinksToTheirTarget) {
    TempFolder folder;
    ASSERT_EQ(mkdir((folder / "real").c_str(), 0700), 0);
    WriteBytes(folder / "real/title.scr", Pattern(Screen, 1));
    ASSERT_EQ(chmod((folder / "real/title.scr").c_str(), 0640), 0);
    // A chain: absolute link to a relative one.
    ASSERT_EQ(symlink("real/title.scr", (folder / "near").c_str()), 0);
    ASSERT_EQ(symlink((folder / "near").c_str(), (folder / "far").c_str()), 0);

    const Bytes next = Pattern(Screen, 2);
    ASSERT_TRUE(Write(folder / "far", next));
    struct stat info {};
    ASSERT_EQ(lstat((folder / "far").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(lstat((folder / "near").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(ReadBytes(folder / "real/title.scr"), next);
    EXPECT_EQ(ModeOf(folder / "real/title.scr"), 0640u);
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"far", "near", "real"}));

    // A link to a file not there yet is refused, as cp refuses it: it once
    // created the file wherever the link's maker pointed it.
    ASSERT_EQ(symlink("real/new.scr", (folder / "pending").c_str()), 0);
    EXPECT_EQ(WriteFileSafely(folder / "pending", next.data(), next.size()), FileFault::DanglingLink);
    EXPECT_FALSE(std::filesystem::exists(folder / "real/new.scr"));
    ASSERT_EQ(lstat((folder / "pending").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));

    // Links in a loop name no file: the save fails and the links stay.
    ASSERT_EQ(symlink("round", (folder / "about").c_str()), 0);
    ASSERT_EQ(symlink("about", (folder / "round").c_str()), 0);
    EXPECT_EQ(WriteFileSafely(folder / "about", next.data(), next.size()), std::errc::too_many_symbolic_link_levels);
    ASSERT_EQ(lstat((folder / "about").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
}

TEST(WriteFileSafely, HardLinkedFilesAreWrittenInPlaceSoEveryNameSeesTheSave) {
    TempFolder folder;
    WriteBytes(folder / "title.scr", Pattern(Screen, 1));
    ASSERT_EQ(link((folder / "title.scr").c_str(), (folder / "copy.scr").c_str()), 0);
    const Bytes next = Pattern(Screen, 5);
    ASSERT_TRUE(Write(folder / "title.scr", next));
    EXPECT_EQ(ReadBytes(folder / "copy.scr"), next);
}

// The new file's hidden name is cut short to fit: long names were once
// written in place, where a kill could leave them mixed.
TEST(WriteFileSafely, TheLongestNamesAreStillReplacedByANewFile) {
    TempFolder folder;
    const std::string path = folder / (std::string(251, 'n') + ".scr");
    WriteBytes(path, Pattern(Screen, 1));
    const int held = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    const Bytes next = Pattern(Screen, 3);
    const bool written = Write(path, next);
    Bytes seen(Screen);
    const ssize_t got = pread(held, seen.data(), seen.size(), 0);
    close(held);
    ASSERT_TRUE(written);
    EXPECT_EQ(got, static_cast<ssize_t>(Screen));
    EXPECT_EQ(seen, Pattern(Screen, 1)) << "written in place";
    EXPECT_EQ(ReadBytes(path), next);
    EXPECT_EQ(folder.names().size(), 1u);
}

// In a child process that may not create files beside the target.
TEST(WriteFileSafely, AFolderThatTakesNoNewFilesStillLetsTheFileBeWritten) {
    TempFolder folder;
    const std::string path = folder / "title.scr";
    WriteBytes(path, Pattern(Screen, 1));
    GiveToTestUser(folder.path().string());
    GiveToTestUser(path);
    ASSERT_EQ(chmod(path.c_str(), 0644), 0);
    ASSERT_EQ(chmod(folder.path().c_str(), 0555), 0);
    const Bytes next = Pattern(Screen, 6);
    const int status = InChildProcess([&] {
        if (!testing::DropRootPrivileges())
            return 2;
        return Write(path, next) ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadBytes(path), next);
    EXPECT_EQ(ModeOf(path), 0644u);
}

TEST(WriteFileSafely, AFileWeMayNotWriteStaysAsItWas) {
    TempFolder folder;
    const std::string path = folder / "title.scr";
    const Bytes old = Pattern(Screen, 1);
    WriteBytes(path, old);
    GiveToTestUser(folder.path().string());
    GiveToTestUser(path);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    const int status = InChildProcess([&] {
        if (!testing::DropRootPrivileges())
            return 2;
        const Bytes next = Pattern(Screen, 7);
        return Write(path, next) ? 0 : 1;
    });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(ModeOf(path), 0444u);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"title.scr"});
}

TEST(WriteFileSafely, KeepsTheOwnerOfAFileSavedByAnotherUser) {
    if (geteuid() != 0)
        GTEST_SKIP() << "only a privileged user can save over another user's file";
    TempFolder folder;
    const std::string path = folder / "title.scr";
    WriteBytes(path, Pattern(Screen, 1));
    ASSERT_EQ(chown(path.c_str(), testing::NobodyId, testing::NobodyId), 0);
    ASSERT_TRUE(Write(path, Pattern(Screen, 8)));
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, testing::NobodyId);
    EXPECT_EQ(info.st_gid, testing::NobodyId);
}

TEST(WriteFileSafely, AWriteThatFailsPartWayLeavesTheOldFileWhole) {
    TempFolder folder;
    const std::string path = folder / "title.scr";
    const Bytes old = Pattern(Screen, 1);
    WriteBytes(path, old);
    const int status = InChildProcess([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 2;
        const Bytes next = Pattern(Screen, 9);
        return WriteFileSafely(path, next.data(), next.size()) == std::errc::file_too_large ? 1 : 0;
    });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"title.scr"}) << "temporary file left";
}

// A pipe whose reader comes late and reads slowly still gets every byte: it
// was once opened without waiting, which failed or cut the stream short.
TEST(WriteFileSafely, DevicesAndPipesAreWrittenAsTheyAreWaitingForTheirReader) {
    EXPECT_TRUE(Write("/dev/null", Pattern(Screen, 1)));
    struct stat info {};
    ASSERT_EQ(stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    TempFolder folder;
    const std::string pipe = folder / "title.screen";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const Bytes bytes = Pattern(200000, 1);  // more than a pipe holds
    Bytes read;
    std::thread reader([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const int fd = open(pipe.c_str(), O_RDONLY | O_CLOEXEC);
        std::uint8_t chunk[4096];
        for (ssize_t got; (got = ::read(fd, chunk, sizeof chunk)) > 0;) {
            read.insert(read.end(), chunk, chunk + got);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        close(fd);
    });
    const std::error_code written = WriteFileSafely(pipe, bytes.data(), bytes.size());
    reader.join();
    EXPECT_EQ(written, std::error_code());
    EXPECT_EQ(read, bytes);
    ASSERT_EQ(stat(pipe.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(folder.names(), std::vector<std::string>{"title.screen"});
}

}  // namespace
}  // namespace files
