#pragma once
// How the names of split files are formed from the loaded file's name.

#include <optional>
#include <string>

namespace files {

// What Split appends to the base name.
inline constexpr char BitmapFileSuffix[] = ".screen";
inline constexpr char AttributeFileSuffix[] = ".attr";

// The text after the last dot of the name's last part, possibly empty; nothing
// when that part has no dot, the dot begins it, or a space follows the dot.
// Slashes and backslashes both end a part.
std::optional<std::string> FileExtension(const std::string& name);

// The name without its extension and the dot before it, or the whole name
// when it has no extension.
std::string SplitBaseName(const std::string& name);

}  // namespace files
