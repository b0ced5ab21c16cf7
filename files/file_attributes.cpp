#include "files/file_attributes.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <sys/xattr.h>
#include <vector>

#include "files/file_errors.h"

namespace files {
namespace {

bool NoAttributesHere(int error) { return error == ENOTSUP; }

// Calls a size-or-fill attribute call until the buffer holds the whole answer
// (another process may add to it between the two calls).
template <typename Call>
std::error_code Fetch(std::vector<char>& into, Call call) {
    for (;;) {
        const ssize_t size = call(nullptr, 0);
        if (size < 0)
            return SystemError(errno);
        into.resize(static_cast<std::size_t>(size));
        if (size == 0)
            return {};
        const ssize_t got = call(into.data(), into.size());
        if (got >= 0) {
            into.resize(static_cast<std::size_t>(got));
            return {};
        }
        if (errno != ERANGE)
            return SystemError(errno);
    }
}

std::error_code Names(int fd, std::vector<std::string>& into) {
    std::vector<char> list;
    const std::error_code failed =
        Fetch(list, [fd](char* buffer, std::size_t size) { return ::flistxattr(fd, buffer, size); });
    if (failed && NoAttributesHere(failed.value()))
        return {};
    for (std::size_t at = 0; at < list.size();) {
        const std::string name(list.data() + at);
        at += name.size() + 1;
        if (!name.empty())
            into.push_back(name);
    }
    return failed;
}

}  // namespace

std::error_code CopyAttributes(int from, int to) {
    std::vector<std::string> wanted, present;
    if (const std::error_code failed = Names(from, wanted))
        return failed;
    if (const std::error_code failed = Names(to, present))
        return failed;
    for (const std::string& name : present) {
        if (std::find(wanted.begin(), wanted.end(), name) == wanted.end() && ::fremovexattr(to, name.c_str()) != 0)
            return SystemError(errno);
    }
    std::vector<char> value;
    for (const std::string& name : wanted) {
        const std::error_code unread =
            Fetch(value, [&](char* buffer, std::size_t size) { return ::fgetxattr(from, name.c_str(), buffer, size); });
        if (unread)
            return unread;
        if (::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0)
            return SystemError(errno);
    }
    return {};
}

}  // namespace files
