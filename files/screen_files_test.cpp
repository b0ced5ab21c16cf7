#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "files/files_test_support.h"
#include "files/screen_files.h"
#include "screen/screen_layout.h"
#include "screen/screen_store.h"
#include "toolkit/canvas/canvas.h"
#include "toolkit/canvas/canvas_access.h"
#include "toolkit/windows/events.h"
#include "toolkit/windows/windows.h"

namespace files {
namespace {

using testing::Bytes;
using testing::Pattern;
using testing::ReadBytes;
using testing::StandInUser;
using testing::TempFolder;
using testing::WriteBytes;
using Message = StandInUser::Message;
using testing::NotScreen;
using testing::LoadError;
using testing::SaveError;
using testing::NothingLoaded;
using testing::Cancelled;

constexpr int MonoView = 0;
constexpr int ColourView = 1;

Bytes Working(const screen::ScreenStore& store) {
    return Bytes(store.working(), store.working() + screen::ScreenSize);
}
Bytes Undo(const screen::ScreenStore& store) {
    return Bytes(store.undo(), store.undo() + screen::ScreenSize);
}

Bytes ViewPixels(int view) {
    toolkit::CanvasPixels pixels;
    if (!toolkit::GetCanvasPixels(view, pixels))
        return {};
    const std::uint8_t* start = pixels.storage.get();
    return Bytes(start, start + static_cast<std::size_t>(pixels.rowLength) * pixels.height);
}

Bytes Joined(const Bytes& first, const Bytes& second) {
    Bytes joined = first;
    joined.insert(joined.end(), second.begin(), second.end());
    return joined;
}

// Everything a refused load or a failed command must leave alone.
struct Snapshot {
    Bytes working;
    Bytes undo;
    Bytes mono;
    Bytes colour;
    std::string fileName;
    bool operator==(const Snapshot&) const = default;
};

// The main window's two views, a fresh store and no file loaded yet.
class ScreenFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(toolkit::CreateTopWindow(0, toolkit::DefaultPosition, toolkit::DefaultPosition, 1060, 440,
                                           "files", 0), 0);
        ASSERT_NE(toolkit::CreateCanvas(MonoView, 0, 20, 512, 384, toolkit::CanvasConfinePointer), 0);
        ASSERT_NE(toolkit::CreateCanvas(ColourView, 530, 20, 512, 384, toolkit::CanvasConfinePointer), 0);
        SetCurrentFileName("");
    }
    void TearDown() override {
        toolkit::DestroyControl(MonoView);
        toolkit::DestroyControl(ColourView);
        toolkit::ClearEventQueue();
        SetCurrentFileName("");
    }

    Snapshot State() const {
        return {Working(store_), Undo(store_), ViewPixels(MonoView), ViewPixels(ColourView), CurrentFileName()};
    }

    // A real screen copied into the folder under the name.
    Bytes Place(const std::string& path, std::size_t which = 0) {
        const Bytes bytes = ReadBytes(testing::TestScreens().at(which).string());
        WriteBytes(path, bytes);
        return bytes;
    }

    // Loads a real screen and edits it, so that the working screen, the undo
    // screen and the file all differ.
    void LoadAndEdit(const std::string& path) {
        Place(path);
        LoadScreenFile(store_, path);
        ASSERT_EQ(CurrentFileName(), path);
        for (int i = 0; i < screen::ScreenSize; i += 5)
            store_.working()[i] ^= 0x5A;
        user_.forget();
    }

    screen::ScreenStore store_;
    StandInUser user_;
    TempFolder folder_;
};

