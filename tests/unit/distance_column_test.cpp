#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "calc/recompute.h"
#include "display/blur_colour.h"
#include "display/blur_strip.h"
#include "display/distance_column.h"
#include "display/row_blur.h"
#include "display/mapping.h"
#include "support/fixed_measure.h"
#include "support/recording_canvas.h"
#include "support/thin_lens.h"

namespace {

Camera film_camera()
{
    Camera c;
    c.coc = 0.0314159;
    c.wavelength = 550;
    return c;
}

/// Depth of field at 50 mm, f/8, focused at 4 ft, with the distance window set by hand where the
/// defocus blur reaches `maxblur` CoCs (its far end lies beyond infinity).
CalcState dof_state(double maxblur)
{
    CalcState s;
    s.mode = Mode::DepthOfField;
    s.units = DistanceUnit::Foot;
    s.effective_focal_length = 50;
    s.effective_f_stop = 8;
    s.focus_at = 1219.2;
    s.maxblur = maxblur;
    const double f = 50, k = maxblur * 8 * 0.0314159 * (1219.2 - f);
    s.maxblur_near = f * f * 1219.2 / (f * f + k);
    s.maxblur_far = -1;
    s.hyperfocal = 10634.4;
    s.near = 1097.9;
    s.far = 1370.6;
    return s;
}

struct Painted {
    RecordingCanvas canvas;
    ScaleGeometry g;
};

Painted paint_column(const CalcState& s, int height = 600)
{
    Painted p;
    FixedMeasure measure;
    layout_scales(p.g, measure, 16, 600, height);
    PaintScratch scratch;
    paint_distance_column(p.canvas, measure, s, film_camera(), p.g, scratch);
    return p;
}

std::set<std::u16string> contour_labels(const Painted& p)
{
    std::set<std::u16string> out;
    for (const DrawCall& t : p.canvas.of_kind(CallKind::Text))
        if (t.a.x < p.g.strip_left)
            out.insert(t.text);
    return out;
}

TEST(RowBlur, DepthOfFieldEndsAndSharpestRow)
{
    const CalcState s = dof_state(16);
    std::vector<double> blur(455);
    compute_row_blur(blur, s, film_camera());
    // 16 CoCs of defocus with the diffraction disk in quadrature: focused at 4 ft the sensor sees
    // f/8.34, whose disk is 0.3564 CoC (f/8's is 0.3417).
    const double disk = thin_lens::focused_airy_disk(50, 8, 550, 1219.2) / 0.0314159;
    EXPECT_NEAR(disk, 0.3564, 1e-4);
    EXPECT_NEAR(blur.front(), std::hypot(16, disk), 1e-6);
    // Infinity: f^2 / ((s - f) N) = 0.2673 mm = 8.508 CoCs.
    EXPECT_NEAR(blur.back(), std::hypot(50.0 * 50 / ((1219.2 - 50) * 8) / 0.0314159, disk), 1e-9);
    const auto sharpest = std::min_element(blur.begin(), blur.end()) - blur.begin();
    const Rect scale{0, 120, 0, 575};
    const int focus_row = distance_row(s, scale, s.focus_at);
    EXPECT_NEAR(scale.bottom - 1 - sharpest, focus_row, 1);
    EXPECT_NEAR(blur[sharpest], disk, 1e-3);
}

TEST(RowBlur, FocusInsideTheFocalLengthIsUndefined)
{
    CalcState s = dof_state(16);
    s.focus_at = 40;
    std::vector<double> blur(10);
    compute_row_blur(blur, s, film_camera());
    for (double b : blur)
        EXPECT_EQ(b, -1);
}

TEST(RowBlur, MacroIsSymmetricWithTheCloseUpsDiffractionAtTheCentre)
{
    Camera camera = film_camera();
    camera.frame_width_mm = 36;
    // The diffraction disk is that of the f-number at the sensor, N (1 + m); in CoCs
    // 2.44 * 550 nm * 8 / 0.0314159 = 0.3417378 at f/8.
    const struct {
        double fov;
        double f_stop;
        double teleconverter;
        double centre;  // blur at the plane of focus, CoCs
    } rows[] = {
        {36, 8, 1, 2 * 0.3417378},          // 1:1: twice the disk of the marked f/8
        {18, 4, 1, 1.5 * 0.3417378},        // 2:1 at f/4: f/12 at the sensor
        {144, 5.6, 1.4, 1.225 * 0.3417378}, // 1:4 at f/5.6 x 1.4: f/9.8 at the sensor
    };
    for (const auto& r : rows) {
        CalcState s;
        s.mode = Mode::Macro;
        s.fov = r.fov;
        s.f_stop = r.f_stop;
        s.teleconverter = r.teleconverter;
        s.maxblur = 16;
        recompute(s, camera, true);
        std::vector<double> blur(201);
        compute_row_blur(blur, s, camera);
        for (std::size_t j = 0; j < blur.size(); ++j)
            EXPECT_NEAR(blur[j], blur[blur.size() - 1 - j], 1e-9) << r.fov << " row " << j;
        EXPECT_NEAR(blur[100], r.centre, 1e-6) << r.fov;
        EXPECT_NEAR(blur[0], std::hypot(16, blur[100]), 1e-9) << r.fov;
    }
}

TEST(RowBlur, FocusStackTakesTheSharpestImage)
{
    CalcState s;
    s.mode = Mode::FocusStacking;
    s.effective_focal_length = 50;
    s.optimum_effective_f_stop = 8;
    s.ni = 3;
    s.focus_points[0] = 1000;
    s.focus_points[1] = 2000;
    s.focus_points[2] = -1;
    s.maxblur_near = 500;
    s.maxblur_far = -1;
    std::vector<double> blur(301);
    compute_row_blur(blur, s, film_camera());
    // At each image's own distance the blur is diffraction alone, the larger the closer the image.
    for (double focus : {1000.0, 2000.0}) {
        const double f = recip_fraction(focus, 500, -1);  // 0.5 and 0.75
        EXPECT_NEAR(blur[static_cast<std::size_t>(f * 300)], thin_lens::focused_airy_disk(50, 8, 550, focus) / 0.0314159,
                    1e-4)
            << focus;
    }
    EXPECT_NEAR(blur[300], thin_lens::airy_disk(550, 8) / 0.0314159, 1e-9);
}

/// The sharpest-image rule written out directly: every image's blur through a thin lens (none for
/// an image focused inside the focal length), the first one replaced by any defined, smaller one.
double reference_stack_blur(const CalcState& s, const Camera& cam, double distance)
{
    const auto blur_for = [&](double focus) {
        if (focus >= 0 && focus <= s.effective_focal_length)
            return -1.0;
        return thin_lens::total_blur(s.effective_focal_length, s.optimum_effective_f_stop, cam.wavelength, focus,
                                     distance) / cam.coc;
    };
    double blur = blur_for(s.focus_points[0]);
    for (int i = 1; i < s.ni; ++i) {
        const double b = blur_for(s.focus_points[i]);
        if (b > 0 && b < blur)
            blur = b;
    }
    return blur;
}

TEST(RowBlur, FocusStackMatchesTheImageByImageRule)
{
    const struct {
        int images;
        double near, far, window_near, window_far, f_number;
    } table[] = {
        {2, 1000, 2000, 500, 5000, 8},     {3, 1000, -1, 500, -1, 11},     {100, 914.4, 1828.8, 700, 3000, 16},
        {10, 300, 600, 200, 1500, 5.6},    {7, 120, -1, 100, -1, 22},      {5, 80, 200, 60, 400, 4},
        {4, 40, 400, 30, 900, 8},         {4, 600, 600, 500, 700, 8},
    };
    for (const auto& t : table) {
        CalcState s;
        s.mode = Mode::FocusStacking;
        s.effective_focal_length = 50;
        s.optimum_effective_f_stop = t.f_number;
        s.ni = t.images;
        for (int i = 0; i < t.images; ++i)
            s.focus_points[i] = recip_value(static_cast<double>(i) / (t.images - 1), t.near, t.far);
        s.maxblur_near = t.window_near;
        s.maxblur_far = t.window_far;
        std::vector<double> blur(733);
        compute_row_blur(blur, s, film_camera());
        for (std::size_t j = 0; j < blur.size(); ++j) {
            const double d = recip_value(j / 732.0, t.window_near, t.window_far);
            const double expected = reference_stack_blur(s, film_camera(), d);
            ASSERT_NEAR(blur[j], expected, 1e-10 * std::fabs(expected)) << t.images << " row " << j;
        }
    }
}

TEST(BlurStrip, RowsMatchTheGaussianProfileExactly)
{
    const double blurs[] = {0, -1, 0.34, 1, 2.5, 7.3, 16.004, 25, 40, 100};
    std::vector<uint8_t> pixels(std::size(blurs) * strip_stride, 0xAB);
    render_blur_strip(blurs, pixels);
    const std::size_t n = std::size(blurs);
    for (std::size_t j = 0; j < n; ++j) {
        const double b = blurs[j];
        const Colour c = blur_colour(b);
        const uint8_t* row = pixels.data() + (n - 1 - j) * strip_stride;  // entry 0 is the bottom row
        for (int i = 0; i < 65; ++i) {
            const double p = b == 0 ? (i == 32 ? 1 : 0) : std::exp(-std::pow((i - 32) / b, 2));
            const int v = round_half_away(p * 255);
            ASSERT_EQ(row[i * 3 + 0], v * c.blue / 255) << b << " " << i;
            ASSERT_EQ(row[i * 3 + 1], v * c.green / 255) << b << " " << i;
            ASSERT_EQ(row[i * 3 + 2], v * c.red / 255) << b << " " << i;
        }
    }
    // An undefined blur shows a narrow white spot.
    const uint8_t* undefined = pixels.data() + (n - 2) * strip_stride;
    EXPECT_EQ(undefined[32 * 3], 255);
    EXPECT_EQ(undefined[33 * 3], 94);
    EXPECT_EQ(undefined[34 * 3], 5);
    EXPECT_EQ(undefined[35 * 3], 0);
}

TEST(BlurStrip, EveryBlurFromAHundredthToAHundredGivesTheExactSpot)
{
    std::vector<double> blurs;
    for (double b = 0.01; b < 100; b *= 1.0007)
        blurs.push_back(b);
    blurs.push_back(-1);
    std::vector<uint8_t> pixels(blurs.size() * strip_stride);
    render_blur_strip(blurs, pixels);
    const std::size_t n = blurs.size();
    for (std::size_t j = 0; j < n; ++j) {
        const Colour c = blur_colour(blurs[j]);
        const uint8_t* row = pixels.data() + (n - 1 - j) * strip_stride;
        for (int i = 0; i < 65; ++i) {
            const double t = (i - 32) / blurs[j];
            const int v = round_half_away(std::exp(-(t * t)) * 255);
            ASSERT_EQ(row[i * 3 + 1], v * c.green / 255) << blurs[j] << " " << i;
            ASSERT_EQ(row[i * 3 + 2], v * c.red / 255) << blurs[j] << " " << i;
        }
    }
}

TEST(DistanceColumn, OneStripImageWithItsBottomRowOnBottomMinusOne)
{
    const CalcState s = dof_state(16);
    const Painted p = paint_column(s);
    const Rect& scale = column(p.g, Column::Distance).scale;
    const int n = scale.bottom - scale.top;
    const std::vector<DrawCall> images = p.canvas.of_kind(CallKind::Image);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].rect, (Rect{p.g.strip_left, scale.top, p.g.strip_left + 65, scale.top + n}));
    EXPECT_EQ(images[0].rect.bottom - 1, scale.bottom - 1);
    // The bottom image row is the bottom scale row's blur (16 CoCs: red to magenta at 16.004).
    std::vector<double> blur(n);
    compute_row_blur(blur, s, film_camera());
    std::vector<uint8_t> expected(n * strip_stride);
    render_blur_strip(blur, expected);
    for (int i = 0; i < 65 * 3; ++i)
        ASSERT_EQ(images[0].pixels[(n - 1) * 65 * 3 + i], expected[(n - 1) * strip_stride + i]) << i;
    EXPECT_FALSE(images[0].has_clip);
}

