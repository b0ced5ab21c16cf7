// What a redraw costs, next to the physical floor: a memset of the bytes of
// both back buffers, timed in the same run. Each renderer benchmark reports
// its ratio to that floor as the counter x_memset.

#include <time.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

#include "render/screen_renderer.h"
#include "render/view_memset_baseline.h"
#include "testsupport/real_screens.h"
#include "toolkit/canvas/back_buffer.h"
#include "toolkit/canvas/canvas.h"
#include "toolkit/canvas/canvas_access.h"
#include "toolkit/controls/controls.h"
#include "toolkit/drawing/drawing.h"
#include "toolkit/drawing/drawing_measure.h"
#include "toolkit/windows/toolkit_start.h"
#include "toolkit/windows/windows.h"

namespace {

using render::bench::MemsetViews;
using render::bench::ViewBytes;

// This thread's CPU time: the other processes sharing the machine do not count.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Seconds one memset of both back buffers' bytes takes: the median of a few batches.
double MemsetSeconds() {
    std::vector<std::uint8_t> mono(ViewBytes), colour(ViewBytes);
    constexpr int Batches = 7, Calls = 50;
    std::array<double, Batches> perCall{};
    int value = 0;
    for (double& seconds : perCall) {
        const double start = ThreadSeconds();
        for (int call = 0; call < Calls; ++call)
            MemsetViews(mono, colour, value);
        seconds = (ThreadSeconds() - start) / Calls;
    }
    std::nth_element(perCall.begin(), perCall.begin() + Batches / 2, perCall.end());
    return perCall[Batches / 2];
}

using render::bench::BM_MemsetBothViews;
BENCHMARK(BM_MemsetBothViews);

enum class Change { NewScreen, NeighbouringCell, SameCell };
enum class Showing { DrawingOnly, WithRepaints };

// What the benchmarks draw: two different real screens, so that every redraw
// in turn draws a new picture, into views kept by one renderer.
struct Scene {
    std::array<screen::ScreenStore, 2> stores;
    render::ViewsRenderer renderer;
};

// Calls the renderer as the program does, the grid off or on as the argument
// says: a different screen each time (a load, an operation), the highlight
// one cell further along (a pointer movement into the next cell) or the same
// call again (a movement within the cell), and reports the call's cost in
// memsets of both views.
void Redraws(benchmark::State& state, Scene& scene, Change change, Showing showing) {
    toolkit::SetControlState(render::GridCheckBoxControl, static_cast<int>(state.range(0)));
    toolkit::SetRepaintAtEndOfDrawing(showing == Showing::WithRepaints);
    const int paintsBefore = toolkit::CanvasPaintCount(render::ColourViewControl);
    int call = 0;
    const double start = ThreadSeconds();
    for (auto _ : state) {
        if (change == Change::NewScreen)
            scene.renderer.Draw(scene.stores[call & 1], 5, 7);
        else if (change == Change::NeighbouringCell)
            scene.renderer.Draw(scene.stores[0], call % screen::CellColumns, 7);
        else
            scene.renderer.Draw(scene.stores[0], 5, 7);
        ++call;
    }
    const double perCall = (ThreadSeconds() - start) / static_cast<double>(state.iterations());
    toolkit::SetRepaintAtEndOfDrawing(true);
    const double memset = MemsetSeconds();
    state.counters["memset_us"] = memset * 1e6;
    state.counters["x_memset"] = perCall / memset;
    state.counters["paints/call"] =
        static_cast<double>(toolkit::CanvasPaintCount(render::ColourViewControl) - paintsBefore) / call;
}

void RegisterRedraws(Scene& scene) {
    struct Kind {
        const char* name;
        Change change;
        Showing showing;
    };
    const Kind kinds[] = {{"BM_NewScreenDrawingOnly", Change::NewScreen, Showing::DrawingOnly},
                          {"BM_PointerMoveDrawingOnly", Change::NeighbouringCell, Showing::DrawingOnly},
                          {"BM_NewScreenWithRepaints", Change::NewScreen, Showing::WithRepaints},
                          {"BM_PointerMoveWithRepaints", Change::NeighbouringCell, Showing::WithRepaints},
                          {"BM_PointerWithinCellWithRepaints", Change::SameCell, Showing::WithRepaints}};
    for (const Kind& kind : kinds)
        benchmark::RegisterBenchmark(
            kind.name, [&scene, kind](benchmark::State& state) { Redraws(state, scene, kind.change, kind.showing); })
            ->ArgName("grid")
            ->Arg(0)
            ->Arg(1)
            ->Unit(benchmark::kMicrosecond);
}

void LoadScreen(screen::ScreenStore& store, const char* name) {
    const testsupport::ScreenBytes& bytes = testsupport::RealScreenBytes(name);
    std::copy(bytes.begin(), bytes.end(), store.Working());
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    if (!toolkit::StartToolkit()) {
        std::fprintf(stderr, "%s\n", toolkit::ToolkitStartError().c_str());
        return 1;
    }
    auto scene = std::make_unique<Scene>();
    const char* names[] = {"screen01", "screen02"};
    for (int i = 0; i < 2; ++i) {
        LoadScreen(scene->stores[i], names[i]);
    }
    // The views side by side under the Grid checkbox; where exactly makes no difference.
    constexpr int Top = 20;
    toolkit::CreateTopWindow(0, 0, 0, 2 * render::ViewWidth, Top + render::ViewHeight, "render bench",
                             toolkit::WindowTitleBar | toolkit::WindowSystemMenu | toolkit::WindowSizingBorder);
    for (render::View view : {render::View::Mono, render::View::Colour})
        toolkit::CreateCanvas(render::ViewControl(view), view == render::View::Mono ? 0 : render::ViewWidth, Top,
                              render::ViewWidth, render::ViewHeight, toolkit::CanvasConfinePointer);
    toolkit::CreateCheckBox(render::GridCheckBoxControl, 0, 0, 60, Top, "Grid");
    if (!toolkit::WaitUntilCanvasShown(render::ColourViewControl, 5000)) {
        std::fprintf(stderr, "the views were never shown\n");
        return 1;
    }
    RegisterRedraws(*scene);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    scene.reset();
    toolkit::ShutdownToolkit();
    return 0;
}
