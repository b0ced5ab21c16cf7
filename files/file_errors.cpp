#include "files/file_errors.h"

#include <string>

#include "files/in_place.h"

namespace files {
namespace {

class FaultCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "files"; }
    std::string message(int fault) const override {
        switch (static_cast<FileFault>(fault)) {
        case FileFault::ChangedWhileRead: return "it changed while being read";
        case FileFault::LinkNotFollowed:
            return "a symbolic link in a shared folder that belongs to neither you nor the folder's owner";
        case FileFault::DanglingLink: return "a symbolic link to a file that does not exist";
        case FileFault::RestoreFailed: return "the old content could not be put back; the file may be damaged";
        case FileFault::WouldOverwriteSource: return "it would write over the file it comes from";
        case FileFault::OthersFileInSharedFolder:
            return "a file in a shared folder that belongs to neither you nor the folder's owner";
        case FileFault::ChangedWhileOpened: return "it changed while being opened";
        case FileFault::InPlaceInSharedFolder:
            return "it could only be written in place, which is not done in a shared folder";
        case FileFault::TooLargeForInPlace:
            return "it is too large to be written in place (over " + std::to_string(InPlaceLimit >> 20) + " MiB)";
        case FileFault::UnkeptWriteFailed:
            return "the write failed part way and the file may be damaged (it may not be read, so no copy was kept)";
        }
        return "unknown fault";
    }
};

}  // namespace

const std::error_category& FileFaultCategory() {
    static const FaultCategory category;
    return category;
}

std::error_code make_error_code(FileFault fault) { return {static_cast<int>(fault), FileFaultCategory()}; }

}  // namespace files
