#include "scrtool/run_context.h"

#include <cstdio>
#include <iostream>

#include "scrtool/output_writes.h"

namespace scrtool {

void Report(const std::string& what, const std::string& cause) {
    std::cout.flush();
    std::fprintf(stderr, "scrtool: %s: %s\n", what.c_str(), cause.c_str());
}

bool Failed(const std::string& what, const base::Error& error) {
    Report(what, error.What());
    return false;
}

bool Write(RunContext& run, const std::string& name, std::span<const std::uint8_t> bytes, Durability durability) {
    const base::Status written = WriteResult(name, bytes, durability, run.folders);
    return written ? true : Failed(OutputName(name), written.error());
}

}  // namespace scrtool
