#pragma once
// The texts of --help, "scrtool help CMD" and --version.

#include <optional>
#include <string>

#include "scrtool/command_line.h"

namespace scrtool {

// The overview without a topic, else the help of that command.
std::string HelpText(std::optional<Command> topic);
std::string VersionText();

} // namespace scrtool
