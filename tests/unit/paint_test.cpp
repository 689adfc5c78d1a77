#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "app/text_height.h"
#include "calc/recompute.h"
#include "display/mapping.h"
#include "display/paint.h"
#include "display/panel.h"
#include "support/allocation_counter.h"
#include "support/decimal_point.h"
#include "support/discarding_canvas.h"
#include "support/fixed_measure.h"
#include "support/hand_camera.h"
#include "support/recording_canvas.h"
#include "text/distance_text.h"
#include "text/panel_text.h"

namespace {

struct Frame {
    CalcState state;
    Camera camera = hand_default_camera();
    ScaleGeometry g;
    RecordingCanvas canvas;
};

Frame paint_mode(Mode mode, int width = 800, int height = 600, int images = 2, ScaleValue focus = ScaleValue::None,
                 bool portrait = false)
{
    Frame f;
    f.state.mode = mode;
    f.state.ni = images;
    recompute(f.state, f.camera, true);
    FixedMeasure measure(7);
    LayoutStyle style;
    style.page = style.portrait = portrait;
    layout_scales(f.g, measure, 16, width, height, design_dpi, style);
    PaintScratch scratch;
    paint(f.canvas, measure, f.state, f.camera, f.g, scratch, focus);
    return f;
}

struct Line {
    Colour colour;
    bool triangle;
};

/// The distance lines across the strip, top to bottom of the drawing order, with whether a
/// triangle on the scale line follows each.
std::vector<Line> distance_lines(const Frame& f)
{
    std::vector<Line> out;
    const int S = f.g.strip_left, X = f.g.distance_line_x;
    const auto& calls = f.canvas.calls;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const DrawCall& c = calls[i];
        if (c.kind != CallKind::Line || c.a.x != S || c.b.x != X || c.a.y != c.b.y)
            continue;
        const bool triangle = i + 1 < calls.size() && calls[i + 1].kind == CallKind::Triangle &&
                              calls[i + 1].c == Point{X, c.a.y} && calls[i + 1].fill == c.colour;
        out.push_back({c.colour, triangle});
    }
    return out;
}

/// The marker triangle of a column: tip at scale left + 8.
std::vector<DrawCall> markers(const Frame& f, Column column_of)
{
    const int left = column(f.g, column_of).scale.left;
    std::vector<DrawCall> out;
    for (const DrawCall& c : f.canvas.of_kind(CallKind::Triangle))
        if (c.a.x == left && c.c.x == left + 8)
            out.push_back(c);
    return out;
}

TEST(Paint, DefaultStateLines)
{
    const Frame f = paint_mode(Mode::DepthOfField);
    const CalcState& s = f.state;
    const Rect& scale = column(f.g, Column::Distance).scale;
    const int S = f.g.strip_left;
    struct Expected {
        double distance;
        Colour colour;
    } table[] = {{s.hyperfocal, colours::teal}, {s.near, colours::red}, {s.far, colours::red}, {s.focus_at, colours::green}};
    const std::vector<DrawCall> lines = f.canvas.horizontal_lines(S, S + 65);
    ASSERT_EQ(lines.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(lines[i].a.y, distance_row(s, scale, table[i].distance)) << i;
        EXPECT_EQ(lines[i].colour, table[i].colour) << i;
    }
    EXPECT_EQ(f.g.focus_row, lines[3].a.y);
    EXPECT_EQ(f.g.near_row, lines[1].a.y);
    EXPECT_EQ(f.g.far_row, lines[2].a.y);
    // The far end of the window is infinity: the top tick carries the sign.
    ASSERT_LT(s.maxblur_far, 0);
    const std::vector<DrawCall> infinity = f.canvas.texts(u"\uF0A5");
    ASSERT_EQ(infinity.size(), 1u);
    EXPECT_EQ(infinity[0].a, (Point{f.g.distance_line_x + 12, scale.top - 8}));
    // At maxblur 16 the ends lie just above 16 CoCs, so only even contour levels carry labels.
    std::vector<std::u16string> contour;
    for (const DrawCall& t : f.canvas.of_kind(CallKind::Text))
        if (t.a.x > column(f.g, Column::Distance).column.left && t.a.x < S && t.text.find(u'.') == std::u16string::npos)
            contour.push_back(t.text);
    EXPECT_EQ(contour.size(), 12u);  // 2 .. 16 below the focus, 2 .. 8 above it
    for (const std::u16string& label : contour)
        EXPECT_EQ((label.back() - u'0') % 2, 0) << std::string(label.begin(), label.end());
}