TEST(DistanceColumn, DepthOfFieldLinesAndInfinity)
{
    const CalcState s = dof_state(16);
    const Painted p = paint_column(s);
    const Rect& scale = column(p.g, Column::Distance).scale;
    const int S = p.g.strip_left, X = S + 65;
    struct Expected {
        double value;
        Colour colour;
        int* row;
    };
    ScaleGeometry g = p.g;
    const Expected table[] = {
        {s.hyperfocal, colours::teal, nullptr},
        {s.near, colours::red, &g.near_row},
        {s.far, colours::red, &g.far_row},
        {s.focus_at, colours::green, &g.focus_row},
    };
    const std::vector<DrawCall> lines = p.canvas.horizontal_lines(S, X);
    ASSERT_EQ(lines.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        const int y = distance_row(s, scale, table[i].value);
        EXPECT_EQ(lines[i].a.y, y) << i;
        EXPECT_EQ(lines[i].colour, table[i].colour) << i;
        EXPECT_TRUE(lines[i].has_clip);
        EXPECT_EQ(lines[i].clip, column(p.g, Column::Distance).column);
        if (table[i].row) {
            EXPECT_EQ(*table[i].row, y) << i;
        }
    }
    const std::vector<DrawCall> triangles = p.canvas.of_kind(CallKind::Triangle);
    ASSERT_EQ(triangles.size(), 1u);
    EXPECT_EQ(triangles[0].c, (Point{X, p.g.focus_row}));
    EXPECT_EQ(triangles[0].fill, colours::green);
    const std::vector<DrawCall> infinity = p.canvas.texts(u"\uF0A5");
    ASSERT_EQ(infinity.size(), 1u);
    EXPECT_EQ(infinity[0].a.y, scale.top - p.g.line_height / 2);
}

