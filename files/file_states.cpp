#include "files/file_states.h"

#include <acl/libacl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/acl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace files::testing {
namespace {

std::string AclText(const std::string& path) {
    const acl_t acl = acl_get_file(path.c_str(), ACL_TYPE_ACCESS);
    if (!acl)
        return "(none)";
    char* text = acl_to_any_text(acl, nullptr, ',', TEXT_NUMERIC_IDS);
    std::string result = text ? text : "(unreadable)";
    acl_free(text);
    acl_free(acl);
    return result;
}

std::map<std::string, std::string> Attributes(const std::string& path) {
    std::map<std::string, std::string> found;
    std::vector<char> names(65536);
    const ssize_t size = llistxattr(path.c_str(), names.data(), names.size());
    for (ssize_t at = 0; at < size;) {
        const std::string name(names.data() + at);
        at += static_cast<ssize_t>(name.size()) + 1;
        if (name.starts_with("system.posix_acl"))
            continue;
        std::vector<char> value(65536);
        const ssize_t length = lgetxattr(path.c_str(), name.c_str(), value.data(), value.size());
        found[name] = length < 0 ? "(unreadable)" : std::string(value.data(), static_cast<std::size_t>(length));
    }
    return found;
}

}  // namespace

void PrintTo(const FileState& state, std::ostream* out) {
    *out << state.kind << " of " << state.bytes.size() << " bytes, mode " << std::oct << state.mode << std::dec
         << ", owner " << state.owner << ":" << state.group << ", acl " << state.acl;
    for (const auto& [name, value] : state.attributes)
        *out << ", " << name << "=" << value;
}

FileState StateOf(const std::string& path) {
    FileState state;
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        state.kind = "missing";
        return state;
    }
    state.mode = info.st_mode & 07777;
    state.owner = info.st_uid;
    state.group = info.st_gid;
    if (S_ISLNK(info.st_mode)) {
        state.kind = "link to " + std::filesystem::read_symlink(path).string();
        return state;
    }
    state.kind = S_ISREG(info.st_mode)    ? "file"
                 : S_ISDIR(info.st_mode)  ? "folder"
                 : S_ISFIFO(info.st_mode) ? "pipe"
                                          : "other";
    if (S_ISREG(info.st_mode))
        state.bytes = ReadBytes(path);
    state.acl = AclText(path);
    state.attributes = Attributes(path);
    return state;
}

std::map<std::string, FileState> StatesBelow(const std::string& folder) {
    std::map<std::string, FileState> states;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        states[entry.path().lexically_relative(folder).string()] = StateOf(entry.path().string());
    return states;
}

void SetAcl(const std::string& path, const std::string& text, bool folderDefault) {
    const acl_t acl = acl_from_text(text.c_str());
    const bool set = acl && acl_set_file(path.c_str(), folderDefault ? ACL_TYPE_DEFAULT : ACL_TYPE_ACCESS, acl) == 0;
    if (acl)
        acl_free(acl);
    if (!set)
        throw std::runtime_error("cannot set the ACL " + text + " on " + path);
}

void SetAttribute(const std::string& path, const std::string& name, const std::string& value) {
    if (setxattr(path.c_str(), name.c_str(), value.data(), value.size(), 0) != 0)
        throw std::runtime_error("cannot set " + name + " on " + path);
}

}  // namespace files::testing