TEST(Paint, LinesTrianglesAndMarkersPerMode)
{
    const Colour red = colours::red, green = colours::green, white = colours::white, teal = colours::teal;
    const struct {
        Mode mode;
        int images;
        std::vector<Line> lines;
        Colour aperture_marker;
        Colour blur_marker;
    } table[] = {
        {Mode::DepthOfField, 2, {{teal, false}, {red, false}, {red, false}, {green, true}}, red, red},
        {Mode::BestFStop, 2, {{teal, false}, {red, true}, {red, true}, {green, false}}, white, white},
        {Mode::FocusStacking, 2, {{red, true}, {red, true}}, white, white},
        {Mode::FocusStacking, 5, {{red, true}, {white, false}, {white, false}, {white, false}, {red, true}}, white, white},
        {Mode::Blur, 2, {{red, true}, {green, true}}, red, white},
        {Mode::Macro, 2, {{white, false}, {white, false}, {green, false}}, red, red},
    };
    for (const auto& t : table) {
        SCOPED_TRACE(static_cast<int>(t.mode) * 100 + t.images);
        const Frame f = paint_mode(t.mode, 800, 600, t.images);
        const std::vector<Line> lines = distance_lines(f);
        ASSERT_EQ(lines.size(), t.lines.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].colour, t.lines[i].colour) << i;
            EXPECT_EQ(lines[i].triangle, t.lines[i].triangle) << i;
        }
        const std::vector<DrawCall> lens = markers(f, Column::Lens);
        ASSERT_EQ(lens.size(), 1u);
        EXPECT_EQ(lens[0].fill, red);
        // The zoom window is centred on the value: the marker sits on the middle row.
        EXPECT_NEAR(lens[0].c.y, fraction_to_y(0.5, column(f.g, Column::Lens).scale), 1);
        const std::vector<DrawCall> aperture = markers(f, Column::Aperture);
        ASSERT_EQ(aperture.size(), 1u);
        EXPECT_EQ(aperture[0].fill, t.aperture_marker);
        const std::vector<DrawCall> blur = markers(f, Column::Blur);
        ASSERT_EQ(blur.size(), 1u);
        EXPECT_EQ(blur[0].fill, t.blur_marker);
    }
}

TEST(Paint, ALineTheUserDragsStaysOnTheScaleWhenItsValueIsBeyondIt)
{
    // Each case puts a dragged line's value outside the distance window; the line is drawn, with
    // its triangle, on the scale's edge, and that is where a press finds it.
    const struct {
        const char* what;
        Mode mode;
        double CalcState::*field;
        double value;
        bool at_top;
        int ScaleGeometry::*row;
    } cases[] = {
        {"object at infinity", Mode::Blur, &CalcState::blur_distance, -1, true, &ScaleGeometry::near_row},
        {"object right at the lens", Mode::Blur, &CalcState::blur_distance, 60, false, &ScaleGeometry::near_row},
        {"far limit beyond", Mode::BestFStop, &CalcState::far_limit, 1e8, true, &ScaleGeometry::far_row},
        {"near limit below", Mode::BestFStop, &CalcState::near_limit, 101, false, &ScaleGeometry::near_row},
    };
    for (const auto& c : cases) {
        Frame f;
        f.state.mode = c.mode;
        f.state.focal_length = 300;
        f.state.f_stop = 2;
        f.state.focus_at = 2000;
        f.state.near_limit = 1900;
        f.state.far_limit = 2100;
        f.state.maxblur = 0.5;
        recompute(f.state, f.camera, true);
        f.state.*c.field = c.value;  // moved after the window was set, as a drag does
        recompute(f.state, f.camera, false);
        FixedMeasure measure(7);
        layout_scales(f.g, measure, 16, 800, 600);
        PaintScratch scratch;
        paint(f.canvas, measure, f.state, f.camera, f.g, scratch);
        const Rect scale = column(f.g, Column::Distance).scale;
        const int edge = c.at_top ? scale.top : scale.bottom;
        EXPECT_EQ(f.g.*c.row, edge) << c.what;
        bool red_triangle = false;
        for (const DrawCall& t : f.canvas.of_kind(CallKind::Triangle))
            red_triangle = red_triangle || (t.c == Point{f.g.distance_line_x, edge} && t.fill == colours::red);
        EXPECT_TRUE(red_triangle) << c.what;
    }
}

