#pragma once
// The file commands as the user meets them: the open-file requester, the
// drop, Save and Split, with their messages and the redraw after a load.

#include <string>

#include "app/session.h"
#include "screen/screen_store.h"

namespace app {

// Asks for a file and loads it; a cancelled requester is only reported.
void OpenScreenFile(screen::ScreenStore& store, Session& session);
// Loads the first name of a dropped file list (names separated by line feeds).
void LoadDroppedFile(screen::ScreenStore& store, Session& session, const std::string& droppedFiles);
// Loads a screen file into the working screen and its undo copy, redraws both
// views and makes the path the current file name. Any other file leaves all
// of that as it was and is reported.
void LoadScreenFile(screen::ScreenStore& store, Session& session, const std::string& path);
// Writes the working screen over the current file.
void SaveScreenFile(const screen::ScreenStore& store, const Session& session);
// Writes the bitmap area and the attribute area of the working screen into
// two files next to the current file, named after it.
void SplitScreenFile(const screen::ScreenStore& store, const Session& session);

}  // namespace app
