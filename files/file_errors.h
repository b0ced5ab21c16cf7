#pragma once
// Why a file operation failed: the system's errno values, and the few causes
// of our own that no errno value names, all as std::error_code.

#include <system_error>

namespace files {

enum class FileFault {
    ChangedWhileRead = 1,      // the file came shorter than its size said
    LinkNotFollowed,           // a symbolic link the link rule does not let us follow
    DanglingLink,              // a symbolic link to a file that is not there
    RestoreFailed,             // a write in place failed and the old content could not be put back
    WouldOverwriteSource,      // the file to write is the very file the bytes come from
    OthersFileInSharedFolder,  // another user's file or pipe planted in a shared sticky folder
    ChangedWhileOpened,        // what was opened is not what the name led to a moment before
    InPlaceInSharedFolder,     // only a write in place would do, which a shared folder does not get
    TooLargeForInPlace,        // a write in place would have to keep more than InPlaceLimit bytes
    UnkeptWriteFailed,         // a file that could not be read to keep failed part way through its write
};

const std::error_category& FileFaultCategory();
std::error_code make_error_code(FileFault fault);

// The cause an errno value names.
inline std::error_code SystemError(int error) { return {error, std::generic_category()}; }

}  // namespace files

template <>
struct std::is_error_code_enum<files::FileFault> : std::true_type {};
