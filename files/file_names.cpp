#include "files/file_names.h"

namespace files {
namespace {

bool EndsPart(char c) { return c == '/' || c == '\\'; }

}  // namespace

std::optional<std::string> FileExtension(const std::string& name) {
    // The first character never counts as the dot: ".scr" alone is a name.
    for (std::size_t position = name.size(); position-- > 1;) {
        const char c = name[position];
        if (c == '.') {
            if (EndsPart(name[position - 1]))
                return std::nullopt;
            return name.substr(position + 1);
        }
        if (EndsPart(c) || c == ' ')
            return std::nullopt;
    }
    return std::nullopt;
}

std::string SplitBaseName(const std::string& name) {
    const std::optional<std::string> extension = FileExtension(name);
    if (!extension)
        return name;
    return name.substr(0, name.size() - extension->size() - 1);
}

}  // namespace files
