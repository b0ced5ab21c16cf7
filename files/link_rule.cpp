#include "files/link_rule.h"

#include <deque>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <vector>

#include "files/file_seams.h"

namespace files {
namespace {

// As many links as the kernel follows before it gives up.
constexpr int MaxLinkHops = 40;

// The parts of a name between slashes, empty ones dropped.
std::deque<std::string> PartsOf(const std::string& name) {
    std::deque<std::string> parts;
    std::size_t from = 0;
    while (from <= name.size()) {
        const std::size_t slash = std::min(name.find('/', from), name.size());
        if (slash > from)
            parts.push_back(name.substr(from, slash - from));
        from = slash + 1;
    }
    return parts;
}

std::string Joined(const std::string& folder, const std::string& part) {
    if (folder == ".")
        return part;
    return folder.ends_with('/') ? folder + part : folder + "/" + part;
}

std::error_code OpenFolder(int at, const char* name, FileDescriptor& into) {
    into = FileDescriptor(::openat(at, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    return into.valid() ? std::error_code() : SystemError(errno);
}

// Whether the rule lets us follow a link with that owner out of the folder.
bool MayFollow(int folder, uid_t linkOwner) {
    struct stat info {};
    if (::fstat(folder, &info) != 0)
        return false;
    const bool shared = (info.st_mode & S_ISVTX) && (info.st_mode & S_IWOTH);
    return !shared || linkOwner == ::geteuid() || linkOwner == info.st_uid;
}

std::error_code ReadLink(int folder, const std::string& leaf, std::size_t size, std::string& into) {
    // The size a link reports can be 0 (in /proc) or stale: read with room to spare.
    into.assign(std::max<std::size_t>(size, 255) + 1, '\0');
    const ssize_t length = ::readlinkat(folder, leaf.c_str(), into.data(), into.size());
    if (length < 0)
        return SystemError(errno);
    if (static_cast<std::size_t>(length) >= into.size())
        return SystemError(ENAMETOOLONG);
    into.resize(static_cast<std::size_t>(length));
    return into.empty() ? SystemError(ENOENT) : std::error_code();
}

// Whether the folder is a process's descriptor folder: /proc/PID/fd or
// /proc/PID/task/TID/fd, reached by the part name "fd" on the proc file system.
bool IsDescriptorFolder(int folder, const std::string& reachedBy) {
    struct statfs system {};
    return reachedBy == "fd" && ::fstatfs(folder, &system) == 0 && system.f_type == PROC_SUPER_MAGIC;
}

// The answer for a part that could not be looked at: the name of a new file
// when it is the last part and is missing, unless a link led there.
std::error_code Unlooked(int error, const std::string& part, bool last, bool lastFromLink, Destination& into) {
    if (error == ENOENT && lastFromLink)
        return FileFault::DanglingLink;
    if (error == ENOENT && last) {
        into.leaf = part;
        into.exists = false;
        return {};
    }
    return SystemError(error);
}

}  // namespace

std::error_code FindDestination(const std::string& name, Destination& into) {
    seams::BeforeWalk(name);
    if (name.empty())
        return SystemError(ENOENT);
    if (name.ends_with('/'))
        return SystemError(EISDIR);
    const bool absolute = name.front() == '/';
    if (const std::error_code failed = OpenFolder(AT_FDCWD, absolute ? "/" : ".", into.folder))
        return failed;
    into.folderName = absolute ? "/" : ".";
    // The part by which the present folder was reached, empty for "/" and ".".
    std::string reachedBy;
    std::deque<std::string> parts = PartsOf(name);
    int hops = 0;
    // Whether the name's last part, as it stands now, came from a link.
    bool lastFromLink = false;
    while (!parts.empty()) {
        const std::string part = std::move(parts.front());
        parts.pop_front();
        const bool last = parts.empty();
        if (part == "." && !last)
            continue;
        struct stat info {};
        if (::fstatat(into.folder.get(), part.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            return Unlooked(errno, part, last, lastFromLink, into);
        if (S_ISLNK(info.st_mode)) {
            if (!MayFollow(into.folder.get(), info.st_uid))
                return FileFault::LinkNotFollowed;
            if (last && IsDescriptorFolder(into.folder.get(), reachedBy)) {
                if (::fstatat(into.folder.get(), part.c_str(), &into.found, 0) != 0)
                    return SystemError(errno);
                into.leaf = part;
                into.exists = into.descriptor = true;
                return {};
            }
            if (++hops > MaxLinkHops)
                return SystemError(ELOOP);
            std::string target;
            if (const std::error_code failed = ReadLink(into.folder.get(), part, info.st_size, target))
                return failed;
            if (target.front() == '/') {
                if (const std::error_code failed = OpenFolder(AT_FDCWD, "/", into.folder))
                    return failed;
                into.folderName = "/";
                reachedBy.clear();
            }
            lastFromLink = lastFromLink || last;
            std::deque<std::string> more = PartsOf(target);
            if (target.ends_with('/') && last)
                return SystemError(EISDIR);
            parts.insert(parts.begin(), more.begin(), more.end());
            if (parts.empty())  // a link to "/"
                return SystemError(EISDIR);
            continue;
        }
        if (last) {
            if (S_ISDIR(info.st_mode))
                return SystemError(EISDIR);
            into.leaf = part;
            into.exists = true;
            into.found = info;
            return {};
        }
        if (!S_ISDIR(info.st_mode))
            return SystemError(ENOTDIR);
        FileDescriptor next;
        if (const std::error_code failed = OpenFolder(into.folder.get(), part.c_str(), next))
            return failed;
        into.folder = std::move(next);
        into.folderName = Joined(into.folderName, part);
        reachedBy = part;
    }
    return SystemError(EISDIR);
}

}  // namespace files
