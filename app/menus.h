// The five popup menus as data: their command ids, items, check marks and access letters, built
// afresh from the state each time a menu opens, and their order for the keyboard, which walks
// them as a menu bar (F10 opens the first, Left and Right the neighbours).
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "calc/calc_state.h"
#include "cameras/camera.h"

namespace command_id {
inline constexpr int edit_camera = 1000;
inline constexpr int first_camera = 1001;
inline constexpr int last_camera = 2000;
inline constexpr int first_unit = 3000;  // 3000 + DistanceUnit
inline constexpr int last_unit = 3005;
inline constexpr int no_teleconverter = 3006;
inline constexpr int teleconverter_1_4 = 3007;
inline constexpr int teleconverter_2 = 3008;
inline constexpr int teleconverter_in_use = 3011;  // a factor none of the three is, listed as in use
inline constexpr int half_stops = 3009;
inline constexpr int third_stops = 3010;
inline constexpr int about = 4002;
inline constexpr int quick_start = 4003;
inline constexpr int reference_manual = 4004;
inline constexpr int reset_scales = 4005;
inline constexpr int field_card = 4006;
}  // namespace command_id

/// Where a menu opens; the main window knows the client point of each anchor.
enum class MenuAnchor { Camera, Units, Help, FStopIncrement, Teleconverter };

struct MenuItem {
    int id = 0;  // 0 for a separator
    std::u16string_view text;  // an '&' marks the next character as the item's access letter...
    bool checked = false;
    bool literal = false;  // ...unless the text is shown as it stands (a camera's name)
    std::u16string_view shortcut{};  // the item's keyboard shortcut, shown right-aligned ("Ctrl+E")
    int access = -1;  // a text without an '&' mark: the index of its access letter (-1: none)
    bool separator() const { return id == 0; }
};

/// The item's text in the menu convention, where '&' marks the item's access letter and "&&"
/// shows an '&': a literal text has every '&' doubled, and its access letter marked. A shortcut
/// follows after a tab, which menus align.
std::u16string menu_label(const MenuItem& item);

/// The access letter of an item, lower case (0: none): the marked one, or the one given.
char16_t access_letter(const MenuItem& item);

struct PopupMenu {
    MenuAnchor anchor = MenuAnchor::Camera;
    std::vector<MenuItem> items;
};

/// The items of commands with a keyboard shortcut carry its text.
/// "&Edit Camera Properties...", a separator, then every camera name (ids 1001 + index),
/// the current camera checked. The texts point into `cameras`.
PopupMenu camera_menu(const CameraTable& cameras);
/// mm, cm, in (and in every mode but Macro also ft, yd, m); the unit in force is checked.
PopupMenu units_menu(const CalcState& state);
PopupMenu help_menu();
PopupMenu f_stop_increment_menu(const CalcState& state);
/// Each item whose factor equals the teleconverter exactly is checked; any other factor is listed
/// after them as the one in use ("1.7×", checked; its text lasts until the menu is built again).
PopupMenu teleconverter_menu(const CalcState& state);

/// Gives every item without a marked access letter one of its letters or digits that no other item
/// of the menu has: the first letter of a word where it can, else any; an item whose every letter
/// is taken shares its first (pressing it then goes from one such item to the next).
void assign_access_letters(PopupMenu& menu);

/// The menu that opens at `anchor`, its access letters assigned.
PopupMenu menu_at(MenuAnchor anchor, const CalcState& state, const CameraTable& cameras);

/// The menus in the order the keyboard walks them, as they stand on the screen from left to right:
/// camera, units, help, then the teleconverter (not shown in Macro) and the f-stop increment menus
/// over their columns. The first is the one F10 opens.
std::span<const MenuAnchor> menu_order(Mode mode);
/// The menu `step` places after `anchor` in menu_order (before it for a negative step), around.
MenuAnchor neighbour_menu(MenuAnchor anchor, Mode mode, int step);
