#pragma once
// What one run carries from file to file, and the two things every command
// does with it: write a file whole and report a failure.

#include <any>
#include <cstdint>
#include <span>
#include <string>

#include "base/result.h"
#include "files/file_services.h"
#include "scrtool/screen_io.h"

namespace scrtool {

struct RunContext {
    // The folders of the screens written so far whose renames are not yet on
    // disk. One sync per folder at the end of the run rather than one per
    // file: on a batch of small screens the folder syncs would cost more than
    // the files themselves.
    files::PendingFolderSyncs folders;
    bool firstJson = true;  // info --json: no object printed yet
    std::any state;         // what a command keeps from input to input (extract's names taken)
};

// "scrtool: <what>: <cause>" on standard error.
void Report(const std::string& what, const std::string& cause);
// "scrtool: <what>: <the error's What()>"; false, for `return Failed(...)`.
bool Failed(const std::string& what, const base::Error& error);

// A file replaced in full or not at all, even when the user interrupts; a
// stream is written as it is. Reports a failure itself; false when it failed.
bool Write(RunContext& run, const std::string& name, std::span<const std::uint8_t> bytes,
           Durability durability = Durability::Synced);

}  // namespace scrtool
