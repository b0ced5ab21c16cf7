#pragma once
// Why a file operation failed: the system's errno values, and the few causes
// of our own that no errno value names, all as std::error_code.

#include <system_error>

namespace files {

enum class FileFault {
    ChangedWhileRead = 1,  // the file came shorter than its size said
    LinkNotFollowed,       // a symbolic link the link rule does not let us follow
    DanglingLink,          // a symbolic link to a file that is not there
    RestoreFailed,         // a write in place failed and the old content could not be put back
    WouldOverwriteSource,  // the file to write is the very file the bytes come from
};

const std::error_category& FileFaultCategory();
std::error_code make_error_code(FileFault fault);

// The cause an errno value names.
inline std::error_code SystemError(int error) { return {error, std::generic_category()}; }

}  // namespace files

template <>
struct std::is_error_code_enum<files::FileFault> : std::true_type {};
