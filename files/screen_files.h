#pragma once
// The file commands: loading a screen file (through the open-file requester or
// by a drop), saving it back, and splitting it into bitmap and attribute
// files. Each talks to the user through the toolkit's message boxes.

#include <string>

#include "screen/screen_store.h"

namespace files {

// Asks for a file and loads it.
void OpenScreenFile(screen::ScreenStore& store);
// Loads the first name of a dropped file list (names separated by line feeds).
void LoadDroppedFile(screen::ScreenStore& store, const std::string& droppedFiles);
// Loads a file of exactly one screen into the working screen and its undo
// copy, redraws both views and makes the path the current file name. Any
// other file leaves all of that as it was and is reported.
void LoadScreenFile(screen::ScreenStore& store, const std::string& path);
// Writes the working screen over the current file.
void SaveScreenFile(const screen::ScreenStore& store);
// Writes the bitmap area and the attribute area of the working screen into
// two files next to the current file, named after it.
void SplitScreenFile(const screen::ScreenStore& store);

// The full path of the last accepted load; empty before the first.
const std::string& CurrentFileName();
// Only an accepted load names a new file; this is for start-up states.
void SetCurrentFileName(const std::string& path);

} // namespace files
