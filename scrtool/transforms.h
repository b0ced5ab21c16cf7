#pragma once
// The picture operations, run exactly as the window's menu items and "go!"
// button run them: on a screen store's working screen.

#include "scrtool/command_line.h"
#include "scrtool/screen_io.h"

namespace scrtool {

// Rewrites the screen by the invocation's operation; only transforms
// (IsTransform) change anything.
void ApplyTransform(const Invocation& invocation, Screen& screen);

}  // namespace scrtool
