#include "app/menus.h"

#include <algorithm>
#include <array>
#include <bitset>

#include "app/keyboard.h"
#include "text/format.h"

namespace {

/// The item of a command, with the command's shortcut when it has one.
MenuItem command_item(int id, std::u16string_view text)
{
    const Shortcut* shortcut = command_shortcut(id);
    return {id, text, false, false, shortcut != nullptr ? shortcut->text : std::u16string_view()};
}

/// A character that can be an access letter: a letter or digit of Latin-1, or any above it
/// (a letter of another script; punctuation there is rare in a name).
bool letter_or_digit(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
           (c >= 0xC0 && c != 0xD7 && c != 0xF7 && c < 0x2000) || c >= 0x3040;
}

char16_t folded(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

}  // namespace

char16_t access_letter(const MenuItem& item)
{
    if (!item.literal) {
        for (std::size_t i = 0; i + 1 < item.text.size(); ++i) {
            if (item.text[i] != u'&')
                continue;
            if (item.text[i + 1] != u'&')
                return folded(item.text[i + 1]);
            ++i;  // "&&" is an '&'
        }
    }
    const auto at = static_cast<std::size_t>(item.access);
    return item.access >= 0 && at < item.text.size() ? folded(item.text[at]) : u'\0';
}

void assign_access_letters(PopupMenu& menu)
{
    std::bitset<0x10000> taken;  // by lower-case letter
    for (const MenuItem& item : menu.items)
        taken.set(access_letter(item));
    for (MenuItem& item : menu.items) {
        if (item.separator() || access_letter(item) != 0)
            continue;
        int first = -1, word = -1, any = -1;
        for (std::size_t i = 0; i < item.text.size() && word < 0; ++i) {
            const char16_t c = item.text[i];
            if (!letter_or_digit(c) || (!item.literal && c == u'&'))
                continue;
            const auto index = static_cast<int>(i);
            if (first < 0)
                first = index;
            if (taken.test(folded(c)))
                continue;
            if (i == 0 || !letter_or_digit(item.text[i - 1]))
                word = index;  // the first letter of a word
            else if (any < 0)
                any = index;
        }
        item.access = word >= 0 ? word : any >= 0 ? any : first;
        if (item.access >= 0)
            taken.set(folded(item.text[static_cast<std::size_t>(item.access)]));
    }
}

namespace {

constexpr std::array<MenuAnchor, 5> every_menu{MenuAnchor::Camera, MenuAnchor::Units, MenuAnchor::Help,
                                               MenuAnchor::Teleconverter, MenuAnchor::FStopIncrement};
constexpr std::array<MenuAnchor, 4> macro_menus{MenuAnchor::Camera, MenuAnchor::Units, MenuAnchor::Help,
                                                MenuAnchor::FStopIncrement};

}  // namespace

std::span<const MenuAnchor> menu_order(Mode mode)
{
    if (mode == Mode::Macro)
        return macro_menus;
    return every_menu;
}

MenuAnchor neighbour_menu(MenuAnchor anchor, Mode mode, int step)
{
    const std::span<const MenuAnchor> order = menu_order(mode);
    const auto n = static_cast<int>(order.size());
    const auto at = std::find(order.begin(), order.end(), anchor);
    const int from = at == order.end() ? 0 : static_cast<int>(at - order.begin());
    return order[static_cast<std::size_t>(((from + step) % n + n) % n)];
}

PopupMenu menu_at(MenuAnchor anchor, const CalcState& state, const CameraTable& cameras)
{
    PopupMenu menu;
    switch (anchor) {
    case MenuAnchor::Camera: menu = camera_menu(cameras); break;
    case MenuAnchor::Units: menu = units_menu(state); break;
    case MenuAnchor::Help: menu = help_menu(); break;
    case MenuAnchor::FStopIncrement: menu = f_stop_increment_menu(state); break;
    case MenuAnchor::Teleconverter: menu = teleconverter_menu(state); break;
    }
    assign_access_letters(menu);
    return menu;
}

std::u16string menu_label(const MenuItem& item)
{
    std::u16string label;
    label.reserve(item.text.size() + 1);
    const bool marked = !item.literal && item.text.find(u'&') != std::u16string_view::npos;
    for (std::size_t i = 0; i < item.text.size(); ++i) {
        const char16_t c = item.text[i];
        if (!marked && static_cast<int>(i) == item.access)
            label.push_back(u'&');
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
             command_item(command_id::quick_start, u"Display &Quick Start Reference"),
             command_item(command_id::reference_manual, u"Display &Reference Manual"),
             {},
             command_item(command_id::field_card, u"Field Card..."),
             command_item(command_id::reset_scales, u"Reset &Scales")}};
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
