#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "app/menus.h"

namespace {

std::u16string describe(const PopupMenu& menu)
{
    // "id text*" per item, "-" for a separator, joined by "|"; * marks a checked item.
    std::u16string out;
    for (const MenuItem& item : menu.items) {
        if (!out.empty()) out += u"|";
        if (item.separator()) {
            out += u"-";
            continue;
        }
        for (char c : std::to_string(item.id)) out += static_cast<char16_t>(c);
        out += u" ";
        out += item.text;
        if (item.checked) out += u"*";
    }
    return out;
}

TEST(Menus, UnitsOfferThreeInMacroAndSixOtherwise)
{
    CalcState s;
    s.units = DistanceUnit::Metre;
    s.macro_units = DistanceUnit::Centimetre;
    EXPECT_EQ(describe(units_menu(s)), u"3000 mm|3001 cm|3002 in|3003 ft|3004 yd|3005 m*");
    s.mode = Mode::Macro;
    EXPECT_EQ(describe(units_menu(s)), u"3000 mm|3001 cm*|3002 in");
    EXPECT_EQ(units_menu(s).anchor, MenuAnchor::Units);
}

TEST(Menus, HelpMenu)
{
    EXPECT_EQ(describe(help_menu()),
              u"4002 About Qel|4003 Display Quick Start Reference|4004 Display Reference Manual|-|4006 Field "
              u"Card...|4005 Reset Scales");
    // The commands with a keyboard shortcut show it after a tab, where menus right-align it.
    const PopupMenu menu = help_menu();
    EXPECT_EQ(menu_label(menu.items[0]), u"About Qel");
    EXPECT_EQ(menu_label(menu.items[1]), u"Display Quick Start Reference\tF1");
    EXPECT_EQ(menu_label(menu.items[4]), u"Field Card...\tCtrl+P");
    EXPECT_EQ(menu_label(menu.items[5]), u"Reset Scales\tCtrl+R");
}

TEST(Menus, FStopIncrementChecksTheIncrementInForce)
{
    CalcState s;
    EXPECT_EQ(describe(f_stop_increment_menu(s)), u"3009 Half Stop Increments*|3010 Third Stop Increments");
    s.f_stop_increment = FStopIncrement::ThirdStop;
    EXPECT_EQ(describe(f_stop_increment_menu(s)), u"3009 Half Stop Increments|3010 Third Stop Increments*");
}

TEST(Menus, TeleconverterChecksOnlyAnExactFactor)
{
    CalcState s;
    s.teleconverter = 1.4;
    EXPECT_EQ(describe(teleconverter_menu(s)), u"3006 No Teleconverter|3007 1.4X Teleconverter*|3008 2X Teleconverter");
    // Any other factor, a 1.7x converter's or a hand-edited one's, is listed as the one in use.
    s.teleconverter = 1.41;
    EXPECT_EQ(describe(teleconverter_menu(s)),
              u"3006 No Teleconverter|3007 1.4X Teleconverter|3008 2X Teleconverter|3011 1.41\u00D7*");
    s.teleconverter = 3;
    EXPECT_EQ(describe(teleconverter_menu(s)),
              u"3006 No Teleconverter|3007 1.4X Teleconverter|3008 2X Teleconverter|3011 3\u00D7*");
}

TEST(Menus, CameraMenuListsEveryCameraAndChecksTheCurrentOne)
{
    auto table = std::make_unique<CameraTable>();
    table->count = 3;
    table->current = 1;
    const std::u16string names[] = {u"Alpha", u"Beta", u"Gamma"};
    for (int i = 0; i < 3; ++i) names[i].copy(table->cameras[i].name, names[i].size());
    EXPECT_EQ(describe(camera_menu(*table)), u"1000 &Edit Camera Properties...|-|1001 Alpha|1002 Beta*|1003 Gamma");

    // Names are shown as they stand: an '&' in a name is a character, not the mark of a key.
    const struct {
        std::u16string_view name;
        std::u16string_view label;
    } names_with_marks[] = {{u"R&D body", u"R&&D body"}, {u"A && B &", u"A &&&& B &&"}, {u"Plain", u"Plain"}};
    for (const auto& c : names_with_marks) {
        std::fill(std::begin(table->cameras[0].name), std::end(table->cameras[0].name), u'\0');
        c.name.copy(table->cameras[0].name, c.name.size());
        const PopupMenu menu = camera_menu(*table);
        EXPECT_TRUE(menu.items[2].literal);
        EXPECT_EQ(menu_label(menu.items[2]), c.label);
    }
    EXPECT_EQ(menu_label(camera_menu(*table).items[0]), u"&Edit Camera Properties...\tCtrl+E")
        << "its E stays its key";

    table->count = max_cameras;
    const PopupMenu full = camera_menu(*table);
    ASSERT_EQ(full.items.size(), 1002u);
    EXPECT_EQ(full.items.back().id, 2000);
}

}  // namespace
