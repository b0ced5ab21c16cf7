// The file commands when the file system works against them: files swapped
// while being loaded, full disks, folders that take no new files, read-only
// files and long, unusual names. Each ends in a clear message or a success,
// and no user's file is ever left shorter or mixed.

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "files/file_services.h"
#include "files/files_test_support.h"
#include "files/screen_files.h"
#include "screen/screen_layout.h"
#include "screen/screen_store.h"

namespace files {
namespace {

using testing::Bytes;
using testing::InChildProcess;
using testing::ReadBytes;
using testing::StandInUser;
using testing::TempFolder;
using testing::WriteBytes;
using Message = StandInUser::Message;
using testing::NotScreen;
using testing::LoadError;
using testing::SaveError;

constexpr rlim_t SmallFileLimit = 4096;  // below a screen and a bitmap file, above an attribute file

Bytes Working(const screen::ScreenStore& store) {
    return Bytes(store.working(), store.working() + screen::ScreenSize);
}
Bytes Undo(const screen::ScreenStore& store) {
    return Bytes(store.undo(), store.undo() + screen::ScreenSize);
}
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

class FileFaultsTest : public ::testing::Test {
protected:
    void TearDown() override {
        testing::SetBeforeReadHook({});
        SetCurrentFileName("");
    }

    Bytes Place(const std::string& path, std::size_t which) {
        const Bytes bytes = ReadBytes(testing::TestScreens().at(which).string());
        WriteBytes(path, bytes);
        return bytes;
    }
    // Loads a real screen from the path and edits it, so that the working
    // screen, the undo screen and the file all differ.
    void LoadAndEdit(const std::string& path) {
        Place(path, 0);
        LoadScreenFile(store_, path);
        ASSERT_EQ(CurrentFileName(), path);
        for (int i = 0; i < screen::ScreenSize; i += 7)
            store_.working()[i] ^= 0xA5;
        user_.forget();
    }
    // In a child process, as an unprivileged user when we are root, under an
    // optional file size limit: 0 when the body's messages were `expected`.
    int InChild(const std::vector<Message>& expected, const std::function<void()>& body, rlim_t limit = 0) {
        return InChildProcess([&] {
            if (!testing::DropRootPrivileges() || (limit && !LimitFileSize(limit)))
                return 2;
            body();
            return user_.messages() == expected ? 0 : 1;
        });
    }

