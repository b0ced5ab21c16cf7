#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "files/files_test_support.h"
#include "files/screen_files.h"

namespace files {
namespace {

using testing::AsBytes;
using testing::Bytes;
using testing::Pattern;
using testing::ReadBytes;
using testing::RealScreen;
using testing::ScreenBuffer;
using testing::TempFolder;
using testing::WriteBytes;

// A screen that differs from every real one, to see whether a load touched it.
ScreenBuffer Untouched() {
    ScreenBuffer screen;
    screen.fill(0xC3);
    return screen;
}

Bytes Part(const Bytes& bytes, std::size_t from, std::size_t to) {
    return Bytes(bytes.begin() + static_cast<long>(from), bytes.begin() + static_cast<long>(to));
}

TEST(ScreenFiles, EveryRealScreenLoadsAndIsSavedBackByteForByte) {
    TempFolder folder;
    std::vector<std::string> names;
    for (const testsupport::RealScreen& real : testsupport::RealScreens()) {
        const std::filesystem::path source = real.path;
        const Bytes original = ReadBytes(source.string());
        ASSERT_EQ(original.size(), 6912u) << source;
        ScreenBuffer screen = Untouched();
        ASSERT_EQ(LoadScreen(source.string(), screen), LoadResult::Loaded) << source;
        EXPECT_EQ(AsBytes(screen), original) << source;

        const std::string copy = folder / source.filename().string();
        names.push_back(source.filename().string());
        ASSERT_EQ(SaveScreen(copy, screen), std::error_code()) << source;
        EXPECT_EQ(ReadBytes(copy), original) << source;
    }
    EXPECT_EQ(folder.names(), names);
    EXPECT_GE(names.size(), 10u);
}

// The size is the only test: any content of the right size is a screen, and
// nothing else is, whatever it holds. A refused file leaves the buffer alone.
TEST(ScreenFiles, OnlyRegularFilesOfExactlyOneScreenAreLoaded) {
    TempFolder folder;
    const Bytes text(6912, 'x');
    WriteBytes(folder / "notes.txt", text);
    WriteBytes(folder / "6911.scr", Pattern(6911, 1));
    WriteBytes(folder / "6913.scr", Pattern(6913, 1));
    WriteBytes(folder / "empty.scr", {});
    ASSERT_EQ(mkdir((folder / "folder.scr").c_str(), 0700), 0);

    ScreenBuffer screen = Untouched();
    ASSERT_EQ(LoadScreen(folder / "notes.txt", screen), LoadResult::Loaded);
    EXPECT_EQ(AsBytes(screen), text);
    for (const std::string& name : {folder / "6911.scr", folder / "6913.scr", folder / "empty.scr",
                                    folder / "folder.scr", folder / "missing.scr", std::string(), std::string("/")}) {
        screen = Untouched();
        EXPECT_EQ(LoadScreen(name, screen), LoadResult::NotAScreen) << name;
        EXPECT_EQ(screen, Untouched()) << name;
    }
    EXPECT_TRUE(IsScreenFileSize(6912));
    for (std::int64_t size : {-1L, 0L, 6911L, 6913L, 6144L, 768L, 6912L + (1L << 32)})
        EXPECT_FALSE(IsScreenFileSize(size)) << size;
}

TEST(ScreenFiles, SplitGivesTheTwoAreasWhichJoinedAreWhatSaveWrites) {
    TempFolder folder;
    ScreenBuffer screen = RealScreen(0);
    for (std::size_t i = 0; i < screen.size(); i += 5)
        screen[i] ^= 0x5A;
    const std::string path = folder / "title.scr";
    const SplitResult split = SplitScreen(path, screen);
    EXPECT_TRUE(split.bothSaved());
    const Bytes bitmap = ReadBytes(folder / "title.screen");
    Bytes joined = bitmap;
    const Bytes attributes = ReadBytes(folder / "title.attr");
    joined.insert(joined.end(), attributes.begin(), attributes.end());
    EXPECT_EQ(bitmap.size(), 6144u);
    EXPECT_EQ(attributes.size(), 768u);
    ASSERT_EQ(SaveScreen(path, screen), std::error_code());
    EXPECT_EQ(joined, ReadBytes(path));

    // Split again overwrites both without asking.
    screen[0] ^= 0xFF;
    screen[6911] ^= 0xFF;
    EXPECT_TRUE(SplitScreen(path, screen).bothSaved());
    EXPECT_EQ(ReadBytes(folder / "title.screen"), Part(AsBytes(screen), 0, 6144));
    EXPECT_EQ(ReadBytes(folder / "title.attr"), Part(AsBytes(screen), 6144, 6912));
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"title.attr", "title.scr", "title.screen"}));
}

