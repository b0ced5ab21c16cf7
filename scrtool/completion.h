#pragma once
// Shell completion for scrtool, written from its command and option tables,
// so that a new command or option completes without another edit.

#include <string>

namespace scrtool {

// A bash completion file (for bash-completion's completions folder): the
// commands, each command's options, the values of options with choices or a
// range, and files by the extensions each command reads.
std::string BashCompletion();

}  // namespace scrtool
