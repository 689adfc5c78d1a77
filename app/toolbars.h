// The seven toolbars of the main window as data: control ids, button kinds, the bitmap and the
// popup help text of every button (its keyboard shortcut in brackets after it), and the 21 toolbar
// bitmaps by resource name.
#pragma once

#include <span>
#include <string_view>

enum class ButtonKind : int { Push = 0, Radio = 1, Toggle = 2 };

/// The toolbar bitmaps, in resource order. Each is a 24 x 24 picture named like its enumerator.
enum class ToolbarBitmap : int {
    IDDOF, IDF, IDFS, IDBLUR, IDMACRO, IDHELP1, IDCAMERA, IDHALF, IDTHIRD,
    IDMM, IDCM, IDIN, IDFT, IDYD, IDM, IDSNAP, IDTC10, IDTC14, IDTC20, IDPLUS, IDMINUS,
};
inline constexpr int toolbar_bitmap_count = 21;

/// The resource name of a bitmap ("IDDOF" ...).
std::u16string_view bitmap_resource_name(ToolbarBitmap bitmap);

/// Control ids of the toolbars; each click is reported with its toolbar's id.
namespace toolbar_id {
inline constexpr int mode = 100;
inline constexpr int units_help = 101;
inline constexpr int camera = 102;
inline constexpr int f_stop_increment = 103;
inline constexpr int teleconverter = 104;
inline constexpr int snap = 105;
inline constexpr int images = 106;
}  // namespace toolbar_id

inline constexpr int toolbar_button_size = 24;
/// Distance from one button to the next: the button and a 3-pixel gap.
inline constexpr int toolbar_pitch = toolbar_button_size + 3;
inline constexpr int max_toolbar_buttons = 64;

struct ButtonDescription {
    ToolbarBitmap bitmap;
    const char16_t* help;
};

struct ToolbarDescription {
    int control_id;
    ButtonKind kind;
    int columns;
    int rows;
    std::span<const ButtonDescription> buttons;
};

/// The seven toolbars in creation order: camera, mode, units/help, snap, f-stop increment,
/// teleconverter, images. The first five form the first row from left to right.
std::span<const ToolbarDescription> toolbar_descriptions();
/// The description of the toolbar with this control id (the camera toolbar's for an unknown id).
const ToolbarDescription& toolbar_description(int control_id);

/// Outer size of a toolbar: a 1-pixel border around the buttons and their gaps.
constexpr int toolbar_width(int columns) { return columns * toolbar_pitch + 2; }
constexpr int toolbar_height(int rows) { return rows * toolbar_pitch + 2; }
