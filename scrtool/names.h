#pragma once
// How scrtool names things: files and typed texts in messages, the stem an
// output is named after, where an output goes, and whether it is the input.
// Every command and every message takes them from here.

#include <optional>
#include <string>
#include <string_view>

#include "files/quoted_names.h"

namespace scrtool {

// The name that stands for standard input (as a file) or output (after -o).
inline constexpr std::string_view StandardStream = "-";

// Every text a user gave goes into a message through these (files/quoted_names.h):
// ShellQuoted for names ($'a\nb' where a name holds control characters or
// bytes that are not UTF-8), Quoted for other typed texts ('9', or $'...').
using files::Quoted;
using files::ShellQuoted;

// How messages name a file: "-" is standard input or output, any other name
// is ShellQuoted.
std::string InputName(const std::string& name);
std::string OutputName(const std::string& name);

// The input's name without its folders and its last extension, by the
// window's extension rule ("art/title.v2.scr" gives "title.v2"); "screen"
// for standard input. Outputs, labels and tape names are made from it.
std::string Stem(const std::string& input);

// `input` with its extension replaced by `suffix` ("pics/title.scr" and
// ".png" give "pics/title.png"), in `folder` instead of the input's own when
// given.
std::string NamedAfter(const std::string& input, std::string_view suffix, const std::optional<std::string>& folder);

// Whether writing `output` would replace the input itself, which only an
// explicit -o or --in-place may do.
bool WouldReplace(const std::string& output, const std::string& input);

}  // namespace scrtool
