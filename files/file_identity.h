#pragma once
// Whether two names are one file: the one rule the window's Split, scrtool's
// run plan and its "would this replace the input?" test all keep.

#include <string>

namespace files {

// What tells two names for one file apart from names of two files: the
// device and inode of a file that exists, else the folder's real name and
// the leaf (a file that does not exist yet has no other name).
std::string FileIdentity(const std::string& name);

// The same name, or two names with one identity (a link, a hard link,
// "./x" and "x").
bool SameFile(const std::string& one, const std::string& other);

}  // namespace files
