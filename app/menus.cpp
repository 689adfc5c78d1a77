#include "app/menus.h"

#include <algorithm>

#include "app/keyboard.h"
#include "text/format.h"

namespace {

/// The item of a command, with the command's shortcut when it has one.
MenuItem command_item(int id, std::u16string_view text)
{
    const Shortcut* shortcut = command_shortcut(id);
    return {id, text, false, false, shortcut != nullptr ? shortcut->text : std::u16string_view()};
}

}  // namespace

std::u16string menu_label(const MenuItem& item)
{
    std::u16string label;
    label.reserve(item.text.size());
    for (const char16_t c : item.text) {
        label.push_back(c);
        if (c == u'&' && item.literal)
            label.push_back(c);
    }
    if (!item.shortcut.empty()) {
        label.push_back(u'\t');
        label.append(item.shortcut);
    }
    return label;
}

PopupMenu camera_menu(const CameraTable& cameras)
{
    PopupMenu menu{MenuAnchor::Camera, {}};
    const int count = std::clamp(cameras.count, 0, max_cameras);
    menu.items.reserve(static_cast<std::size_t>(count) + 2);
    menu.items.push_back(command_item(command_id::edit_camera, u"&Edit Camera Properties..."));
    menu.items.push_back({});
    for (int i = 0; i < count; ++i) {
        menu.items.push_back(
            {command_id::first_camera + i, camera_name(cameras.cameras[i]), i == cameras.current, true});
    }
    return menu;
}

PopupMenu units_menu(const CalcState& state)
{
    PopupMenu menu{MenuAnchor::Units, {}};
    const bool macro = state.mode == Mode::Macro;
    const int offered = macro ? 3 : distance_unit_count;
    const int checked = static_cast<int>(macro ? state.macro_units : state.units);
    for (int k = 0; k < offered; ++k) {
        menu.items.push_back({command_id::first_unit + k, unit_suffix(static_cast<DistanceUnit>(k)), k == checked});
    }
    return menu;
}

PopupMenu help_menu()
{
    return {MenuAnchor::Help,
            {command_item(command_id::about, u"About Qel"),
             command_item(command_id::quick_start, u"Display Quick Start Reference"),
             command_item(command_id::reference_manual, u"Display Reference Manual"),
             {},
             command_item(command_id::field_card, u"Field Card..."),
             command_item(command_id::reset_scales, u"Reset Scales")}};
}

PopupMenu f_stop_increment_menu(const CalcState& state)
{
    return {MenuAnchor::FStopIncrement,
            {{command_id::half_stops, u"Half Stop Increments", state.f_stop_increment == FStopIncrement::HalfStop},
             {command_id::third_stops, u"Third Stop Increments",
              state.f_stop_increment == FStopIncrement::ThirdStop}}};
}

PopupMenu teleconverter_menu(const CalcState& state)
{
    PopupMenu menu{MenuAnchor::Teleconverter,
                   {{command_id::no_teleconverter, u"No Teleconverter", state.teleconverter == 1.0},
                    {command_id::teleconverter_1_4, u"1.4X Teleconverter", state.teleconverter == 1.4},
                    {command_id::teleconverter_2, u"2X Teleconverter", state.teleconverter == 2.0}}};
    if (std::none_of(menu.items.begin(), menu.items.end(), [](const MenuItem& item) { return item.checked; })) {
        static Text256 in_use;  // the menu's texts must outlive it; one teleconverter menu is open at a time
        in_use = format(u"%s\u00D7", {plain_number(state.teleconverter).view()});
        menu.items.push_back({command_id::teleconverter_in_use, in_use.view(), true, true});
    }
    return menu;
}
