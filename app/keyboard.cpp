#include "app/keyboard.h"

#include <algorithm>
#include <array>

#include "app/toolbars.h"
#include "display/details_panel.h"

namespace {

constexpr std::array<Shortcut, 17> shortcut_table{{
    {Key::Digit1, true, false, toolbar_id::mode, 0, 0, u"Ctrl+1"},
    {Key::Digit2, true, false, toolbar_id::mode, 1, 0, u"Ctrl+2"},
    {Key::Digit3, true, false, toolbar_id::mode, 2, 0, u"Ctrl+3"},
    {Key::Digit4, true, false, toolbar_id::mode, 3, 0, u"Ctrl+4"},
    {Key::Digit5, true, false, toolbar_id::mode, 4, 0, u"Ctrl+5"},
    {Key::C, false, true, toolbar_id::camera, 0, 0, u"Alt+C"},
    {Key::U, false, true, toolbar_id::units_help, 0, 0, u"Alt+U"},
    {Key::H, false, true, toolbar_id::units_help, 1, 0, u"Alt+H"},
    {Key::G, true, false, toolbar_id::snap, 0, 0, u"Ctrl+G"},
    {Key::F, false, true, toolbar_id::f_stop_increment, 0, 0, u"Alt+F"},
    {Key::T, false, true, toolbar_id::teleconverter, 0, 0, u"Alt+T"},
    {Key::Plus, false, false, toolbar_id::images, 0, 0, u"+"},
    {Key::Minus, false, false, toolbar_id::images, 1, 0, u"-"},
    {Key::E, true, false, 0, 0, command_id::edit_camera, u"Ctrl+E"},
    {Key::F1, false, false, 0, 0, command_id::quick_start, u"F1"},
    {Key::R, true, false, 0, 0, command_id::reset_scales, u"Ctrl+R"},
    {Key::P, true, false, 0, 0, command_id::field_card, u"Ctrl+P"},
}};

bool matches(const Shortcut& s, KeyPress k)
{
    const bool shift_free = s.key == Key::Plus || s.key == Key::Minus;
    return s.key == k.key && s.ctrl == k.ctrl && s.alt == k.alt && (shift_free || !k.shift);
}

/// The values Tab visits: the mode's, and the details panel while it scrolls.
struct FocusStops {
    std::array<ScaleValue, 8> values{};
    std::size_t count = 0;
    std::span<const ScaleValue> span() const { return {values.data(), count}; }
};

FocusStops focus_stops(Mode mode, bool details_scroll)
{
    FocusStops stops;
    for (const ScaleValue v : scale_values(mode))
        if (stops.count < stops.values.size())
            stops.values[stops.count++] = v;
    if (details_scroll && stops.count < stops.values.size())
        stops.values[stops.count++] = ScaleValue::Details;
    return stops;
}

bool scrolls(const DetailsScroll* details) { return details != nullptr && details->last_first > 0; }

/// Up, Down, Page Up, Page Down, Home and End on the details panel.
bool scroll_by_key(DetailsScroll& d, Key key)
{
    const int page = d.shown > 1 ? d.shown - 1 : 1;
    switch (key) {
    case Key::Up: return scroll_details(d, -1);
    case Key::Down: return scroll_details(d, 1);
    case Key::PageUp: return scroll_details(d, -page);
    case Key::PageDown: return scroll_details(d, page);
    case Key::Home: return scroll_details(d, -d.rows);
    case Key::End: return scroll_details(d, d.rows);
    default: return false;
    }
}

bool move_focus(KeyFocus& focus, Mode mode, bool details_scroll, bool backwards)
{
    const FocusStops stops = focus_stops(mode, details_scroll);
    const std::span<const ScaleValue> values = stops.span();
    if (values.empty())
        return false;
    const auto at = std::find(values.begin(), values.end(), focus.value);
    const auto n = static_cast<std::ptrdiff_t>(values.size());
    std::ptrdiff_t i = 0;
    if (at != values.end() && focus.shown) {
        i = ((at - values.begin()) + (backwards ? n - 1 : 1)) % n;
    } else if (at != values.end()) {
        i = at - values.begin();  // the first Tab shows the focus where it already is
    } else if (backwards) {
        i = n - 1;
    }
    focus.value = values[static_cast<std::size_t>(i)];
    focus.shown = true;
    return true;
}

}  // namespace

std::span<const Shortcut> shortcuts() { return shortcut_table; }

