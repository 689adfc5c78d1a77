// The keyboard: the shortcut table against the toolbars and menus, what each key does per mode,
// the arrows' choice between the focused value and the one under the pointer, and the Tab focus.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/keyboard.h"
#include "app/mouse_input.h"
#include "calc/recompute.h"
#include "support/recording_command_host.h"
#include "support/scale_fixture.h"

namespace {

using Clicks = std::vector<std::pair<int, int>>;

struct Keyboard : ::testing::Test {
    CalcState state;
    std::unique_ptr<CameraTable> cameras = std::make_unique<CameraTable>();
    RecordingCommandHost host;
    KeyFocus focus;

    void set_mode(Mode m)
    {
        state.mode = m;
        recompute(state, current_camera(*cameras), true);
    }
    DetailsScroll scroll;  // the details panel's lines: they scroll when last_first > 0
    bool press(KeyPress k, ScaleValue under_pointer = ScaleValue::None)
    {
        return key_down({{state, *cameras, host}, focus, under_pointer, false, &scroll}, k);
    }
};

KeyPress ctrl(Key k) { return {k, true, false, false}; }
KeyPress alt(Key k) { return {k, false, false, true}; }
KeyPress plain(Key k) { return {k, false, false, false}; }
KeyPress shift(Key k) { return {k, false, true, false}; }

TEST(Shortcuts, EveryToolbarButtonHasOneAndItsHelpTextShowsIt)
{
    std::set<std::tuple<Key, bool, bool>> keys;
    for (const Shortcut& s : shortcuts())
        EXPECT_TRUE(keys.insert({s.key, s.ctrl, s.alt}).second) << "two commands on one key";
    for (const ToolbarDescription& t : toolbar_descriptions()) {
        for (int b = 0; b < static_cast<int>(t.buttons.size()); ++b) {
            const Shortcut* s = toolbar_shortcut(t.control_id, b);
            ASSERT_NE(s, nullptr) << t.control_id << " " << b;
            const std::u16string help = t.buttons[static_cast<std::size_t>(b)].help;
            const std::u16string suffix = u" (" + std::u16string(s->text) + u")";
            ASSERT_GT(help.size(), suffix.size());
            EXPECT_EQ(help.substr(help.size() - suffix.size()), suffix) << t.control_id << " " << b;
        }
    }
    EXPECT_EQ(std::u16string_view(toolbar_description(toolbar_id::mode).buttons[0].help),
              u"Depth of field mode (Ctrl+1)");
    for (const int id : {command_id::edit_camera, command_id::quick_start, command_id::reset_scales,
                         command_id::field_card})
        EXPECT_NE(command_shortcut(id), nullptr) << id;
    EXPECT_EQ(command_shortcut(command_id::quick_start)->text, u"F1");
    EXPECT_EQ(command_shortcut(command_id::about), nullptr);
}

TEST_F(Keyboard, ShortcutsClickTheirButtonsWhileTheButtonsAreShown)
{
    const struct {
        const char* what;
        Mode mode;
        KeyPress key;
        Clicks clicks;
    } cases[] = {
        {"Ctrl+1", Mode::Macro, ctrl(Key::Digit1), {{100, 0}}},
        {"Ctrl+5", Mode::DepthOfField, ctrl(Key::Digit5), {{100, 4}}},
        {"Alt+C", Mode::Blur, alt(Key::C), {{102, 0}}},
        {"Alt+U", Mode::Macro, alt(Key::U), {{101, 0}}},
        {"Alt+H", Mode::DepthOfField, alt(Key::H), {{101, 1}}},
        {"Ctrl+G", Mode::BestFStop, ctrl(Key::G), {{105, 0}}},
        {"Alt+F", Mode::DepthOfField, alt(Key::F), {{103, 0}}},
        {"Alt+T", Mode::Blur, alt(Key::T), {{104, 0}}},
        {"Alt+T in Macro, where the teleconverter is hidden", Mode::Macro, alt(Key::T), {}},
        {"+", Mode::FocusStacking, plain(Key::Plus), {{106, 0}}},
        {"Shift and +", Mode::FocusStacking, shift(Key::Plus), {{106, 0}}},
        {"-", Mode::FocusStacking, plain(Key::Minus), {{106, 1}}},
        {"+ outside FocusStacking", Mode::DepthOfField, plain(Key::Plus), {}},
        {"F10: the first menu, the camera menu", Mode::DepthOfField, plain(Key::F10), {{102, 0}}},
        {"F10 (or Alt alone) in Macro", Mode::Macro, alt(Key::F10), {{102, 0}}},
    };
    for (const auto& c : cases) {
        host = RecordingCommandHost{};
        set_mode(c.mode);
        EXPECT_TRUE(press(c.key)) << c.what;
        EXPECT_EQ(host.clicks, c.clicks) << c.what;
    }
}

TEST_F(Keyboard, CommandShortcutsRunTheirCommands)
{
    EXPECT_TRUE(press(plain(Key::F1)));
    EXPECT_EQ(host.documents, std::vector<HelpDocument>{HelpDocument::QuickStart});
    EXPECT_TRUE(press(ctrl(Key::E)));
    EXPECT_EQ(host.camera_dialogs, 1);
    state.f_stop = 11;
    EXPECT_TRUE(press(ctrl(Key::R)));
    EXPECT_EQ(state.f_stop, 4);
    EXPECT_EQ(host.recomputes, (std::vector<bool>{true, true}));
    EXPECT_TRUE(press(ctrl(Key::P)));
    EXPECT_EQ(host.field_cards.size(), 1u);
}

TEST_F(Keyboard, OtherKeysAreLeftToThePlatform)
{
    for (const KeyPress k : {plain(Key::Other), alt(Key::Other), plain(Key::Digit1), plain(Key::E),
                             KeyPress{Key::Digit1, true, true, false}, ctrl(Key::Up), alt(Key::Tab), ctrl(Key::F1),
                             shift(Key::F10), ctrl(Key::F10)}) {
        EXPECT_FALSE(press(k)) << static_cast<int>(k.key);
    }
    EXPECT_TRUE(host.clicks.empty());
    EXPECT_TRUE(host.documents.empty());
}

TEST_F(Keyboard, ArrowsMoveTheFocusedValueOrElseTheOneUnderThePointer)
{
    set_mode(Mode::DepthOfField);
    const double f_stop = state.f_stop;
    EXPECT_TRUE(press(plain(Key::Up), ScaleValue::Aperture));
    EXPECT_GT(state.f_stop, f_stop);
    EXPECT_EQ(host.repaints, 1);

    EXPECT_TRUE(press(plain(Key::Up)));  // nothing under the pointer, no focus: nothing moves
    EXPECT_EQ(host.repaints, 1);

    focus = {ScaleValue::Lens, true};
    EXPECT_TRUE(press(plain(Key::Down), ScaleValue::Aperture));
    EXPECT_EQ(state.focal_length, 49.5);
    EXPECT_TRUE(press(plain(Key::PageUp), ScaleValue::Aperture));
    EXPECT_GT(state.focal_length, 51);

    focus.shown = false;  // a hidden focus leaves the arrows to the pointer
    const double lens = state.focal_length;
    EXPECT_TRUE(press(plain(Key::PageDown), ScaleValue::Aperture));
    EXPECT_EQ(state.focal_length, lens);
    EXPECT_LT(state.f_stop, f_stop);

    focus = {ScaleValue::Aperture, true};  // a focus the mode has no use for is no focus
    set_mode(Mode::BestFStop);
    const double near = state.near_limit;
    EXPECT_TRUE(press(plain(Key::Up), ScaleValue::NearLimit));
    EXPECT_GT(state.near_limit, near);
}

TEST_F(Keyboard, DuringADragOurKeysAreTakenAndDoNothing)
{
    set_mode(Mode::DepthOfField);
    const CalcState before = state;
    for (const KeyPress k : {ctrl(Key::Digit2), plain(Key::F1), ctrl(Key::R), plain(Key::Up), plain(Key::Tab),
                             plain(Key::PageDown), plain(Key::Escape)}) {
        EXPECT_TRUE(key_down({{state, *cameras, host}, focus, ScaleValue::Aperture, true}, k))
            << static_cast<int>(k.key);
    }
    EXPECT_FALSE(key_down({{state, *cameras, host}, focus, ScaleValue::Aperture, true}, alt(Key::Other)));
    EXPECT_EQ(state.f_stop, before.f_stop);
    EXPECT_EQ(state.focal_length, 50);
    EXPECT_TRUE(host.clicks.empty());
    EXPECT_TRUE(host.documents.empty());
    EXPECT_FALSE(focus.shown);
}

TEST_F(Keyboard, TabCyclesTheModesValuesAndEscapeHidesTheCue)
{
    set_mode(Mode::DepthOfField);
    EXPECT_EQ(focus_cue(focus, state.mode), ScaleValue::None);
    const ScaleValue forwards[] = {ScaleValue::Lens, ScaleValue::Aperture, ScaleValue::Focus,
                                   ScaleValue::BlurThreshold, ScaleValue::Lens};
    for (const ScaleValue v : forwards) {
        EXPECT_TRUE(press(plain(Key::Tab)));
        EXPECT_EQ(focus_cue(focus, state.mode), v);
    }
    EXPECT_TRUE(press(shift(Key::Tab)));
    EXPECT_EQ(focus.value, ScaleValue::BlurThreshold);

    set_mode(Mode::FocusStacking);  // the blur threshold is computed here
    EXPECT_EQ(focus_cue(focus, state.mode), ScaleValue::None);
    EXPECT_TRUE(press(plain(Key::Tab)));
    EXPECT_EQ(focus.value, ScaleValue::Lens);
    EXPECT_TRUE(press(shift(Key::Tab)));
    EXPECT_EQ(focus.value, ScaleValue::NearLimit);

    const int repaints = host.repaints;
    EXPECT_TRUE(press(plain(Key::Escape)));
    EXPECT_EQ(focus_cue(focus, state.mode), ScaleValue::None);
    EXPECT_EQ(host.repaints, repaints + 1);
    EXPECT_TRUE(press(plain(Key::Tab)));
    EXPECT_EQ(focus.value, ScaleValue::NearLimit) << "the first Tab shows the focus where it was";

    // A press on a scale takes the focus there and hides the cue.
    note_press(focus, ScaleValue::FarLimit);
    EXPECT_EQ(focus_cue(focus, state.mode), ScaleValue::None);
    EXPECT_TRUE(press(plain(Key::Tab)));
    EXPECT_EQ(focus.value, ScaleValue::FarLimit);
}

// A page's Tab order: the scales' values, then the page's other controls, and round again. Every
// round, forwards and backwards, visits every value (and the details panel while it scrolls) once.
TEST_F(Keyboard, EveryRoundOfTabOnAPageVisitsEveryValue)
{
    for (const auto& [mode, scrolls] : {std::pair{Mode::DepthOfField, false}, {Mode::BestFStop, true}, {Mode::FocusStacking, false},
                                        {Mode::Blur, true}, {Mode::Macro, false}, {Mode::Macro, true}}) {
        set_mode(mode);
        scroll.last_first = scrolls ? 4 : 0;  // the details panel's lines scroll, or not
        std::vector<ScaleValue> stops(scale_values(mode).begin(), scale_values(mode).end()), visited;
        if (scrolls) stops.push_back(ScaleValue::Details);
        for (const bool back : {false, true, false, false, true}) {
            for (enter_values(focus, mode, back, scrolls); visited.size() < 9; press({Key::Tab, false, back, false})) {
                visited.push_back(focus_cue(focus, mode, scrolls));
                if (tab_leaves_values(focus, mode, back, scrolls)) break;
            }
            if (back) std::reverse(visited.begin(), visited.end());
            EXPECT_EQ(std::exchange(visited, {}), stops) << static_cast<int>(mode) << scrolls << back;
            press(plain(Key::Escape));  // the page's other controls take the focus: the cue goes
        }
    }
}

TEST(ScaleValueAt, IsWhatALeftPressThereWouldSet)
{
    using scale_fixture::aperture_x;
    using scale_fixture::blur_x;
    using scale_fixture::distance_x;
    using scale_fixture::lens_x;
    ScaleGeometry g = scale_fixture::geometry();
    g.near_row = 320;
    g.focus_row = 300;
    g.far_row = 280;
    const struct {
        Mode mode;
        int x;
        int y;
        ScaleValue value;
    } cases[] = {
        {Mode::DepthOfField, distance_x, 450, ScaleValue::Focus},
        {Mode::DepthOfField, lens_x, 200, ScaleValue::Lens},
        {Mode::DepthOfField, aperture_x, 200, ScaleValue::Aperture},
        {Mode::DepthOfField, blur_x, 200, ScaleValue::BlurThreshold},
        {Mode::DepthOfField, 90, 200, ScaleValue::None},  // between two scales
        {Mode::DepthOfField, distance_x, 99, ScaleValue::None},  // above the scales
        {Mode::BestFStop, distance_x, 330, ScaleValue::NearLimit},
        {Mode::BestFStop, distance_x, 200, ScaleValue::FarLimit},
        {Mode::BestFStop, aperture_x, 200, ScaleValue::None},
        {Mode::FocusStacking, blur_x, 200, ScaleValue::None},
        {Mode::Blur, distance_x, 318, ScaleValue::Object},
        {Mode::Blur, distance_x, 302, ScaleValue::Focus},
        {Mode::Blur, blur_x, 200, ScaleValue::None},
        {Mode::Macro, distance_x, 300, ScaleValue::None},
        {Mode::Macro, lens_x, 300, ScaleValue::Lens},
        {Mode::Macro, blur_x, 300, ScaleValue::BlurThreshold},
    };
    for (const auto& c : cases) {
        CalcState s;
        s.mode = c.mode;
        EXPECT_EQ(scale_value_at(c.x, c.y, s, g), c.value)
            << static_cast<int>(c.mode) << " at " << c.x << "," << c.y;
    }
}

}  // namespace
