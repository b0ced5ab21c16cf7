#pragma once
// Points where tests watch or disturb the file services. The programs link
// file_seams.cpp, whose seams do nothing; a test program links definitions of
// its own (files/testing_seams.cpp) in its place.

#include <string>

namespace files::seams {

// Runs at the start of ReadFileStart, before the file is opened: between a
// load's size test and its read, where another program could swap the file.
void BeforeRead(const std::string& name);

// Runs when a name given for writing is about to be walked: where another
// program could swap what the name leads to.
void BeforeWalk(const std::string& name);

// Runs when that name has been walked, before anything there is opened.
void Walked(const std::string& name);

// The moments of a write where a kill leaves the most behind.
enum class WritePoint {
    NewFileWritten,   // a replacement written and synced, not yet renamed over the file
    KeptCopyStarted,  // the copy of the old bytes made, nothing in it yet
    KeptCopyWritten,  // that copy written and synced, not yet given its ".kept-" name
    InPlaceWritten,   // the new bytes written over the file, not yet cut or synced
};
// Runs at each of them.
void Reached(WritePoint point);

// Runs after a folder was synced. It may run in a signal handler, so it may
// only make async-signal-safe calls.
void FolderSynced(const char* folder);

// Runs when a write in place has failed, before the old bytes are put back.
void BeforeRestore();

}  // namespace files::seams
