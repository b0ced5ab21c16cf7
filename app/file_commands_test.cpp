// The file commands as the user meets them: requester, messages, redraw and
// the current file name, with a stand-in user answering every dialog.

#include <filesystem>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "app/file_commands.h"
#include "app/shell.h"
#include "files/file_services.h"
#include "files/files_test_support.h"
#include "screen/screen_layout.h"
#include "toolkit/canvas/canvas_access.h"
#include "toolkit/controls/controls.h"
#include "toolkit/controls/requester_answers.h"
#include "toolkit/windows/events.h"

namespace app {
namespace {

using files::testing::AsBytes;
using files::testing::Bytes;
using files::testing::Pattern;
using files::testing::ReadBytes;
using files::testing::TempFolder;
using files::testing::WriteBytes;

struct Message {
    std::string title;
    std::string text;
    std::uint32_t flags = 0;
    bool operator==(const Message&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Message& message) {
    return out << '(' << message.title << ", " << message.text << ", flags " << message.flags << ')';
}

// The messages the file commands show, exactly as the user sees them.
const Message NotScreen{"Error", "this is not ZX Spectrum picture!"};
const Message LoadError{"Error", "error loading file!"};
const Message SaveError{"Error", "error saving file!"};
const Message NothingLoaded{"Error", "load screen first!"};
const Message Cancelled{"Information", "The requester was canceled."};

using Messages = std::vector<Message>;

// Stands in for the user at the message boxes and open-file requesters,
// answering at once and keeping what they showed.
class StandInUser {
public:
    struct FileRequest {
        std::string title;
        std::string defaultFile;
        std::string patterns;
        int patternIndex = 0;
    };

    StandInUser() {
        toolkit::SetRequesterAnswerer([this](const toolkit::RequesterQuestion& question) {
            toolkit::RequesterAnswer answer;
            if (question.kind == toolkit::RequesterKind::OpenFile) {
                fileRequests_.push_back({question.title, question.text, question.patternList, question.patternIndex});
                answer.path = choice_;
            } else {
                messages_.push_back({question.title, question.text, question.flags});
                answer.button = toolkit::OkButton;
            }
            return answer;
        });
    }
    ~StandInUser() { toolkit::SetRequesterAnswerer({}); }
    StandInUser(const StandInUser&) = delete;
    StandInUser& operator=(const StandInUser&) = delete;

    // What the next open-file requesters answer; an empty text cancels.
    void WillChoose(const std::string& path) { choice_ = path; }
    const Messages& messages() const { return messages_; }
    const std::vector<FileRequest>& fileRequests() const { return fileRequests_; }
    void Forget() {
        messages_.clear();
        fileRequests_.clear();
    }

private:
    std::string choice_;
    Messages messages_;
    std::vector<FileRequest> fileRequests_;
};

Bytes ViewPixels(int view) {
    toolkit::CanvasPixels pixels;
    if (!toolkit::GetCanvasPixels(view, pixels))
        return {};
    const std::uint8_t* start = pixels.storage.get();
    return Bytes(start, start + static_cast<std::size_t>(pixels.rowLength) * pixels.height);
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

// The real main window with both views still white, a fresh store and no
// file loaded yet.
class FileCommands : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(BuildMainWindow()); }
    void TearDown() override {
        files::testing::SetBeforeReadHook({});
        toolkit::ClearEventQueue();
    }

    Bytes Working() const { return Bytes(store_.Working(), store_.Working() + screen::ScreenSize); }
    Bytes Undo() const { return Bytes(store_.Undo(), store_.Undo() + screen::ScreenSize); }
    Snapshot State() const {
        return {Working(), Undo(), ViewPixels(MonoViewControl), ViewPixels(ColourViewControl),
                session_.currentFileName};
    }

    // A real screen copied into the folder under the name.
    Bytes Place(const std::string& path, std::size_t which = 0) {
        const Bytes bytes = AsBytes(files::testing::RealScreen(which));
        WriteBytes(path, bytes);
        return bytes;
    }
    // Loads a real screen and edits it, so that the working screen, the undo
    // screen and the file all differ.
    void LoadAndEdit(const std::string& path) {
        Place(path);
        LoadScreenFile(store_, session_, path);
        ASSERT_EQ(session_.currentFileName, path);
        for (int i = 0; i < screen::ScreenSize; i += 5)
            store_.Working()[i] ^= 0x5A;
        user_.Forget();
    }

