#include "export/export_test_support.h"

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>

#include "testsupport/real_screens.h"

namespace exporter::testing {

const std::vector<NamedScreen>& RealScreens() {
    static const std::vector<NamedScreen> screens = [] {
        std::vector<NamedScreen> found;
        for (const auto& real : testsupport::RealScreens())
            found.push_back({real.name, Bytes(real.bytes.begin(), real.bytes.end())});
        return found;
    }();
    return screens;
}

ToolRun RunTool(const std::string& commandLine) {
    ToolRun run;
    FILE* pipe = popen((commandLine + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return run;
    std::array<char, 4096> chunk;
    std::size_t got;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
        run.output.append(chunk.data(), got);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace exporter::testing
