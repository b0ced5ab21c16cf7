#pragma once
// What the window program takes on its command line: nothing, or one screen
// file to load at start as a file manager's "Open With" names it.

#include <optional>
#include <string>
#include <vector>

namespace app {

struct StartRequest {
    std::optional<std::string> file;  // made absolute, as a drop names it
    std::string refusal;              // one line for standard error; empty when accepted
};

// The arguments after the program's name. An option or a second file is
// refused: nothing of them could be honoured.
StartRequest ReadCommandLine(const std::vector<std::string>& arguments);

}  // namespace app
