#include "scrtool/run_context.h"

#include <cstdio>
#include <iostream>

#include "scrtool/interrupts.h"

namespace scrtool {
namespace {

// A stream (standard output, a pipe, a terminal) is not replaced but
// written, and an interrupt may end the program while it waits for a reader.
bool IsStreamOutput(const std::string& name) { return name == StandardStream || files::IsStream(name); }

}  // namespace

void Report(const std::string& what, const std::string& cause) {
    std::cout.flush();
    std::fprintf(stderr, "scrtool: %s: %s\n", what.c_str(), cause.c_str());
}

bool Failed(const std::string& what, const base::Error& error) {
    Report(what, error.What());
    return false;
}

bool Write(RunContext& run, const std::string& name, std::span<const std::uint8_t> bytes, Durability durability) {
    base::Status written = base::Done{};
    if (IsStreamOutput(name)) {
        written = WriteOutput(name, bytes, durability);
    } else {
        InterruptGuard guard;
        written = WriteOutput(name, bytes, durability, &run.folders);
    }
    return written ? true : Failed(OutputName(name), written.error());
}

}  // namespace scrtool
