#include "files/file_identity.h"

#include <filesystem>
#include <sys/stat.h>

namespace files {

std::string FileIdentity(const std::string& name) {
    struct stat info {};
    if (::stat(name.c_str(), &info) == 0)
        return "file " + std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
    std::error_code ignored;
    return "name " + std::filesystem::weakly_canonical(std::filesystem::absolute(name, ignored), ignored).string();
}

bool SameFile(const std::string& one, const std::string& other) {
    return one == other || FileIdentity(one) == FileIdentity(other);
}

}  // namespace files
