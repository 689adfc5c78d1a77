#include "app/commands.h"

#include "calc/snap.h"
#include "text/field_card_text.h"

namespace {

void choose_mode(CommandContext c, int button)
{
    if (button < 0 || button >= mode_count) return;
    c.state.mode = static_cast<Mode>(button);
    refresh_units_button(c.state, c.host);
    c.host.layout_toolbars();
    c.host.recompute(true);
}

void toggle_snap(CommandContext c)
{
    c.state.snap = c.host.button_state(toolbar_id::snap, 0) != 0 ? 1 : 0;
    if (c.state.snap != 0) snap_all(c.state);
    c.host.recompute(true);
}

void step_images(CommandContext c, int button)
{
    if (button == 0 && c.state.ni < max_images) c.state.ni += 1;
    if (button == 1 && c.state.ni > min_images) c.state.ni -= 1;
    c.host.recompute(true);
}

void choose_unit(CommandContext c, int unit)
{
    if (c.state.mode == Mode::Macro) {
        c.state.macro_units = static_cast<DistanceUnit>(unit);
    } else {
        c.state.units = static_cast<DistanceUnit>(unit);
    }
    refresh_units_button(c.state, c.host);
    c.host.repaint();
}

void choose_teleconverter(CommandContext c, double factor)
{
    c.state.teleconverter = factor;
    refresh_teleconverter_button(c.state, c.host);
    c.host.recompute(true);
}

void choose_f_stop_increment(CommandContext c, FStopIncrement increment)
{
    c.state.f_stop_increment = increment;
    c.host.set_button_bitmap(toolbar_id::f_stop_increment, 0, f_stop_increment_bitmap(c.state));
    c.host.recompute(false);
}

void edit_cameras(CommandContext c)
{
    if (c.host.run_camera_dialog())
        camera_dialog_closed(c);
}

void choose_camera(CommandContext c, int index)
{
    // The menu lists exactly the cameras of the table; an id beyond them is not acted on.
    if (index < 0 || index >= c.cameras.count) return;
    c.cameras.current = index;
    c.host.update_title();
    c.host.recompute(true);
}

}  // namespace

std::optional<MenuAnchor> toolbar_menu(int toolbar, int button)
{
    switch (toolbar) {
    case toolbar_id::units_help:
        if (button == 0) return MenuAnchor::Units;
        if (button == 1) return MenuAnchor::Help;
        return std::nullopt;
    case toolbar_id::camera: return MenuAnchor::Camera;
    case toolbar_id::f_stop_increment: return MenuAnchor::FStopIncrement;
    case toolbar_id::teleconverter: return MenuAnchor::Teleconverter;
    default: return std::nullopt;
    }
}

void toolbar_command(CommandContext c, int toolbar, int button)
{
    if (const std::optional<MenuAnchor> menu = toolbar_menu(toolbar, button)) {
        c.host.show_menu(menu_at(*menu, c.state, c.cameras));
        return;
    }
    switch (toolbar) {
    case toolbar_id::mode:
        choose_mode(c, button);
        break;
    case toolbar_id::snap:
        toggle_snap(c);
        break;
    case toolbar_id::images:
        step_images(c, button);
        break;
    default:
        break;
    }
}

void menu_command(CommandContext c, int id)
{
    if (id >= command_id::first_camera && id <= command_id::last_camera) {
        choose_camera(c, id - command_id::first_camera);
        return;
    }
    if (id >= command_id::first_unit && id <= command_id::last_unit) {
        choose_unit(c, id - command_id::first_unit);
        return;
    }
    switch (id) {
    case command_id::edit_camera:
        edit_cameras(c);
        break;
    case command_id::no_teleconverter:
        choose_teleconverter(c, 1.0);
        break;
    case command_id::teleconverter_1_4:
        choose_teleconverter(c, 1.4);
        break;
    case command_id::teleconverter_2:
        choose_teleconverter(c, 2.0);
        break;
    case command_id::teleconverter_in_use:
        choose_teleconverter(c, c.state.teleconverter);
        break;
    case command_id::half_stops:
        choose_f_stop_increment(c, FStopIncrement::HalfStop);
        break;
    case command_id::third_stops:
        choose_f_stop_increment(c, FStopIncrement::ThirdStop);
        break;
    case command_id::about:
        c.host.run_about_box();
        break;
    case command_id::quick_start:
        c.host.open_document(HelpDocument::QuickStart);
        break;
    case command_id::reference_manual:
        c.host.open_document(HelpDocument::ReferenceManual);
        break;
    case command_id::reset_scales:
        reset_scales(c.state);
        c.host.recompute(true);
        break;
    case command_id::field_card:
        // The same page as qel-calc's table or stack of these settings, in HTML.
        c.host.open_field_card(settings_card_page(c.state, current_camera(c.cameras)));
        break;
    default:
        break;
    }
}

void camera_dialog_closed(CommandContext c)
{
    sort_cameras(c.cameras);
    c.host.update_title();
    derive_camera_values(c.cameras);
    c.host.recompute(true);
}

std::optional<ToolbarBitmap> units_bitmap(const CalcState& state)
{
    switch (display_unit(state)) {
    case DistanceUnit::Millimetre: return ToolbarBitmap::IDMM;
    case DistanceUnit::Centimetre: return ToolbarBitmap::IDCM;
    case DistanceUnit::Inch: return ToolbarBitmap::IDIN;
    case DistanceUnit::Foot: return ToolbarBitmap::IDFT;
    case DistanceUnit::Yard: return ToolbarBitmap::IDYD;
    case DistanceUnit::Metre: return ToolbarBitmap::IDM;
    }
    return std::nullopt;
}

ToolbarBitmap f_stop_increment_bitmap(const CalcState& state)
{
    return state.f_stop_increment == FStopIncrement::ThirdStop ? ToolbarBitmap::IDTHIRD : ToolbarBitmap::IDHALF;
}

ToolbarBitmap teleconverter_bitmap(const CalcState& state)
{
    if (state.teleconverter == 1.4) return ToolbarBitmap::IDTC14;
    if (state.teleconverter == 2.0) return ToolbarBitmap::IDTC20;
    return ToolbarBitmap::IDTC10;
}

Text256 teleconverter_label(const CalcState& state)
{
    if (state.teleconverter == 1 || state.teleconverter == 1.4 || state.teleconverter == 2)
        return {};
    return plain_number(state.teleconverter);
}

void refresh_teleconverter_button(const CalcState& state, CommandHost& host)
{
    host.set_button_bitmap(toolbar_id::teleconverter, 0, teleconverter_bitmap(state));
    host.set_button_label(toolbar_id::teleconverter, 0, teleconverter_label(state).view());
}

void refresh_units_button(const CalcState& state, CommandHost& host)
{
    if (const auto bitmap = units_bitmap(state)) host.set_button_bitmap(toolbar_id::units_help, 0, *bitmap);
}

void reset_scales(CalcState& state)
{
    state.focal_length = 50;
    state.f_stop = 4;
    state.focus_at = 1219.2;
    state.near = 914.4000000000001;
    state.near_limit = 914.4000000000001;
    state.far = 1828.8000000000002;
    state.far_limit = 1828.8000000000002;
    state.blur_distance = 1828.8000000000002;
    state.fov = 20;
    state.blur_threshold = 1;
    state.fl_zoom = 5;
    state.fov_zoom = 5;
    state.blur_zoom = 5;
    state.maxblur = 16;
}