const Shortcut* toolbar_shortcut(int toolbar, int button)
{
    for (const Shortcut& s : shortcut_table) {
        if (s.toolbar == toolbar && s.button == button)
            return &s;
    }
    return nullptr;
}

const Shortcut* command_shortcut(int command)
{
    for (const Shortcut& s : shortcut_table) {
        if (s.toolbar == 0 && s.command == command)
            return &s;
    }
    return nullptr;
}

std::optional<MenuAnchor> menu_of_key(KeyPress k, Mode mode)
{
    for (const Shortcut& s : shortcut_table) {
        if (matches(s, k) && s.toolbar != 0 && toolbar_shown(s.toolbar, mode))
            return toolbar_menu(s.toolbar, s.button);
    }
    return std::nullopt;
}

bool toolbar_shown(int toolbar, Mode mode)
{
    if (toolbar == toolbar_id::images)
        return mode == Mode::FocusStacking;
    if (toolbar == toolbar_id::teleconverter)
        return mode != Mode::Macro;
    return true;
}

ScaleValue focus_cue(const KeyFocus& focus, Mode mode, bool details_scroll)
{
    if (!focus.shown)
        return ScaleValue::None;
    const FocusStops stops = focus_stops(mode, details_scroll);
    const std::span<const ScaleValue> values = stops.span();
    return std::find(values.begin(), values.end(), focus.value) != values.end() ? focus.value : ScaleValue::None;
}

bool key_down(KeyContext c, KeyPress k)
{
    CalcState& state = c.commands.state;
    CommandHost& host = c.commands.host;
    for (const Shortcut& s : shortcut_table) {
        if (!matches(s, k))
            continue;
        if (c.dragging)
            return true;
        if (s.toolbar == 0)
            menu_command(c.commands, s.command);
        else if (toolbar_shown(s.toolbar, state.mode))
            host.click_button(s.toolbar, s.button);
        return true;
    }
    if (k.key == Key::F10 && !k.ctrl && !k.shift) {
        if (!c.dragging)
            host.click_button(toolbar_id::camera, 0);  // the first menu, as a menu bar's
        return true;
    }
    if (k.ctrl || k.alt)
        return false;
    if (c.dragging)
        return k.key == Key::Tab || k.key == Key::Up || k.key == Key::Down || k.key == Key::PageUp ||
               k.key == Key::PageDown || k.key == Key::Escape || k.key == Key::Home || k.key == Key::End;
    const bool details_scroll = scrolls(c.details);
    const ScaleValue focused = focus_cue(c.focus, state.mode, details_scroll);
    const ScaleValue value = focused != ScaleValue::None ? focused : c.under_pointer;
    switch (k.key) {
    case Key::Tab:
        if (move_focus(c.focus, state.mode, details_scroll, k.shift))
            host.repaint();
        return true;
    case Key::Home:
    case Key::End:
        if (value != ScaleValue::Details || !details_scroll)
            return false;
        if (scroll_by_key(*c.details, k.key))
            host.repaint();
        return true;
    case Key::Up:
    case Key::Down:
    case Key::PageUp:
    case Key::PageDown: {
        if (value == ScaleValue::Details) {
            if (details_scroll && scroll_by_key(*c.details, k.key))
                host.repaint();
            return true;
        }
        const int direction = k.key == Key::Up || k.key == Key::PageUp ? 1 : -1;
        const bool page = k.key == Key::PageUp || k.key == Key::PageDown;
        if (step_scale_value(value, direction, page, state, current_camera(c.commands.cameras)))
            host.repaint();
        return true;
    }
    case Key::Escape:
        if (c.focus.shown) {
            c.focus.shown = false;
            host.repaint();
        }
        return true;
    default:
        return false;
    }
}

bool tab_leaves_values(const KeyFocus& focus, Mode mode, bool backwards, bool details_scroll)
{
    const ScaleValue cue = focus_cue(focus, mode, details_scroll);
    const FocusStops stops = focus_stops(mode, details_scroll);
    const std::span<const ScaleValue> values = stops.span();
    return cue != ScaleValue::None && !values.empty() && cue == (backwards ? values.front() : values.back());
}

void enter_values(KeyFocus& focus, Mode mode, bool backwards, bool details_scroll)
{
    const FocusStops stops = focus_stops(mode, details_scroll);
    if (stops.count == 0)
        return;
    focus.value = backwards ? stops.values[stops.count - 1] : stops.values[0];
    focus.shown = true;
}

void note_press(KeyFocus& focus, ScaleValue pressed)
{
    focus.shown = false;
    if (pressed != ScaleValue::None)
        focus.value = pressed;
}
