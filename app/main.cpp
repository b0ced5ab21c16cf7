// scrlab: inspect and edit ZX Spectrum screens.

#include <csignal>
#include <cstdio>
#include <new>

#include "app/command_line.h"
#include "app/file_commands.h"
#include "app/shell.h"
#include "app/program_icon.h"
#include "toolkit/windows/toolkit_start.h"

int main(int argc, char** argv) {
    // A file size limit makes a save fail with the old file whole ("error
    // saving file!"), instead of killing the program half way through it.
    std::signal(SIGXFSZ, SIG_IGN);
    // Refused before any window opens.
    const app::StartRequest request = app::ReadCommandLine({argv + 1, argv + argc});
    if (!request.refusal.empty()) {
        std::fprintf(stderr, "%s\n", request.refusal.c_str());
        return 2;
    }
    if (!toolkit::StartToolkit()) {
        std::fprintf(stderr, "scrlab: %s\n", toolkit::ToolkitStartError().c_str());
        return 1;
    }
    int status = 0;
    try {
        screen::ScreenStore store;  // working and undo screens, scratch plane; all zero
        app::Session session;       // no file loaded yet
        app::SetProgramIcon();
        if (app::BuildMainWindow()) {
            // "Open With": the file loads as a drop of it alone would.
            if (request.file)
                app::LoadScreenFile(store, session, *request.file);
            app::RunEventLoop(store, session);
        } else {
            std::fprintf(stderr, "scrlab: cannot open the main window\n");
            status = 1;
        }
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "scrlab: not enough memory for the screen buffers\n");
        status = 1;
    }
    toolkit::ShutdownToolkit();
    return status;
}
