#pragma once
// Start and end of the toolkit layer: the platform connection, controls,
// drawing and drop support all live between these two calls.

#include <string>

namespace toolkit {

// Connects to the window system. On failure answers false and leaves a
// one-line reason in ToolkitStartError(); it never aborts the process.
bool StartToolkit();
std::string ToolkitStartError();

// Releases everything the layer still holds: queued events, controls, windows
// with their menus, and the platform connection. Safe to call twice.
void ShutdownToolkit();

bool ToolkitStarted();

}  // namespace toolkit
