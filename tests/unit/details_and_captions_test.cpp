#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/text_height.h"
#include "calc/recompute.h"
#include "display/captions.h"
#include "display/details_panel.h"
#include "support/fixed_measure.h"
#include "support/hand_camera.h"
#include "support/recording_canvas.h"

namespace {

ScaleGeometry layout(int height = 600)
{
    FixedMeasure measure(7);
    ScaleGeometry g;
    layout_scales(g, measure, 16, 700, height);
    return g;
}

void add(PanelText& p, PanelSlot slot, std::u16string_view text = {})
{
    PanelLine& line = p.lines[static_cast<std::size_t>(p.count++)];
    line.slot = slot;
    line.text = format(text);
}

TEST(DetailsPanel, LinesGapsAndHiddenSlots)
{
    ScaleGeometry g = layout();  // u = 5, line height 16, T = 100
    FixedMeasure measure(7);
    PanelText p;
    add(p, PanelSlot::Line, u"Hyperfocal: 35 ft");
    add(p, PanelSlot::Gap);
    add(p, PanelSlot::Line, u"Front: 5 in");
    add(p, PanelSlot::Hidden);
    add(p, PanelSlot::Line, u"Magnification: 1 : 23.4");
    RecordingCanvas c;
    draw_details(c, measure, p, g);

    const ColumnGeometry& d = column(g, Column::Details);
    ASSERT_EQ(c.calls.size(), 4u);
    EXPECT_EQ(c.calls[0].kind, CallKind::FillRect);
    EXPECT_EQ(c.calls[0].rect, (Rect{d.column.left, g.panel_top, d.column.right, d.column.bottom}));
    EXPECT_EQ(c.calls[0].fill, colours::black);
    const int left = d.column.left + 10, right = d.scale.right - 10;
    const struct {
        int top;
        std::u16string_view text;
    } expected[] = {{100, u"Hyperfocal: 35 ft"}, {121, u"Front: 5 in"}, {153, u"Magnification: 1 : 23.4"}};
    for (int i = 0; i < 3; ++i) {
        const DrawCall& t = c.calls[static_cast<std::size_t>(i + 1)];
        EXPECT_EQ(t.kind, CallKind::TextInRect);
        EXPECT_EQ(t.rect, (Rect{left, expected[i].top, right, expected[i].top + 16})) << i;
        EXPECT_EQ(t.text, expected[i].text);
        EXPECT_EQ(t.align, TextAlign::Left);
        EXPECT_EQ(t.colour, colours::white);
    }
}

TEST(DetailsPanel, LinesThatDoNotFitShowWholeRowsFromTheFirstBesideAScrollBar)
{
    ScaleGeometry g = layout(400);  // the column from 100 to 395: 18 rows of 16
    FixedMeasure measure(7);
    PanelText p;
    for (int i = 0; i < 103; ++i)
        add(p, PanelSlot::Line, i == 40 ? u"Focus Point 40" : u"Focus Point");
    g.details.first = 40;
    RecordingCanvas c;
    draw_details(c, measure, p, g);
    const std::vector<DrawCall> texts = c.of_kind(CallKind::TextInRect);
    ASSERT_EQ(texts.size(), 18u);
    EXPECT_EQ(texts.front().text, u"Focus Point 40");
    EXPECT_EQ(texts.back().rect.bottom, 100 + 18 * 16);
    const Rect& d = column(g, Column::Details).column;
    const std::vector<DrawCall> bar = c.of_kind(CallKind::FillRect);  // the panel, the track and the thumb
    ASSERT_EQ(bar.size(), 3u);
    EXPECT_EQ(bar[1].rect, (Rect{d.right - 15, 100, d.right - 10, d.bottom - 5}));
    EXPECT_EQ(bar[2].rect, (Rect{d.right - 15, 100 + 290 * 40 / 103, d.right - 10, 100 + 290 * 58 / 103}));
}

TEST(Captions, TextsAtTheirRectanglesAndAlignments)
{
    const ScaleGeometry g = layout();
    CaptionTexts t;
    t.name[int(Column::Lens)][int(CaptionPlace::Centre)] = format(u"lens");
    t.value[int(Column::Lens)][int(CaptionPlace::Centre)] = format(u"50 mm");
    t.name[int(Column::Distance)][int(CaptionPlace::Left)] = format(u"near");
    t.name[int(Column::Distance)][int(CaptionPlace::Centre)] = format(u"distance");
    t.name[int(Column::Distance)][int(CaptionPlace::Right)] = format(u"far");
    t.value[int(Column::Distance)][int(CaptionPlace::Right)] = format(u"4.5 ft");
    RecordingCanvas c;
    FixedMeasure measure(7);
    draw_captions(c, measure, t, g);

    const struct {
        Rect rect;
        std::u16string_view text;
        TextAlign align;
    } expected[] = {
        {column(g, Column::Lens).name, u"lens", TextAlign::Centre},
        {column(g, Column::Distance).name, u"near", TextAlign::Left},
        {column(g, Column::Distance).name, u"distance", TextAlign::Centre},
        {column(g, Column::Distance).name, u"far", TextAlign::Right},
        {column(g, Column::Lens).value, u"50 mm", TextAlign::Centre},
        {column(g, Column::Distance).value, u"4.5 ft", TextAlign::Right},
    };
    ASSERT_EQ(c.calls.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(c.calls[i].kind, CallKind::TextInRect);
        EXPECT_EQ(c.calls[i].rect, expected[i].rect) << i;
        EXPECT_EQ(c.calls[i].text, expected[i].text) << i;
        EXPECT_EQ(c.calls[i].align, expected[i].align) << i;
        EXPECT_EQ(c.calls[i].colour, colours::white);
        EXPECT_EQ(c.calls[i].text_height, 16) << i;
    }
}

/// A state of the caption tests: a mode, a unit and the inputs that set the distances shown.
struct CaptionCase {
    const char* name;
    Mode mode;
    DistanceUnit units;
    double focal_length;
    double f_stop;
    double focus_at;
    double near_limit = 914.4;
    double far_limit = 1828.8;
    int images = 2;
};

CalcState caption_state(const CaptionCase& c)
{
    CalcState s;
    s.mode = c.mode;
    s.units = c.units;
    s.macro_units = c.units;
    s.snap = 0;
    s.focal_length = c.focal_length;
    s.f_stop = c.f_stop;
    s.focus_at = c.focus_at;
    s.blur_distance = c.focus_at * 1.7;
    s.near_limit = c.near_limit;
    s.far_limit = c.far_limit;
    s.ni = c.images;
    recompute(s, hand_default_camera(), true);
    return s;
}

/// Where a caption text lies across the line, as the platform places it in its rectangle.
struct Span {
    int left;
    int right;
};

Span span_of(const DrawCall& t, int width)
{
    const int room = t.rect.right - t.rect.left;
    switch (t.align) {
    case TextAlign::Left: return {t.rect.left, t.rect.left + width};
    case TextAlign::Centre: return {t.rect.left + (room - width) / 2, t.rect.left + (room - width) / 2 + width};
    case TextAlign::Right: return {t.rect.right - width, t.rect.right};
    }
    return {};
}

TEST(Captions, NeverOverlapOrLeaveTheirRectangleAtAnyWindowSize)
{
    const CaptionCase cases[] = {
        {"dof 800 mm", Mode::DepthOfField, DistanceUnit::Millimetre, 50, 8, 800},
        {"dof far mm", Mode::DepthOfField, DistanceUnit::Millimetre, 600, 4, 200000},
        {"dof near cm", Mode::DepthOfField, DistanceUnit::Centimetre, 105, 2.8, 1234.5},
        {"dof inch", Mode::DepthOfField, DistanceUnit::Inch, 85, 1.4, 3333},
        {"dof feet", Mode::DepthOfField, DistanceUnit::Foot, 24, 11, 2500},
        {"best f-stop mm", Mode::BestFStop, DistanceUnit::Millimetre, 90, 8, 1000, 7654.3, 8765.4},
        {"stack mm", Mode::FocusStacking, DistanceUnit::Millimetre, 100, 8, 400, 300, 600, 5},
        {"stack one image", Mode::FocusStacking, DistanceUnit::Millimetre, 100, 8, 400, 3003, 3006, 1},
        {"stack 100 images yd", Mode::FocusStacking, DistanceUnit::Yard, 200, 5.6, 4000, 1234.5, 98765.4, 100},
        {"blur mm", Mode::Blur, DistanceUnit::Millimetre, 50, 2, 7777},
        {"macro mm", Mode::Macro, DistanceUnit::Millimetre, 100, 16, 300},
        {"macro inch", Mode::Macro, DistanceUnit::Inch, 65, 5.6, 150},
    };
    ProportionalMeasure measure;
    int layouts = 0, smaller = 0;
    for (const CaptionCase& c : cases) {
        const CalcState s = caption_state(c);
        CaptionTexts texts;
        caption_texts(s, texts);
        for (int width = 300; width <= 1600; width += 50) {
            for (int height : {420, 700, 1000}) {
                ScaleGeometry g;
                choose_text_height(g, measure, width, height);
                RecordingCanvas canvas;
                draw_captions(canvas, measure, texts, g);
                ++layouts;
                const std::vector<DrawCall> drawn = canvas.of_kind(CallKind::TextInRect);
                for (std::size_t i = 0; i < drawn.size(); ++i) {
                    const DrawCall& t = drawn[i];
                    const std::string where = std::string(c.name) + " at " + std::to_string(width) + " x " +
                                              std::to_string(height) + ": " + std::string(t.text.begin(), t.text.end());
                    ASSERT_GE(t.text_height, std::min(g.smallest_text, g.text_height)) << where;
                    ASSERT_LE(t.text_height, g.text_height) << where;
                    if (t.text_height < g.text_height)
                        ++smaller;
                    const Span a = span_of(t, measure.text_width(t.text_height, t.text));
                    ASSERT_GE(a.left, t.rect.left) << where;
                    ASSERT_LE(a.right, t.rect.right) << where;
                    // Whole within its line, from top to bottom.
                    const bool name_line = t.rect.bottom == g.value_line_top;
                    ASSERT_GE(t.rect.top, name_line ? g.name_line_top : g.value_line_top) << where;
                    ASSERT_LE(t.rect.top + measure.line_height(t.text_height), t.rect.bottom) << where;
                    for (std::size_t k = i + 1; k < drawn.size(); ++k) {
                        const DrawCall& o = drawn[k];
                        if (o.rect.left != t.rect.left || o.rect.bottom != t.rect.bottom)
                            continue;  // another line
                        ASSERT_EQ(o.text_height, t.text_height) << where << " / a line drawn at one height";
                        const Span b = span_of(o, measure.text_width(o.text_height, o.text));
                        // At least a space's width between neighbours.
                        const int space = measure.text_width(t.text_height, u" ");
                        ASSERT_TRUE(a.right + space <= b.left || b.right + space <= a.left)
                            << where << " runs into " << std::string(o.text.begin(), o.text.end());
                    }
                }
            }
        }
    }
    EXPECT_EQ(layouts, 12 * 27 * 3);
    EXPECT_GT(smaller, 0);  // some lines only fit smaller: the large windows
}

TEST(Captions, ALineIsMadeSmallerOnlyAsFarAsItMustBe)
{
    // "7470.5 mm", "8000.5 mm" and "8610.5 mm" at a large text height: the largest height that fits.
    ProportionalMeasure measure;
    ScaleGeometry g;
    layout_scales(g, measure, 40, 1600, 1000);
    Text256 line[caption_place_count] = {format(u"7470.5 mm"), format(u"8000.5 mm"), format(u"8610.5 mm")};
    const Rect r = column(g, Column::Distance).value;
    const int width = r.right - r.left;
    const int height = caption_line_height(measure, line, width, g.u, g);
    ASSERT_LT(height, 40);
    const auto fits = [&](int h) {
        const int l = measure.text_width(h, line[0].view()), c = measure.text_width(h, line[1].view()),
                  rr = measure.text_width(h, line[2].view());
        return l + g.u <= (width - c) / 2 && (width - c) / 2 + c + g.u <= width - rr;
    };
    EXPECT_TRUE(fits(height));
    EXPECT_FALSE(fits(height + 1));
    // Texts that fit stay at the layout's height, and a short line is left alone.
    Text256 name[caption_place_count] = {format(u"near"), format(u"distance"), format(u"far")};
    EXPECT_EQ(caption_line_height(measure, name, width, g.u, g), 40);
}

}  // namespace
