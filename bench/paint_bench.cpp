// A full frame painted into a canvas that discards everything: the cost of the drawing code alone.
#include <benchmark/benchmark.h>

#include "display/mapping.h"
#include "display/paint.h"
#include "support/discarding_canvas.h"
#include "support/fixed_measure.h"

namespace {

Camera film_camera()
{
    Camera c;
    c.coc = 0.0314159;
    c.wavelength = 550;
    return c;
}

CalcState bench_state(Mode mode)
{
    CalcState s;
    s.mode = mode;
    s.effective_focal_length = 50;
    s.effective_f_stop = 8;
    s.optimum_f_stop = 8;
    s.optimum_effective_f_stop = 8;
    s.fl_high = 250;
    s.fl_low = 250.0 / 9;
    s.blur_high = 5;
    s.blur_low = 5.0 / 9;
    s.hyperfocal = 10634.4;
    s.near = 1097.9;
    s.far = 1370.6;
    s.maxblur_near = 423.24;
    s.maxblur_far = -1;
    if (mode == Mode::FocusStacking) {
        s.ni = 100;
        s.near_limit = 914.4;
        s.far_limit = 1828.8;
        for (int i = 0; i < s.ni; ++i)
            s.focus_points[i] = recip_value(i / 99.0, s.near_limit, s.far_limit);
        s.maxblur_near = 700;
        s.maxblur_far = 3000;
    }
    return s;
}

void BM_Paint(benchmark::State& st)
{
    const Mode mode = static_cast<Mode>(st.range(0));
    const int width = static_cast<int>(st.range(1));
    const int height = static_cast<int>(st.range(2));
    const CalcState s = bench_state(mode);
    const Camera camera = film_camera();
    FixedMeasure measure(7);
    ScaleGeometry g;
    layout_scales(g, measure, 16, width, height);
    PaintScratch scratch;
    DiscardingCanvas canvas;
    for (auto _ : st) {
        paint(canvas, measure, s, camera, g, scratch);
        benchmark::DoNotOptimize(g.focus_row);
    }
}

}  // namespace

BENCHMARK(BM_Paint)
    ->ArgNames({"mode", "width", "height"})
    ->Args({static_cast<int>(Mode::DepthOfField), 600, 600})
    ->Args({static_cast<int>(Mode::DepthOfField), 1920, 2160})
    ->Args({static_cast<int>(Mode::FocusStacking), 600, 600})
    ->Args({static_cast<int>(Mode::FocusStacking), 1920, 2160})
    ->Unit(benchmark::kMicrosecond);