TEST(Paint, ARecentredValueSitsExactlyOnTheMiddleRowOfItsScale)
{
    // The lens and blur windows are centred on their values by every recompute with re-centring;
    // the marker must land on the middle row itself, for scales of odd and even height alike (with
    // extra precision in a register, odd heights put it one row low).
    for (const Mode mode : {Mode::DepthOfField, Mode::Macro}) {
        for (int height = 400; height <= 420; ++height) {
            SCOPED_TRACE(static_cast<int>(mode) * 10000 + height);
            const Frame f = paint_mode(mode, 640, height);
            for (const Column c : {Column::Lens, Column::Blur}) {
                const std::vector<DrawCall> marker = markers(f, c);
                ASSERT_EQ(marker.size(), 1u);
                EXPECT_EQ(marker[0].c.y, fraction_to_y(0.5, column(f.g, c).scale)) << static_cast<int>(c);
            }
        }
    }
}

TEST(Paint, MacroLinesLieSymmetricallyAboutTheFocusLine)
{
    const Frame f = paint_mode(Mode::Macro);
    const std::vector<DrawCall> lines = f.canvas.horizontal_lines(f.g.strip_left, f.g.distance_line_x);
    ASSERT_EQ(lines.size(), 3u);
    const int centre = lines[2].a.y;
    EXPECT_EQ(centre, f.g.focus_row);
    EXPECT_NEAR(lines[0].a.y - centre, centre - lines[1].a.y, 1);
    EXPECT_GT(lines[0].a.y, centre);
}

TEST(Paint, PanelsInPaintOrderOverTheBackground)
{
    const Frame f = paint_mode(Mode::DepthOfField);
    std::vector<Rect> panels;
    std::size_t last_grey = 0;
    for (std::size_t i = 0; i < f.canvas.calls.size(); ++i) {
        const DrawCall& c = f.canvas.calls[i];
        if (c.kind != CallKind::FillRect)
            continue;
        if (c.fill == colours::dark_grey)
            last_grey = i;
        else if (c.fill == colours::black)
            panels.push_back(c.rect);
    }
    ASSERT_EQ(panels.size(), 5u);
    for (int i = 0; i < column_count; ++i) {
        const Rect& outer = f.g.columns[i].column;
        EXPECT_EQ(panels[i], (Rect{outer.left, f.g.panel_top, outer.right, outer.bottom})) << i;
    }
    // The background comes first; captions come last.
    EXPECT_LT(last_grey, 10u);
    EXPECT_EQ(f.canvas.calls.back().kind, CallKind::TextInRect);
    EXPECT_EQ(f.canvas.calls.back().rect, column(f.g, Column::Blur).value);
}

TEST(Paint, TheFocusCueRingsItsColumnAndMarksItsLineWithoutCoveringAPanel)
{
    constexpr Colour light = focus_cue_colour;
    const struct {
        Mode mode;
        ScaleValue focus;
        Column column;
        int bars;  // a distance line is marked by a bar on either side of its row
    } cases[] = {
        {Mode::DepthOfField, ScaleValue::Lens, Column::Lens, 0},
        {Mode::DepthOfField, ScaleValue::Aperture, Column::Aperture, 0},
        {Mode::DepthOfField, ScaleValue::Focus, Column::Distance, 2},
        {Mode::DepthOfField, ScaleValue::BlurThreshold, Column::Blur, 0},
        {Mode::FocusStacking, ScaleValue::FarLimit, Column::Distance, 2},
        {Mode::BestFStop, ScaleValue::NearLimit, Column::Distance, 2},
        {Mode::Blur, ScaleValue::Object, Column::Distance, 2},
    };
    for (const auto& [width, height] : {std::pair{800, 600}, {640, 400}, {1600, 1000}}) {
        for (const auto& c : cases) {
            const Frame f = paint_mode(c.mode, width, height, 2, c.focus);
            std::vector<Rect> cue;
            for (const DrawCall& call : f.canvas.of_kind(CallKind::FillRect))
                if (call.fill == light)
                    cue.push_back(call.rect);
            ASSERT_EQ(cue.size(), 4u + c.bars) << width << " " << static_cast<int>(c.focus);
            const Rect p = panel_rect(f.g, c.column);
            EXPECT_EQ(cue[0], (Rect{p.left - 2, p.top - 2, p.right + 2, p.top}));  // two pixels wide
            EXPECT_EQ(cue[3], (Rect{p.right, p.top - 2, p.right + 2, p.bottom + 2}));
            for (const Rect& r : cue) {
                EXPECT_GE(r.left, 0);
                EXPECT_LE(r.right, width);
                for (int i = 0; i < column_count; ++i) {
                    const Rect q = panel_rect(f.g, static_cast<Column>(i));
                    const bool overlap = r.left < q.right && q.left < r.right && r.top < q.bottom && q.top < r.bottom;
                    EXPECT_FALSE(overlap) << "the cue covers panel " << i << " at " << width;
                }
            }
            if (c.bars == 2) {
                const int row = c.focus == ScaleValue::FarLimit ? f.g.far_row
                                : c.focus == ScaleValue::Focus  ? f.g.focus_row
                                                                : f.g.near_row;
                EXPECT_EQ(cue[4].top, row - 1);
                EXPECT_EQ(cue[5].top, row - 1);
            }
        }
    }
    const Frame none = paint_mode(Mode::DepthOfField);
    for (const DrawCall& call : none.canvas.of_kind(CallKind::FillRect))
        EXPECT_NE(call.fill, light) << "no cue without a focus";
}

