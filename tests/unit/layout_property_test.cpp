// The layout's promise, checked on the recording canvas over a grid of client sizes (from the
// smallest client to 3840 x 2160, at aspect ratios from 5:1 to 1:3) x screen densities x states
// of every mode: no two texts of a column overlap, every text lies whole inside its column and
// its clip, none is smaller than the screen's readable minimum, and every details line is shown
// or can be scrolled to. The page's layouts keep it on phones upright and on their side, tablets and
// narrow windows, with and without touch, and besides: nothing is cut from 320 CSS pixels across, a
// phone held upright gets the portrait layout whole at a comfortable text height, and the toolbars
// lie inside the client, apart, over no text, finger-sized for fingers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "app/text_height.h"
#include "app/toolbar_layout.h"
#include "calc/recompute.h"
#include "display/paint.h"
#include "display/panel.h"
#include "support/fixed_measure.h"
#include "support/hand_camera.h"
#include "support/recording_canvas.h"

namespace {

struct LayoutState {
    const char* name;
    Mode mode;
    DistanceUnit units;
    double focal_length, f_stop, focus_at;
    int images = 2;
    double near_limit = 3000, far_limit = 6000, fov = 20;
    FStopIncrement increment = FStopIncrement::HalfStop;
};

using M = Mode;
using U = DistanceUnit;
const LayoutState layout_states[] = {
    {"depth of field in ft", M::DepthOfField, U::Foot, 50, 8, 1219.2},
    {"600 mm at 200 m in mm", M::DepthOfField, U::Millimetre, 600, 4, 200000},
    {"24 mm in yards, third stops", M::DepthOfField, U::Yard, 24, 11, 2500, 2, 3000, 6000, 20, FStopIncrement::ThirdStop},
    {"best f-stop in mm", M::BestFStop, U::Millimetre, 90, 8, 1000, 2, 7654.3, 8765.4},
    {"100 images in mm", M::FocusStacking, U::Millimetre, 100, 8, 400, 100, 300, 98765.4},
    {"100 images to infinity in yards", M::FocusStacking, U::Yard, 200, 5.6, 4000, 100, 1234.5, -1},
    {"30 images in cm", M::FocusStacking, U::Centimetre, 60, 11, 400, 30, 250, 900},
    {"blur in cm", M::Blur, U::Centimetre, 135, 2, 5000},
    {"macro at 18 : 1 in mm", M::Macro, U::Millimetre, 100, 16, 300, 2, 3000, 6000, 2},
    {"macro at 1 : 40 in inches", M::Macro, U::Inch, 65, 5.6, 150, 2, 3000, 6000, 1440},
    {"100 mm at 0.5 m", M::DepthOfField, U::Metre, 100, 8, 500},
    {"best f-stop close up in cm", M::BestFStop, U::Centimetre, 180, 8, 400, 2, 380, 420},
    {"blur close up in inches", M::Blur, U::Inch, 100, 2.8, 350},
    {"zero distances", M::DepthOfField, U::Metre, 50, 8, 0, 2, 0, 0},
};

CalcState state_of(const LayoutState& c, const Camera& camera)
{
    CalcState s;
    s.mode = c.mode;
    s.units = s.macro_units = c.units;
    s.snap = 0;
    s.focal_length = c.focal_length;
    s.f_stop = c.f_stop;
    s.focus_at = c.focus_at;
    s.ni = c.images;
    s.near_limit = c.near_limit;
    s.far_limit = c.far_limit;
    s.fov = c.fov;
    s.f_stop_increment = c.increment;
    recompute(s, camera, true);
    return s;
}

/// Client sizes: heights from the smallest to 2160 at ratios from 5:1 to 1:3, the sizes users
/// reported, and the largest; each grown to the screen's smallest client.
std::vector<std::pair<int, int>> client_sizes(ClientSize least)
{
    std::vector<std::pair<int, int>> sizes{{1500, 400}, {1280, 600}, {1920, 600}, {1366, 500}, {1280, 800},
                                           {600, 600}, {3840, 2160}, {0, 0}};
    for (const int height : {400, 480, 600, 768, 1080, 1440, 2160})
        for (const double ratio : {5.0, 3.0, 16.0 / 9, 4.0 / 3, 1.0, 0.5, 1.0 / 3})
            sizes.emplace_back(std::min(3840, static_cast<int>(height * ratio + 0.5)), height);
    for (auto& [w, h] : sizes) {
        w = std::max(w, least.width);
        h = std::max(h, least.height);
    }
    return sizes;
}

/// Where a text's cell lies; a point text is drawn at the layout's height.
Rect box_of(const DrawCall& t, TextMeasure& measure, const ScaleGeometry& g)
{
    const int h = t.kind == CallKind::Text ? g.text_height : t.text_height;
    const int w = measure.text_width(h, t.text);
    const Rect& r = t.rect;
    const int left = t.kind == CallKind::Text         ? t.a.x
                     : t.align == TextAlign::Left  ? r.left
                     : t.align == TextAlign::Right ? r.right - w
                                                   : r.left + (r.right - r.left - w) / 2;
    const int top = t.kind == CallKind::Text ? t.a.y : r.top;
    return {left, top, left + w, top + measure.line_height(h)};
}

bool inside(const Rect& a, const Rect& outer)
{
    return outer.left <= a.left && a.right <= outer.right && outer.top <= a.top && a.bottom <= outer.bottom;
}

bool overlap(const Rect& a, const Rect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

std::string text_of(const std::u16string& t) { return {t.begin(), t.end()}; }

/// The details lines a frame shows, and at how many lefts (side-by-side columns) they stand.
struct DetailsShown {
    std::set<std::u16string> texts;
    std::set<int> lefts;
    std::vector<Rect> boxes;  // every text's
};

/// Checks one frame; returns the details lines it shows.
DetailsShown check_frame(const RecordingCanvas& canvas, TextMeasure& measure, const ScaleGeometry& g,
                         const std::string& where)
{
    DetailsShown details;
    std::vector<std::pair<Rect, const DrawCall*>> boxes[column_count];
    for (const DrawCall& t : canvas.calls) {
        if (t.kind != CallKind::Text && t.kind != CallKind::TextInRect)
            continue;
        const bool at_point = t.kind == CallKind::Text;
        const Rect b = box_of(t, measure, g);
        const std::string what = where + ": \"" + text_of(t.text) + "\"";
        EXPECT_GE(at_point ? g.text_height : t.text_height, g.smallest_text) << what << " below the readable minimum";
        EXPECT_TRUE(at_point || inside(b, t.rect)) << what << " is cut by its rectangle";
        EXPECT_TRUE(!t.has_clip || inside(b, t.clip)) << what << " is cut by the clip";
        int c = 0;
        while (c < column_count && !inside(b, panel_rect(g, static_cast<Column>(c))))
            ++c;
        if (c == column_count) {
            ADD_FAILURE() << what << " leaves its column";
            continue;
        }
        for (const auto& [other, call] : boxes[c])
            EXPECT_FALSE(overlap(b, other)) << what << " overlaps \"" << text_of(call->text) << "\"";
        boxes[c].emplace_back(b, &t);
        details.boxes.push_back(b);
        if (c == static_cast<int>(Column::Details) && !at_point && b.top >= column(g, Column::Details).column.top) {
            details.texts.insert(t.text);
            details.lefts.insert(t.rect.left);
        }
    }
    return details;
}

TEST(LayoutProperty, EveryTextWholeApartAndReadableAndEveryDetailsLineReachable)
{
    const Camera camera = hand_default_camera();
    ProportionalMeasure measure;
    int frames = 0, scrolled = 0, flowed = 0;
    // The Windows program at four densities; the page in CSS pixels, with a mouse and with fingers.
    const std::vector<std::pair<int, int>> page_sizes{
        {320, 568}, {360, 640}, {360, 800}, {375, 667}, {390, 844}, {412, 915}, {430, 932}, {568, 320},
        {844, 390}, {844, 340}, {932, 430}, {768, 1024}, {1024, 768}, {500, 900}, {280, 600}, {250, 400}};
    for (const auto& [dpi, page, touch] : {std::tuple{96, false, false}, {120, false, false}, {144, false, false},
                                           {192, false, false}, {96, true, false}, {96, true, true}}) {
        ScaleGeometry scratch;
        const ClientSize least = minimum_client_size(scratch, measure, dpi);
        for (const auto& [width, height] : page ? page_sizes : client_sizes(least)) {
            for (const LayoutState& c : layout_states) {
                const CalcState s = state_of(c, camera);
                ScaleGeometry g;
                const ClientSize client = choose_scrolled_layout(g, measure, {width, height, dpi, 0, 0, page, touch});
                const std::string where = std::string(c.name) + " at " + std::to_string(width) + " x " +
                                          std::to_string(height) + ", " + std::to_string(dpi) + " dpi" +
                                          (page ? touch ? ", the page with fingers" : ", the page" : "");
                ASSERT_TRUE(layout_fits(g)) << where;
                ASSERT_EQ(windows_look(g.style), !page) << where;
                EXPECT_TRUE(width < 320 || client.width == width) << where;
                const bool upright = page && width >= 320 && height >= 568 && height > width && width < 600;
                if (upright) {
                    EXPECT_TRUE(g.style.portrait && g.text_height >= comfortable_text_height && client.height == height)
                        << where << ": text " << g.text_height << ", client height " << client.height;
                }
                EXPECT_GE(toolbar_target(g), touch ? finger_target : g.toolbar_button) << where;
                PaintScratch paint_scratch;
                RecordingCanvas canvas;
                paint(canvas, measure, s, camera, g, paint_scratch);
                ++frames;
                const DetailsShown first = check_frame(canvas, measure, g, where);
                // Pictures and markers as many times their size as the text is 15 pixels (quarter steps).
                const double scale = std::clamp(std::max(std::floor(g.text_height / 3.75) / 4, dpi / 96.0), 1.0, 4.0);
                const DrawCall lens = canvas.of_kind(CallKind::Triangle).front();
                EXPECT_EQ((std::pair{g.toolbar_button, lens.c.x - lens.a.x}), (std::pair{int(24 * scale + 0.5), int(8 * scale + 0.5)}))
                    << where;
                std::set<std::u16string> shown = first.texts;
                std::set<std::u16string> lines;
                for (int i = 0; i < paint_scratch.panel.count; ++i)
                    if (paint_scratch.panel.lines[static_cast<std::size_t>(i)].slot == PanelSlot::Line)
                        lines.emplace(paint_scratch.panel.lines[static_cast<std::size_t>(i)].text.view());
                if (g.details.last_first > 0) {
                    // Scrolled a page at a time, every line comes into sight.
                    ++scrolled;
                    ASSERT_GT(g.details.shown, 0) << where;
                    while (g.details.first < g.details.last_first) {
                        g.details.first += g.details.shown;
                        RecordingCanvas next;
                        paint(next, measure, s, camera, g, paint_scratch);
                        const DetailsShown more = check_frame(next, measure, g, where + " scrolled");
                        shown.insert(more.texts.begin(), more.texts.end());
                    }
                } else if (first.lefts.size() > 1) {
                    ++flowed;
                }
                EXPECT_EQ(shown, lines) << where << ": details lines out of reach";
                EXPECT_TRUE(s.mode == Mode::FocusStacking || g.details.last_first == 0) << where << ": scrolls";
                std::vector<Rect> bars;
                for (const ToolbarPlace& p : toolbar_places(g, s.mode)) {
                    const Rect r{p.x, p.y, p.x + p.width, p.y + p.height};
                    const auto over = [&r](const Rect& o) { return overlap(r, o); };
                    const bool apart = std::none_of(bars.begin(), bars.end(), over) &&
                                       std::none_of(first.boxes.begin(), first.boxes.end(), over);
                    EXPECT_TRUE(!p.shown || (inside(r, {0, 0, client.width, client.height}) && apart))
                        << where << ": a toolbar at " << r.left << ", " << r.top;
                    if (p.shown)
                        bars.push_back(r);
                }
                if (HasFailure())
                    return;
            }
        }
    }
    EXPECT_EQ(frames, (4 * 57 + 2 * 16) * 14);
    EXPECT_GT(scrolled, 0);  // long stacks in small windows scroll,
    EXPECT_GT(flowed, 0);    // in wide ones they stand in columns side by side
}

}  // namespace
