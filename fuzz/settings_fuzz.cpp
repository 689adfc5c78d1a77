// Any bytes as the settings file. Reading never fails and leaves a state the program can work
// with, the first recompute of that state and (for a share of inputs, in a window of a size drawn
// from the input) its first frame work, and what the program saves reads back to the same saved
// text.
#include <array>
#include <cstdio>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include <sys/mman.h>

#include "calc/recompute.h"
#include "cameras/settings.h"
#include "display/geometry.h"
#include "display/paint.h"
#include "display/paint_scratch.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/paint_share.h"
#include "fuzz/touching_canvas.h"
#include "tests/support/state_invariants.h"
#include "tests/support/fixed_measure.h"
#include "text/format.h"
#include "text/title.h"
#include "text/utf8.h"

namespace {

struct Settings {
    CalcState state;
    CameraTable table;
};

// The settings of one input, as new. A new 600 KB table an input, zeroed on memory the process
// has not touched yet, cost more than everything else the target does; so the three an input may
// use keep pages of their own for the whole run, and handing those pages back between inputs makes
// them read as zeros again, as a new table does, at the cost of only the few pages an input writes.
Settings& new_settings(int which)
{
    static std::array<Settings*, 3> kept{};
    Settings*& s = kept[static_cast<std::size_t>(which)];
    if (s == nullptr) {
        void* pages = mmap(nullptr, sizeof(Settings), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        FUZZ_CHECK(pages != MAP_FAILED);
        s = new (pages) Settings();
        return *s;
    }
    // Every byte reads 0 again, which is what a new table holds; the state has defaults of its own.
    FUZZ_CHECK(madvise(s, sizeof(Settings), MADV_DONTNEED) == 0);
    s->state = CalcState{};
    return *s;
}

// The locale decimal points the saved text is written with: the common two, the Arabic and
// Persian ones, and any unit at all (the input's last two bytes). The input's length picks one,
// so every input is reproducible on its own.
char16_t chosen_decimal_point(const uint8_t* data, std::size_t size)
{
    constexpr char16_t usual[] = {u'.', u',', u'\u066B', u'/'};
    const std::size_t choice = size % (std::size(usual) + 1);
    if (choice < std::size(usual))
        return usual[choice];
    return size >= 2 ? static_cast<char16_t>(data[size - 2] | data[size - 1] << 8) : u'.';
}

bool positive_finite(double v)
{
    return std::isfinite(v) && v > 0;
}

// What every other part of the program relies on after a load.
void check_usable(const Settings& s)
{
    const CalcState& c = s.state;
    FUZZ_CHECK(static_cast<int>(c.mode) >= 0 && static_cast<int>(c.mode) < mode_count);
    FUZZ_CHECK(static_cast<int>(c.units) >= 0 && static_cast<int>(c.units) < distance_unit_count);
    FUZZ_CHECK(static_cast<int>(c.macro_units) >= 0 && static_cast<int>(c.macro_units) < distance_unit_count);
    FUZZ_CHECK(c.f_stop_increment == FStopIncrement::HalfStop || c.f_stop_increment == FStopIncrement::ThirdStop);
    FUZZ_CHECK(c.snap == 0 || c.snap == 1);
    FUZZ_CHECK(c.ni >= 2 && c.ni <= max_focus_points);
    for (double zoom : {c.fl_zoom, c.fov_zoom, c.blur_zoom})
        FUZZ_CHECK(zoom >= 1.5 && zoom <= 32);
    FUZZ_CHECK(c.maxblur >= 0.01 && c.maxblur <= 10000);
    for (double v : {c.focal_length, c.teleconverter, c.f_stop, c.blur_threshold, c.fov})
        FUZZ_CHECK(positive_finite(v));
    for (double v : {c.near, c.focus_at, c.far, c.near_limit, c.far_limit, c.blur_distance})
        FUZZ_CHECK(std::isfinite(v));

    const CameraTable& t = s.table;
    FUZZ_CHECK(t.count >= 1 && t.count <= max_cameras);
    FUZZ_CHECK(t.current >= 0 && t.current < t.count);
    for (int i = 0; i < t.count; ++i) {
        const Camera& cam = t.cameras[static_cast<std::size_t>(i)];
        FUZZ_CHECK(cam.type == CameraType::Digital || cam.type == CameraType::Film);
        FUZZ_CHECK(cam.coc_method == CocMethod::SharpImage || cam.coc_method == CocMethod::SharpPrint ||
                   cam.coc_method == CocMethod::CustomCoc);
        FUZZ_CHECK(cam.focal_length_entry == FocalLengthEntry::Actual ||
                   cam.focal_length_entry == FocalLengthEntry::Equivalent35mm);
        for (double v : {cam.frame_width_mm, cam.frame_height_mm, cam.film_resolution, cam.custom_coc,
                         cam.visual_resolution, cam.allowable_blur, cam.print_size, cam.viewing_distance,
                         cam.wavelength})
            FUZZ_CHECK(std::isfinite(v));
        FUZZ_CHECK(cam.name[camera_name_capacity - 1] == 0);
    }
}

// Start-up's steps on the loaded state, then, for the inputs that paint, the first frame.
void start_and_paint(Settings& s, const PaintChoice& choice)
{
    derive_camera_values(s.table);
    recompute(s.state, current_camera(s.table), true);
    window_title(s.table);
    if (!choice.paints)
        return;
    const int max_width = choice.large_window ? large_width : moderate_width;
    const int max_height = choice.large_window ? large_height : moderate_height;
    const int width = static_cast<int>(choice.bits % (max_width + 1));
    const int height = static_cast<int>(choice.bits / (max_width + 1) % (max_height + 1));
    auto geometry = std::make_unique<ScaleGeometry>();
    auto scratch = std::make_unique<PaintScratch>();
    FixedMeasure measure;
    TouchingCanvas canvas;
    layout_scales(*geometry, measure, 0, width, height);
    paint(canvas, measure, s.state, current_camera(s.table), *geometry, *scratch);
}

// The file as the program saves it and reads it at the next start.
std::u16string saved(const Settings& s)
{
    return settings_text(s.state, s.table);
}

// The file carries the saved text exactly.
void check_carried(const std::u16string& text)
{
    FUZZ_CHECK(utf8_to_utf16(utf16_to_utf8(text)) == text);
}

void load(std::u16string_view text, Settings& s)
{
    load_settings_text(text, s.state, s.table);
    check_usable(s);
}

// Reading up to "end" derives the camera values, and nothing else in a load sets a crop factor
// (it is never 0 once derived: the frame sizes are finite), so this tells a file read in full.
bool read_in_full(const Settings& s)
{
    return s.table.cameras[0].crop_factor != 0;
}

void check_same(const std::u16string& a, const std::u16string& b)
{
    if (a != b) {
        show_first_difference(a, b);
        FUZZ_CHECK(a == b);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    set_decimal_point(chosen_decimal_point(data, size));
    const std::u16string file = utf8_to_utf16(std::string_view(reinterpret_cast<const char*>(data), size));

    Settings& first = new_settings(0);
    load(file, first);
    const std::u16string first_text = saved(first);
    check_carried(first_text);

    Settings& second = new_settings(1);
    load(first_text, second);
    const std::u16string second_text = saved(second);
    // A file without "end" is neither snapped nor sorted; the saved text always has "end", so only
    // settings read in full must come back unchanged from the first save.
    const bool full = read_in_full(first);
    if (full)
        check_same(first_text, second_text);

    // After one save and read every file is read in full: from there on nothing may change.
    if (second_text != first_text) {
        check_carried(second_text);
        Settings& third = new_settings(2);
        load(second_text, third);
        const std::u16string third_text = saved(third);
        if (third_text != second_text)
            check_carried(third_text);
        check_same(second_text, third_text);
    }

    // The frame is the recompute target's business; here it is the first frame of a loaded file.
    start_and_paint(first, paint_choice(data, size, 32));

    // Whatever the file held, the started program keeps every invariant, and what it saves brings
    // the same settings back at the next start (a file without "end" is not sorted at the first).
    static PanelText panel;
    static CaptionTexts captions;
    std::string broken = invariants::state_rule(first.state, first.table);
    if (broken.empty())
        broken = invariants::display_rule(first.state, first.table, panel, captions);
    if (broken.empty() && full) {
        Settings& restarted = new_settings(1);
        load(saved(first), restarted);
        derive_camera_values(restarted.table);
        recompute(restarted.state, current_camera(restarted.table), true);
        broken = invariants::restart_rule(first.state, first.table, restarted.state, restarted.table);
    }
    if (!broken.empty()) {
        std::fprintf(stderr, "%s\nstarted with:\n%s", broken.c_str(), utf16_to_utf8(saved(first)).c_str());
        FUZZ_CHECK(broken.empty());
    }
    return 0;
}