TEST(Paint, BackgroundAndPanelsCoverTheClientOnce)
{
    // Side by side, and in portrait (the details panel below the scales) on phones.
    for (const auto& [width, height, portrait] : {std::tuple{800, 600, false}, {640, 400, false}, {1920, 2160, false},
                                                  {500, 450, false}, {390, 844, true}, {320, 568, true}}) {
        const Frame f = paint_mode(Mode::DepthOfField, width, height, 2, ScaleValue::None, portrait);
        std::vector<int> cover(static_cast<std::size_t>(width) * height, 0);
        for (const DrawCall& c : f.canvas.of_kind(CallKind::FillRect)) {
            if (c.fill != colours::dark_grey && c.fill != colours::black)
                continue;
            for (int y = std::max(c.rect.top, 0); y < std::min(c.rect.bottom, height); ++y)
                for (int x = std::max(c.rect.left, 0); x < std::min(c.rect.right, width); ++x)
                    ++cover[static_cast<std::size_t>(y) * width + x];
        }
        EXPECT_EQ(std::count(cover.begin(), cover.end(), 1), static_cast<long>(cover.size())) << width << "x" << height;
    }
}

TEST(Paint, CaptionAndPanelTextsAtTheirRectangles)
{
    const Frame f = paint_mode(Mode::DepthOfField);
    const auto find = [&](std::u16string_view text) {
        for (const DrawCall& c : f.canvas.of_kind(CallKind::TextInRect))
            if (c.text == text)
                return c;
        ADD_FAILURE() << "no text " << std::string(text.begin(), text.end());
        return DrawCall{};
    };
    const ColumnGeometry& lens = column(f.g, Column::Lens);
    const ColumnGeometry& distance = column(f.g, Column::Distance);
    EXPECT_EQ(find(u"lens").rect, lens.name);
    EXPECT_EQ(find(u"50 mm").rect, lens.value);
    EXPECT_EQ(find(u"f/8").rect, column(f.g, Column::Aperture).value);
    EXPECT_EQ(find(u"near").align, TextAlign::Left);
    EXPECT_EQ(find(u"far").rect, distance.name);
    EXPECT_EQ(find(u"4 ft").rect, distance.value);
    EXPECT_EQ(find(u"4 ft").align, TextAlign::Centre);
    EXPECT_EQ(find(format_distance(f.state, f.state.near).view()).align, TextAlign::Left);
    EXPECT_EQ(find(u"details").rect, column(f.g, Column::Details).name);

    // The panel lines start at the column top, one line height apart, a margin more after a gap.
    PanelText panel;
    panel_text(f.state, f.camera, panel);
    const ColumnGeometry& details = column(f.g, Column::Details);
    int y = details.column.top;
    int drawn = 0;
    for (int i = 0; i < panel.count; ++i) {
        const PanelLine& line = panel.lines[static_cast<std::size_t>(i)];
        if (line.slot == PanelSlot::Gap) {
            y += f.g.u;
            continue;
        }
        if (line.slot == PanelSlot::Line) {
            const DrawCall c = find(line.text.view());
            EXPECT_EQ(c.rect, (Rect{details.column.left + 2 * f.g.u, y, details.scale.right - 2 * f.g.u, y + 16}));
            ++drawn;
        }
        y += f.g.line_height;
    }
    EXPECT_EQ(drawn, 10);
}