TEST_F(ScreenFilesTest, EveryRealScreenLoadsAndIsSavedBackByteForByte) {
    std::vector<std::string> names;
    for (const std::filesystem::path& source : testing::TestScreens()) {
        const std::string path = folder_ / source.filename().string();
        names.push_back(source.filename().string());
        const Bytes original = ReadBytes(source.string());
        ASSERT_EQ(original.size(), 6912u) << source;
        WriteBytes(path, original);

        LoadScreenFile(store_, path);
        EXPECT_EQ(Working(store_), original) << source;
        EXPECT_EQ(Undo(store_), original) << source;
        EXPECT_EQ(CurrentFileName(), path);
        SaveScreenFile(store_);
        EXPECT_EQ(ReadBytes(path), original) << source;
    }
    EXPECT_EQ(user_.messages(), std::vector<Message>{});
    EXPECT_EQ(folder_.names(), names);
    EXPECT_GE(names.size(), 10u);
}

TEST_F(ScreenFilesTest, SaveWritesTheEditedPictureAndChangesNothingElse) {
    const std::string path = folder_ / "title.scr";
    LoadAndEdit(path);
    const Snapshot before = State();
    SaveScreenFile(store_);
    EXPECT_EQ(ReadBytes(path), before.working);
    EXPECT_EQ(State(), before);
    EXPECT_EQ(user_.messages(), std::vector<Message>{});

    // Through a symbolic link the link stays and its target takes the save.
    const std::string link = folder_ / "link.scr";
    ASSERT_EQ(symlink("title.scr", link.c_str()), 0);
    LoadScreenFile(store_, link);
    store_.working()[0] ^= 0xFF;
    SaveScreenFile(store_);
    EXPECT_EQ(ReadBytes(path), Working(store_));
    struct stat info {};
    ASSERT_EQ(lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
}

TEST_F(ScreenFilesTest, AnAcceptedLoadRedrawsBothViewsAndARefusedOneDoesNot) {
    const Bytes whiteMono = ViewPixels(MonoView);
    const Bytes whiteColour = ViewPixels(ColourView);
    ASSERT_FALSE(whiteMono.empty());
    const std::string path = folder_ / "title.scr";
    Place(path);
    LoadScreenFile(store_, path);
    EXPECT_NE(ViewPixels(MonoView), whiteMono);
    EXPECT_NE(ViewPixels(ColourView), whiteColour);

    const Snapshot before = State();
    WriteBytes(folder_ / "short.scr", Pattern(6911, 3));
    LoadScreenFile(store_, folder_ / "short.scr");
    EXPECT_EQ(State(), before);
}

TEST_F(ScreenFilesTest, SplitGivesTheTwoAreasWhichJoinedAreWhatSaveWrites) {
    const std::string path = folder_ / "title.scr";
    LoadAndEdit(path);
    const Snapshot before = State();
    SplitScreenFile(store_);
    EXPECT_EQ(user_.messages(), std::vector<Message>{});
    EXPECT_EQ(State(), before);
    const Bytes bitmap = ReadBytes(folder_ / "title.screen");
    const Bytes attributes = ReadBytes(folder_ / "title.attr");
    EXPECT_EQ(bitmap.size(), 6144u);
    EXPECT_EQ(attributes.size(), 768u);
    SaveScreenFile(store_);
    EXPECT_EQ(Joined(bitmap, attributes), ReadBytes(path));

    // Split again overwrites both without asking.
    store_.working()[0] ^= 0xFF;
    store_.working()[6911] ^= 0xFF;
    SplitScreenFile(store_);
    EXPECT_EQ(Joined(ReadBytes(folder_ / "title.screen"), ReadBytes(folder_ / "title.attr")), Working(store_));
    EXPECT_EQ(folder_.names(), (std::vector<std::string>{"title.attr", "title.scr", "title.screen"}));
}

TEST_F(ScreenFilesTest, SplitNamesTheFilesAfterTheLastPartOfTheName) {
    ASSERT_EQ(mkdir((folder_ / "my.pics").c_str(), 0700), 0);
    LoadAndEdit(folder_ / "my.pics/title");
    SplitScreenFile(store_);
    EXPECT_EQ(ReadBytes(folder_ / "my.pics/title.screen").size(), 6144u);
    EXPECT_EQ(ReadBytes(folder_ / "my.pics/title.attr").size(), 768u);
    EXPECT_EQ(user_.messages(), std::vector<Message>{});
}

TEST_F(ScreenFilesTest, FilesOfAnyOtherSizeAndNonFilesAreRefusedChangingNothing) {
    LoadAndEdit(folder_ / "title.scr");
    WriteBytes(folder_ / "6911.scr", Pattern(6911, 1));
    WriteBytes(folder_ / "6913.scr", Pattern(6913, 1));
    WriteBytes(folder_ / "empty.scr", {});
    ASSERT_EQ(mkdir((folder_ / "folder.scr").c_str(), 0700), 0);
    const Snapshot before = State();
    for (const std::string& name : {folder_ / "6911.scr", folder_ / "6913.scr", folder_ / "empty.scr",
                                    folder_ / "folder.scr", folder_ / "missing.scr", std::string()}) {
        LoadScreenFile(store_, name);
        EXPECT_EQ(user_.messages(), std::vector<Message>{NotScreen}) << name;
        EXPECT_EQ(State(), before) << name;
        user_.forget();
    }
}

TEST_F(ScreenFilesTest, AFileOfTheRightSizeIsAcceptedWhateverItHolds) {
    const Bytes text(6912, 'x');
    WriteBytes(folder_ / "notes.txt", text);
    LoadScreenFile(store_, folder_ / "notes.txt");
    EXPECT_EQ(Working(store_), text);
    EXPECT_EQ(Undo(store_), text);
    EXPECT_EQ(CurrentFileName(), folder_ / "notes.txt");
    EXPECT_EQ(user_.messages(), std::vector<Message>{});
}

TEST_F(ScreenFilesTest, OpenAsksForOneFileAndLoadsIt) {
    const std::string path = folder_ / "title.scr";
    const Bytes bytes = Place(path, 1);
    user_.willChoose(path);
    OpenScreenFile(store_);
    ASSERT_EQ(user_.fileRequests().size(), 1u);
    const StandInUser::FileRequest& request = user_.fileRequests()[0];
    EXPECT_EQ(request.title, "Please choose file to load");
    EXPECT_EQ(request.defaultFile, "");
    EXPECT_EQ(request.patterns, "All files (*.*)|*.*|ZX Spectrum screens (*.scr)|*.scr;*.bat");
    EXPECT_EQ(request.patternIndex, 0);
    EXPECT_EQ(Working(store_), bytes);
    EXPECT_EQ(Undo(store_), bytes);
    EXPECT_EQ(CurrentFileName(), path);
    EXPECT_EQ(user_.messages(), std::vector<Message>{});
}

TEST_F(ScreenFilesTest, CancellingTheRequesterOnlySaysSo) {
    LoadAndEdit(folder_ / "title.scr");
    const Snapshot before = State();
    user_.willChoose("");
    OpenScreenFile(store_);
    EXPECT_EQ(user_.messages(), std::vector<Message>{Cancelled});
    EXPECT_EQ(State(), before);

    // A typed name of a file that is not there comes back and is refused.
    user_.forget();
    user_.willChoose(folder_ / "typed.scr");
    OpenScreenFile(store_);
    EXPECT_EQ(user_.messages(), std::vector<Message>{NotScreen});
    EXPECT_EQ(State(), before);
}

TEST_F(ScreenFilesTest, ADropLoadsTheFirstFileOnly) {
    const std::string first = folder_ / "first.scr";
    const std::string second = folder_ / "second.scr";
    const Bytes bytes = Place(first, 0);
    Place(second, 1);
    LoadDroppedFile(store_, first + "\n" + second);
    EXPECT_EQ(CurrentFileName(), first);
    EXPECT_EQ(Working(store_), bytes);
    EXPECT_EQ(user_.messages(), std::vector<Message>{});

    // When the first is refused the others are not tried.
    const Snapshot before = State();
    LoadDroppedFile(store_, folder_.path().string() + "\n" + second + "\n" + second);
    EXPECT_EQ(user_.messages(), std::vector<Message>{NotScreen});
    EXPECT_EQ(State(), before);
    user_.forget();
    LoadDroppedFile(store_, "");
    LoadDroppedFile(store_, "\n" + second);
    EXPECT_EQ(user_.messages(), (std::vector<Message>{NotScreen, NotScreen}));
    EXPECT_EQ(State(), before);
}

TEST_F(ScreenFilesTest, SaveAndSplitBeforeAnyLoadWriteNothing) {
    // Relative names would land in the working folder: make it ours.
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());
    SaveScreenFile(store_);
    SplitScreenFile(store_);
    std::filesystem::current_path(previous);
    EXPECT_EQ(user_.messages(), (std::vector<Message>{SaveError, NothingLoaded}));
    EXPECT_EQ(folder_.names(), std::vector<std::string>{});
}

