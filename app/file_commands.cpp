#include "app/file_commands.h"

#include <cstdint>

#include "files/screen_files.h"
#include "toolkit/controls/controls.h"

namespace app {
namespace {

constexpr char OpenTitle[] = "Please choose file to load";
constexpr char OpenPatterns[] = "All files (*.*)|*.*|ZX Spectrum screens (*.scr)|*.scr;*.bat";
constexpr int OpenPatternIndex = 0;

constexpr char ErrorTitle[] = "Error";
constexpr char InformationTitle[] = "Information";
constexpr char CancelledText[] = "The requester was canceled.";
constexpr char NotScreenText[] = "this is not ZX Spectrum picture!";
constexpr char LoadErrorText[] = "error loading file!";
constexpr char SaveErrorText[] = "error saving file!";
constexpr char NothingLoadedText[] = "load screen first!";

constexpr std::uint32_t OkOnly = 0;

void Tell(const char* title, const char* text) { toolkit::ShowMessage(title, text, OkOnly); }

files::ScreenBytes Working(screen::ScreenStore& store) {
    return files::ScreenBytes(store.Working(), files::ScreenFileSize);
}
files::ConstScreenBytes Working(const screen::ScreenStore& store) {
    return files::ConstScreenBytes(store.Working(), files::ScreenFileSize);
}

}  // namespace

void LoadScreenFile(screen::ScreenStore& store, Session& session, const std::string& path) {
    switch (files::LoadScreen(path, Working(store))) {
    case files::LoadResult::NotAScreen: Tell(ErrorTitle, NotScreenText); return;
    // A file that cannot be read after all, or comes short, must not leave a
    // half-loaded picture behind under a new name.
    case files::LoadResult::Unreadable: Tell(ErrorTitle, LoadErrorText); return;
    case files::LoadResult::Loaded: break;
    }
    screen::TakeUndoCopy(store);
    Redraw(store, session);
    session.currentFileName = path;
}

void OpenScreenFile(screen::ScreenStore& store, Session& session) {
    const std::string path = toolkit::AskFileToOpen(OpenTitle, "", OpenPatterns, OpenPatternIndex);
    if (path.empty()) {
        Tell(InformationTitle, CancelledText);
        return;
    }
    LoadScreenFile(store, session, path);
}

void LoadDroppedFile(screen::ScreenStore& store, Session& session, const std::string& droppedFiles) {
    LoadScreenFile(store, session, droppedFiles.substr(0, droppedFiles.find('\n')));
}

void SaveScreenFile(const screen::ScreenStore& store, const Session& session) {
    if (files::SaveScreen(session.currentFileName, Working(store)))
        Tell(ErrorTitle, SaveErrorText);
}

void SplitScreenFile(const screen::ScreenStore& store, const Session& session) {
    if (session.currentFileName.empty()) {
        Tell(ErrorTitle, NothingLoadedText);
        return;
    }
    // One message, whichever of the two files failed.
    if (!files::SplitScreen(session.currentFileName, Working(store)).bothSaved())
        Tell(ErrorTitle, SaveErrorText);
}

}  // namespace app
