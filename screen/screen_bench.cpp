// Cost of every whole-screen operation on a real screen, next to a plain
// 6912-byte copy measured in the same run. Operations whose work depends on
// the picture get the picture back (one more copy) before every run; the
// summary subtracts that copy again.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "screen/operations.h"
#include "screen/screen_store.h"
#include "testsupport/real_screens.h"

namespace {

using screen::ScreenSize;
using screen::ScreenStore;

const std::array<std::uint8_t, ScreenSize>& Picture() { return testsupport::RealScreenBytes("screen01"); }

void Restore(ScreenStore& store) { std::memcpy(store.Working(), Picture().data(), ScreenSize); }

void Memcpy6912(benchmark::State& state) {
    // On the heap like the store's screens: a stack target made the copy's
    // time jump between runs.
    const auto target = std::make_unique<std::uint8_t[]>(ScreenSize);
    for (auto _ : state) {
        std::memcpy(target.get(), Picture().data(), ScreenSize);
        benchmark::DoNotOptimize(target.get());
        benchmark::ClobberMemory();
    }
}

// `restore`: give the operation the same picture every time.
template <void (*Operation)(ScreenStore&), bool restore>
void Run(benchmark::State& state) {
    ScreenStore store;
    Restore(store);
    for (auto _ : state) {
        if constexpr (restore) {
            Restore(store);
        }
        Operation(store);
        benchmark::DoNotOptimize(store.Working());
        benchmark::ClobberMemory();
    }
}

// As the window runs a menu operation: the undo copy, then the operation.
template <screen::OperationId id>
void MenuOperation(ScreenStore& store) {
    screen::ChangeWithUndo(store, screen::OperationRow(id).apply);
}

void ChangeBothInkPaper(ScreenStore& store) {
    screen::ChangeWithUndo(store, [](screen::ScreenSpan working, screen::ScreenSpan) {
        screen::ApplyByteOperation(working, 7, "7", "$20");
    });
}

using screen::OperationId;
BENCHMARK(Memcpy6912);
BENCHMARK(Run<screen::TakeUndoCopy, false>)->Name("TakeUndoCopy");
BENCHMARK(Run<MenuOperation<OperationId::Invert>, false>)->Name("InvertScreen");
BENCHMARK(Run<MenuOperation<OperationId::Mirror>, false>)->Name("MirrorHorisontal");
BENCHMARK(Run<MenuOperation<OperationId::Optimize>, true>)->Name("OptimizeAttributes+restore");
BENCHMARK(Run<MenuOperation<OperationId::Mask>, true>)->Name("CreateMask+restore");
BENCHMARK(Run<MenuOperation<OperationId::Contour>, true>)->Name("FindContour+restore");
BENCHMARK(Run<ChangeBothInkPaper, true>)->Name("ApplyByteOperation7+restore");

// Prints the usual table, then every time as a multiple of the copy.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        // With repetitions, the median stands for the benchmark.
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") {
                continue;
            }
            nanoseconds_[run.run_name.str()] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Summarise() const {
        const auto copy = nanoseconds_.find("Memcpy6912");
        if (copy == nanoseconds_.end()) {
            return;
        }
        std::printf("\n%-30s %10s %10s %12s\n", "operation", "ns", "x memcpy", "net x memcpy");
        for (const auto& [name, ns] : nanoseconds_) {
            const bool restored = name.find("+restore") != std::string::npos;
            const double net = restored ? ns - copy->second : ns;
            std::printf("%-30s %10.1f %10.2f %12.2f\n", name.c_str(), ns, ns / copy->second, net / copy->second);
        }
    }

private:
    std::map<std::string, double> nanoseconds_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.Summarise();
    benchmark::Shutdown();
    return 0;
}
