#pragma once
// Carries out a parsed command line: reads, changes and writes the files,
// reports each failed file on standard error and carries on with the next.

#include "scrtool/command_line.h"

namespace scrtool {

// Exit statuses.
inline constexpr int AllDone = 0;
inline constexpr int SomeFailed = 1;
inline constexpr int UsageError = 2;

int Run(const Invocation& invocation);

// Once, before the first Run: lets the memory one picture frees serve the
// next instead of going back to the system after every file.
void KeepMemoryBetweenFiles();

}  // namespace scrtool
