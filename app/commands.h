// Every toolbar click and menu command of the main window: what it changes in the calculation
// state or the camera table, and what it asks of the window afterwards.
#pragma once

#include <optional>

#include "app/command_host.h"
#include "calc/calc_state.h"
#include "cameras/camera.h"
#include "text/format.h"

inline constexpr int min_images = 2;
inline constexpr int max_images = 100;

struct CommandContext {
    CalcState& state;
    CameraTable& cameras;
    CommandHost& host;
};

/// A click on button `button` of the toolbar with control id `toolbar`.
void toolbar_command(CommandContext context, int toolbar, int button);
/// The menu a toolbar button opens (none for the buttons that act at once).
std::optional<MenuAnchor> toolbar_menu(int toolbar, int button);
/// A menu choice (the command id); unknown ids do nothing.
void menu_command(CommandContext context, int id);

/// The camera dialog was closed: the cameras are sorted and derived, the title and every result
/// follow the current camera. A host whose dialog runs modelessly calls this when it closes.
void camera_dialog_closed(CommandContext context);

/// The units button's picture for the unit in force (macro_units in Macro, else units);
/// nothing for an unknown unit code.
std::optional<ToolbarBitmap> units_bitmap(const CalcState& state);
/// IDHALF or IDTHIRD for the f-stop increment.
ToolbarBitmap f_stop_increment_bitmap(const CalcState& state);
/// IDTC14 or IDTC20 for a factor of exactly 1.4 or 2, else IDTC10.
ToolbarBitmap teleconverter_bitmap(const CalcState& state);
/// What the teleconverter button has written on it in place of its picture: nothing for the
/// factors its pictures show (1, 1.4, 2), else the factor in use ("1.7", "3").
Text256 teleconverter_label(const CalcState& state);
/// Sets the teleconverter button's picture and label for the factor in use.
void refresh_teleconverter_button(const CalcState& state, CommandHost& host);

/// Sets the units button to units_bitmap (when there is one).
void refresh_units_button(const CalcState& state, CommandHost& host);

/// Puts the lens, aperture, distance, blur and zoom inputs back to their starting values;
/// the teleconverter, mode, units, snapping, number of images, f-stop increment and camera stay.
void reset_scales(CalcState& state);
