#include "files/screen_files.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "files/file_names.h"
#include "files/file_services.h"
#include "render/screen_renderer.h"
#include "screen/screen_layout.h"
#include "toolkit/controls/controls.h"

namespace files {
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
constexpr int NoHighlight = -1;

std::string currentFileName;

void Tell(const char* title, const char* text) { toolkit::ShowMessage(title, text, OkOnly); }

} // namespace

const std::string& CurrentFileName() { return currentFileName; }

void SetCurrentFileName(const std::string& path) { currentFileName = path; }

void LoadScreenFile(screen::ScreenStore& store, const std::string& path) {
    if (FileSize(path) != screen::ScreenSize) {
        Tell(ErrorTitle, NotScreenText);
        return;
    }
    // A file that cannot be read after all, or comes short, must not leave a
    // half-loaded picture behind under a new name.
    std::array<std::uint8_t, screen::ScreenSize> loaded;
    if (!ReadFileStart(path, loaded.data(), loaded.size())) {
        Tell(ErrorTitle, LoadErrorText);
        return;
    }
    std::copy(loaded.begin(), loaded.end(), store.working());
    screen::TakeUndoCopy(store);
    render::ScreenRenderer(store, NoHighlight, NoHighlight);
    currentFileName = path;
}

void OpenScreenFile(screen::ScreenStore& store) {
    const std::string path = toolkit::AskFileToOpen(OpenTitle, "", OpenPatterns, OpenPatternIndex);
    if (path.empty()) {
        Tell(InformationTitle, CancelledText);
        return;
    }
    LoadScreenFile(store, path);
}

void LoadDroppedFile(screen::ScreenStore& store, const std::string& droppedFiles) {
    LoadScreenFile(store, droppedFiles.substr(0, droppedFiles.find('\n')));
}

void SaveScreenFile(const screen::ScreenStore& store) {
    if (!WriteFileSafely(currentFileName, store.working(), screen::ScreenSize))
        Tell(ErrorTitle, SaveErrorText);
}

void SplitScreenFile(const screen::ScreenStore& store) {
    if (currentFileName.empty()) {
        Tell(ErrorTitle, NothingLoadedText);
        return;
    }
    const std::string base = SplitBaseName(currentFileName);
    // The attribute file is still written when the bitmap file fails.
    const bool bitmapSaved = WriteFileSafely(base + BitmapFileSuffix, store.working(), screen::BitmapSize);
    const bool attributesSaved = WriteFileSafely(base + AttributeFileSuffix,
                                                 store.working() + screen::AttributeStart,
                                                 screen::AttributeCount);
    if (!bitmapSaved || !attributesSaved)
        Tell(ErrorTitle, SaveErrorText);
}

} // namespace files
