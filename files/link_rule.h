#pragma once
// Where a name given for writing leads, found one part at a time with open
// folder descriptors, so that the file is then opened, created and renamed
// relative to the very folder that was checked.
//
// The link rule: a symbolic link anywhere in the name (the file's own name
// included) is followed only when it lies outside a sticky folder that anyone
// may write into (such as /tmp), or belongs to the user running the program,
// or to the owner of the folder it lies in. This is the kernel's own rule when
// fs.protected_symlinks is 1; here it holds whatever that setting says. A
// link to a file that does not exist is refused, as cp refuses it: writing
// through it would create a file where the link's maker chose.

#include <string>
#include <system_error>
#include <sys/stat.h>

#include "files/file_descriptor.h"

namespace files {

struct Destination {
    FileDescriptor folder;   // where the file is, or is to be created
    std::string folderName;  // a name for that folder, to sync it by later
    std::string leaf;        // the file's name in the folder
    bool exists = false;
    struct stat found {};  // what the leaf is, links not followed (when it exists)
    // The leaf is an entry of a descriptor folder (/proc/PID/fd, which
    // /dev/stdout and /dev/fd/N lead to): `found` is then what the descriptor
    // is open on. Its link's text ("pipe:[123]", a name since removed) is no
    // name to follow.
    bool descriptor = false;
};

// Finds where writing `name` leads, by the link rule. Fails for an empty
// name, a name ending in a slash, a link the rule refuses
// (FileFault::LinkNotFollowed), a dangling link (FileFault::DanglingLink),
// more than 40 links, or a folder that is missing or cannot be searched.
// Only the name's last part is taken as a descriptor: links on the way are
// followed by their text, as the link rule says.
std::error_code FindDestination(const std::string& name, Destination& into);

}  // namespace files
