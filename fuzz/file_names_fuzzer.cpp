// File names of any bytes: the extension and the base name must put the name
// back together, and must agree with the rule read the other way round.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "files/file_names.h"

namespace {

[[noreturn]] void Fail(const char* law) {
    std::fprintf(stderr, "law broken: %s\n", law);
    std::abort();
}

bool EndsPart(char c) { return c == '/' || c == '\\'; }

// The extension by the rule, found from the last character that stops the
// backward scan rather than by walking it.
std::optional<std::string> ExpectedExtension(const std::string& name) {
    if (name.size() < 2)
        return std::nullopt;
    const std::size_t stop = name.find_last_of("./\\ ");
    if (stop == std::string::npos || stop == 0 || name[stop] != '.' || EndsPart(name[stop - 1]))
        return std::nullopt;
    return name.substr(stop + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string name(reinterpret_cast<const char*>(data), size);
    const std::optional<std::string> extension = files::FileExtension(name);
    const std::string base = files::SplitBaseName(name);

    if (extension != ExpectedExtension(name))
        Fail("the extension follows the last dot of the last part");
    if (extension) {
        if (base + "." + *extension != name)
            Fail("base name, dot and extension make the name");
        if (extension->find_first_of("./\\ ") != std::string::npos)
            Fail("an extension holds no dot, separator or space");
        if (base.empty() || EndsPart(base.back()))
            Fail("a dot that starts a part starts no extension");
    } else if (base != name) {
        Fail("a name without extension is its own base name");
    }
    // A split file's name has the base name again as its own base.
    if (!base.empty() && !EndsPart(base.back()) && files::SplitBaseName(base + files::BitmapFileSuffix) != base)
        Fail("the bitmap file's base name is the base name");
    return 0;
}
