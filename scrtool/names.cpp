#include "scrtool/names.h"

#include <filesystem>

#include "files/file_identity.h"
#include "files/file_names.h"
#include "files/quoted_names.h"

namespace scrtool {

std::string InputName(const std::string& name) { return name == StandardStream ? "standard input" : ShellQuoted(name); }
std::string OutputName(const std::string& name) {
    return name == StandardStream ? "standard output" : ShellQuoted(name);
}

std::string Stem(const std::string& input) {
    if (input == StandardStream)
        return "screen";
    return std::filesystem::path(files::SplitBaseName(input)).filename().string();
}

std::string NamedAfter(const std::string& input, std::string_view suffix, const std::optional<std::string>& folder) {
    if (!folder)
        return files::SplitBaseName(input) + std::string(suffix);
    return (std::filesystem::path(*folder) / (Stem(input) + std::string(suffix))).string();
}

bool WouldReplace(const std::string& output, const std::string& input) { return files::SameFile(output, input); }

}  // namespace scrtool