// A file that another program holds (here: a write lease of our own) cannot
// be opened though its size is right.
TEST_F(ScreenFilesTest, AFileThatCannotBeReadIsReportedAndChangesNothing) {
    LoadAndEdit(folder_ / "title.scr");
    const std::string held = folder_ / "held.scr";
    Place(held, 2);
    const int holder = open(held.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    // Breaking the lease signals the holder: that is us.
    const auto previousSignal = std::signal(SIGIO, SIG_IGN);
    if (fcntl(holder, F_SETLEASE, F_WRLCK) != 0) {
        close(holder);
        std::signal(SIGIO, previousSignal);
        GTEST_SKIP() << "this file system grants no leases";
    }
    const Snapshot before = State();
    LoadScreenFile(store_, held);
    fcntl(holder, F_SETLEASE, F_UNLCK);
    close(holder);
    std::signal(SIGIO, previousSignal);
    EXPECT_EQ(user_.messages(), std::vector<Message>{LoadError});
    EXPECT_EQ(State(), before);
}

TEST_F(ScreenFilesTest, ASaveThatFailsPartWayIsReportedAndTheOldFileStays) {
    const std::string path = folder_ / "title.scr";
    LoadAndEdit(path);
    const Bytes old = ReadBytes(path);
    const int status = testing::InChildProcess([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 2;
        SaveScreenFile(store_);
        return user_.messages() == std::vector<Message>{SaveError} ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(folder_.names(), std::vector<std::string>{"title.scr"});
}

TEST_F(ScreenFilesTest, SplitWritesTheSecondFileWhenTheFirstFailsAndSaysSoOnce) {
    LoadAndEdit(folder_ / "title.scr");
    // A folder where the bitmap file should go cannot be written.
    ASSERT_EQ(mkdir((folder_ / "title.screen").c_str(), 0700), 0);
    SplitScreenFile(store_);
    EXPECT_EQ(user_.messages(), std::vector<Message>{SaveError});
    const Bytes working = Working(store_);
    EXPECT_EQ(ReadBytes(folder_ / "title.attr"), Bytes(working.begin() + 6144, working.end()));

    // Both failing still says it once.
    user_.forget();
    ASSERT_EQ(unlink((folder_ / "title.attr").c_str()), 0);
    ASSERT_EQ(mkdir((folder_ / "title.attr").c_str(), 0700), 0);
    SplitScreenFile(store_);
    EXPECT_EQ(user_.messages(), std::vector<Message>{SaveError});
}

TEST_F(ScreenFilesTest, SavingIntoAFolderThatIsGoneIsReported) {
    ASSERT_EQ(mkdir((folder_ / "gone").c_str(), 0700), 0);
    LoadAndEdit(folder_ / "gone/title.scr");
    std::filesystem::remove_all(folder_.path() / "gone");
    const Snapshot before = State();
    SaveScreenFile(store_);
    SplitScreenFile(store_);
    EXPECT_EQ(user_.messages(), (std::vector<Message>{SaveError, SaveError}));
    EXPECT_EQ(State(), before);
    EXPECT_EQ(folder_.names(), std::vector<std::string>{});
}

} // namespace
} // namespace files