TEST(Paint, NoScaleRowsDrawOnlyPanelsDetailsAndCaptions)
{
    const Frame f = paint_mode(Mode::DepthOfField, 800, 130);
    for (const DrawCall& c : f.canvas.calls) {
        EXPECT_TRUE(c.kind == CallKind::FillRect || c.kind == CallKind::TextInRect) << static_cast<int>(c.kind);
        if (c.kind != CallKind::TextInRect)
            continue;
        EXPECT_TRUE(c.rect.left >= column(f.g, Column::Details).column.left || c.rect.bottom <= f.g.column_top);
    }
    EXPECT_EQ(f.canvas.of_kind(CallKind::Image).size(), 0u);
}

/// A state for the scale tests: a mode, a unit and the inputs that set the scale windows.
struct ScaleCase {
    const char* name;
    Mode mode;
    DistanceUnit units;
    double focal_length;
    double f_stop;
    double focus_at;
    double blur_threshold = 1;
    double maxblur = 16;
};

Frame paint_case(const ScaleCase& c, int width, int height, TextMeasure& measure)
{
    Frame f;
    f.state.mode = c.mode;
    f.state.units = c.units;
    f.state.macro_units = c.units;
    f.state.snap = 0;
    f.state.focal_length = c.focal_length;
    f.state.f_stop = c.f_stop;
    f.state.focus_at = c.focus_at;
    f.state.blur_threshold = c.blur_threshold;
    f.state.maxblur = c.maxblur;
    recompute(f.state, f.camera, true);
    choose_text_height(f.g, measure, width, height);
    PaintScratch scratch;
    paint(f.canvas, measure, f.state, f.camera, f.g, scratch);
    return f;
}

const ScaleCase scale_cases[] = {
    {"default", Mode::DepthOfField, DistanceUnit::Foot, 50, 8, 1219.2},
    {"long lens", Mode::DepthOfField, DistanceUnit::Millimetre, 5000, 8, 500000},
    {"short lens", Mode::DepthOfField, DistanceUnit::Metre, 10, 8, 300},
    {"blur up to 1000", Mode::DepthOfField, DistanceUnit::Millimetre, 50, 8, 1219.2, 400},
    {"blur mode", Mode::Blur, DistanceUnit::Centimetre, 135, 2, 5000, 1, 60},
    {"macro field width", Mode::Macro, DistanceUnit::Millimetre, 100, 11, 300},
    {"600 mm at 200 m in mm", Mode::DepthOfField, DistanceUnit::Millimetre, 600, 4, 200000},
};

TEST(Paint, EveryScaleLabelIsDrawnWholeInItsColumn)
{
    ProportionalMeasure measure;
    int frames = 0;
    for (const ScaleCase& c : scale_cases) {
        for (const auto& [width, height] : {std::pair{300, 420}, {640, 480}, {800, 600}, {1000, 700},
                                           {1200, 800}, {1600, 1000}}) {
            const Frame f = paint_case(c, width, height, measure);
            ++frames;
            int labels = 0;
            for (const DrawCall& t : f.canvas.of_kind(CallKind::Text)) {
                const Rect box{t.a.x, t.a.y, t.a.x + measure.text_width(f.g.text_height, t.text),
                               t.a.y + f.g.line_height};
                const std::string where = std::string(c.name) + " at " + std::to_string(width) + " x " +
                                          std::to_string(height) + ": " + std::string(t.text.begin(), t.text.end());
                if (t.has_clip) {
                    EXPECT_TRUE(t.clip.left <= box.left && box.right <= t.clip.right && t.clip.top <= box.top &&
                                box.bottom <= t.clip.bottom)
                        << where << " is cut by the clip";
                }
                // Inside the black panel of one column.
                bool inside = false;
                for (int i = 0; i < column_count; ++i) {
                    const Rect p = panel_rect(f.g, static_cast<Column>(i));
                    inside = inside || (p.left <= box.left && box.right <= p.right && p.top <= box.top &&
                                        box.bottom <= p.bottom);
                }
                EXPECT_TRUE(inside) << where << " leaves its column";
                ++labels;
            }
            EXPECT_GT(labels, 10) << c.name;
        }
    }
    EXPECT_EQ(frames, 42);
}

