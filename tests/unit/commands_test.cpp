#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string_view>

#include "app/commands.h"
#include "app/menus.h"
#include "support/recording_command_host.h"

namespace {

using BitmapChange = RecordingCommandHost::BitmapChange;

class Commands : public ::testing::Test {
protected:
    CalcState state;
    std::unique_ptr<CameraTable> cameras = std::make_unique<CameraTable>();
    RecordingCommandHost host;

    CommandContext context() { return {state, *cameras, host}; }
};

TEST_F(Commands, ModeButtonSetsModeRefreshesUnitsAndRelayouts)
{
    state.units = DistanceUnit::Metre;
    state.macro_units = DistanceUnit::Centimetre;
    toolbar_command(context(), toolbar_id::mode, 4);
    EXPECT_EQ(state.mode, Mode::Macro);
    EXPECT_EQ(host.bitmaps, (std::vector<BitmapChange>{{101, 0, ToolbarBitmap::IDCM}}));
    EXPECT_EQ(host.layouts, 1);
    EXPECT_EQ(host.recomputes, std::vector<bool>{true});

    toolbar_command(context(), toolbar_id::mode, 2);
    EXPECT_EQ(state.mode, Mode::FocusStacking);
    EXPECT_EQ(host.bitmaps.back(), (BitmapChange{101, 0, ToolbarBitmap::IDM}));
}

TEST_F(Commands, UnitsInMacroGoToMacroUnitsOnly)
{
    state.mode = Mode::Macro;
    state.units = DistanceUnit::Foot;
    menu_command(context(), 3002);
    EXPECT_EQ(state.macro_units, DistanceUnit::Inch);
    EXPECT_EQ(state.units, DistanceUnit::Foot);
    EXPECT_TRUE(host.recomputes.empty());  // a unit changes only the display
    EXPECT_EQ(host.repaints, 1);
    EXPECT_EQ(host.bitmaps, (std::vector<BitmapChange>{{101, 0, ToolbarBitmap::IDIN}}));

    state.mode = Mode::Blur;
    menu_command(context(), 3004);
    EXPECT_EQ(state.units, DistanceUnit::Yard);
    EXPECT_EQ(state.macro_units, DistanceUnit::Inch);
    EXPECT_EQ(host.bitmaps.back(), (BitmapChange{101, 0, ToolbarBitmap::IDYD}));
}

TEST_F(Commands, EveryUnitTheMenuOffersShowsItsOwnPicture)
{
    for (const Mode mode : {Mode::DepthOfField, Mode::Macro}) {
        state.mode = mode;
        std::vector<ToolbarBitmap> pictures;
        const PopupMenu menu = units_menu(state);
        for (std::size_t i = 0; i < menu.items.size(); ++i) {
            host.bitmaps.clear();
            menu_command(context(), menu.items[i].id);
            EXPECT_TRUE(units_menu(state).items[i].checked) << menu.items[i].id;
            ASSERT_EQ(host.bitmaps.size(), 1u) << menu.items[i].id;
            EXPECT_EQ(host.bitmaps[0].toolbar, toolbar_id::units_help);
            EXPECT_EQ(std::count(pictures.begin(), pictures.end(), host.bitmaps[0].bitmap), 0) << menu.items[i].id;
            pictures.push_back(host.bitmaps[0].bitmap);
        }
    }
}

TEST_F(Commands, TeleconverterSetsFactorBitmapAndRescales)
{
    struct Case {
        int id;
        double factor;
        ToolbarBitmap bitmap;
    };
    for (const Case c : {Case{3007, 1.4, ToolbarBitmap::IDTC14}, Case{3008, 2.0, ToolbarBitmap::IDTC20},
                         Case{3006, 1.0, ToolbarBitmap::IDTC10}}) {
        menu_command(context(), c.id);
        EXPECT_EQ(state.teleconverter, c.factor);
        EXPECT_EQ(host.bitmaps.back(), (BitmapChange{104, 0, c.bitmap}));
        EXPECT_EQ(host.labels.back(), u"");  // the picture shows the factor
        EXPECT_EQ(host.recomputes.back(), true);
    }
    // Another factor (a 1.7x converter's, from the settings file) is written on the button, and
    // choosing it in the menu keeps it.
    state.teleconverter = 1.7;
    menu_command(context(), 3011);
    EXPECT_EQ(state.teleconverter, 1.7);
    EXPECT_EQ(host.labels.back(), u"1.7");
    EXPECT_EQ(host.recomputes.back(), true);
}

TEST_F(Commands, FStopIncrementDoesNotRescale)
{
    menu_command(context(), 3010);
    EXPECT_EQ(state.f_stop_increment, FStopIncrement::ThirdStop);
    EXPECT_EQ(host.bitmaps.back(), (BitmapChange{103, 0, ToolbarBitmap::IDTHIRD}));
    menu_command(context(), 3009);
    EXPECT_EQ(state.f_stop_increment, FStopIncrement::HalfStop);
    EXPECT_EQ(host.bitmaps.back(), (BitmapChange{103, 0, ToolbarBitmap::IDHALF}));
    EXPECT_EQ(host.recomputes, (std::vector<bool>{false, false}));
}

TEST_F(Commands, SnapFollowsTheButtonAndSnapsWhenTurnedOn)
{
    state.snap = 1;
    state.focal_length = 51.37;
    host.snap_button_state = 0;
    toolbar_command(context(), toolbar_id::snap, 0);
    EXPECT_EQ(state.snap, 0);
    EXPECT_EQ(state.focal_length, 51.37);  // turning snapping off undoes nothing

    host.snap_button_state = 1;
    toolbar_command(context(), toolbar_id::snap, 0);
    EXPECT_EQ(state.snap, 1);
    EXPECT_NE(state.focal_length, 51.37);  // turning it on snaps at once
    EXPECT_EQ(host.recomputes, (std::vector<bool>{true, true}));
}

TEST_F(Commands, ImagesStayWithinTwoAndOneHundred)
{
    struct Case {
        int before;
        int button;
        int after;
    };
    for (const Case c : {Case{2, 0, 3}, Case{99, 0, 100}, Case{100, 0, 100}, Case{3, 1, 2}, Case{2, 1, 2}}) {
        state.ni = c.before;
        host.recomputes.clear();
        toolbar_command(context(), toolbar_id::images, c.button);
        EXPECT_EQ(state.ni, c.after) << c.before << " button " << c.button;
        EXPECT_EQ(host.recomputes, std::vector<bool>{true});  // even at a limit
    }
}

TEST_F(Commands, ButtonsThatOpenMenus)
{
    toolbar_command(context(), toolbar_id::units_help, 0);
    toolbar_command(context(), toolbar_id::units_help, 1);
    toolbar_command(context(), toolbar_id::camera, 0);
    toolbar_command(context(), toolbar_id::f_stop_increment, 0);
    toolbar_command(context(), toolbar_id::teleconverter, 0);
    ASSERT_EQ(host.menus.size(), 5u);
    EXPECT_EQ(host.menus[0].anchor, MenuAnchor::Units);
    EXPECT_EQ(host.menus[1].anchor, MenuAnchor::Help);
    EXPECT_EQ(host.menus[2].anchor, MenuAnchor::Camera);
    EXPECT_EQ(host.menus[3].anchor, MenuAnchor::FStopIncrement);
    EXPECT_EQ(host.menus[4].anchor, MenuAnchor::Teleconverter);
    EXPECT_TRUE(host.recomputes.empty());
}

TEST_F(Commands, CameraChoiceWithinTheTable)
{
    cameras->count = 3;
    menu_command(context(), 1003);
    EXPECT_EQ(cameras->current, 2);
    EXPECT_EQ(host.titles, 1);
    EXPECT_EQ(host.recomputes, std::vector<bool>{true});

    menu_command(context(), 1004);  // no fourth camera
    EXPECT_EQ(cameras->current, 2);
    EXPECT_EQ(host.titles, 1);
}

TEST_F(Commands, HelpMenuCommands)
{
    menu_command(context(), 4002);
    menu_command(context(), 4003);
    menu_command(context(), 4004);
    EXPECT_EQ(host.about_boxes, 1);
    EXPECT_EQ(host.documents, (std::vector<HelpDocument>{HelpDocument::QuickStart, HelpDocument::ReferenceManual}));
    menu_command(context(), 4001);  // not a command
    menu_command(context(), 2500);
    EXPECT_TRUE(host.recomputes.empty());
}

TEST_F(Commands, ResetScalesKeepsTheSettingsThatAreNotScales)
{
    state.focal_length = 300;
    state.f_stop = 11;
    state.focus_at = 5000;
    state.near = state.near_limit = 4000;
    state.far = state.far_limit = state.blur_distance = 9000;
    state.fov = 77;
    state.blur_threshold = 3;
    state.fl_zoom = state.fov_zoom = state.blur_zoom = 2;
    state.maxblur = 40;
    state.teleconverter = 2;
    state.mode = Mode::Blur;
    state.units = DistanceUnit::Metre;
    state.macro_units = DistanceUnit::Inch;
    state.snap = 0;
    state.ni = 17;
    state.f_stop_increment = FStopIncrement::ThirdStop;
    cameras->current = 0;

    menu_command(context(), 4005);
    EXPECT_EQ(state.focal_length, 50);
    EXPECT_EQ(state.f_stop, 4);
    EXPECT_EQ(state.focus_at, 1219.2);
    EXPECT_EQ(state.near, 914.4000000000001);
    EXPECT_EQ(state.near_limit, 914.4000000000001);
    EXPECT_EQ(state.far, 1828.8000000000002);
    EXPECT_EQ(state.far_limit, 1828.8000000000002);
    EXPECT_EQ(state.blur_distance, 1828.8000000000002);
    EXPECT_EQ(state.fov, 20);
    EXPECT_EQ(state.blur_threshold, 1);
    EXPECT_EQ(state.fl_zoom, 5);
    EXPECT_EQ(state.fov_zoom, 5);
    EXPECT_EQ(state.blur_zoom, 5);
    EXPECT_EQ(state.maxblur, 16);
    EXPECT_EQ(state.teleconverter, 2);
    EXPECT_EQ(state.mode, Mode::Blur);
    EXPECT_EQ(state.units, DistanceUnit::Metre);
    EXPECT_EQ(state.macro_units, DistanceUnit::Inch);
    EXPECT_EQ(state.snap, 0);
    EXPECT_EQ(state.ni, 17);
    EXPECT_EQ(state.f_stop_increment, FStopIncrement::ThirdStop);
    EXPECT_EQ(host.recomputes, std::vector<bool>{true});
}

}  // namespace

