// What one pointer movement over a view costs through the real dispatch: the
// event made current as the toolkit makes it, the title status line, and both
// views brought up to date (the cells whose highlight changed drawn and
// repainted). Next to it a memset of both views' pixels, for scale.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

#include "app/file_commands.h"
#include "app/shell.h"
#include "render/view_memset_baseline.h"
#include "render/views.h"
#include "testsupport/real_screens.h"
#include "toolkit/canvas/canvas.h"
#include "toolkit/canvas/back_buffer.h"
#include "toolkit/canvas/canvas_access.h"
#include "toolkit/windows/events.h"
#include "toolkit/windows/toolkit_start.h"
#include "toolkit/windows/windows.h"

namespace {

// The working screen and what the program remembers, as main() keeps them.
struct Program {
    screen::ScreenStore store;
    app::Session session;
};

void ReleaseEventData(void* data) { delete static_cast<toolkit::CanvasEventData*>(data); }

using render::bench::BM_MemsetBothViews;
BENCHMARK(BM_MemsetBothViews);

// The pointer walks over the view's cells, one movement per iteration, so the
// title changes each time as it does under a moving pointer.
void PointerMovement(benchmark::State& state, Program& program, int view) {
    const int paintsBefore = toolkit::CanvasPaintCount(app::ColourViewControl);
    int x = 0;
    int y = 0;
    for (auto _ : state) {
        auto* data = new toolkit::CanvasEventData{x, y, 0, 0, 0, 0, 0};
        toolkit::PostEvent(toolkit::ControlEvent, view, app::MainWindow, toolkit::MouseMoveEventType, data,
                           ReleaseEventData);
        std::int32_t kind = toolkit::WaitEvent();
        benchmark::DoNotOptimize(app::DispatchEvent(program.store, program.session, kind));
        x = (x + 37) % render::ViewWidth;
        y = (y + 23) % render::ViewHeight;
    }
    state.counters["repaints/movement"] =
        benchmark::Counter(static_cast<double>(toolkit::CanvasPaintCount(app::ColourViewControl) - paintsBefore) /
                           static_cast<double>(state.iterations()));
}

void RegisterPointerMovements(Program& program) {
    benchmark::RegisterBenchmark("BM_PointerMovementOverMonoView", [&program](benchmark::State& state) {
        PointerMovement(state, program, app::MonoViewControl);
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_PointerMovementOverColourView", [&program](benchmark::State& state) {
        PointerMovement(state, program, app::ColourViewControl);
    })->Unit(benchmark::kMicrosecond);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    if (!toolkit::StartToolkit()) {
        std::fprintf(stderr, "%s\n", toolkit::ToolkitStartError().c_str());
        return 1;
    }
    auto program = std::make_unique<Program>();
    if (!app::BuildMainWindow()) {
        std::fprintf(stderr, "cannot open the main window\n");
        return 1;
    }
    if (!toolkit::WaitUntilCanvasShown(app::ColourViewControl, 5000)) {
        std::fprintf(stderr, "the views were never shown\n");
        return 1;
    }
    const std::string path = testsupport::RealScreenPath("screen02");
    app::LoadScreenFile(program->store, program->session, path);
    if (program->session.currentFileName != path) {
        std::fprintf(stderr, "cannot load %s\n", path.c_str());
        return 1;
    }
    toolkit::ClearEventQueue();
    RegisterPointerMovements(*program);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    program.reset();
    toolkit::ShutdownToolkit();
    return 0;
}
