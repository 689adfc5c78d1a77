#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <tuple>
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
              u"4002 About Qel|4003 Display &Quick Start Reference|4004 Display &Reference Manual|-|4006 Field "
              u"Card...|4005 Reset &Scales");
    // The commands with a keyboard shortcut show it after a tab, where menus right-align it.
    const PopupMenu menu = help_menu();
    EXPECT_EQ(menu_label(menu.items[0]), u"About Qel");
    EXPECT_EQ(menu_label(menu.items[1]), u"Display &Quick Start Reference\tF1");
    EXPECT_EQ(menu_label(menu.items[4]), u"Field Card...\tCtrl+P");
    EXPECT_EQ(menu_label(menu.items[5]), u"Reset &Scales\tCtrl+R");
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

// Every item of every menu, whatever the cameras are called, shows its text as it stands with one
// access letter marked ('&' before it, Windows' way); no two items share one unless every letter of
// the later one is taken.
TEST(MenuAccessLetters, EveryItemHasOneAndTheyDifferWhereTheyCan)
{
    static constexpr std::u16string_view words[] = {u"Canon", u"canon", u"R5", u"5D", u"&", u"R&D", u"Émile", u"x", u"(film)"};
    auto table = std::make_unique<CameraTable>();
    std::mt19937 random(31);
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    const auto letter = [&](char16_t c) { return (lower(c) >= u'a' && lower(c) <= u'z') || (c >= u'0' && c <= u'9') || c >= 0xC0; };
    for (int round = 0; round < 300; ++round) {
        table->count = 1 + static_cast<int>(random() % (round % 10 == 0 ? 200 : 12));
        for (int i = 0; i < table->count; ++i)
            set_camera_name(table->cameras[i], std::u16string(words[random() % 9]).append(u" ").append(words[random() % 9]));
        CalcState state;
        state.mode = static_cast<Mode>(round % mode_count);
        for (const MenuAnchor anchor : menu_order(state.mode)) {
            std::u16string taken;
            for (const MenuItem& item : menu_at(anchor, state, *table).items) {
                const std::u16string label = menu_label(item);
                std::u16string text, marked;  // the label read as Windows reads it, up to the tab before a shortcut
                for (std::size_t i = 0; i < label.size() && label[i] != u'\t'; ++i)
                    text += label[i] == u'&' && label[++i] != u'&' ? (marked += lower(label[i]), label[i]) : label[i];
                EXPECT_EQ(text, item.literal ? std::u16string(item.text) : text);
                ASSERT_EQ(marked.size(), std::any_of(item.text.begin(), item.text.end(), letter) ? 1u : 0u) << int(anchor) << " " << item.id;
                EXPECT_EQ(marked[0], access_letter(item));
                for (const char16_t c : taken.find(marked) == std::u16string::npos || marked.empty() ? u"" : text)
                    EXPECT_TRUE(!letter(c) || taken.find(lower(c)) != std::u16string::npos) << "a letter shared, another free";
                taken += marked;
            }
        }
    }
}

TEST(MenuOrder, TheKeyboardWalksTheMenusAsTheyStandFromLeftToRight)
{
    using A = MenuAnchor;  // camera, units, help, teleconverter (none in Macro), f-stop increment, and round
    for (const auto& [from, mode, step, to] : {std::tuple{A::Camera, Mode::Blur, -1, A::FStopIncrement}, {A::Help, Mode::Blur, 1, A::Teleconverter},
                                               {A::Help, Mode::Macro, 1, A::FStopIncrement}, {A::FStopIncrement, Mode::Macro, 2, A::Units}})
        EXPECT_EQ(neighbour_menu(from, mode, step), to);
}

}  // namespace
