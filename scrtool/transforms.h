#pragma once
// The picture operations, run exactly as the window's menu items and "go!"
// button run them, on the screen's bytes.

#include "scrtool/command_row.h"
#include "scrtool/screen_io.h"

namespace scrtool {

// Rewrites the screen by the invocation's whole-screen operation, or by its
// byte operation when it names one; else leaves it alone.
void ApplyTransform(const Invocation& invocation, Screen& screen);

std::string CheckByteOp(Invocation& inv);
std::string ByteOpDetail();

// A transform writes -o, or its input in place.
Writes TransformWrites(const Invocation& inv, const std::string& input);
bool RunTransform(RunContext& run, const Invocation& inv, const std::string& input);

}  // namespace scrtool
