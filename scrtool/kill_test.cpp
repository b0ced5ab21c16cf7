// scrtool optimize --in-place killed at random moments: each file must be
// wholly its old or wholly its new content afterwards, never a mixture or a
// stump. SIGKILL may leave a hidden temporary file behind (".NAME.saving-XXXXXX",
// never named like a screen); SIGINT waits for the file being written, so it
// leaves none.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "scrtool/scrtool_test_support.h"
#include "screen/screen_store.h"
#include "screen/whole_screen_ops.h"

namespace scrtool::testing {
namespace {

constexpr int Copies = 120;
constexpr int KillsPerSignal = 25;

struct Versions {
    Bytes old;
    Bytes fresh;
};

Bytes Optimized(const ScreenBytes& bytes) {
    screen::ScreenStore store;
    std::copy(bytes.begin(), bytes.end(), store.working());
    screen::OptimizeAttributes(store);
    return Bytes(store.working(), store.working() + bytes.size());
}

pid_t Start(const std::vector<std::string>& arguments) {
    const pid_t child = ::fork();
    if (child == 0)
        ExecTool(arguments);
    return child;
}

class KilledInPlace : public ::testing::TestWithParam<int> {};

TEST_P(KilledInPlace, LeavesEveryFileWhollyOldOrWhollyNew) {
    const int signal = GetParam();
    TempFolder folder;
    std::vector<std::string> names, arguments{"optimize", "--in-place"};
    std::vector<Versions> versions;
    // Only screens Optimize changes, so that old and new can be told apart.
    std::vector<Versions> changing;
    for (const RealScreen& real : RealScreens())
        if (Optimized(real.bytes) != ToBytes(real.bytes))
            changing.push_back({ToBytes(real.bytes), Optimized(real.bytes)});
    ASSERT_GE(changing.size(), 5u);
    for (int i = 0; i < Copies; ++i) {
        names.push_back("copy" + std::to_string(i) + ".scr");
        arguments.push_back(folder / names.back());
        versions.push_back(changing[i % changing.size()]);
    }
    const auto reset = [&] {
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            std::filesystem::remove(entry.path());
        for (int i = 0; i < Copies; ++i)
            WriteBytes(folder / names[i], versions[i].old);
    };
    // How long a whole run takes here, so that the kills fall across all of it.
    reset();
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    ::waitpid(Start(arguments), &status, 0);
    const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    int killedMidway = 0;
    for (int kill = 0; kill < KillsPerSignal; ++kill) {
        reset();
        const pid_t child = Start(arguments);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % (whole.count() + 1)));
        ::kill(child, signal);
        ::waitpid(child, &status, 0);
        killedMidway += WIFSIGNALED(status);
        ASSERT_TRUE(WIFSIGNALED(status) ? WTERMSIG(status) == signal : WEXITSTATUS(status) == 0) << status;
        int fresh = 0;
        for (int i = 0; i < Copies; ++i) {
            const Bytes now = ReadBytes(folder / names[i]);
            ASSERT_TRUE(now == versions[i].old || now == versions[i].fresh) << names[i] << " after kill " << kill;
            fresh += now == versions[i].fresh;
        }
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            const std::string name = entry.path().filename().string();
            if (std::find(names.begin(), names.end(), name) != names.end())
                continue;
            EXPECT_EQ(signal, SIGKILL) << "left behind after SIGINT: " << name;
            EXPECT_TRUE(name.starts_with(".") && name.find(".saving-") != std::string::npos &&
                        !name.ends_with(".scr"))
                << "a stray file that looks like a screen: " << name;
        }
        RecordProperty("kill" + std::to_string(kill), std::to_string(fresh) + " of " + std::to_string(Copies));
    }
    // Not a timing check: a run the kills never reach would test nothing.
    EXPECT_GT(killedMidway, 0);
}

INSTANTIATE_TEST_SUITE_P(Signals, KilledInPlace, ::testing::Values(SIGKILL, SIGINT),
                         [](const auto& info) { return info.param == SIGKILL ? "Kill" : "Interrupt"; });

} // namespace
} // namespace scrtool::testing
