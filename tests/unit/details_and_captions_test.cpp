#include <gtest/gtest.h>

#include "display/captions.h"
#include "display/details_panel.h"
#include "support/fixed_measure.h"
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
    const ScaleGeometry g = layout();  // u = 5, line height 16, T = 100
    PanelText p;
    add(p, PanelSlot::Line, u"Hyperfocal: 35 ft");
    add(p, PanelSlot::Gap);
    add(p, PanelSlot::Line, u"Front: 5 in");
    add(p, PanelSlot::Hidden);
    add(p, PanelSlot::Line, u"Magnification: 1 : 23.4");
    RecordingCanvas c;
    draw_details(c, p, g);

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

TEST(DetailsPanel, LinesBelowTheWindowAreNotDrawn)
{
    const ScaleGeometry g = layout(400);
    PanelText p;
    for (int i = 0; i < 103; ++i)
        add(p, PanelSlot::Line, u"Focus Point");
    RecordingCanvas c;
    draw_details(c, p, g);
    const std::vector<DrawCall> texts = c.of_kind(CallKind::TextInRect);
    // Lines start at 100, 116, ... and the last one drawn starts above row 400.
    ASSERT_EQ(texts.size(), 19u);
    EXPECT_EQ(texts.back().rect.top, 388);
    // Past the panel's bottom (395) they still run on to the window's edge.
    EXPECT_GT(texts.back().rect.bottom, column(g, Column::Details).column.bottom);
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
    draw_captions(c, t, g);

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
    }
}

}  // namespace
