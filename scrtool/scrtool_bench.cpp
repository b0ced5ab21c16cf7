// What scrtool costs per file, next to its floors measured in the same run:
// optimize --in-place against a plain read, write, fsync and rename of the
// same files (the least a safe replace can cost), and png at scale 2 against
// the drawing alone.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "scrtool/command_line.h"
#include "scrtool/commands.h"
#include "scrtool/picture.h"
#include "scrtool/png_file.h"
#include "scrtool/screen_io.h"
#include "testsupport/real_screens.h"

namespace {

// SCRTOOL_BENCH_FILES makes fewer, for a quick run that only checks the
// benchmarks still work.
int FileCount() {
    static const int count = [] {
        const char* asked = std::getenv("SCRTOOL_BENCH_FILES");
        return asked ? std::clamp(std::atoi(asked), 1, 10000) : 10000;
    }();
    return count;
}

using testsupport::RealScreens;

// 10,000 screen files (or SCRTOOL_BENCH_FILES) in a folder of their own, made once for the run.
class Folder {
public:
    Folder() {
        char name[] = "/tmp/scrtool-bench-XXXXXX";
        if (!::mkdtemp(name))
            throw std::runtime_error("no temporary folder");
        path_ = name;
        const auto& screens = RealScreens();
        for (int i = 0; i < FileCount(); ++i) {
            std::string leaf = std::to_string(i);
            leaf += ".scr";
            names_.push_back((path_ / leaf).string());
            std::ofstream(names_.back(), std::ios::binary)
                .write(reinterpret_cast<const char*>(screens[i % screens.size()].bytes.data()), screen::ScreenSize);
        }
    }
    ~Folder() { std::filesystem::remove_all(path_); }
    const std::vector<std::string>& names() const { return names_; }

private:
    std::filesystem::path path_;
    std::vector<std::string> names_;
};

const Folder& Files() {
    static const Folder folder;
    return folder;
}

using Clock = std::chrono::steady_clock;

// The floor: each file read, written to a temporary file beside it, synced
// and renamed over it; with a folder sync, the folder is synced after each
// rename too, so that the rename itself survives a power cut.
bool CopyFsyncRename(const std::string& name, bool syncFolder) {
    std::vector<std::uint8_t> bytes(screen::ScreenSize);
    const auto full = static_cast<ssize_t>(bytes.size());
    const int in = ::open(name.c_str(), O_RDONLY);
    const bool read = ::read(in, bytes.data(), bytes.size()) == full;
    ::close(in);
    std::string temporary = name;
    temporary += ".tmp";
    const int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool written = ::write(out, bytes.data(), bytes.size()) == full && ::fsync(out) == 0;
    ::close(out);
    const bool renamed = read && written && ::rename(temporary.c_str(), name.c_str()) == 0;
    if (syncFolder) {
        const int folder = ::open(std::filesystem::path(name).parent_path().c_str(), O_RDONLY | O_DIRECTORY);
        ::fsync(folder);
        ::close(folder);
    }
    return renamed;
}

// optimize --in-place over the 10,000 files, as the program runs it, against
// the floors on the same files. The disk is shared and its speed drifts, so
// the three take turns over chunks of 250 files and the times are summed;
// which goes first alternates, since each new file costs more the more files
// were replaced just before it on this machine's file system.
void BM_OptimizeInPlaceAgainstFloor(benchmark::State& state) {
    constexpr std::size_t Chunk = 250;
    const std::vector<std::string>& names = Files().names();
    double optimize = 0, floor = 0, floorWithFolder = 0;
    for (auto _ : state) {
        for (std::size_t first = 0; first < names.size(); first += Chunk) {
            const auto begin = names.begin() + static_cast<long>(first);
            const auto end = names.begin() + static_cast<long>(std::min(first + Chunk, names.size()));
            std::vector<std::string> arguments{"optimize", "--in-place"};
            arguments.insert(arguments.end(), begin, end);
            const scrtool::Parsed parsed = scrtool::ParseArguments(arguments);
            const auto runOptimize = [&] {
                const auto start = Clock::now();
                if (scrtool::Run(*parsed.invocation) != scrtool::AllDone)
                    state.SkipWithError("optimize failed");
                optimize += std::chrono::duration<double>(Clock::now() - start).count();
            };
            const auto runFloor = [&](bool syncFolder, double& total) {
                const auto start = Clock::now();
                for (auto name = begin; name != end; ++name)
                    if (!CopyFsyncRename(*name, syncFolder))
                        state.SkipWithError("the plain copy failed");
                total += std::chrono::duration<double>(Clock::now() - start).count();
            };
            if (first / Chunk % 2 == 0) {
                runOptimize();
                runFloor(false, floor);
                runFloor(true, floorWithFolder);
            } else {
                runFloor(true, floorWithFolder);
                runFloor(false, floor);
                runOptimize();
            }
        }
        state.SetIterationTime(optimize);
    }
    const double files = static_cast<double>(state.iterations() * names.size());
    state.counters["optimize files/s"] = files / optimize;
    state.counters["floor files/s"] = files / floor;
    state.counters["x floor"] = optimize / floor;
    state.counters["floor+folder sync files/s"] = files / floorWithFolder;
    state.counters["x floor+folder sync"] = optimize / floorWithFolder;
}
BENCHMARK(BM_OptimizeInPlaceAgainstFloor)->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();

double drawSeconds = 0;

void BM_DrawColourViewScale2(benchmark::State& state) {
    const scrtool::Screen screen = RealScreens().front().bytes;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        benchmark::DoNotOptimize(scrtool::DrawView(screen, render::View::Colour, 2, scrtool::Grid::Off));
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    drawSeconds = spent.count() / static_cast<double>(state.iterations());
}
BENCHMARK(BM_DrawColourViewScale2)->Unit(benchmark::kMicrosecond);

// A picture as png makes it: read, drawn, encoded and written (a new file
// renamed into place, not synced), inside this process.
void BM_PngScale2(benchmark::State& state) {
    const std::size_t count = std::min<std::size_t>(100, Files().names().size());
    std::vector<std::string> names(Files().names().begin(), Files().names().begin() + static_cast<long>(count));
    std::vector<std::string> arguments{"png"};
    arguments.insert(arguments.end(), names.begin(), names.end());
    const scrtool::Parsed parsed = scrtool::ParseArguments(arguments);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        if (scrtool::Run(*parsed.invocation) != scrtool::AllDone)
            state.SkipWithError("png failed");
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    const double perFile = spent.count() / static_cast<double>(state.iterations() * names.size());
    state.counters["files/s"] = 1 / perFile;
    state.counters["ms/file"] = perFile * 1000;
    if (drawSeconds > 0)
        state.counters["x drawing"] = perFile / drawSeconds;
}
BENCHMARK(BM_PngScale2)->Unit(benchmark::kMillisecond);

// What a user gets: the scrtool program itself run over 1,000 of the files
// in one process, from its start to its exit, pictures replacing those of
// the iteration before. SCRTOOL_BENCH_PROGRAM names another build of it to
// measure instead, such as one from before a change.
void BM_PngProgram(benchmark::State& state) {
    const int pictures = std::min(1000, FileCount());
    const char* other = std::getenv("SCRTOOL_BENCH_PROGRAM");
    std::string program = other ? other : SCRTOOL_PROGRAM;
    std::vector<std::string> arguments{"png"};
    arguments.insert(arguments.end(), Files().names().begin(), Files().names().begin() + pictures);
    std::vector<char*> argv{program.data()};
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    double spent = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const pid_t child = ::fork();
        if (child == 0) {
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        int status = 0;
        if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("scrtool png failed");
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        spent += seconds;
        state.SetIterationTime(seconds);
    }
    const double perFile = spent / static_cast<double>(state.iterations() * pictures);
    state.counters["files/s"] = 1 / perFile;
    state.counters["ms/file"] = perFile * 1000;
}
BENCHMARK(BM_PngProgram)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();

// The encoding alone, at the two sizes that matter.
void BM_EncodeScale2(benchmark::State& state) {
    const auto picture = scrtool::DrawView(RealScreens().front().bytes, render::View::Colour, 2, scrtool::Grid::Off);
    std::size_t bytes = 0;
    for (auto _ : state)
        bytes = scrtool::EncodePng(picture).value().size();
    state.counters["png bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_EncodeScale2)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    scrtool::KeepMemoryBetweenFiles();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
