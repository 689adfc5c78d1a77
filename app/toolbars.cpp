#include "app/toolbars.h"

#include <array>

namespace {

constexpr std::array<std::u16string_view, toolbar_bitmap_count> bitmap_names{
    u"IDDOF", u"IDF", u"IDFS", u"IDBLUR", u"IDMACRO", u"IDHELP1", u"IDCAMERA", u"IDHALF", u"IDTHIRD",
    u"IDMM", u"IDCM", u"IDIN", u"IDFT", u"IDYD", u"IDM", u"IDSNAP", u"IDTC10", u"IDTC14", u"IDTC20",
    u"IDPLUS", u"IDMINUS",
};

using B = ToolbarBitmap;

constexpr std::array<ButtonDescription, 1> camera_buttons{{{B::IDCAMERA, u"Select or edit cameras (Alt+C)"}}};
constexpr std::array<ButtonDescription, 5> mode_buttons{{
    {B::IDDOF, u"Depth of field mode (Ctrl+1)"},
    {B::IDF, u"Best f stop mode (Ctrl+2)"},
    {B::IDFS, u"Focus stacking mode (Ctrl+3)"},
    {B::IDBLUR, u"Blur mode (Ctrl+4)"},
    {B::IDMACRO, u"Macro mode (Ctrl+5)"},
}};
constexpr std::array<ButtonDescription, 2> units_help_buttons{{
    {B::IDMM, u"Set distance units (Alt+U)"},
    {B::IDHELP1, u"Help commands and the Field Card, Ctrl+P (Alt+H)"},
}};
constexpr std::array<ButtonDescription, 1> snap_buttons{{{B::IDSNAP, u"Snap values to round numbers (Ctrl+G)"}}};
constexpr std::array<ButtonDescription, 1> f_stop_buttons{{{B::IDHALF, u"Set f stop increments (Alt+F)"}}};
constexpr std::array<ButtonDescription, 1> teleconverter_buttons{
    {{B::IDTC10, u"Set teleconverter magnification factor (Alt+T)"}}};
constexpr std::array<ButtonDescription, 2> images_buttons{{
    {B::IDPLUS, u"Increment number of images (+)"},
    {B::IDMINUS, u"Decrement number of images (-)"},
}};

constexpr std::array<ToolbarDescription, 7> toolbars{{
    {toolbar_id::camera, ButtonKind::Push, 1, 1, camera_buttons},
    {toolbar_id::mode, ButtonKind::Radio, 5, 1, mode_buttons},
    {toolbar_id::units_help, ButtonKind::Push, 2, 1, units_help_buttons},
    {toolbar_id::snap, ButtonKind::Toggle, 1, 1, snap_buttons},
    {toolbar_id::f_stop_increment, ButtonKind::Push, 1, 1, f_stop_buttons},
    {toolbar_id::teleconverter, ButtonKind::Push, 1, 1, teleconverter_buttons},
    {toolbar_id::images, ButtonKind::Push, 2, 1, images_buttons},
}};

}  // namespace

std::u16string_view bitmap_resource_name(ToolbarBitmap bitmap)
{
    const auto i = static_cast<std::size_t>(bitmap);
    return i < bitmap_names.size() ? bitmap_names[i] : std::u16string_view();
}

std::span<const ToolbarDescription> toolbar_descriptions() { return toolbars; }

const ToolbarDescription& toolbar_description(int control_id)
{
    for (const ToolbarDescription& t : toolbars) {
        if (t.control_id == control_id) return t;
    }
    return toolbars[0];
}
