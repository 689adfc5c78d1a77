// recompute's common frame: effective values, scale windows, the distance window per mode,
// which results each mode writes, and robustness against values from an edited settings file.
#include <climits>
#include <algorithm>
#include <cmath>
#include <limits>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "calc/recompute.h"
#include "support/close_to.h"
#include "support/hand_camera.h"
#include "support/thin_lens.h"

namespace {

constexpr Mode all_modes[] = {Mode::DepthOfField, Mode::BestFStop, Mode::FocusStacking, Mode::Blur,
                              Mode::Macro};

// Effective focal length and f-number.

struct EffectiveCase {
    double focal_length;
    double teleconverter;
    FocalLengthEntry entry;
    double crop_factor;
    double expected_focal_length;
    double expected_f_stop;  // with f_stop 8
};

void PrintTo(const EffectiveCase& c, std::ostream* os)
{
    *os << c.focal_length << "mm x" << c.teleconverter << (c.entry == FocalLengthEntry::Equivalent35mm ? " equivalent" : " actual") << " crop " << c.crop_factor;
}

class EffectiveValues : public testing::TestWithParam<EffectiveCase> {};

TEST_P(EffectiveValues, IncludeTeleconverterAndEquivalentEntry)
{
    const EffectiveCase c = GetParam();
    Camera camera = hand_default_camera();
    camera.focal_length_entry = c.entry;
    camera.crop_factor = c.crop_factor;
    for (const Mode mode : all_modes) {
        CalcState s;
        s.mode = mode;
        s.focal_length = c.focal_length;
        s.teleconverter = c.teleconverter;
        recompute(s, camera, true);
        EXPECT_TRUE(close_to(s.effective_focal_length, c.expected_focal_length, 1e-12));
        EXPECT_TRUE(close_to(s.effective_f_stop, c.expected_f_stop, 1e-12));
        EXPECT_EQ(s.f_stop, 8);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EffectiveValues,
    testing::Values(EffectiveCase{50, 1.0, FocalLengthEntry::Actual, 1, 50, 8},
                    EffectiveCase{50, 1.4, FocalLengthEntry::Actual, 1, 70, 11.2},
                    EffectiveCase{300, 2.0, FocalLengthEntry::Actual, 1.5339, 600, 16},
                    EffectiveCase{75, 1.0, FocalLengthEntry::Equivalent35mm, 1.5, 50, 8},
                    EffectiveCase{75, 2.0, FocalLengthEntry::Equivalent35mm, 1.5, 100, 16},
                    EffectiveCase{28, 1.4, FocalLengthEntry::Equivalent35mm, 0.5, 78.4, 11.2}));


// Re-centring the scale windows.

struct WindowCase {
    Mode mode;
    double CalcState::*blur_value;  // the value the blur window centres on
};

void PrintTo(const WindowCase& c, std::ostream* os)
{
    *os << "mode " << static_cast<int>(c.mode);
}

class ScaleWindows : public testing::TestWithParam<WindowCase> {};

TEST_P(ScaleWindows, AreCentredInReciprocalOnTheirValues)
{
    const WindowCase c = GetParam();
    const Camera camera = hand_default_camera();
    CalcState s;
    s.mode = c.mode;
    s.focus_at = 2500;
    s.blur_distance = 4000;
    s.near_limit = 1000;
    s.far_limit = 5000;
    s.ni = 4;
    s.fl_zoom = 3;
    s.fov_zoom = 7;
    s.blur_zoom = 2.5;
    recompute(s, camera, true);
    auto recip_mid = [](double low, double high) { return 2 / (1 / low + 1 / high); };
    EXPECT_TRUE(close_to(recip_mid(s.fl_low, s.fl_high), s.focal_length));
    EXPECT_TRUE(close_to(recip_mid(s.fov_low, s.fov_high), s.fov));
    const double v = s.*c.blur_value;
    ASSERT_GT(v * s.blur_zoom, 1);
    EXPECT_TRUE(close_to(recip_mid(s.blur_low, s.blur_high), v));
}

INSTANTIATE_TEST_SUITE_P(Modes, ScaleWindows,
                         testing::Values(WindowCase{Mode::DepthOfField, &CalcState::blur_threshold},
                                         WindowCase{Mode::BestFStop, &CalcState::optimum_blur},
                                         WindowCase{Mode::FocusStacking, &CalcState::optimum_blur},
                                         WindowCase{Mode::Blur, &CalcState::blur},
                                         WindowCase{Mode::Macro, &CalcState::blur_threshold}));

struct ClampCase {
    double value;
    double zoom;
    double expected_high;
};

// Only the high end is clamped, and never so far that the value falls off the window's bottom.
TEST(ScaleWindows, ClampOnlyTheHighEnd)
{
    const Camera camera = hand_default_camera();
    const ClampCase lens_cases[] = {{1.5, 5, 10}, {1, 5, 9}, {3000, 5, 10000}, {1000, 32, 10000}, {50, 5, 250}};
    for (const ClampCase& c : lens_cases) {
        CalcState s;
        s.focal_length = c.value;
        s.fl_zoom = c.zoom;
        s.focus_at = 20000;
        s.fov = c.value;
        s.fov_zoom = c.zoom;
        recompute(s, camera, true);
        EXPECT_EQ(s.fl_high, c.expected_high) << c.value;
        EXPECT_TRUE(close_to(s.fl_low, c.expected_high / (2 * c.zoom - 1)));
        EXPECT_EQ(s.fov_high, c.expected_high) << c.value;
        EXPECT_TRUE(close_to(s.fov_low, c.expected_high / (2 * c.zoom - 1)));
    }
    const ClampCase blur_cases[] = {{300, 5, 1000}, {40, 32, 1000}, {0.15, 5, 1}, {0.1, 5, 0.9}, {2, 5, 10}};
    for (const ClampCase& c : blur_cases) {
        CalcState s;
        s.blur_threshold = c.value;
        s.blur_zoom = c.zoom;
        recompute(s, camera, true);
        EXPECT_TRUE(close_to(s.blur_high, c.expected_high)) << c.value;
        EXPECT_TRUE(close_to(s.blur_low, c.expected_high / (2 * c.zoom - 1))) << c.value;
    }
}

TEST(ScaleWindows, StayPutWithoutRescale)
{
    const Camera camera = hand_default_camera();
    for (const Mode mode : all_modes) {
        CalcState s;
        s.mode = mode;
        s.fl_low = s.fl_high = s.fov_low = s.fov_high = 11;
        s.blur_low = s.blur_high = s.maxblur_near = s.maxblur_far = 13;
        s.focal_length = 85;
        s.fov = 40;
        recompute(s, camera, false);
        EXPECT_EQ(s.fl_low, 11);
        EXPECT_EQ(s.fl_high, 11);
        EXPECT_EQ(s.fov_low, 11);
        EXPECT_EQ(s.fov_high, 11);
        EXPECT_EQ(s.blur_low, 13);
        EXPECT_EQ(s.blur_high, 13);
        EXPECT_EQ(s.maxblur_near, 13);
        EXPECT_EQ(s.maxblur_far, 13);
    }
}

// The distance window: at both ends the defocus blur reaches maxblur CoCs.

TEST(DistanceWindow, BestFStopCentresOnTheBestFocusWithTheOptimumAperture)
{
    const Camera camera = hand_default_camera();
    CalcState s;
    s.mode = Mode::BestFStop;
    s.near_limit = 1500;
    s.far_limit = 2500;
    s.maxblur = 2;
    recompute(s, camera, true);
    ASSERT_GT(s.maxblur_far, 0);
    const double n = s.optimum_effective_f_stop;
    const double target = 2 * camera.coc;
    EXPECT_TRUE(close_to(thin_lens::defocus_blur(50, n, s.best_focus, s.maxblur_near), target, 1e-9));
    EXPECT_TRUE(close_to(thin_lens::defocus_blur(50, n, s.best_focus, s.maxblur_far), target, 1e-9));
}

TEST(DistanceWindow, BestFStopWithTwoInfiniteLimitsIsAroundAFiniteFocus)
{
    // Limits of -5 and -1 are both infinity, so equal: the near limit becomes 1 m and the window
    // lies around the best focus between 1 m and infinity, judged with the optimum aperture.
    const Camera camera = hand_default_camera();
    CalcState s;
    s.mode = Mode::BestFStop;
    s.near_limit = -5;
    s.far_limit = -1;
    recompute(s, camera, true);
    EXPECT_EQ(s.near_limit, 1000);
    ASSERT_EQ(s.best_focus, 2000);
    const double n = s.optimum_effective_f_stop;
    EXPECT_TRUE(close_to(thin_lens::defocus_blur(50, n, s.best_focus, s.maxblur_near), s.maxblur * camera.coc, 1e-9));
}

TEST(DistanceWindow, FocusStackingReachesMaxblurAroundTheOuterPairs)
{
    const Camera camera = hand_default_camera();
    CalcState s;
    s.mode = Mode::FocusStacking;
    s.near_limit = 500;
    s.far_limit = 1500;
    s.ni = 5;
    s.f_stop = 4;
    s.maxblur = 2;
    recompute(s, camera, true);
    // Each end is judged from the reciprocal midpoint of its outer pair of points, at the set
    // aperture (not the stack's optimum, so the ends may fall inside the stack).
    const double* p = s.focus_points.data();
    const double near_focus = 2 / (1 / p[0] + 1 / p[1]);
    const double far_focus = 2 / (1 / p[3] + 1 / p[4]);
    const double target = 2 * camera.coc;
    ASSERT_GT(s.maxblur_far, 0);
    EXPECT_TRUE(close_to(thin_lens::defocus_blur(50, 4, near_focus, s.maxblur_near), target, 1e-9));
    EXPECT_TRUE(close_to(thin_lens::defocus_blur(50, 4, far_focus, s.maxblur_far), target, 1e-9));
    EXPECT_LT(s.maxblur_near, near_focus);
    EXPECT_GT(s.maxblur_far, far_focus);
}

TEST(DistanceWindow, FocusStackingWithAnInfiniteFarLimitReachesInfinity)
{
    const Camera camera = hand_default_camera();
    CalcState s;
    s.mode = Mode::FocusStacking;
    s.near_limit = 1000;
    s.far_limit = -1;
    s.ni = 3;
    recompute(s, camera, true);
    // The far pair is (2000, infinity): its midpoint is 4000 mm, beyond the far end's reach.
    EXPECT_LT(s.maxblur_far, 0);
    EXPECT_GT(s.maxblur_near, 0);
    EXPECT_LT(s.maxblur_near, 1000);
}

// Which results each mode writes: everything else keeps its old value.

using Field = double CalcState::*;

constexpr Field result_fields[] = {
    &CalcState::hyperfocal,     &CalcState::near,          &CalcState::far,
    &CalcState::front,          &CalcState::back,          &CalcState::range,
    &CalcState::magnification,  &CalcState::field_width,   &CalcState::field_height,
    &CalcState::field_diagonal, &CalcState::angle_width,   &CalcState::angle_height,
    &CalcState::angle_diagonal, &CalcState::blur,          &CalcState::best_focus,
    &CalcState::optimum_f_stop, &CalcState::optimum_effective_f_stop,
    &CalcState::optimum_blur,   &CalcState::stack_near,    &CalcState::stack_far,
    &CalcState::stack_range,    &CalcState::macro_factor,  &CalcState::macro_depth,
};

constexpr double sentinel = 777.25;

CalcState sentinel_state(Mode mode)
{
    CalcState s;
    s.mode = mode;
    for (const Field field : result_fields)
        s.*field = sentinel;
    s.focus_points.fill(sentinel);
    return s;
}

struct WrittenCase {
    Mode mode;
    std::vector<Field> untouched;
};

void PrintTo(const WrittenCase& c, std::ostream* os)
{
    *os << "mode " << static_cast<int>(c.mode);
}

class ModeResults : public testing::TestWithParam<WrittenCase> {};

TEST_P(ModeResults, OtherModesResultsKeepTheirValues)
{
    const WrittenCase& c = GetParam();
    const Camera camera = hand_default_camera();
    CalcState s = sentinel_state(c.mode);
    recompute(s, camera, true);
    for (const Field field : c.untouched)
        EXPECT_EQ(s.*field, sentinel);
    // Every field not listed was written.
    for (const Field field : result_fields) {
        bool listed = false;
        for (const Field u : c.untouched)
            listed = listed || u == field;
        if (!listed) {
            EXPECT_NE(s.*field, sentinel);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ModeResults,
    testing::Values(
        WrittenCase{Mode::DepthOfField,
                    {&CalcState::blur, &CalcState::best_focus, &CalcState::optimum_f_stop,
                     &CalcState::optimum_effective_f_stop, &CalcState::optimum_blur,
                     &CalcState::stack_near, &CalcState::stack_far, &CalcState::stack_range,
                     &CalcState::macro_factor, &CalcState::macro_depth}},
        WrittenCase{Mode::Blur,
                    {&CalcState::best_focus, &CalcState::optimum_f_stop,
                     &CalcState::optimum_effective_f_stop, &CalcState::optimum_blur,
                     &CalcState::stack_near, &CalcState::stack_far, &CalcState::stack_range,
                     &CalcState::macro_factor, &CalcState::macro_depth}},
        WrittenCase{Mode::BestFStop,
                    {&CalcState::near, &CalcState::far, &CalcState::blur, &CalcState::stack_near,
                     &CalcState::stack_far, &CalcState::stack_range, &CalcState::macro_factor,
                     &CalcState::macro_depth}},
        WrittenCase{Mode::FocusStacking,
                    {&CalcState::near, &CalcState::far, &CalcState::front, &CalcState::back,
                     &CalcState::range, &CalcState::magnification, &CalcState::field_width,
                     &CalcState::field_height, &CalcState::field_diagonal, &CalcState::angle_width,
                     &CalcState::angle_height, &CalcState::angle_diagonal, &CalcState::blur,
                     &CalcState::best_focus, &CalcState::macro_factor, &CalcState::macro_depth}},
        WrittenCase{Mode::Macro,
                    {&CalcState::hyperfocal, &CalcState::near, &CalcState::far, &CalcState::front,
                     &CalcState::back, &CalcState::range, &CalcState::field_width,
                     &CalcState::field_height, &CalcState::field_diagonal, &CalcState::angle_width,
                     &CalcState::angle_height, &CalcState::angle_diagonal, &CalcState::blur,
                     &CalcState::best_focus, &CalcState::optimum_f_stop,
                     &CalcState::optimum_effective_f_stop, &CalcState::optimum_blur,
                     &CalcState::stack_near, &CalcState::stack_far, &CalcState::stack_range}}));

// Robustness against values only an edited settings file can hold.

TEST(Recompute, UnknownModeDoesNoPerModeWork)
{
    const Camera camera = hand_default_camera();
    for (const int code : {5, 9, -1, 1000}) {
        CalcState s = sentinel_state(static_cast<Mode>(code));
        s.maxblur_near = s.maxblur_far = sentinel;
        s.focal_length = 35;
        s.teleconverter = 2;
        recompute(s, camera, true);
        for (const Field field : result_fields)
            EXPECT_EQ(s.*field, sentinel) << "mode " << code;
        EXPECT_EQ(s.focus_points[0], sentinel);
        EXPECT_EQ(s.maxblur_near, sentinel);
        EXPECT_EQ(s.maxblur_far, sentinel);
        EXPECT_EQ(s.effective_focal_length, 70);
        EXPECT_EQ(s.effective_f_stop, 16);
        EXPECT_EQ(s.fl_high, 35 * s.fl_zoom);  // the windows are still re-centred
    }
}

TEST(Recompute, FocusPointCountOutsideItsRangeIsHeldToIt)
{
    const Camera camera = hand_default_camera();
    struct Case {
        int ni;
        int used;
    };
    const Case cases[] = {{INT_MIN, 2}, {-7, 2}, {0, 2}, {1, 2}, {2, 2},
                          {100, 100},   {101, 100}, {1000, 100}, {INT_MAX, 100}};
    for (const Case& c : cases) {
        CalcState s = sentinel_state(Mode::FocusStacking);
        s.ni = c.ni;
        s.near_limit = 1000;
        s.far_limit = 8000;
        recompute(s, camera, true);
        EXPECT_EQ(s.ni, c.ni);  // the stored count is left as it is
        EXPECT_EQ(s.focus_points[0], 1000);
        EXPECT_EQ(s.focus_points[c.used - 1], 8000) << c.ni;
        if (c.used < max_focus_points) {
            EXPECT_EQ(s.focus_points[c.used], sentinel) << c.ni;
        }
        EXPECT_TRUE(std::isfinite(s.maxblur_near));
        EXPECT_TRUE(std::isfinite(s.maxblur_far));
    }
}

struct DegenerateCase {
    const char* what;
    void (*apply)(CalcState&, Camera&);
};

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

const DegenerateCase degenerate_cases[] = {
    {"zero focal length", [](CalcState& s, Camera&) { s.focal_length = 0; }},
    {"zero CoC", [](CalcState&, Camera& c) { c.coc = 0; }},
    {"zero wavelength", [](CalcState&, Camera& c) { c.wavelength = 0; }},
    {"zero frame", [](CalcState&, Camera& c) { c.frame_width_mm = c.frame_height_mm = 0; }},
    {"zero f-stop", [](CalcState& s, Camera&) { s.f_stop = 0; }},
    {"zero teleconverter", [](CalcState& s, Camera&) { s.teleconverter = 0; }},
    {"zero crop factor",
     [](CalcState&, Camera& c) {
         c.crop_factor = 0;
         c.focal_length_entry = FocalLengthEntry::Equivalent35mm;
     }},
    {"zero field width", [](CalcState& s, Camera&) { s.fov = 0; }},
    {"zero zooms", [](CalcState& s, Camera&) { s.fl_zoom = s.fov_zoom = s.blur_zoom = 0; }},
    {"zero distances",
     [](CalcState& s, Camera&) {
         s.focus_at = s.near_limit = s.far_limit = s.blur_distance = 0;
     }},
    {"NaN focal length", [](CalcState& s, Camera&) { s.focal_length = nan; }},
    {"NaN distances",
     [](CalcState& s, Camera&) {
         s.focus_at = s.near_limit = s.far_limit = s.blur_distance = nan;
     }},
    {"infinite f-stop", [](CalcState& s, Camera&) { s.f_stop = inf; }},
    {"infinite distances",
     [](CalcState& s, Camera&) {
         s.focus_at = s.near_limit = s.far_limit = s.blur_distance = inf;
     }},
    {"NaN maxblur and blur threshold",
     [](CalcState& s, Camera&) { s.maxblur = s.blur_threshold = nan; }},
};

// An input is kept as set, or moved onto its scale; no number at all takes its default.
bool kept_or_clamped(double before, double after, double fallback)
{
    if (std::isnan(before))
        return after == fallback;
    return after == std::clamp(before, lens_scale_range.low, lens_scale_range.high);
}

TEST(Recompute, DegenerateInputsFinishAndLeaveOtherInputsAlone)
{
    for (const DegenerateCase& c : degenerate_cases) {
        for (const Mode mode : all_modes) {
            Camera camera = hand_default_camera();
            CalcState s;
            s.mode = mode;
            s.ni = 7;
            c.apply(s, camera);
            const CalcState before = s;
            recompute(s, camera, true);
            // Results may be infinite or undefined; the inputs other than the limits stay as set.
            EXPECT_EQ(s.ni, 7) << c.what;
            EXPECT_TRUE(kept_or_clamped(before.focal_length, s.focal_length, 50)) << c.what;
            EXPECT_TRUE(kept_or_clamped(before.fov, s.fov, 20)) << c.what;
            // A focus distance the lens cannot reach is moved to the closest it can; one beyond
            // 1000 km is infinity.
            EXPECT_TRUE(std::isnan(before.focus_at) ? std::isnan(s.focus_at)
                                                    : s.focus_at == before.focus_at ||
                                                          s.focus_at == 2 * s.effective_focal_length ||
                                                          (before.focus_at > 1e9 && s.focus_at == -1))
                << c.what;
        }
    }
}

// Whatever brought the lens closer than it can focus (a teleconverter, another camera, a settings
// file), recompute moves the distance to twice the effective focal length first, in every mode.
TEST(Recompute, DistancesTheLensCannotFocusAreRaisedToTwiceItsFocalLength)
{
    struct Row {
        double CalcState::*field;
        double teleconverter;
        double set;
        double expected;
    };
    const Row rows[] = {
        {&CalcState::focus_at, 1, 0, 100},          {&CalcState::focus_at, 1, 40, 100},
        {&CalcState::focus_at, 1, 99.99, 100},      {&CalcState::focus_at, 1, 100.01, 100.01},
        {&CalcState::focus_at, 1, -1, -1},          {&CalcState::focus_at, 2, 150, 200},
        {&CalcState::near_limit, 1, 30, 100},
        {&CalcState::blur_distance, 1, 0, 100},     {&CalcState::blur_distance, 1, 1, 1},
        {&CalcState::blur_distance, 1, -1, -1},
    };
    const Camera camera = hand_default_camera();
    for (const Row& row : rows) {
        for (const Mode mode : all_modes) {
            CalcState s;
            s.mode = mode;
            s.teleconverter = row.teleconverter;
            s.near_limit = 100;  // the limit modes order the limits: the one set is the farther
            s.far_limit = -1;
            s.*row.field = row.set;
            recompute(s, camera, true);
            EXPECT_EQ(s.*row.field, row.expected) << row.set << " mode " << static_cast<int>(mode);
            EXPECT_TRUE(std::isfinite(s.blur) && std::isfinite(s.magnification) && s.magnification >= 0);
        }
    }
}

TEST(Recompute, ZeroCocLeavesNoDepthOfField)
{
    Camera camera = hand_default_camera();
    camera.coc = 0;
    CalcState s;
    s.focus_at = 2000;
    recompute(s, camera, false);
    EXPECT_EQ(s.hyperfocal, -1);
    EXPECT_EQ(s.near, 2000);
    EXPECT_EQ(s.far, 2000);
    EXPECT_EQ(s.range, 0);
}

}  // namespace
