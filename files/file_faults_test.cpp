// Screen files when the file system works against them: files swapped while
// being loaded, full disks, folders that take no new files, read-only files
// and long, unusual names. Each ends in a failure reported or a success, and
// no user's file is ever left shorter or mixed.

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "files/file_services.h"
#include "files/files_test_support.h"
#include "files/screen_files.h"

namespace files {
namespace {

using testing::AsBytes;
using testing::Bytes;
using testing::InChildProcess;
using testing::ReadBytes;
using testing::RealScreen;
using testing::ScreenBuffer;
using testing::TempFolder;
using testing::WriteBytes;

constexpr rlim_t SmallFileLimit = 4096;  // below a screen and a bitmap file, above an attribute file

Bytes Part(const Bytes& bytes, std::size_t from, std::size_t to) {
    return Bytes(bytes.begin() + static_cast<long>(from), bytes.begin() + static_cast<long>(to));
}

// Running as root, permissions only bind an unprivileged user.
void GiveToTestUser(const std::string& path) {
    if (geteuid() == 0) {
        ASSERT_EQ(chown(path.c_str(), testing::NobodyId, testing::NobodyId), 0) << path;
    }
}

// In a child: from now on no file may grow past the limit, as on a full disk.
bool LimitFileSize(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

// Kept apart so that a test can compare a result with what it expected.
int Code(const SplitResult& split) { return (split.bitmap ? 0 : 1) | (split.attributes ? 0 : 2); }
constexpr int NeitherSaved = 0;
constexpr int OnlyAttributesSaved = 2;
constexpr int BothSaved = 3;

class FileFaultsTest : public ::testing::Test {
protected:
    void TearDown() override { testing::SetBeforeReadHook({}); }

    // A real screen placed at the path, and an edited copy in memory, so that
    // the file and the screen to be written differ.
    void PlaceAndEdit(const std::string& path) {
        WriteBytes(path, AsBytes(RealScreen(0)));
        edited_ = RealScreen(0);
        for (std::size_t i = 0; i < edited_.size(); i += 7)
            edited_[i] ^= 0xA5;
    }
    // In a child process, as an unprivileged user when we are root, under an
    // optional file size limit: the body's answer, or 255 when the child
    // could not be set up.
    int InChild(const std::function<int()>& body, rlim_t limit = 0) {
        return InChildProcess([&] {
            if (!testing::DropRootPrivileges() || (limit && !LimitFileSize(limit)))
                return 255;
            return body();
        });
    }

    ScreenBuffer edited_{};
    TempFolder folder_;
};

TEST_F(FileFaultsTest, AFileThatVanishesShrinksOrBecomesAFolderAfterItsSizeTestIsUnreadable) {
    const std::string swapped = folder_ / "swapped.scr";
    const std::vector<std::function<void()>> swaps = {
        [&] { std::filesystem::remove(swapped); },
        [&] {
            std::filesystem::remove(swapped);
            std::filesystem::create_directory(swapped);
        },
        [&] { std::filesystem::resize_file(swapped, 100); },
    };
    const ScreenBuffer before = RealScreen(0);
    for (std::size_t i = 0; i < swaps.size(); ++i) {
        std::filesystem::remove_all(swapped);
        WriteBytes(swapped, AsBytes(RealScreen(1)));
        testing::SetBeforeReadHook([&](const std::string& name) {
            if (name == swapped)
                swaps[i]();
        });
        ScreenBuffer screen = before;
        EXPECT_EQ(LoadScreen(swapped, screen), LoadResult::Unreadable) << "swap " << i;
        EXPECT_EQ(screen, before) << "swap " << i;
    }
}

TEST_F(FileFaultsTest, AFullDiskDuringSplitKeepsTheOldFilesWholeAndSaysWhichFailed) {
    const std::string path = folder_ / "title.scr";
    PlaceAndEdit(path);
    const Bytes bitmapFile = Part(ReadBytes(path), 0, 6144);
    const Bytes attributeFile(768, 0x47);
    WriteBytes(folder_ / "title.screen", bitmapFile);
    WriteBytes(folder_ / "title.attr", attributeFile);
    for (const char* name : {"title.screen", "title.attr"})
        GiveToTestUser(folder_ / std::string(name));
    GiveToTestUser(folder_.path().string());

    // Room for the attribute file only: it is written, the bitmap file stays.
    EXPECT_EQ(InChild([&] { return Code(SplitScreen(path, edited_)); }, SmallFileLimit), OnlyAttributesSaved);
    EXPECT_EQ(ReadBytes(folder_ / "title.screen"), bitmapFile);
    EXPECT_EQ(ReadBytes(folder_ / "title.attr"), Part(AsBytes(edited_), 6144, 6912));
    // Room for neither: both stay as they were.
    WriteBytes(folder_ / "title.attr", attributeFile);
    EXPECT_EQ(InChild([&] { return Code(SplitScreen(path, edited_)); }, 512), NeitherSaved);
    EXPECT_EQ(ReadBytes(folder_ / "title.screen"), bitmapFile);
    EXPECT_EQ(ReadBytes(folder_ / "title.attr"), attributeFile);
    EXPECT_EQ(folder_.names(), (std::vector<std::string>{"title.attr", "title.scr", "title.screen"}));
}

// Where no temporary file can be made, the file is written in place. That
// once meant emptying it first: on a full disk the save failed with the file
// cut to what fitted, the old picture lost.
TEST_F(FileFaultsTest, AFullDiskWhereNoTemporaryFileCanBeMadeLeavesTheFileWhole) {
    const std::string path = folder_ / "title.scr";
    PlaceAndEdit(path);
    const Bytes old = ReadBytes(path);
    GiveToTestUser(path);
    GiveToTestUser(folder_.path().string());
    ASSERT_EQ(chmod(folder_.path().c_str(), 0555), 0);
    if (geteuid() != 0 && access(folder_.path().c_str(), W_OK) == 0)
        GTEST_SKIP() << "this user may write into a read-only folder";
    EXPECT_EQ(InChild([&] { return SaveScreen(path, edited_) == std::errc::file_too_large ? 0 : 1; }, SmallFileLimit),
              0);
    EXPECT_EQ(ReadBytes(path), old);
    // With room, the same save succeeds in place.
    EXPECT_EQ(InChild([&] { return SaveScreen(path, edited_) ? 0 : 1; }), 1);
    EXPECT_EQ(ReadBytes(path), AsBytes(edited_));
    // Split cannot create its files there.
    EXPECT_EQ(InChild([&] { return Code(SplitScreen(path, edited_)); }), NeitherSaved);
    ASSERT_EQ(chmod(folder_.path().c_str(), 0700), 0);
    EXPECT_EQ(folder_.names(), std::vector<std::string>{"title.scr"});
}

// A file with a second name is written in place too, so both names see the save.
TEST_F(FileFaultsTest, AFullDiskWhileSavingAHardLinkedFileLeavesItWhole) {
    const std::string path = folder_ / "title.scr";
    PlaceAndEdit(path);
    ASSERT_EQ(link(path.c_str(), (folder_ / "second name.scr").c_str()), 0);
    const Bytes old = ReadBytes(path);
    GiveToTestUser(path);
    GiveToTestUser(folder_.path().string());
    EXPECT_EQ(InChild([&] { return SaveScreen(path, edited_) == std::errc::file_too_large ? 0 : 1; }, SmallFileLimit),
              0);
    EXPECT_EQ(ReadBytes(folder_ / "second name.scr"), old);
    ASSERT_EQ(SaveScreen(path, edited_), std::error_code());
    EXPECT_EQ(ReadBytes(folder_ / "second name.scr"), AsBytes(edited_));
}

TEST_F(FileFaultsTest, ReadOnlyFilesFailAndStayAsTheyWere) {
    const std::string path = folder_ / "title.scr";
    PlaceAndEdit(path);
    const Bytes old = ReadBytes(path);
    const Bytes oldBitmap = Part(old, 0, 6144);
    WriteBytes(folder_ / "title.screen", oldBitmap);
    for (const char* name : {"title.scr", "title.screen"}) {
        GiveToTestUser(folder_ / std::string(name));
        ASSERT_EQ(chmod((folder_ / std::string(name)).c_str(), 0444), 0);
    }
    GiveToTestUser(folder_.path().string());
    EXPECT_EQ(InChild([&] { return SaveScreen(path, edited_) == std::errc::permission_denied ? 0 : 1; }), 0);
    EXPECT_EQ(ReadBytes(path), old);
    // Split still writes the attribute file beside the read-only bitmap file.
    EXPECT_EQ(InChild([&] { return Code(SplitScreen(path, edited_)); }), OnlyAttributesSaved);
    EXPECT_EQ(ReadBytes(folder_ / "title.screen"), oldBitmap);
    EXPECT_EQ(ReadBytes(folder_ / "title.attr"), Part(AsBytes(edited_), 6144, 6912));
    EXPECT_EQ(folder_.names(), (std::vector<std::string>{"title.attr", "title.scr", "title.screen"}));
}

// Folders and a file name with spaces and letters beyond ASCII, the path
// 1,000 characters long: loaded, saved and split.
TEST_F(FileFaultsTest, ALongPathWithSpacesAndNonAsciiLettersWorksEverywhere) {
    std::string path = folder_.path().string();
    const std::string part = " Bilder m\xc3\xbc"
                             "de \xd0\xaf \xe6\x97\xa5 ";  // 16 characters
    while (path.size() < 900) {
        std::string folder = "/";
        while (folder.size() < 150)
            folder += part;
        path += folder;
        std::filesystem::create_directory(path);
    }
    path += "/t\xc3\xadtulo \xc3\xb1 ";
    const auto characters = [](const std::string& text) {
        std::size_t count = 0;
        for (char c : text)
            count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        return count;
    };
    path += std::string(1000 - 4 - characters(path), 'x') + ".scr";
    ASSERT_EQ(characters(path), 1000u);

    const ScreenBuffer picture = RealScreen(2);
    WriteBytes(path, AsBytes(picture));
    ScreenBuffer screen{};
    ASSERT_EQ(LoadScreen(path, screen), LoadResult::Loaded);
    EXPECT_EQ(screen, picture);

    screen[0] ^= 0xFF;
    EXPECT_EQ(SaveScreen(path, screen), std::error_code());
    EXPECT_EQ(Code(SplitScreen(path, screen)), BothSaved);
    const std::string base = path.substr(0, path.size() - 4);
    EXPECT_EQ(ReadBytes(path), AsBytes(screen));
    EXPECT_EQ(ReadBytes(base + ".screen"), Part(AsBytes(screen), 0, 6144));
    EXPECT_EQ(ReadBytes(base + ".attr"), Part(AsBytes(screen), 6144, 6912));
}

}  // namespace
}  // namespace files
