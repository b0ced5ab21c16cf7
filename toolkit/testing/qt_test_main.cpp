// Test entry for suites that need the toolkit: offscreen unless the caller
// chose a platform (xvfb-run with QT_QPA_PLATFORM=xcb, for instance).

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include "toolkit/windows/toolkit_start.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    testing::InitGoogleTest(&argc, argv);
    if (!toolkit::StartToolkit()) {
        std::fprintf(stderr, "%s\n", toolkit::ToolkitStartError().c_str());
        return 1;
    }
    int result = RUN_ALL_TESTS();
    toolkit::ShutdownToolkit();
    return result;
}
