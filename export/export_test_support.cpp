#include "export/export_test_support.h"

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace exporter::testing {

const std::vector<NamedScreen>& RealScreens() {
    static const std::vector<NamedScreen> screens = [] {
        std::vector<NamedScreen> found;
        for (const auto& entry : std::filesystem::directory_iterator(SCRLAB_TESTDATA_DIR)) {
            if (entry.path().extension() != ".scr")
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            found.push_back({entry.path().stem().string(),
                             Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())});
        }
        std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
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