    screen::ScreenStore store_;
    StandInUser user_;
    TempFolder folder_;
};

TEST_F(FileFaultsTest, AFileThatVanishesOrBecomesAFolderAfterItsSizeTestIsReportedAndChangesNothing) {
    LoadAndEdit(folder_ / "title.scr");
    const std::string swapped = folder_ / "swapped.scr";
    const std::vector<std::function<void()>> swaps = {
        [&] { std::filesystem::remove(swapped); },
        [&] { std::filesystem::remove(swapped); std::filesystem::create_directory(swapped); },
        [&] { std::filesystem::resize_file(swapped, 100); },
    };
    for (std::size_t i = 0; i < swaps.size(); ++i) {
        std::filesystem::remove_all(swapped);
        Place(swapped, 1);
        const Bytes working = Working(store_);
        const Bytes undo = Undo(store_);
        testing::SetBeforeReadHook([&](const std::string& name) {
            if (name == swapped)
                swaps[i]();
        });
        LoadScreenFile(store_, swapped);
        EXPECT_EQ(user_.messages(), std::vector<Message>{LoadError}) << "swap " << i;
        EXPECT_EQ(Working(store_), working) << "swap " << i;
        EXPECT_EQ(Undo(store_), undo) << "swap " << i;
        EXPECT_EQ(CurrentFileName(), folder_ / "title.scr") << "swap " << i;
        user_.forget();
    }
}

TEST_F(FileFaultsTest, AFullDiskDuringSplitKeepsTheOldFilesWholeAndSaysSo) {
    const std::string path = folder_ / "title.scr";
    LoadAndEdit(path);
    const Bytes bitmapFile = Part(ReadBytes(path), 0, 6144);
    const Bytes attributeFile(768, 0x47);
    WriteBytes(folder_ / "title.screen", bitmapFile);
    WriteBytes(folder_ / "title.attr", attributeFile);
    const Bytes edited = Working(store_);
    for (const char* name : {"title.screen", "title.attr"})
        GiveToTestUser(folder_ / std::string(name));
    GiveToTestUser(folder_.path().string());

    // Room for the attribute file only: it is written, the bitmap file stays.
    EXPECT_EQ(InChild({SaveError}, [&] { SplitScreenFile(store_); }, SmallFileLimit), 0);
    EXPECT_EQ(ReadBytes(folder_ / "title.screen"), bitmapFile);
    EXPECT_EQ(ReadBytes(folder_ / "title.attr"), Part(edited, 6144, 6912));
    // Room for neither: both stay as they were, and it is said once.
    WriteBytes(folder_ / "title.attr", attributeFile);
    EXPECT_EQ(InChild({SaveError}, [&] { SplitScreenFile(store_); }, 512), 0);
    EXPECT_EQ(ReadBytes(folder_ / "title.screen"), bitmapFile);
    EXPECT_EQ(ReadBytes(folder_ / "title.attr"), attributeFile);
    EXPECT_EQ(folder_.names(), (std::vector<std::string>{"title.attr", "title.scr", "title.screen"}));
}

// Where no temporary file can be made, the file is written in place. That
// once meant emptying it first: on a full disk the save failed with the file
// cut to what fitted, the old picture lost.
TEST_F(FileFaultsTest, AFullDiskWhereNoTemporaryFileCanBeMadeLeavesTheFileWhole) {
    const std::string path = folder_ / "title.scr";
    LoadAndEdit(path);
    const Bytes old = ReadBytes(path);
    GiveToTestUser(path);
    GiveToTestUser(folder_.path().string());
    ASSERT_EQ(chmod(folder_.path().c_str(), 0555), 0);
    if (geteuid() != 0 && access(folder_.path().c_str(), W_OK) == 0)
        GTEST_SKIP() << "this user may write into a read-only folder";
    EXPECT_EQ(InChild({SaveError}, [&] { SaveScreenFile(store_); }, SmallFileLimit), 0);
    EXPECT_EQ(ReadBytes(path), old);
    // With room, the same save succeeds in place.
    EXPECT_EQ(InChild({}, [&] { SaveScreenFile(store_); }), 0);
    EXPECT_EQ(ReadBytes(path), Working(store_));
    // Split cannot create its files there: said once, nothing made.
    EXPECT_EQ(InChild({SaveError}, [&] { SplitScreenFile(store_); }), 0);
    ASSERT_EQ(chmod(folder_.path().c_str(), 0700), 0);
    EXPECT_EQ(folder_.names(), std::vector<std::string>{"title.scr"});
}

// A file with a second name is written in place too, so both names see the save.
TEST_F(FileFaultsTest, AFullDiskWhileSavingAHardLinkedFileLeavesItWhole) {
    const std::string path = folder_ / "title.scr";
    LoadAndEdit(path);
    ASSERT_EQ(link(path.c_str(), (folder_ / "second name.scr").c_str()), 0);
    const Bytes old = ReadBytes(path);
    GiveToTestUser(path);
    GiveToTestUser(folder_.path().string());
    EXPECT_EQ(InChild({SaveError}, [&] { SaveScreenFile(store_); }, SmallFileLimit), 0);
    EXPECT_EQ(ReadBytes(folder_ / "second name.scr"), old);
    SaveScreenFile(store_);
    EXPECT_EQ(ReadBytes(folder_ / "second name.scr"), Working(store_));
}

TEST_F(FileFaultsTest, ReadOnlyFilesAreReportedAndStayAsTheyWere) {
    const std::string path = folder_ / "title.scr";
    LoadAndEdit(path);
    const Bytes old = ReadBytes(path);
    const Bytes oldBitmap = Part(old, 0, 6144);
    WriteBytes(folder_ / "title.screen", oldBitmap);
    for (const char* name : {"title.scr", "title.screen"}) {
        GiveToTestUser(folder_ / std::string(name));
        ASSERT_EQ(chmod((folder_ / std::string(name)).c_str(), 0444), 0);
    }
    GiveToTestUser(folder_.path().string());
    EXPECT_EQ(InChild({SaveError}, [&] { SaveScreenFile(store_); }), 0);
    EXPECT_EQ(ReadBytes(path), old);
    // Split still writes the attribute file beside the read-only bitmap file.
    EXPECT_EQ(InChild({SaveError}, [&] { SplitScreenFile(store_); }), 0);
    EXPECT_EQ(ReadBytes(folder_ / "title.screen"), oldBitmap);
    EXPECT_EQ(ReadBytes(folder_ / "title.attr"), Part(Working(store_), 6144, 6912));
    EXPECT_EQ(folder_.names(), (std::vector<std::string>{"title.attr", "title.scr", "title.screen"}));
}

// Folders and a file name with spaces and letters beyond ASCII, the path
// 1,000 characters long: loaded by every route, saved and split.
TEST_F(FileFaultsTest, ALongPathWithSpacesAndNonAsciiLettersWorksEverywhere) {
    std::string path = folder_.path().string();
    const std::string part = " Bilder m\xc3\xbc" "de \xd0\xaf \xe6\x97\xa5 ";  // 16 characters
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

    const Bytes picture = Place(path, 2);
    LoadDroppedFile(store_, path + "\n/elsewhere/other.scr");
    EXPECT_EQ(CurrentFileName(), path);
    EXPECT_EQ(Working(store_), picture);
    SetCurrentFileName("");
    user_.willChoose(path);
    OpenScreenFile(store_);
    EXPECT_EQ(CurrentFileName(), path);
    EXPECT_EQ(Working(store_), picture);

    store_.working()[0] ^= 0xFF;
    SaveScreenFile(store_);
    SplitScreenFile(store_);
    EXPECT_EQ(user_.messages(), std::vector<Message>{});
    const std::string base = path.substr(0, path.size() - 4);
    EXPECT_EQ(ReadBytes(path), Working(store_));
    EXPECT_EQ(ReadBytes(base + ".screen"), Part(Working(store_), 0, 6144));
    EXPECT_EQ(ReadBytes(base + ".attr"), Part(Working(store_), 6144, 6912));
}

} // namespace
} // namespace files
