#pragma once
// Names and typed texts made safe for a message: both programs quote every
// text a user gave them through this one function.

#include <string>
#include <string_view>

namespace files {

// A text with control characters or bytes that are not UTF-8 quoted as the
// shell would read it back ($'a\nb'); any other text as it is. A message
// stays one line and nothing in it reaches the terminal as a command.
std::string ShellQuoted(std::string_view text);

// 'text', as messages quote what was typed; ShellQuoted's $'...' when the
// text holds what a terminal would act on.
std::string Quoted(std::string_view text);

}  // namespace files
