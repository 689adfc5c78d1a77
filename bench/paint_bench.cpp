// A full frame painted into a canvas that discards everything: the cost of the drawing code alone,
// at a small window and at a 2160-row one, in depth-of-field mode and with a 100-image focus stack.
#include <benchmark/benchmark.h>

#include "calc/recompute.h"
#include "display/paint.h"
#include "support/discarding_canvas.h"
#include "support/fixed_measure.h"
#include "support/hand_camera.h"

namespace {

void BM_Paint(benchmark::State& bench, Mode mode, int width, int height)
{
    const Camera camera = hand_default_camera();
    CalcState state;
    state.mode = mode;
    if (mode == Mode::FocusStacking)
        state.ni = max_focus_points;
    recompute(state, camera, true);
    FixedMeasure measure(7);
    ScaleGeometry geometry;
    layout_scales(geometry, measure, 16, width, height);
    PaintScratch scratch;
    DiscardingCanvas canvas;
    for (auto _ : bench) {
        paint(canvas, measure, state, camera, geometry, scratch);
        benchmark::DoNotOptimize(geometry.focus_row);
    }
}

BENCHMARK_CAPTURE(BM_Paint, DepthOfField_600x600, Mode::DepthOfField, 600, 600)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Paint, DepthOfField_1920x2160, Mode::DepthOfField, 1920, 2160)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Paint, FocusStacking_100_600x600, Mode::FocusStacking, 600, 600)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Paint, FocusStacking_100_1920x2160, Mode::FocusStacking, 1920, 2160)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
