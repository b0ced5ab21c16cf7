#pragma once
// split, join, png, convert and thumbnail: how each runs one input and what it
// writes for it (their rows are in scrtool/command_table.h).

#include <string>

#include "scrtool/command_row.h"

namespace scrtool {

Writes SplitWrites(const Invocation& inv, const std::string& input);
bool RunSplit(RunContext& run, const Invocation& inv, const std::string& input);

std::string CheckJoin(Invocation& inv);
bool RunJoin(RunContext& run, const Invocation& inv, const std::string& unused);

Writes PngWrites(const Invocation& inv, const std::string& input);
bool RunPng(RunContext& run, const Invocation& inv, const std::string& input);

std::string CheckConvert(Invocation& inv);
bool RunConvert(RunContext& run, const Invocation& inv, const std::string& input);

std::string CheckThumbnail(Invocation& inv);
std::string ThumbnailDetail();
bool RunThumbnail(RunContext& run, const Invocation& inv, const std::string& unused);

}  // namespace scrtool
