#pragma once
// Everything the tests check about a file after a write: bytes, kind, mode,
// owner, access control list and extended attributes.

#include <map>
#include <ostream>
#include <string>
#include <sys/types.h>

#include "files/files_test_support.h"

namespace files::testing {

struct FileState {
    std::string kind;  // "file", "folder", "pipe", "link to TARGET", ...
    Bytes bytes;
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
    std::string acl;  // the access ACL as text (the mode's three entries when it has no more)
    std::map<std::string, std::string> attributes;  // extended attributes but the ACLs
    bool operator==(const FileState&) const = default;
};
void PrintTo(const FileState& state, std::ostream* out);

// The state of whatever the name names, links not followed.
FileState StateOf(const std::string& path);
// Every entry below the folder by relative name, links not followed.
std::map<std::string, FileState> StatesBelow(const std::string& folder);

// Sets the access ACL (or the folder's default ACL) from text such as
// "u::rw-,u:65534:rw-,g::---,m::rw-,o::---"; throws when it cannot.
void SetAcl(const std::string& path, const std::string& text, bool folderDefault = false);
void SetAttribute(const std::string& path, const std::string& name, const std::string& value);

}  // namespace files::testing