TEST(DistanceColumn, ContourLabelsFollowTheLargestEndBlur)
{
    // Ends slightly above 16 CoCs: only even levels are labelled. Up to 16: every level.
    const struct {
        double maxblur;
        std::set<std::u16string> labels;
    } table[] = {
        {16, {u"2", u"4", u"6", u"8", u"10", u"12", u"14", u"16"}},
        {10, {u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9", u"10"}},
        {60, {u"4", u"8", u"12", u"16", u"20", u"24", u"28", u"32", u"36", u"40", u"44", u"48", u"52", u"56", u"60"}},
    };
    for (const auto& t : table) {
        const Painted p = paint_column(dof_state(t.maxblur), 900);
        std::set<std::u16string> labels = contour_labels(p);
        labels.erase(u"0.36");  // the minimum's label
        EXPECT_EQ(labels, t.labels) << t.maxblur;
    }
}

TEST(DistanceColumn, ContourTicksAndMinimumLabel)
{
    const CalcState s = dof_state(16);
    const Painted p = paint_column(s);
    const Rect& scale = column(p.g, Column::Distance).scale;
    const int n = scale.bottom - scale.top;
    std::vector<double> blur(n);
    compute_row_blur(blur, s, film_camera());
    const int S = p.g.strip_left, X = S + 65;
    // A right-hand tick on every row where the whole part of the blur changes, in its colour.
    int crossings = 0;
    for (int j = 0; j + 1 < n; ++j) {
        if (std::floor(blur[j]) == std::floor(blur[j + 1]))
            continue;
        ++crossings;
        const int y = scale.bottom - 1 - j;
        const auto ticks = p.canvas.horizontal_lines(X, X - 5);
        const auto tick = std::find_if(ticks.begin(), ticks.end(), [&](const DrawCall& l) { return l.a.y == y; });
        ASSERT_NE(tick, ticks.end()) << y;
        EXPECT_EQ(tick->colour, blur_colour(blur[j]));
    }
    EXPECT_EQ(p.canvas.horizontal_lines(X, X - 5).size(), static_cast<std::size_t>(crossings));
    EXPECT_EQ(crossings, 16 + 8);  // 16 levels below the focus, 8 above it

    const int minimum = static_cast<int>(std::min_element(blur.begin(), blur.end()) - blur.begin());
    const std::vector<DrawCall> label = p.canvas.texts(u"0.36");
    ASSERT_EQ(label.size(), 1u);
    EXPECT_EQ(label[0].a, (Point{S - 4 * 7 - 12, scale.bottom - 1 - minimum - 8}));
    EXPECT_EQ(label[0].colour, colours::white);
    EXPECT_EQ(p.canvas.horizontal_lines(S - 10, S).size(), 1u);
}

TEST(DistanceColumn, ContourLabelsNeverOverlap)
{
    // Large maxblur (the drag reaches 10000) and stacks of many images crowd the levels together:
    // a label that would overlap one already placed, or the smallest blur's label, is left out.
    const struct {
        Mode mode;
        double maxblur;
        int images;
    } table[] = {
        {Mode::DepthOfField, 16, 2},   {Mode::DepthOfField, 60, 2},    {Mode::DepthOfField, 300, 2},
        {Mode::DepthOfField, 2000, 2}, {Mode::DepthOfField, 10000, 2}, {Mode::FocusStacking, 16, 100},
        {Mode::FocusStacking, 400, 20}, {Mode::FocusStacking, 10000, 100}, {Mode::Blur, 5000, 2},
        {Mode::Macro, 3000, 2},        {Mode::BestFStop, 800, 2},
    };
    int frames = 0, labelled = 0;
    for (const auto& t : table) {
        CalcState s;
        s.mode = t.mode;
        s.maxblur = t.maxblur;
        s.ni = t.images;
        s.near_limit = 1500;
        s.far_limit = 6000;
        recompute(s, film_camera(), true);
        for (int height : {300, 600, 900, 1400}) {
            const Painted p = paint_column(s, height);
            ++frames;
            std::vector<int> rows;
            for (const DrawCall& d : p.canvas.of_kind(CallKind::Text))
                if (d.a.x < p.g.strip_left)
                    rows.push_back(d.a.y);
            std::sort(rows.begin(), rows.end());
            labelled += static_cast<int>(rows.size());
            // The smallest blur's label included (in a stack it stands at both end images).
            for (std::size_t i = 1; i < rows.size(); ++i)
                EXPECT_GE(rows[i] - rows[i - 1], 16)
                    << "maxblur " << t.maxblur << " mode " << static_cast<int>(t.mode) << " height " << height
                    << ": labels at rows " << rows[i - 1] << " and " << rows[i];
        }
    }
    EXPECT_EQ(frames, 44);
    EXPECT_GT(labelled, 4 * 44);
}

TEST(DistanceColumn, FocusStackSkipsTicksBetweenTheImages)
{
    CalcState s;
    s.mode = Mode::FocusStacking;
    s.units = DistanceUnit::Metre;
    s.effective_focal_length = 50;
    s.optimum_effective_f_stop = 11;
    s.optimum_f_stop = 11;
    s.ni = 4;
    s.near_limit = 1000;
    s.far_limit = 4000;
    for (int i = 0; i < 4; ++i)
        s.focus_points[i] = recip_value(i / 3.0, 1000, 4000);
    s.maxblur_near = 600;
    s.maxblur_far = 20000;
    const Painted p = paint_column(s);
    const int S = p.g.strip_left, X = S + 65;
    ASSERT_LT(p.g.far_row, p.g.near_row);
    for (const DrawCall& l : p.canvas.horizontal_lines(X, X - 5))
        EXPECT_TRUE(l.a.y < p.g.far_row || l.a.y > p.g.near_row) << l.a.y;
    EXPECT_FALSE(p.canvas.horizontal_lines(X, X - 5).empty());
    // The minimum label at both end images.
    const std::vector<DrawCall> minimum = p.canvas.horizontal_lines(S - 10, S);
    ASSERT_EQ(minimum.size(), 2u);
    EXPECT_EQ(minimum[0].a.y, p.g.far_row);
    EXPECT_EQ(minimum[1].a.y, p.g.near_row);
    // Four lines: red ends with triangles, white inside.
    const std::vector<DrawCall> lines = p.canvas.horizontal_lines(S, X);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].colour, colours::red);
    EXPECT_EQ(lines[1].colour, colours::white);
    EXPECT_EQ(lines[2].colour, colours::white);
    EXPECT_EQ(lines[3].colour, colours::red);
    EXPECT_EQ(p.canvas.of_kind(CallKind::Triangle).size(), 2u);
}

TEST(DistanceColumn, NoRowsDrawOnlyThePanel)
{
    for (int height : {140, 136, 100}) {
        const Painted p = paint_column(dof_state(16), height);
        ASSERT_EQ(p.canvas.calls.size(), 1u) << height;
        EXPECT_EQ(p.canvas.calls[0].kind, CallKind::FillRect);
        EXPECT_EQ(p.canvas.calls[0].fill, colours::black);
    }
}

TEST(DistanceColumn, ScratchIsReusedOnceWarm)
{
    PaintScratch scratch;
    const std::span<double> a = scratch.row_blur(500);
    const std::span<uint8_t> b = scratch.strip(500);
    EXPECT_EQ(scratch.row_blur(300).data(), a.data());
    EXPECT_EQ(scratch.strip(500).data(), b.data());
    EXPECT_EQ(scratch.strip(300).size(), 300u * strip_stride);
    EXPECT_TRUE(scratch.row_blur(0).empty());
}

}  // namespace
