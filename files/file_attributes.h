#pragma once
// A file's extended attributes, POSIX access control lists included (the
// kernel keeps an ACL as the attribute system.posix_acl_access).

#include <system_error>

namespace files {

// Gives the file open as `to` every extended attribute of the file open as
// `from`, with its value, and takes from it those `from` lacks (such as an
// ACL inherited from the folder's default one). The cause when one cannot be
// read, set or removed; a file system without attributes has none to copy.
std::error_code CopyAttributes(int from, int to);

}  // namespace files