TEST(Paint, FarDistancesAreLabelledInEveryUnit)
{
    // 600 mm at f/4 focused at 200 m, and farther: the distance scale has round values and labels.
    FixedMeasure measure(7);
    for (const double focus : {200000.0, 2000000.0, 50000000.0}) {
        for (int unit = 0; unit < distance_unit_count; ++unit) {
            const ScaleCase c{"far", Mode::DepthOfField, static_cast<DistanceUnit>(unit), 600, 4, focus};
            const Frame f = paint_case(c, 800, 380, measure);  // text below 19 pixels: lines at 1x
            const int line_x = f.g.distance_line_x;
            int labels = 0;
            for (const DrawCall& t : f.canvas.of_kind(CallKind::Text))
                if (t.a.x == line_x + 12 && t.font == FontKind::Text)
                    ++labels;
            EXPECT_GE(labels, 3) << focus << " mm in unit " << unit;
            EXPECT_GE(f.canvas.horizontal_lines(line_x, line_x + 10).size(), 4u) << focus << " mm in unit " << unit;
        }
    }
}

TEST(Paint, ApertureLabelsOnWholeStopsWithTheDecimalPointInUse)
{
    const struct {
        FStopIncrement increment;
        char16_t point;
        std::vector<std::u16string> labels;
    } table[] = {
        {FStopIncrement::HalfStop, u'.', {u"0.7", u"1", u"1.4", u"2", u"2.8", u"4", u"5.6", u"8", u"11", u"16",
                                          u"22", u"32", u"45", u"64", u"90", u"128"}},
        {FStopIncrement::ThirdStop, u',', {u"0,7", u"1", u"1,4", u"2", u"2,8", u"4", u"5,6", u"8", u"11", u"16",
                                           u"22", u"32", u"45", u"64", u"90", u"128"}},
        {FStopIncrement::HalfStop, u',', {u"0,7", u"1", u"1,4", u"2", u"2,8", u"4", u"5,6", u"8", u"11", u"16",
                                          u"22", u"32", u"45", u"64", u"90", u"128"}},
    };
    for (const auto& t : table) {
        const DecimalPoint point(t.point);
        Frame f;
        f.state.f_stop_increment = t.increment;
        recompute(f.state, f.camera, true);
        FixedMeasure measure(7);
        layout_scales(f.g, measure, 16, 800, 600);
        PaintScratch scratch;
        paint(f.canvas, measure, f.state, f.camera, f.g, scratch);
        const int x = column(f.g, Column::Aperture).scale.left + 22;
        std::vector<std::pair<int, std::u16string>> drawn;  // bottom first
        for (const DrawCall& c : f.canvas.of_kind(CallKind::Text))
            if (c.a.x == x)
                drawn.emplace_back(-c.a.y, c.text);
        std::sort(drawn.begin(), drawn.end());
        std::vector<std::u16string> labels;
        for (const auto& [row, text] : drawn)
            labels.push_back(text);
        EXPECT_EQ(labels, t.labels) << static_cast<int>(t.increment) << " " << static_cast<char>(t.point);
    }
}

TEST(Paint, WarmFramesAllocateNothing)
{
    for (const bool portrait : {false, true})
    for (Mode mode : {Mode::DepthOfField, Mode::FocusStacking, Mode::Macro}) {
        CalcState s;
        s.mode = mode;
        s.ni = 100;
        const Camera camera = hand_default_camera();
        recompute(s, camera, true);
        FixedMeasure measure;
        ScaleGeometry g;
        LayoutStyle style;
        style.page = style.portrait = portrait;
        layout_scales(g, measure, 16, portrait ? 390 : 1920, portrait ? 844 : 2160, design_dpi, style);
        PaintScratch scratch;
        RecordingCanvas warm_up;
        paint(warm_up, measure, s, camera, g, scratch);
        DiscardingCanvas null;
        const long before = allocation_count();
        paint(null, measure, s, camera, g, scratch);
        EXPECT_EQ(allocation_count(), before) << static_cast<int>(mode);
    }
}

}  // namespace
