#include "text/panel_text.h"

#include <cmath>

#include "calc/portable_math.h"
#include "calc/recompute.h"
#include "text/distance_text.h"

namespace {

class PanelWriter {
public:
    explicit PanelWriter(PanelText& out) : out_(out) { out_.count = 0; }

    void line(std::u16string_view fmt, std::initializer_list<FormatArg> args = {})
    {
        if (PanelLine* slot = next(PanelSlot::Line))
            slot->text.length = format_text(slot->text.data, fmt, args);
    }
    void gap() { next(PanelSlot::Gap); }
    void hidden() { next(PanelSlot::Hidden); }

private:
    PanelLine* next(PanelSlot kind)
    {
        if (out_.count >= panel_line_capacity)
            return nullptr;
        PanelLine& slot = out_.lines[static_cast<std::size_t>(out_.count++)];
        slot.slot = kind;
        slot.text.length = 0;
        slot.text.data[0] = 0;
        return &slot;
    }

    PanelText& out_;
};

// An angle in degrees with one decimal, trimmed: "39.6", "27".
Text256 angle_text(double degrees)
{
    return plain_number(degrees, 1);
}

// "1 : 4", "1 : 12.5" for a magnification below one.
void reduction_line(PanelWriter& w, double m)
{
    w.line(u"Magnification: 1 : %s", {plain_number(1 / m).view()});
}

void magnification_line(PanelWriter& w, double m)
{
    if (m > 1)
        w.line(u"Magnification: %2f : 1", {m});
    else if (m == 0)
        w.line(u"Magnification: 0.00");
    else
        reduction_line(w, m);
}

void macro_magnification_line(PanelWriter& w, double m)
{
    if (m >= 1)
        w.line(u"Magnification: %2f : 1", {m});
    else
        reduction_line(w, m);
}

// The share of the depth of field that lies in front of the focus, in percent. Shown only when
// the depth behind is positive and front and range are known; below `minimum` percent the slot
// stays but nothing is drawn in it.
void focus_share_line(PanelWriter& w, const CalcState& s, double minimum)
{
    if (s.back > 0 && s.range > 0 && s.front >= 0) {
        const double percent = 100 * s.front / s.range;
        if (percent >= minimum) {
            w.line(u"Focus: %0f%% behind front", {percent});
            return;
        }
    }
    w.hidden();
}

// Close up the sensor sees a slower f-number than the lens is set to, and diffraction follows it.
// Once it is more than 5 % slower (a fourteenth of a stop; closer than about twenty focal lengths)
// the panel says so in a last line, where its coming and going moves nothing else.
constexpr double working_f_number_shown_above = 1.05;

bool shows_working_f_number(double working, double f_number)
{
    return working > f_number * working_f_number_shown_above;
}

void working_f_number_line(PanelWriter& w, double f_number, double focal_length, double focus)
{
    const double working = working_f_number(f_number, focal_length, focus);
    if (!shows_working_f_number(working, f_number))
        return;
    w.gap();
    w.line(u"Effective f-number: f/%s", {plain_number(working).view()});
}

void depth_of_field_lines(PanelWriter& w, const CalcState& s)
{
    const bool best = s.mode == Mode::BestFStop;
    const double focus = best ? s.best_focus : s.focus_at;

    w.line(u"Hyperfocal: %s", {format_distance(s, s.hyperfocal).view()});
    w.gap();
    w.line(u"Front: %s", {format_distance(s, s.front).view()});
    w.line(u"Back: %s", {format_distance(s, s.back).view()});
    w.line(u"Range: %s", {format_distance(s, s.range).view()});
    focus_share_line(w, s, best ? 0.0 : 1.0);
    w.gap();
    magnification_line(w, s.magnification);
    w.gap();
    w.line(u"Field of View @ %s", {format_distance(s, focus).view()});

    if (focus < 0) {
        if (best) {
            w.line(u"  Width: \u221E");
            w.line(u"  Height: \u221E");
            w.line(u"  Diag: \u221E");
        } else {
            w.line(u"  Width: \u221E (%s\u00B0)", {angle_text(s.angle_width).view()});
            w.line(u"  Height: \u221E (%s\u00B0)", {angle_text(s.angle_height).view()});
            w.line(u"  Diag: \u221E (%s\u00B0)", {angle_text(s.angle_diagonal).view()});
        }
        return;
    }
    w.line(u"  Width: %s (%s\u00B0)",
           {format_distance(s, s.field_width).view(), angle_text(s.angle_width).view()});
    w.line(u"  Height: %s (%s\u00B0)",
           {format_distance(s, s.field_height).view(), angle_text(s.angle_height).view()});
    w.line(u"  Diag: %s (%s\u00B0)",
           {format_distance(s, s.field_diagonal).view(), angle_text(s.angle_diagonal).view()});
    working_f_number_line(w, best ? s.optimum_effective_f_stop : s.effective_f_stop, s.effective_focal_length,
                          focus);
}

void focus_stacking_lines(PanelWriter& w, const CalcState& s)
{
    // The image count is kept within 2..100 elsewhere; clamp again so a bad value can never
    // index past the focus points.
    const int images = s.ni < 2 ? 2 : (s.ni > max_focus_points ? max_focus_points : s.ni);

    w.line(u"Near focus: %s", {format_distance(s, s.stack_near).view()});
    for (int i = 1; i <= images; ++i)
        w.line(u"Focus Point %d: %s",
               {i, format_distance(s, s.focus_points[static_cast<std::size_t>(i - 1)]).view()});
    w.line(u"Far focus: %s", {format_distance(s, s.stack_far).view()});
    w.gap();
    w.line(u"Range: %s", {format_distance(s, s.stack_range).view()});

    // Each image has its own; the first, the nearest, sees the slowest (the line has no room for
    // a range).
    working_f_number_line(w, s.optimum_effective_f_stop, s.effective_focal_length, s.focus_points[0]);
}

void macro_lines(PanelWriter& w, const CalcState& s, const Camera& camera)
{
    const double half = s.macro_depth * 0.5;
    const double height = s.fov * camera.frame_height_mm / camera.frame_width_mm;

    w.line(u"Front: %s", {format_distance(s, half).view()});
    w.line(u"Back: %s", {format_distance(s, half).view()});
    w.line(u"Range: %s", {format_distance(s, s.macro_depth).view()});
    w.line(u"Focus: 50%% behind front");
    w.gap();
    w.line(u"Field of View");
    w.gap();
    w.line(u"  Width: %s", {format_distance(s, s.fov).view()});
    w.line(u"  Height: %s", {format_distance(s, height).view()});
    w.line(u"  Diag: %s", {format_distance(s, portable::hypot(s.fov, height)).view()});
    w.gap();
    macro_magnification_line(w, s.magnification);
    w.gap();
    // The f-number at the sensor, from which the diffraction of a close-up is computed.
    w.line(u"Effective f-number: f/%s", {plain_number(s.macro_effective_f_stop).view()});
}

/// A shape from its groups of lines, a gap between neighbours.
PanelShape shape_of(std::initializer_list<int> groups)
{
    PanelShape shape;
    for (const int lines : groups) {
        if (shape.count > 0)
            shape.slots[static_cast<std::size_t>(shape.count++)] = PanelSlot::Gap;
        for (int i = 0; i < lines; ++i)
            shape.slots[static_cast<std::size_t>(shape.count++)] = PanelSlot::Line;
    }
    return shape;
}

}  // namespace

PanelShape fullest_panel(Mode mode)
{
    switch (mode) {
    case Mode::DepthOfField:
    case Mode::Blur:
    case Mode::BestFStop:
        // Hyperfocal; front, back, range, focus share; magnification; field of view and its three
        // sizes; the effective f-number close up.
        return shape_of({1, 4, 1, 4, 1});
    case Mode::FocusStacking:
        // Near focus, two focus points, far focus; range; the effective f-number.
        return shape_of({4, 1, 1});
    case Mode::Macro:
        // Front, back, range, focus share; field of view; its three sizes; magnification; the
        // effective f-number.
        return shape_of({4, 1, 3, 1, 1});
    }
    return {};
}

void panel_text(const CalcState& state, const Camera& camera, PanelText& out)
{
    PanelWriter w(out);
    switch (state.mode) {
    case Mode::DepthOfField:
    case Mode::Blur:
    case Mode::BestFStop:
        depth_of_field_lines(w, state);
        break;
    case Mode::FocusStacking:
        focus_stacking_lines(w, state);
        break;
    case Mode::Macro:
        macro_lines(w, state, camera);
        break;
    }
}