TEST(ScreenFiles, SplitNamesTheFilesAfterTheLastPartOfTheName) {
    TempFolder folder;
    ASSERT_EQ(mkdir((folder / "my.pics").c_str(), 0700), 0);
    const ScreenBuffer screen = RealScreen(1);
    EXPECT_TRUE(SplitScreen(folder / "my.pics/title", screen).bothSaved());
    EXPECT_EQ(ReadBytes(folder / "my.pics/title.screen"), Part(AsBytes(screen), 0, 6144));
    EXPECT_EQ(ReadBytes(folder / "my.pics/title.attr"), Part(AsBytes(screen), 6144, 6912));
    EXPECT_EQ(folder.names(), std::vector<std::string>{"my.pics"});
}

// Without a loaded file's name, nothing may land in the working folder.
TEST(ScreenFiles, AnEmptyNameIsNeitherSavedNorSplit) {
    TempFolder folder;
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    const ScreenBuffer screen = RealScreen(0);
    const std::error_code saved = SaveScreen("", screen);
    const SplitResult split = SplitScreen("", screen);
    std::filesystem::current_path(previous);
    EXPECT_TRUE(saved);
    EXPECT_TRUE(split.bitmap);
    EXPECT_TRUE(split.attributes);
    EXPECT_EQ(folder.names(), std::vector<std::string>{});
}

// A file that another program holds (here: a write lease of our own) cannot
// be opened though its size is right. Nothing skips: CI counts a skip as a
// failure.
TEST(ScreenFiles, AFileThatCannotBeOpenedIsUnreadableAndLeavesTheBufferAlone) {
    TempFolder folder;
    const std::string held = folder / "held.scr";
    WriteBytes(held, AsBytes(RealScreen(2)));
    const int holder = open(held.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    // Breaking the lease signals the holder: that is us.
    const auto previousSignal = std::signal(SIGIO, SIG_IGN);
    if (fcntl(holder, F_SETLEASE, F_WRLCK) != 0) {
        // Where the file system grants no leases, a file the user may not
        // read stands in: its size is right, and its open fails all the same.
        close(holder);
        std::signal(SIGIO, previousSignal);
        chmod(folder.path().c_str(), 0755);
        chmod(held.c_str(), 0);
        EXPECT_EQ(testing::InChildProcess([&] {
                      ScreenBuffer screen = Untouched();
                      if (!testing::DropRootPrivileges())
                          return 2;
                      return LoadScreen(held, screen) == LoadResult::Unreadable && screen == Untouched() ? 0 : 1;
                  }),
                  0);
        return;
    }
    ScreenBuffer screen = Untouched();
    const LoadResult result = LoadScreen(held, screen);
    fcntl(holder, F_SETLEASE, F_UNLCK);
    close(holder);
    std::signal(SIGIO, previousSignal);
    EXPECT_EQ(result, LoadResult::Unreadable);
    EXPECT_EQ(screen, Untouched());
}

TEST(ScreenFiles, SplitReportsEachFileAndWritesTheSecondWhenTheFirstFails) {
    TempFolder folder;
    const ScreenBuffer screen = RealScreen(0);
    // A folder where the bitmap file should go cannot be written.
    ASSERT_EQ(mkdir((folder / "title.screen").c_str(), 0700), 0);
    SplitResult split = SplitScreen(folder / "title.scr", screen);
    EXPECT_EQ(split.bitmap, std::errc::is_a_directory);
    EXPECT_EQ(split.attributes, std::error_code());
    EXPECT_FALSE(split.bothSaved());
    EXPECT_EQ(ReadBytes(folder / "title.attr"), Part(AsBytes(screen), 6144, 6912));

    ASSERT_EQ(unlink((folder / "title.attr").c_str()), 0);
    ASSERT_EQ(mkdir((folder / "title.attr").c_str(), 0700), 0);
    ASSERT_EQ(rmdir((folder / "title.screen").c_str()), 0);
    split = SplitScreen(folder / "title.scr", screen);
    EXPECT_EQ(split.bitmap, std::error_code());
    EXPECT_EQ(split.attributes, std::errc::is_a_directory);
    EXPECT_FALSE(split.bothSaved());
    EXPECT_EQ(ReadBytes(folder / "title.screen"), Part(AsBytes(screen), 0, 6144));
}

TEST(ScreenFiles, SavingIntoAFolderThatIsGoneFails) {
    TempFolder folder;
    const ScreenBuffer screen = RealScreen(0);
    EXPECT_EQ(SaveScreen(folder / "gone/title.scr", screen), std::errc::no_such_file_or_directory);
    const SplitResult split = SplitScreen(folder / "gone/title.scr", screen);
    EXPECT_EQ(split.bitmap, std::errc::no_such_file_or_directory);
    EXPECT_EQ(split.attributes, std::errc::no_such_file_or_directory);
    EXPECT_EQ(folder.names(), std::vector<std::string>{});
}

}  // namespace
}  // namespace files
