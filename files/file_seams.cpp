// The seams as the programs have them: nothing happens there.
#include "files/file_seams.h"

namespace files::seams {

void BeforeRead(const std::string&) {}
void BeforeWalk(const std::string&) {}
void Walked(const std::string&) {}
void Reached(WritePoint) {}
void FolderSynced(const char*) {}
void BeforeRestore() {}

}  // namespace files::seams
