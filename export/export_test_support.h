#pragma once
// What the export tests share: the real screens and running the tools that
// read what we write (assemblers, compilers, tape listers).

#include <cstdint>
#include <string>
#include <vector>

namespace exporter::testing {

using Bytes = std::vector<std::uint8_t>;

struct NamedScreen {
    std::string name;
    Bytes bytes;
};
// Every real test screen, sorted by name.
const std::vector<NamedScreen>& RealScreens();

struct ToolRun {
    int status = -1;
    std::string output;  // standard output and error together
};
// Runs a shell command line; its status is the exit status, -1 if it did not exit.
ToolRun RunTool(const std::string& commandLine);

}  // namespace exporter::testing
