// recompute, the texts painted from its results and (for a share of inputs) a whole painted frame,
// on any inputs including values no load or drag produces (NaN, infinities, zero, negative and
// huge lengths, out-of-range codes) and any window size: no crash, no undefined behaviour, no
// endless loop, no text that has run past its buffer, and nothing handed to the canvas that it
// cannot read.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "calc/recompute.h"
#include "calc/snap.h"
#include "cameras/camera.h"
#include "display/geometry.h"
#include "display/paint.h"
#include "display/paint_scratch.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/paint_share.h"
#include "fuzz/touching_canvas.h"
#include "text/caption_text.h"
#include "text/distance_text.h"
#include "text/format.h"
#include "text/panel_text.h"
#include "text/utf8.h"
#include "tests/support/fixed_measure.h"
#include "tests/support/state_invariants.h"
#include "cameras/settings.h"

namespace {

// Mostly values near the ones the program uses, sometimes anything at all.
double any_value(FuzzedDataProvider& in)
{
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: return in.ConsumeFloatingPoint<double>();
    case 1: return in.ConsumeFloatingPointInRange<double>(-2, 2);
    case 2: return in.ConsumeFloatingPointInRange<double>(-1e6, 1e6);
    default: {
        double raw = 0;
        const auto bits = in.ConsumeBytes<uint8_t>(sizeof raw);
        copy_bytes(&raw, bits.data(), bits.size());
        return raw;
    }
    }
}

template <typename Code>
Code any_code(FuzzedDataProvider& in, int usual_count)
{
    return static_cast<Code>(in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(0, usual_count - 1)
                                              : in.ConsumeIntegral<int>());
}

void fill_state(FuzzedDataProvider& in, CalcState& s)
{
    s.mode = any_code<Mode>(in, mode_count);
    s.f_stop_increment = any_code<FStopIncrement>(in, 2);
    s.units = any_code<DistanceUnit>(in, distance_unit_count);
    s.macro_units = any_code<DistanceUnit>(in, distance_unit_count);
    s.snap = in.ConsumeIntegral<int>();
    s.ni = in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(2, max_focus_points) : in.ConsumeIntegral<int>();
    for (double* v : {&s.focal_length, &s.teleconverter, &s.f_stop, &s.blur_threshold, &s.maxblur, &s.fl_zoom,
                      &s.fov_zoom, &s.blur_zoom, &s.near, &s.focus_at, &s.far, &s.near_limit, &s.far_limit,
                      &s.blur_distance, &s.fov})
        *v = any_value(in);
}

void fill_camera(FuzzedDataProvider& in, Camera& c)
{
    c = default_camera();
    c.type = any_code<CameraType>(in, 2);
    c.coc_method = any_code<CocMethod>(in, 3);
    c.focal_length_entry = any_code<FocalLengthEntry>(in, 2);
    c.frame_width_px = in.ConsumeIntegral<int32_t>();
    c.frame_height_px = in.ConsumeIntegral<int32_t>();
    for (double* v : {&c.frame_width_mm, &c.frame_height_mm, &c.film_resolution, &c.custom_coc,
                      &c.visual_resolution, &c.allowable_blur, &c.print_size, &c.viewing_distance, &c.wavelength})
        *v = any_value(in);
}

void check_text(const Text256& t)
{
    FUZZ_CHECK(t.length < t.data.size());
    FUZZ_CHECK(t.data[t.length] == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    set_decimal_point(in.ConsumeBool() ? u'.' : u',');
    auto state = std::make_unique<CalcState>();
    auto camera = std::make_unique<Camera>();
    fill_state(in, *state);
    fill_camera(in, *camera);
    derive_camera(*camera);
    if (in.ConsumeBool())
        snap_all(*state);
    recompute(*state, *camera, in.ConsumeBool());
    update_distance_window(*state, *camera);

    auto panel = std::make_unique<PanelText>();
    panel_text(*state, *camera, *panel);
    FUZZ_CHECK(panel->count >= 0 && panel->count <= panel_line_capacity);
    for (int i = 0; i < panel->count; ++i)
        check_text(panel->lines[static_cast<std::size_t>(i)].text);

    auto captions = std::make_unique<CaptionTexts>();
    caption_texts(*state, *captions);
    for (int c = 0; c < column_count; ++c) {
        for (int p = 0; p < caption_place_count; ++p) {
            check_text(captions->name[c][p]);
            check_text(captions->value[c][p]);
        }
    }
    for (double v : {state->near, state->far, state->maxblur_near, state->maxblur_far, state->hyperfocal})
        check_text(format_distance(*state, v));

    // The same inputs as a settings file brings them back: a state the program can reach, in
    // which every invariant holds.
    {
        static CameraTable table;
        table.cameras[0] = *camera;
        table.count = 1;
        table.current = 0;
        const std::u16string text = settings_text(*state, table);
        auto loaded = std::make_unique<CalcState>();
        load_settings_text(text, *loaded, table);
        derive_camera_values(table);
        recompute(*loaded, current_camera(table), true);
        std::string broken = invariants::state_rule(*loaded, table);
        if (broken.empty())
            broken = invariants::display_rule(*loaded, table, *panel, *captions);
        if (!broken.empty()) {
            std::fprintf(stderr, "%s\nfrom the settings:\n%s", broken.c_str(), utf16_to_utf8(text).c_str());
            FUZZ_CHECK(broken.empty());
        }
    }

    // For the inputs that paint, a frame at any text height and window size, twice (the second
    // with warm scratch buffers).
    const PaintChoice choice = paint_choice(data, size, 8);
    if (!choice.paints)
        return 0;
    const int max_width = choice.large_window ? large_width : moderate_width;
    const int max_height = choice.large_window ? large_height : moderate_height;
    auto geometry = std::make_unique<ScaleGeometry>();
    auto scratch = std::make_unique<PaintScratch>();
    FixedMeasure measure(in.ConsumeIntegralInRange<int>(1, 20), in.ConsumeIntegralInRange<int>(1, 40));
    TouchingCanvas canvas;
    const int dpi = in.ConsumeIntegralInRange<int>(0, 480);
    layout_scales(*geometry, measure, in.ConsumeIntegralInRange<int>(0, 60),
                  in.ConsumeIntegralInRange<int>(0, max_width), in.ConsumeIntegralInRange<int>(0, max_height), dpi);
    geometry->details.first = in.ConsumeIntegral<int>();
    for (int frame = 0; frame < 2; ++frame)
        paint(canvas, measure, *state, *camera, *geometry, *scratch);
    return 0;
}