namespace {

TEST_F(Commands, EditingCamerasSortsRetitlesDerivesAndRescales)
{
    install_default_camera(*cameras);
    cameras->count = 2;
    cameras->cameras[1] = default_camera();
    const std::u16string_view first = u"Alpha";
    std::fill(std::begin(cameras->cameras[1].name), std::end(cameras->cameras[1].name), u'\0');
    first.copy(cameras->cameras[1].name, first.size());
    cameras->current = 0;  // the generic camera, which sorts after "Alpha"
    cameras->cameras[1].coc = 0;

    menu_command(context(), 1000);
    EXPECT_EQ(host.camera_dialogs, 1);
    EXPECT_EQ(std::u16string_view(cameras->cameras[0].name), u"Alpha");
    EXPECT_EQ(cameras->current, 1);  // still the generic camera
    EXPECT_GT(cameras->cameras[0].coc, 0);  // derived again
    EXPECT_EQ(host.titles, 1);
    EXPECT_EQ(host.recomputes, std::vector<bool>{true});
}

TEST_F(Commands, NoCameraDialogChangesNothing)
{
    host.camera_dialog_runs = false;
    cameras->count = 1;
    menu_command(context(), 1000);
    EXPECT_EQ(host.camera_dialogs, 1);
    EXPECT_EQ(host.titles, 0);
    EXPECT_TRUE(host.recomputes.empty());
}

}  // namespace
