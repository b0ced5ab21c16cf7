// The child that runs libspectrum's readers: its limits hold, and it never
// outlives the program that started it.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <thread>

#include "extract/child_process.h"

namespace extract {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// Whether the process has ended: gone, or a zombie nobody has reaped yet.
bool Ended(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return true;
    const auto close = line.rfind(')');
    return close == std::string::npos || line.substr(close + 2, 1) == "Z";
}

TEST(ChildProcess, AnswersComeBackAndFailuresAreTold) {
    const ChildOutcome answered = RunInChild([] { return Bytes{1, 2, 3}; }, {});
    EXPECT_EQ(answered.end, ChildEnd::Answered);
    EXPECT_EQ(answered.reply, (Bytes{1, 2, 3}));
    const ChildOutcome crashed = RunInChild([]() -> Bytes { std::abort(); }, {});
    EXPECT_EQ(crashed.end, ChildEnd::Failed);
    // An answer past the limit is cut off, whatever the child meant to say.
    ChildLimits small;
    small.reply = 1 << 20;
    const ChildOutcome large = RunInChild([] { return Bytes((1 << 20) + 1, 7); }, small);
    EXPECT_EQ(large.end, ChildEnd::TooLarge);
    EXPECT_TRUE(large.reply.empty());
}

// A child that spins is ended by its processor limit long before the clock's.
TEST(ChildProcess, AChildThatSpinsIsEndedByItsProcessorLimit) {
    ChildLimits limits;
    limits.time = 60s;
    limits.processor = 1s;
    const auto start = std::chrono::steady_clock::now();
    const ChildOutcome spun = RunInChild(
        []() -> Bytes {
            volatile unsigned turns = 0;
            for (;;)
                turns = turns + 1;
        },
        limits);
    EXPECT_EQ(spun.end, ChildEnd::TooLong);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
    const double used = spun.usage.ru_utime.tv_sec + spun.usage.ru_stime.tv_sec +
                        (spun.usage.ru_utime.tv_usec + spun.usage.ru_stime.tv_usec) / 1e6;
    EXPECT_GT(used, 0.5);  // the kernel samples the time it reports here more coarsely than it limits it
}

// 768 MB of address space is more than the child may take; 64 MB is not.
TEST(ChildProcess, TheChildsMemoryIsLimited) {
    const auto allocates = [](std::size_t size) {
        const ChildOutcome outcome = RunInChild(
            [size] {
                void* memory = std::malloc(size);
                const bool got = memory != nullptr;
                std::free(memory);
                return Bytes{static_cast<std::uint8_t>(got)};
            },
            {});
        return outcome.end == ChildEnd::Answered && outcome.reply == Bytes{1};
    };
    EXPECT_TRUE(allocates(64 << 20));
    // Under AddressSanitizer the address space stays free (see MemoryLimited).
    EXPECT_EQ(allocates(std::size_t{768} << 20), !MemoryLimited);
}

// The program killed while its child works: the child ends too, at once.
TEST(ChildProcess, AKilledParentLeavesNoChild) {
    int pids[2];
    ASSERT_EQ(::pipe(pids), 0);
    const pid_t parent = ::fork();
    ASSERT_GE(parent, 0);
    if (parent == 0) {
        ::close(pids[0]);
        RunInChild(
            [&]() -> Bytes {
                const pid_t self = ::getpid();
                (void)!::write(pids[1], &self, sizeof self);
                for (;;)
                    ::pause();
            },
            {});
        ::_exit(0);
    }
    ::close(pids[1]);
    pid_t child = 0;
    ASSERT_EQ(::read(pids[0], &child, sizeof child), static_cast<ssize_t>(sizeof child));
    ::close(pids[0]);
    ASSERT_FALSE(Ended(child));
    ::kill(parent, SIGKILL);
    ::waitpid(parent, nullptr, 0);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!Ended(child) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(Ended(child));
    if (!Ended(child))
        ::kill(child, SIGKILL);
}

}  // namespace
}  // namespace extract
