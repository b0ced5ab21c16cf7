#include "toolkit/controls/file_filters.h"

#include <string_view>

namespace toolkit {
namespace {

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        std::size_t end = text.find(separator, start);
        parts.emplace_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

std::string Trimmed(const std::string& text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool IsPlainFileName(const std::string& name) {
    constexpr std::string_view forbidden = "\"*/:<>?\\|";
    for (unsigned char c : name)
        if (c < 0x20 || forbidden.find(static_cast<char>(c)) != std::string_view::npos)
            return false;
    return !name.empty();
}

}  // namespace

std::vector<std::string> FileFiltersOf(const std::string& patternList) {
    std::vector<std::string> fields = Split(patternList, '|');
    std::vector<std::string> filters;
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
        const std::string& label = fields[i];
        if (label.empty())
            break;
        std::string patterns;
        for (const std::string& raw : Split(fields[i + 1], ';')) {
            std::string pattern = Trimmed(raw);
            if (pattern == "*.*")
                pattern.resize(1);  // "*": Qt's "*.*" would skip names without a dot
            if (pattern.empty())
                continue;
            if (!patterns.empty())
                patterns += ' ';
            patterns += pattern;
        }
        if (patterns.empty())
            continue;
        std::string filter = label;
        filter.append(" (").append(patterns).append(")");
        filters.push_back(std::move(filter));
    }
    return filters;
}

DefaultFile SplitDefaultFile(const std::string& defaultFile) {
    DefaultFile result;
    std::size_t slash = defaultFile.rfind('/');
    if (slash == std::string::npos) {
        result.name = defaultFile;
    } else {
        result.folder = slash == 0 ? std::string("/") : defaultFile.substr(0, slash);
        result.name = defaultFile.substr(slash + 1);
    }
    if (!IsPlainFileName(result.name))
        result.name.clear();
    return result;
}

}  // namespace toolkit