    screen::ScreenStore store_;
    Session session_;
    StandInUser user_;
    TempFolder folder_;
};

TEST_F(FileCommands, AnAcceptedLoadRedrawsAndNamesTheFileAndARefusedOneChangesNothing) {
    const Bytes whiteMono = ViewPixels(MonoViewControl);
    const Bytes whiteColour = ViewPixels(ColourViewControl);
    ASSERT_FALSE(whiteMono.empty());
    const std::string path = folder_ / "title.scr";
    const Bytes bytes = Place(path);
    LoadScreenFile(store_, session_, path);
    EXPECT_EQ(Working(), bytes);
    EXPECT_EQ(Undo(), bytes);
    EXPECT_EQ(session_.currentFileName, path);
    EXPECT_NE(ViewPixels(MonoViewControl), whiteMono);
    EXPECT_NE(ViewPixels(ColourViewControl), whiteColour);
    EXPECT_EQ(user_.messages(), Messages{});

    store_.Working()[0] ^= 0xFF;
    WriteBytes(folder_ / "6911.scr", Pattern(6911, 1));
    WriteBytes(folder_ / "6913.scr", Pattern(6913, 1));
    WriteBytes(folder_ / "empty.scr", {});
    ASSERT_EQ(mkdir((folder_ / "folder.scr").c_str(), 0700), 0);
    const Snapshot before = State();
    for (const std::string& name : {folder_ / "6911.scr", folder_ / "6913.scr", folder_ / "empty.scr",
                                    folder_ / "folder.scr", folder_ / "missing.scr", std::string()}) {
        LoadScreenFile(store_, session_, name);
        EXPECT_EQ(user_.messages(), Messages{NotScreen}) << name;
        EXPECT_EQ(State(), before) << name;
        user_.Forget();
    }
}

TEST_F(FileCommands, AFileThatCannotBeReadAfterItsSizeTestIsReportedAndChangesNothing) {
    LoadAndEdit(folder_ / "title.scr");
    const std::string swapped = folder_ / "swapped.scr";
    Place(swapped, 1);
    files::testing::SetBeforeReadHook([&](const std::string& name) {
        if (name == swapped)
            std::filesystem::resize_file(swapped, 100);
    });
    const Snapshot before = State();
    LoadScreenFile(store_, session_, swapped);
    EXPECT_EQ(user_.messages(), Messages{LoadError});
    EXPECT_EQ(State(), before);
}

TEST_F(FileCommands, OpenAsksForOneFileAndLoadsIt) {
    const std::string path = folder_ / "title.scr";
    const Bytes bytes = Place(path, 1);
    user_.WillChoose(path);
    OpenScreenFile(store_, session_);
    ASSERT_EQ(user_.fileRequests().size(), 1u);
    const StandInUser::FileRequest& request = user_.fileRequests()[0];
    EXPECT_EQ(request.title, "Please choose file to load");
    EXPECT_EQ(request.defaultFile, "");
    EXPECT_EQ(request.patterns, "All files (*.*)|*.*|ZX Spectrum screens (*.scr)|*.scr;*.bat");
    EXPECT_EQ(request.patternIndex, 0);
    EXPECT_EQ(Working(), bytes);
    EXPECT_EQ(Undo(), bytes);
    EXPECT_EQ(session_.currentFileName, path);
    EXPECT_EQ(user_.messages(), Messages{});
}

TEST_F(FileCommands, CancellingTheRequesterOnlySaysSo) {
    LoadAndEdit(folder_ / "title.scr");
    const Snapshot before = State();
    user_.WillChoose("");
    OpenScreenFile(store_, session_);
    EXPECT_EQ(user_.messages(), Messages{Cancelled});
    EXPECT_EQ(State(), before);

    // A typed name of a file that is not there comes back and is refused.
    user_.Forget();
    user_.WillChoose(folder_ / "typed.scr");
    OpenScreenFile(store_, session_);
    EXPECT_EQ(user_.messages(), Messages{NotScreen});
    EXPECT_EQ(State(), before);
}

TEST_F(FileCommands, ADropLoadsTheFirstFileOnly) {
    const std::string first = folder_ / "first.scr";
    const std::string second = folder_ / "second.scr";
    const Bytes bytes = Place(first, 0);
    Place(second, 1);
    LoadDroppedFile(store_, session_, first + "\n" + second);
    EXPECT_EQ(session_.currentFileName, first);
    EXPECT_EQ(Working(), bytes);
    EXPECT_EQ(user_.messages(), Messages{});

    // When the first is refused the others are not tried.
    const Snapshot before = State();
    LoadDroppedFile(store_, session_, folder_.path().string() + "\n" + second + "\n" + second);
    EXPECT_EQ(user_.messages(), Messages{NotScreen});
    EXPECT_EQ(State(), before);
    user_.Forget();
    LoadDroppedFile(store_, session_, "");
    LoadDroppedFile(store_, session_, "\n" + second);
    EXPECT_EQ(user_.messages(), (Messages{NotScreen, NotScreen}));
    EXPECT_EQ(State(), before);
}

TEST_F(FileCommands, SaveAndSplitWriteTheEditedPictureSilentlyAndChangeNothingElse) {
    const std::string path = folder_ / "title.scr";
    LoadAndEdit(path);
    const Snapshot before = State();
    SaveScreenFile(store_, session_);
    SplitScreenFile(store_, session_);
    EXPECT_EQ(user_.messages(), Messages{});
    EXPECT_EQ(State(), before);
    Bytes joined = ReadBytes(folder_ / "title.screen");
    const Bytes attributes = ReadBytes(folder_ / "title.attr");
    joined.insert(joined.end(), attributes.begin(), attributes.end());
    EXPECT_EQ(ReadBytes(path), before.working);
    EXPECT_EQ(joined, before.working);
}

// "pic.screen" splits into "pic.screen" and "pic.attr": Split once cut the
// loaded file itself down to its bitmap.
TEST_F(FileCommands, SplitRefusesToWriteOverTheLoadedFile) {
    for (const char* name : {"pic.screen", "pic.attr"}) {
        const std::string path = folder_ / name;
        LoadAndEdit(path);
        const auto before = folder_.Snapshot();
        SplitScreenFile(store_, session_);
        EXPECT_EQ(user_.messages(), Messages{SaveError}) << name;
        EXPECT_EQ(folder_.Snapshot(), before) << name;
        user_.Forget();
        std::filesystem::remove(path);
    }
}

TEST_F(FileCommands, SaveAndSplitBeforeAnyLoadWriteNothing) {
    // Relative names would land in the working folder: make it ours.
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());
    SaveScreenFile(store_, session_);
    SplitScreenFile(store_, session_);
    std::filesystem::current_path(previous);
    EXPECT_EQ(user_.messages(), (Messages{SaveError, NothingLoaded}));
    EXPECT_EQ(folder_.names(), std::vector<std::string>{});
}

TEST_F(FileCommands, FailedWritesAreSaidOncePerCommand) {
    LoadAndEdit(folder_ / "title.scr");
    // Folders where the split files should go cannot be written.
    ASSERT_EQ(mkdir((folder_ / "title.screen").c_str(), 0700), 0);
    SplitScreenFile(store_, session_);
    EXPECT_EQ(user_.messages(), Messages{SaveError});
    user_.Forget();
    ASSERT_EQ(unlink((folder_ / "title.attr").c_str()), 0);
    ASSERT_EQ(mkdir((folder_ / "title.attr").c_str(), 0700), 0);
    SplitScreenFile(store_, session_);
    EXPECT_EQ(user_.messages(), Messages{SaveError});

    // The loaded file's folder gone: Save and Split each say it.
    user_.Forget();
    ASSERT_EQ(mkdir((folder_ / "gone").c_str(), 0700), 0);
    LoadAndEdit(folder_ / "gone/title.scr");
    std::filesystem::remove_all(folder_.path() / "gone");
    const Snapshot before = State();
    SaveScreenFile(store_, session_);
    SplitScreenFile(store_, session_);
    EXPECT_EQ(user_.messages(), (Messages{SaveError, SaveError}));
    EXPECT_EQ(State(), before);
}

}  // namespace
}  // namespace app
