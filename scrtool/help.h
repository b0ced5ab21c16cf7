#pragma once
// The texts of --help, "scrtool help CMD" and --version.

#include <string>

#include "scrtool/command_table.h"

namespace scrtool {

// The overview without a topic, else the help of that command.
std::string HelpText(const CommandSpec* topic);
std::string VersionText();

}  // namespace scrtool
