// recompute in each mode, with and without re-centring the scale windows; it runs on every
// mouse move of a drag.
#include <benchmark/benchmark.h>

#include "calc/recompute.h"
#include "support/hand_camera.h"

namespace {

void BM_Recompute(benchmark::State& bench, Mode mode, bool rescale)
{
    const Camera camera = hand_default_camera();
    CalcState state;
    state.mode = mode;
    state.ni = max_focus_points;
    state.far_limit = 20000;
    for (auto _ : bench) {
        benchmark::DoNotOptimize(state);
        recompute(state, camera, rescale);
        benchmark::ClobberMemory();
    }
}

BENCHMARK_CAPTURE(BM_Recompute, DepthOfField, Mode::DepthOfField, false);
BENCHMARK_CAPTURE(BM_Recompute, DepthOfField_rescale, Mode::DepthOfField, true);
BENCHMARK_CAPTURE(BM_Recompute, BestFStop, Mode::BestFStop, false);
BENCHMARK_CAPTURE(BM_Recompute, BestFStop_rescale, Mode::BestFStop, true);
BENCHMARK_CAPTURE(BM_Recompute, FocusStacking_100, Mode::FocusStacking, false);
BENCHMARK_CAPTURE(BM_Recompute, FocusStacking_100_rescale, Mode::FocusStacking, true);
BENCHMARK_CAPTURE(BM_Recompute, Blur, Mode::Blur, false);
BENCHMARK_CAPTURE(BM_Recompute, Blur_rescale, Mode::Blur, true);
BENCHMARK_CAPTURE(BM_Recompute, Macro, Mode::Macro, false);
BENCHMARK_CAPTURE(BM_Recompute, Macro_rescale, Mode::Macro, true);

}  // namespace
