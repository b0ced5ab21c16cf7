// What a redraw costs, next to the physical floor: a memset of the bytes of
// both back buffers.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include <benchmark/benchmark.h>

#include "render/screen_renderer.h"
#include "toolkit/canvas/canvas.h"
#include "toolkit/canvas/back_buffer.h"
#include "toolkit/canvas/canvas_access.h"
#include "toolkit/controls/controls.h"
#include "toolkit/drawing/drawing.h"
#include "toolkit/drawing/drawing_measure.h"
#include "toolkit/windows/toolkit_start.h"
#include "toolkit/windows/windows.h"

namespace {

constexpr std::size_t ViewBytes = std::size_t{toolkit::RowLength(render::ViewWidth)} * render::ViewHeight;

screen::ScreenStore* store = nullptr;

void BM_MemsetBothViews(benchmark::State& state) {
    std::vector<std::uint8_t> mono(ViewBytes), colour(ViewBytes);
    int value = 0;
    for (auto _ : state) {
        std::memset(mono.data(), value, ViewBytes);
        std::memset(colour.data(), value, ViewBytes);
        benchmark::DoNotOptimize(mono.data());
        benchmark::DoNotOptimize(colour.data());
        benchmark::ClobberMemory();
        value ^= 0x55;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * 2 * ViewBytes));
}
BENCHMARK(BM_MemsetBothViews);

// Drawing both views, grid on, without showing them.
void BM_RendererDrawingOnly(benchmark::State& state) {
    toolkit::SetControlState(render::GridCheckBoxControl, 1);
    toolkit::SetRepaintAtEndOfDrawing(false);
    for (auto _ : state)
        render::ScreenRenderer(*store, 5, 7);
    toolkit::SetRepaintAtEndOfDrawing(true);
}
BENCHMARK(BM_RendererDrawingOnly);

// A whole call as the program makes it: drawing and both repaints.
void BM_RendererWithRepaints(benchmark::State& state) {
    toolkit::SetControlState(render::GridCheckBoxControl, 1);
    const int paintsBefore = toolkit::CanvasPaintCount(render::ColourViewControl);
    for (auto _ : state)
        render::ScreenRenderer(*store, 5, 7);
    state.counters["paints/call"] = benchmark::Counter(
        static_cast<double>(toolkit::CanvasPaintCount(render::ColourViewControl) - paintsBefore) /
        static_cast<double>(state.iterations()));
}
BENCHMARK(BM_RendererWithRepaints);

// One box, as the renderer fills each screen pixel.
void BM_FillBoxTwoByTwo(benchmark::State& state) {
    toolkit::BeginDrawing(toolkit::CanvasDrawTarget(render::ColourViewControl));
    int x = 0, y = 0;
    toolkit::ColourValue colour = 0;
    for (auto _ : state) {
        toolkit::FillBox(x, y, render::ViewScale, render::ViewScale, colour);
        x += render::ViewScale;
        if (x == render::ViewWidth) {
            x = 0;
            y = y == render::ViewHeight - render::ViewScale ? 0 : y + render::ViewScale;
        }
        colour ^= 0x7F7F7F;
    }
    toolkit::SetRepaintAtEndOfDrawing(false);
    toolkit::EndDrawing();
    toolkit::SetRepaintAtEndOfDrawing(true);
}
BENCHMARK(BM_FillBoxTwoByTwo);

bool LoadScreen(const char* name) {
    std::ifstream file(std::string(SCRLAB_TESTDATA_DIR) + "/" + name, std::ios::binary);
    file.read(reinterpret_cast<char*>(store->working()), screen::ScreenSize);
    return file.gcount() == screen::ScreenSize;
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    if (!toolkit::StartToolkit()) {
        std::fprintf(stderr, "%s\n", toolkit::ToolkitStartError().c_str());
        return 1;
    }
    store = new screen::ScreenStore;
    if (!LoadScreen("screen01.scr")) {
        std::fprintf(stderr, "cannot read screen01.scr\n");
        return 1;
    }
    toolkit::CreateTopWindow(0, 0, 0, render::ColourViewLeft + render::ViewWidth, render::ViewTop + render::ViewHeight,
                             "render bench", toolkit::WindowTitleBar | toolkit::WindowSystemMenu | toolkit::WindowSizingBorder);
    for (render::View view : {render::View::Mono, render::View::Colour})
        toolkit::CreateCanvas(render::ViewControl(view), render::ViewLeft(view), render::ViewTop, render::ViewWidth,
                              render::ViewHeight, toolkit::CanvasConfinePointer);
    toolkit::CreateCheckBox(render::GridCheckBoxControl, 0, 0, 60, render::ViewTop, "Grid");
    if (!toolkit::WaitUntilCanvasShown(render::ColourViewControl, 5000)) {
        std::fprintf(stderr, "the views were never shown\n");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete store;
    toolkit::ShutdownToolkit();
    return 0;
}
