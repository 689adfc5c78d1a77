// The camera properties dialog against a fake window: what it shows, what it accepts, and how
// New, Delete, Prev, Next and closing move through the camera table.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "calc/calc_state.h"
#include "cameras/camera_dialog.h"
#include "cameras/settings.h"
#include "support/close_to.h"
#include "support/fake_dialog_view.h"
#include "support/u16_text.h"
#include "text/format.h"
#include "text/title.h"

namespace {

namespace id = camera_control;

constexpr int button_clicked = 0;  // BN_CLICKED
constexpr int combo_set_focus = 3;  // CBN_SETFOCUS

void name_camera(Camera& camera, std::u16string_view name)
{
    std::fill(std::begin(camera.name), std::end(camera.name), u'\0');
    name.copy(camera.name, name.size());
}

std::u16string name_of(const Camera& camera)
{
    return std::u16string(camera.name);
}

bool same_inputs(const Camera& a, const Camera& b)
{
    return name_of(a) == name_of(b) && a.type == b.type && a.focal_length_entry == b.focal_length_entry &&
           a.coc_method == b.coc_method && a.frame_width_mm == b.frame_width_mm &&
           a.frame_height_mm == b.frame_height_mm && a.frame_width_px == b.frame_width_px &&
           a.frame_height_px == b.frame_height_px && a.film_resolution == b.film_resolution &&
           a.custom_coc == b.custom_coc && a.visual_resolution == b.visual_resolution &&
           a.allowable_blur == b.allowable_blur && a.print_size == b.print_size &&
           a.viewing_distance == b.viewing_distance && a.wavelength == b.wavelength;
}

// A dialog opened over a table: by default the table holds only the built-in camera.
struct Dialog {
    std::unique_ptr<CameraTable> table = std::make_unique<CameraTable>();
    std::unique_ptr<CameraTable> opened = std::make_unique<CameraTable>();
    FakeDialogView view;

    Dialog() { install_default_camera(*table); }

    // Cameras named as given, each with the built-in camera's inputs.
    explicit Dialog(std::initializer_list<std::u16string_view> names, int current = 0)
    {
        int i = 0;
        for (std::u16string_view name : names) {
            Camera& c = table->cameras[static_cast<std::size_t>(i++)];
            c = default_camera();
            name_camera(c, name);
        }
        table->count = i;
        table->current = current;
    }

    Dialog& open()
    {
        camera_dialog_init(*table, view, *opened);
        return *this;
    }
    Camera& shown() { return current_camera(*table); }
    void type(int control, std::u16string_view text) { view.texts[control] = std::u16string(text); }
    bool press(int control) { return camera_dialog_command(*table, *opened, view, control, button_clicked); }
    void pick(int combo, int index, int notification = combo_selection_changed)
    {
        view.selections[combo] = index;
        camera_dialog_command(*table, *opened, view, combo, notification);
    }
    std::u16string text(int control) { return view.texts[control]; }
    std::u16string last_error() const { return view.errors.empty() ? u"" : view.errors.back(); }
};

// ---------------------------------------------------------------------------------------------
// Opening

TEST(CameraDialogOpen, ShowsTheDefaultCameraInEveryControl)
{
    Dialog d;
    d.open();

    struct Shown {
        int control;
        std::u16string_view text;
    };
    const Shown expected[] = {
        {id::name, u"Generic 35mm film camera (Sharp print)"},
        {id::frame_width_mm, u"36"},
        {id::frame_width_px, u"6000"},
        {id::frame_height_mm, u"24"},
        {id::frame_height_px, u"4000"},
        {id::film_resolution, u"75"},
        {id::custom_coc, u"0.033"},
        {id::visual_resolution, u"1.00"},
        {id::allowable_blur, u"2.00"},
        {id::print_size, u"12.00"},
        {id::viewing_distance, u"18.00"},
        {id::wavelength, u"550.00"},
        {id::coc, u"0.03142 mm"},
        {id::diffraction_limit, u"f/23.41"},
        {id::crop_factor, u"1"},
        {id::megapixels, u"19.44"},
        {id::allowable_blur_unit, u"details"},  // what the allowable blur of a print counts
    };
    for (const Shown& s : expected)
        EXPECT_EQ(printable(d.text(s.control)), printable(s.text)) << "control " << s.control;

    EXPECT_EQ(d.view.selections[id::coc_method], 1);  // Sharp Print
    EXPECT_EQ(d.view.selections[id::type], 1);        // Film
    EXPECT_EQ(d.view.selections[id::focal_length_entry], 0);  // Enter actual
    EXPECT_EQ(d.view.main_title, window_title(*d.table).view());
    EXPECT_TRUE(d.view.errors.empty());
    EXPECT_EQ(d.view.ended, 0);
}

// A stored value the usual decimals would show wrongly gets the decimals it needs, so an Apply with
// nothing typed stores exactly what was there; a readout above zero never reads 0.
TEST(CameraDialogOpen, ShowsEveryStoredValueAsItIs)
{
    struct Row {
        double Camera::*field;
        double value;
        int control;
        std::u16string_view shown;
    };
    const Row rows[] = {
        {&Camera::print_size, 0.005, id::print_size, u"0.005"},
        {&Camera::print_size, 12.345, id::print_size, u"12.345"},
        {&Camera::print_size, 12.34, id::print_size, u"12.34"},
        {&Camera::frame_width_mm, 23.46, id::frame_width_mm, u"23.46"},
        {&Camera::visual_resolution, 0.001, id::visual_resolution, u"0.001"},
        {&Camera::custom_coc, 0.00001, id::custom_coc, u"0.00001"},
        {&Camera::custom_coc, 0.00001, id::coc, u"0.000010 mm"},
        {&Camera::custom_coc, 0.00001, id::diffraction_limit, u"f/0.0075"},
        {&Camera::custom_coc, 0.0001, id::diffraction_limit, u"f/0.075"},
        {&Camera::custom_coc, 0.001, id::diffraction_limit, u"f/0.75"},
    };
    for (const Row& row : rows) {
        Dialog d;
        d.shown().coc_method = CocMethod::CustomCoc;
        d.shown().*row.field = row.value;
        derive_camera(d.shown());
        d.open();
        EXPECT_EQ(printable(d.text(row.control)), printable(row.shown)) << row.value;
        const Camera before = d.shown();
        d.press(id::apply);
        EXPECT_TRUE(d.view.errors.empty());
        EXPECT_TRUE(same_inputs(d.shown(), before)) << row.value;
    }
}

TEST(CameraDialogOpen, ComboItemsAreNumberedAsTheirValues)
{
    Dialog d;
    d.open();
    using Items = std::vector<std::u16string>;
    EXPECT_EQ(d.view.items[id::coc_method], (Items{u"Sharp Image", u"Sharp Print", u"Custom CoC"}));
    EXPECT_EQ(d.view.items[id::type], (Items{u"Digital", u"Film"}));
    EXPECT_EQ(d.view.items[id::focal_length_entry], (Items{u"Enter actual", u"Enter 35mm equivalent"}));
}

TEST(CameraDialogOpen, DefaultCameraEnablesOnlyWhatSharpPrintOnFilmUses)
{
    Dialog d;
    d.open();
    struct State {
        int control;
        bool enabled;
    };
    const State expected[] = {
        {id::delete_camera, false}, {id::prev, false},           {id::next, false},
        {id::frame_width_px, false}, {id::frame_height_px, false}, {id::custom_coc, false},
        {id::film_resolution, true}, {id::type, true},            {id::allowable_blur, true},
        {id::visual_resolution, true}, {id::print_size, true},     {id::viewing_distance, true},
        {id::name, true},           {id::frame_width_mm, true},  {id::wavelength, true},
        {id::apply, true},          {id::new_camera, true},
    };
    for (const State& s : expected)
        EXPECT_EQ(d.view.is_enabled(s.control), s.enabled) << "control " << s.control;
}

TEST(CameraDialogOpen, StoredCameraFailingACheckIsReportedAtOnce)
{
    Dialog d;
    d.shown().wavelength = 1;
    d.open();
    EXPECT_EQ(d.view.errors, std::vector<std::u16string>{u"Illegal wavelength"});
    EXPECT_EQ(d.text(id::wavelength), u"1.00");
    EXPECT_EQ(d.shown().wavelength, 1);
}

TEST(CameraDialogOpen, EmptyTableOrStrayIndexIsMadeUsable)
{
    Dialog empty;
    empty.table->count = 0;
    empty.open();
    EXPECT_EQ(empty.table->count, 1);
    EXPECT_EQ(empty.view.main_title, window_title(*empty.table).view());

    Dialog stray({u"A", u"B"}, 5);
    stray.open();
    EXPECT_EQ(stray.table->current, 0);
    EXPECT_EQ(stray.text(id::name), u"A");
}

TEST(CameraDialogOpen, NumbersUseTheLocaleDecimalPoint)
{
    struct CommaLocale {
        CommaLocale() { set_decimal_point(u','); }
        ~CommaLocale() { set_decimal_point(u'.'); }
    } comma;
    Dialog d;
    d.open();
    EXPECT_EQ(d.text(id::custom_coc), u"0,033");
    EXPECT_EQ(d.text(id::visual_resolution), u"1,00");
    EXPECT_EQ(d.text(id::coc), u"0,03142 mm");
    EXPECT_EQ(d.text(id::diffraction_limit), u"f/23,41");
    EXPECT_TRUE(d.view.errors.empty());  // the opening apply read its own texts back
    EXPECT_TRUE(close_to(d.shown().custom_coc, 0.033));
}

// ---------------------------------------------------------------------------------------------
// Checking the fields

double stored(const Camera& c, int control)
{
    switch (control) {
    case id::frame_width_mm: return c.frame_width_mm;
    case id::frame_height_mm: return c.frame_height_mm;
    case id::frame_width_px: return c.frame_width_px;
    case id::frame_height_px: return c.frame_height_px;
    case id::film_resolution: return c.film_resolution;
    case id::custom_coc: return c.custom_coc;
    case id::visual_resolution: return c.visual_resolution;
    case id::allowable_blur: return c.allowable_blur;
    case id::print_size: return c.print_size;
    case id::viewing_distance: return c.viewing_distance;
    case id::wavelength: return c.wavelength;
    default: ADD_FAILURE() << "no field for control " << control; return 0;
    }
}

struct FieldCase {
    int control;
    std::u16string_view typed;
    std::u16string_view error;  // empty: accepted
    double value;               // the stored value when accepted
};

const FieldCase field_cases[] = {
    {id::frame_width_mm, u"0", u"Illegal frame width (mm)", 0},
    {id::frame_width_mm, u"-36", u"Illegal frame width (mm)", 0},
    {id::frame_width_mm, u"\u221236", u"Illegal frame width (mm)", 0},
    {id::frame_width_mm, u"", u"Illegal frame width (mm)", 0},
    {id::frame_width_mm, u"36 ", u"Illegal frame width (mm)", 0},
    {id::frame_width_mm, u"36mm", u"Illegal frame width (mm)", 0},
    {id::frame_width_mm, u"0.01", u"", 0.01},
    {id::frame_width_mm, u"1,5", u"", 1.5},
    // Beyond 1e9 the settings file's reader would put the default back.
    {id::frame_width_mm, u"2e9", u"Illegal frame width (mm)", 0},
    {id::frame_width_mm, u"1e9", u"", 1e9},
    {id::frame_width_mm, u"1e99", u"Illegal frame width (mm)", 0},
    // Values are kept with the decimals the settings file has for them: one it writes as 0 is refused.
    {id::frame_width_mm, u"0.004", u"Illegal frame width (mm)", 0},
    {id::frame_width_mm, u"0.005", u"", 0.01},
    {id::frame_width_mm, u"23.456", u"", 23.46},
    {id::frame_height_mm, u"0.004", u"Illegal frame height (mm)", 0},
    {id::frame_height_mm, u"0", u"Illegal frame height (mm)", 0},
    {id::frame_height_mm, u"15.6", u"", 15.6},
    {id::frame_width_px, u"1", u"Illegal frame width (pixels)", 0},
    {id::frame_width_px, u"2", u"", 2},
    {id::frame_width_px, u"2.5", u"Illegal frame width (pixels)", 0},
    {id::frame_width_px, u"", u"Illegal frame width (pixels)", 0},
    {id::frame_width_px, u"99999999999", u"Illegal frame width (pixels)", 0},
    {id::frame_height_px, u"1", u"Illegal frame height (pixels)", 0},
    {id::frame_height_px, u"2", u"", 2},
    {id::frame_height_px, u"-4000", u"Illegal frame height (pixels)", 0},
    {id::film_resolution, u"0", u"Illegal film resolution", 0},
    {id::film_resolution, u"0.5", u"", 0.5},
    {id::film_resolution, u"0.001", u"Illegal film resolution", 0},
    {id::custom_coc, u"0", u"Illegal circle of confusion", 0},
    {id::custom_coc, u"0,02", u"", 0.02},
    {id::custom_coc, u"0.000004", u"Illegal circle of confusion", 0},
    {id::custom_coc, u"0.000005", u"", 0.00001},
    {id::custom_coc, u"0.00001", u"", 0.00001},
    // No resolution at all would make a Sharp Print CoC of 0; from 90 degrees on it has no tangent.
    {id::visual_resolution, u"0", u"Illegal visual resolution (above 0 and at most 5000 arc minutes)", 0},
    {id::visual_resolution, u"0.0004", u"Illegal visual resolution (above 0 and at most 5000 arc minutes)", 0},
    {id::visual_resolution, u"-0.1", u"Illegal visual resolution (above 0 and at most 5000 arc minutes)", 0},
    {id::visual_resolution, u"0.001", u"", 0.001},
    {id::visual_resolution, u"5000", u"", 5000},
    {id::visual_resolution, u"5000.001", u"Illegal visual resolution (above 0 and at most 5000 arc minutes)", 0},
    {id::visual_resolution, u"1000000001", u"Illegal visual resolution (above 0 and at most 5000 arc minutes)", 0},
    {id::allowable_blur, u"0.5", u"Illegal allowable blur", 0},
    {id::allowable_blur, u"1", u"", 1},
    {id::allowable_blur, u"100", u"", 100},
    {id::allowable_blur, u"101", u"Illegal allowable blur", 0},
    {id::allowable_blur, u"100.01", u"Illegal allowable blur", 0},
    {id::print_size, u"0", u"Illegal print size", 0},
    {id::print_size, u"50%", u"", 0.5},
    {id::print_size, u"%", u"Illegal print size", 0},
    {id::print_size, u"0.0004", u"Illegal print size", 0},
    {id::print_size, u"0.004", u"", 0.004},
    {id::print_size, u"12.3456", u"", 12.346},
    {id::viewing_distance, u"0", u"Illegal viewing distance", 0},
    {id::viewing_distance, u"1.2.3", u"Illegal viewing distance", 0},
    {id::viewing_distance, u"1e99", u"Illegal viewing distance", 0},
    {id::wavelength, u"4", u"Illegal wavelength", 0},
    {id::wavelength, u"4.99", u"Illegal wavelength", 0},
    {id::wavelength, u"5", u"", 5},
    {id::wavelength, u"5000", u"", 5000},
    {id::wavelength, u"5e3", u"", 5000},
    {id::wavelength, u"5001", u"Illegal wavelength", 0},
};

TEST(CameraDialogApply, EachFieldAcceptsExactlyItsRange)
{
    for (const FieldCase& c : field_cases) {
        SCOPED_TRACE(printable(c.typed));
        SCOPED_TRACE(c.control);
        Dialog d;
        d.open();
        const Camera before = d.shown();
        const std::u16string shown_before = d.text(c.control);
        d.type(c.control, c.typed);
        d.press(id::apply);
        if (c.error.empty()) {
            EXPECT_TRUE(d.view.errors.empty()) << printable(d.last_error());
            EXPECT_TRUE(close_to(stored(d.shown(), c.control), c.value));
            const Camera applied = d.shown();
            d.press(id::apply);  // what is shown now is accepted again, and changes nothing
            EXPECT_TRUE(d.view.errors.empty()) << printable(d.last_error());
            EXPECT_TRUE(same_inputs(d.shown(), applied));
        } else {
            EXPECT_EQ(d.view.errors, std::vector<std::u16string>{std::u16string(c.error)});
            EXPECT_TRUE(same_inputs(d.shown(), before));
            EXPECT_EQ(d.text(c.control), c.typed);  // kept as typed, selected for correcting
            EXPECT_EQ(d.view.selected, c.control);
        }
        (void)shown_before;
    }
}

TEST(CameraDialogApply, ReportsOnlyTheFirstInvalidFieldInCheckOrder)
{
    struct Field {
        int control;
        std::u16string_view bad;
        std::u16string_view good;
        std::u16string_view message;
    };
    // The check order; the pixel fields are disabled for this camera and are checked all the same.
    const Field order[] = {
        {id::frame_width_mm, u"0", u"35", u"Illegal frame width (mm)"},
        {id::frame_height_mm, u"0", u"23", u"Illegal frame height (mm)"},
        {id::frame_width_px, u"1", u"5000", u"Illegal frame width (pixels)"},
        {id::frame_height_px, u"1", u"3000", u"Illegal frame height (pixels)"},
        {id::film_resolution, u"0", u"80", u"Illegal film resolution"},
        {id::custom_coc, u"0", u"0.03", u"Illegal circle of confusion"},
        {id::visual_resolution, u"-1", u"1.5", u"Illegal visual resolution (above 0 and at most 5000 arc minutes)"},
        {id::allowable_blur, u"0", u"3", u"Illegal allowable blur"},
        {id::print_size, u"0", u"10", u"Illegal print size"},
        {id::viewing_distance, u"0", u"20", u"Illegal viewing distance"},
        {id::wavelength, u"0", u"600", u"Illegal wavelength"},
        {id::name, u"Say \"cheese\"", u"Mine", u"Illegal camera name (no double quotes)"},
    };
    Dialog d;
    d.open();
    const Camera before = d.shown();
    ASSERT_FALSE(d.view.is_enabled(id::frame_width_px));
    for (const Field& f : order)
        d.type(f.control, f.bad);
    for (std::size_t i = 0; i < std::size(order); ++i) {
        const std::size_t reported = d.view.errors.size();
        EXPECT_FALSE(apply_camera_dialog(*d.table, d.view));
        ASSERT_EQ(d.view.errors.size(), reported + 1);
        EXPECT_EQ(printable(d.last_error()), printable(order[i].message));
        EXPECT_TRUE(same_inputs(d.shown(), before)) << "stored after " << printable(order[i].message);
        d.type(order[i].control, order[i].good);
    }
    EXPECT_TRUE(apply_camera_dialog(*d.table, d.view));
    EXPECT_EQ(d.shown().frame_width_mm, 35);
    EXPECT_EQ(d.shown().frame_height_px, 3000);
    EXPECT_EQ(d.shown().wavelength, 600);
    EXPECT_EQ(name_of(d.shown()), u"Mine");
}

TEST(CameraDialogApply, StoresTheSelectionsAndDerivesTheCamera)
{
    Dialog d;
    d.open();
    d.view.selections[id::coc_method] = 0;  // Sharp Image
    d.view.selections[id::type] = 0;        // Digital
    d.view.selections[id::focal_length_entry] = 1;
    d.type(id::frame_width_mm, u"23.5");
    d.type(id::frame_height_mm, u"15.6");
    ASSERT_TRUE(apply_camera_dialog(*d.table, d.view));
    const Camera& c = d.shown();
    EXPECT_EQ(c.coc_method, CocMethod::SharpImage);
    EXPECT_EQ(c.type, CameraType::Digital);
    EXPECT_EQ(c.focal_length_entry, FocalLengthEntry::Equivalent35mm);
    EXPECT_TRUE(close_to(c.coc, 23.5 * 2 / 6000));
    EXPECT_TRUE(close_to(c.crop_factor, 1.5339, 1e-4));
    EXPECT_TRUE(close_to(c.megapixels, 24));
}

TEST(CameraDialogApply, ComboWithoutSelectionKeepsTheStoredValue)
{
    Dialog d;
    d.open();
    for (int combo : {id::coc_method, id::type, id::focal_length_entry})
        d.view.selections[combo] = -1;
    ASSERT_TRUE(apply_camera_dialog(*d.table, d.view));
    EXPECT_EQ(d.shown().coc_method, CocMethod::SharpPrint);
    EXPECT_EQ(d.shown().type, CameraType::Film);
    EXPECT_EQ(d.shown().focal_length_entry, FocalLengthEntry::Actual);

    d.pick(id::type, -1);
    EXPECT_EQ(d.shown().type, CameraType::Film);
}

// ---------------------------------------------------------------------------------------------
// The name

TEST(CameraDialogName, EditIsLimitedSoACameraLineAlwaysFits)
{
    Dialog d;
    d.open();
    EXPECT_EQ(d.view.limits[id::name], camera_name_edit_limit);

    // The widest camera the limit allows for: highest index, 32-bit pixel counts, bounded fields
    // at their maximum and the rest just below a million.
    auto table = std::make_unique<CameraTable>();
    table->count = max_cameras;
    for (int i = 0; i < max_cameras; ++i)
        table->cameras[static_cast<std::size_t>(i)] = default_camera();
    Camera& c = table->cameras[max_cameras - 1];
    c.coc_method = CocMethod::CustomCoc;
    c.frame_width_mm = c.frame_height_mm = c.film_resolution = 999999.99;
    c.visual_resolution = c.print_size = c.viewing_distance = 999999.999;
    c.custom_coc = 999999.99999;
    c.frame_width_px = c.frame_height_px = 2147483647;
    c.allowable_blur = 100;
    c.wavelength = 5000;
    c.focal_length_entry = FocalLengthEntry::Equivalent35mm;
    const std::u16string longest(static_cast<std::size_t>(camera_name_edit_limit), u'x');
    name_camera(c, longest);
    EXPECT_EQ(camera_name_room(c, max_cameras - 1), static_cast<std::size_t>(camera_name_edit_limit));

    // The settings writer keeps the whole name, and the line is exactly as long as the reader takes.
    const std::u16string text = settings_text(CalcState{}, *table);
    const std::size_t at = text.find(u"camera 999 \"" + longest + u"\"");
    ASSERT_NE(at, std::u16string::npos);
    EXPECT_EQ(text.find(u'\n', at) - at, settings_line_units);
}

TEST(CameraDialogName, NameMustFitTheLineOfItsOwnValues)
{
    Dialog d;
    d.open();
    const std::size_t room = camera_name_room(d.shown(), 0);
    ASSERT_GT(room, static_cast<std::size_t>(camera_name_edit_limit));  // ordinary values leave more room

    // A name longer than the edit takes by typing, as a settings file can hold it, is kept.
    const std::u16string fits(room, u'n');
    d.type(id::name, fits);
    EXPECT_TRUE(apply_camera_dialog(*d.table, d.view));
    EXPECT_EQ(name_of(d.shown()), fits);

    d.type(id::name, fits + u"n");
    EXPECT_FALSE(apply_camera_dialog(*d.table, d.view));
    EXPECT_EQ(d.last_error(), u"Illegal camera name (too long)");
    EXPECT_EQ(name_of(d.shown()), fits);

    // A value that leaves the stored name no room is refused as that value, as is one too
    // large to keep.
    d.type(id::name, fits);
    for (std::u16string_view large : {u"1e50", u"123456789"}) {
        d.type(id::print_size, large);
        EXPECT_FALSE(apply_camera_dialog(*d.table, d.view));
        EXPECT_EQ(d.last_error(), u"Illegal print size");
    }
    // With a name that fits beside it the same value is kept.
    d.type(id::name, u"short");
    EXPECT_TRUE(apply_camera_dialog(*d.table, d.view));
    EXPECT_EQ(d.shown().print_size, 123456789);
    // A name too long for the stored values is the name's fault, whatever else was typed.
    d.type(id::name, fits + u"n");
    d.type(id::print_size, u"12");
    EXPECT_FALSE(apply_camera_dialog(*d.table, d.view));
    EXPECT_EQ(d.last_error(), u"Illegal camera name (too long)");
}

// The name room is that of the camera's own index, as the settings file's reader and writer
// count it: a name loaded whole is accepted when the dialog opens.
TEST(CameraDialogName, NameFillingItsLoadedLineIsAccepted)
{
    const std::u16string head = u"camera 0 \"";
    const std::u16string values = u" 1 1 36.00 6000 24.00 4000 75.00 0.03300 2.000 1.000 12.000 18.000 550.00 0";
    const std::u16string name(settings_line_units - head.size() - 1 - values.size(), u'n');
    Dialog d;
    CalcState state;
    load_settings_text(u"Qel 1.0\nncameras 1 0\n" + head + name + u"\"" + values + u"\nend\n", state, *d.table);
    d.open();
    EXPECT_TRUE(d.view.errors.empty()) << printable(d.last_error());
    EXPECT_EQ(name_of(d.shown()), name);
}

TEST(CameraDialogName, AcceptedLongNameSurvivesSavingAndLoading)
{
    Dialog d;
    d.open();
    const std::u16string name = std::u16string(camera_name_room(d.shown(), 0) - 1, u'y') + u"\u00E9";
    d.type(id::name, name);
    ASSERT_TRUE(apply_camera_dialog(*d.table, d.view));

    CalcState state;
    auto loaded = std::make_unique<CameraTable>();
    load_settings_text(settings_text(state, *d.table), state, *loaded);
    ASSERT_EQ(loaded->count, 1);
    EXPECT_EQ(name_of(loaded->cameras[0]), name);
    EXPECT_TRUE(same_inputs(loaded->cameras[0], d.shown()));
}

TEST(CameraDialogName, DoubleQuoteIsRefusedOtherQuotesAreKept)
{
    Dialog d;
    d.open();
    d.type(id::name, u"Nikon \"F\"");
    d.press(id::apply);
    EXPECT_EQ(d.view.errors, std::vector<std::u16string>{u"Illegal camera name (no double quotes)"});
    EXPECT_EQ(d.text(id::name), u"Nikon \"F\"");
    EXPECT_EQ(name_of(d.shown()), u"Generic 35mm film camera (Sharp print)");

    d.type(id::name, u"Nikon \u201CF\u201D");
    d.press(id::apply);
    EXPECT_EQ(d.view.errors.size(), 1u);
    EXPECT_EQ(name_of(d.shown()), u"Nikon \u201CF\u201D");
    EXPECT_EQ(d.view.main_title, window_title(*d.table).view());
}

// ---------------------------------------------------------------------------------------------
// The three combo boxes

TEST(CameraDialogMethod, EnabledControlsFollowMethodAndType)
{
    struct Case {
        int method;
        int type;
        bool pixels, film, type_box, custom, blur, print;  // print: visual resolution, print size, viewing distance
    };
    const Case cases[] = {
        {0, 0, true, false, true, false, true, false},  // Sharp Image, Digital
        {0, 1, false, true, true, false, true, false},  // Sharp Image, Film
        {1, 0, true, false, true, false, true, true},   // Sharp Print, Digital
        {1, 1, false, true, true, false, true, true},   // Sharp Print, Film
        {2, 0, false, false, false, true, false, false},
        {2, 1, false, false, false, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "method " << c.method << ", type " << c.type);
        Dialog d;
        d.open();
        d.pick(id::type, c.type);
        d.pick(id::coc_method, c.method);
        ASSERT_TRUE(d.view.errors.empty());
        EXPECT_EQ(static_cast<int>(d.shown().coc_method), c.method);
        EXPECT_EQ(static_cast<int>(d.shown().type), c.type);
        const FakeDialogView& v = d.view;
        EXPECT_EQ(v.is_enabled(id::frame_width_px), c.pixels);
        EXPECT_EQ(v.is_enabled(id::frame_height_px), c.pixels);
        EXPECT_EQ(v.is_enabled(id::film_resolution), c.film);
        EXPECT_EQ(v.is_enabled(id::type), c.type_box);
        EXPECT_EQ(v.is_enabled(id::custom_coc), c.custom);
        EXPECT_EQ(v.is_enabled(id::allowable_blur), c.blur);
        EXPECT_EQ(v.is_enabled(id::visual_resolution), c.print);
        EXPECT_EQ(v.is_enabled(id::print_size), c.print);
        EXPECT_EQ(v.is_enabled(id::viewing_distance), c.print);
        EXPECT_TRUE(v.is_enabled(id::frame_width_mm));
        EXPECT_TRUE(v.is_enabled(id::wavelength));
    }
}

TEST(CameraDialogMethod, SwitchingToCustomCocShowsTheCustomValue)
{
    Dialog d;
    d.open();
    d.pick(id::coc_method, 2);
    EXPECT_EQ(d.text(id::coc), u"0.03300 mm");
    EXPECT_EQ(d.text(id::diffraction_limit), u"f/24.59");
    EXPECT_EQ(d.text(id::crop_factor), u"1");      // independent of the method
    EXPECT_EQ(d.text(id::megapixels), u"19.44");
}

TEST(CameraDialogMethod, RefusedApplyPutsTheBoxBackAndKeepsEveryTypedField)
{
    Dialog d;
    d.open();
    d.type(id::frame_height_mm, u"30");
    d.type(id::frame_width_mm, u"0");
    d.pick(id::coc_method, 2);
    EXPECT_EQ(d.view.errors, std::vector<std::u16string>{u"Illegal frame width (mm)"});
    EXPECT_EQ(d.shown().coc_method, CocMethod::SharpPrint);
    EXPECT_EQ(d.view.selections[id::coc_method], 1);
    EXPECT_EQ(d.text(id::frame_width_mm), u"0");
    EXPECT_EQ(d.text(id::frame_height_mm), u"30");
    EXPECT_EQ(d.shown().frame_height_mm, 24);  // nothing applied until every field is valid
}

TEST(CameraDialogMethod, OnlyASelectionChangeOfTheMethodBoxIsHandled)
{
    Dialog d;
    d.open();
    d.type(id::frame_width_mm, u"0");
    EXPECT_FALSE(camera_dialog_command(*d.table, *d.opened, d.view, id::coc_method, combo_set_focus));
    EXPECT_TRUE(d.view.errors.empty());
}

TEST(CameraDialogType, AnyNotificationAppliesAndTheTypeIsStoredEvenWhenRefused)
{
    Dialog d;
    d.open();
    d.pick(id::coc_method, 0);  // Sharp Image: the type decides the CoC
    ASSERT_TRUE(d.view.errors.empty());
    d.type(id::wavelength, u"1");
    d.pick(id::type, 0, combo_set_focus);
    EXPECT_EQ(d.view.errors, std::vector<std::u16string>{u"Illegal wavelength"});
    EXPECT_EQ(d.shown().type, CameraType::Digital);
    EXPECT_EQ(d.shown().wavelength, 550);
    EXPECT_EQ(d.text(id::wavelength), u"1");
    // The readouts follow the new type: one pixel of 36 / 6000 mm, twice.
    EXPECT_EQ(d.text(id::coc), u"0.01200 mm");
    EXPECT_EQ(d.text(id::megapixels), u"24");
    EXPECT_TRUE(d.view.is_enabled(id::frame_width_px));
    EXPECT_FALSE(d.view.is_enabled(id::film_resolution));
}

TEST(CameraDialogFocalLength, AnyNotificationAppliesAndTheEntryIsStoredEvenWhenRefused)
{
    Dialog d;
    d.open();
    d.type(id::print_size, u"0");
    d.pick(id::focal_length_entry, 1, combo_set_focus);
    EXPECT_EQ(d.view.errors, std::vector<std::u16string>{u"Illegal print size"});
    EXPECT_EQ(d.shown().focal_length_entry, FocalLengthEntry::Equivalent35mm);
    EXPECT_EQ(d.view.selections[id::focal_length_entry], 1);
    EXPECT_EQ(d.text(id::print_size), u"0");
}

// ---------------------------------------------------------------------------------------------
// New, Delete, Prev, Next, closing

TEST(CameraDialogNew, CopiesTheCurrentCameraUnderThePlaceholderName)
{
    Dialog d;
    d.open();
    d.pick(id::coc_method, 2);
    d.type(id::name, u"Mine");
    d.type(id::frame_width_mm, u"24");  // typed edits are applied before the copy
    EXPECT_TRUE(d.press(id::new_camera));

    ASSERT_EQ(d.table->count, 2);
    EXPECT_EQ(d.table->current, 1);
    const Camera& old_camera = d.table->cameras[0];
    const Camera& added = d.table->cameras[1];
    EXPECT_EQ(name_of(old_camera), u"Mine");
    EXPECT_EQ(old_camera.frame_width_mm, 24);
    Camera expected = old_camera;
    name_camera(expected, u"Enter name here");
    EXPECT_TRUE(same_inputs(added, expected));
    EXPECT_EQ(added.coc_method, CocMethod::CustomCoc);
    EXPECT_EQ(added.coc, old_camera.coc);
    EXPECT_EQ(added.crop_factor, old_camera.crop_factor);

    EXPECT_EQ(d.text(id::name), u"Enter name here");
    EXPECT_EQ(d.view.main_title, window_title(*d.table).view());
    EXPECT_TRUE(d.view.is_enabled(id::delete_camera));
    EXPECT_TRUE(d.view.is_enabled(id::prev));
    EXPECT_FALSE(d.view.is_enabled(id::next));
    EXPECT_TRUE(d.view.errors.empty());
    EXPECT_EQ(d.view.selected, id::name);  // the placeholder selected, for typing the name over it
}

TEST(CameraDialogNew, UnnamedCameraCannotBeLeftUntilNamed)
{
    // The placeholder as New leaves it, and the names typed over it that name nothing either.
    const std::u16string_view no_names[] = {
        u"Enter name here", u"", u" ", u"   ", u"\t", u" \t \r\n ",
        u"\u00A0", u"\u3000 \u2003",  // no-break, ideographic and em spaces
    };
    const int leave_by[] = {id::new_camera, id::prev, id::next, 0 /* close */};
    for (std::u16string_view no_name : no_names) {
        SCOPED_TRACE(testing::Message() << "name of " << no_name.size() << " units");
        Dialog d;
        d.open();
        d.press(id::new_camera);
        ASSERT_EQ(d.table->current, 1);
        d.type(id::name, no_name);

        for (int control : leave_by) {
            const std::size_t reported = d.view.errors.size();
            if (control == 0)
                camera_dialog_close(*d.table, d.view);
            else
                d.press(control);
            ASSERT_EQ(d.view.errors.size(), reported + 1) << control;
            EXPECT_EQ(d.last_error(), u"No name specified for current camera");
            EXPECT_EQ(d.table->count, 2);
            EXPECT_EQ(d.table->current, 1);
            EXPECT_EQ(d.view.ended, 0);
        }
        // Delete still removes it.
        d.press(id::delete_camera);
        EXPECT_EQ(d.table->count, 1);
        EXPECT_EQ(d.view.errors.size(), std::size(leave_by));
    }
}

TEST(CameraDialogNew, NamesThatCountAsNames)
{
    // The placeholder is compared exactly, and white space only matters when it is all there is.
    const std::u16string_view names[] = {
        u"enter name here", u"Enter name here ", u" Enter name here", u"x", u" x ", u"\t1\t",
        u"\u00A0A", u"\u200B",  // a zero-width space is not white space
    };
    for (std::u16string_view name : names) {
        SCOPED_TRACE(testing::Message() << "name of " << name.size() << " units");
        Dialog d;
        d.open();
        d.press(id::new_camera);
        d.type(id::name, name);
        d.press(id::prev);
        EXPECT_EQ(d.table->current, 0);
        EXPECT_EQ(name_of(d.table->cameras[1]), name);
        d.press(id::next);
        camera_dialog_close(*d.table, d.view);
        EXPECT_EQ(d.view.ended, 1);
        EXPECT_TRUE(d.view.errors.empty());
    }
}

TEST(CameraDialogClose, EmptyNameOfAnExistingCameraIsRefused)
{
    Dialog d;
    d.open();
    d.type(id::name, u"");
    camera_dialog_close(*d.table, d.view);
    EXPECT_EQ(d.view.errors, std::vector<std::u16string>{u"No name specified for current camera"});
    EXPECT_EQ(d.view.ended, 0);

    d.type(id::name, u"Mine");
    camera_dialog_close(*d.table, d.view);
    EXPECT_EQ(d.view.ended, 1);
    EXPECT_EQ(name_of(d.shown()), u"Mine");
    EXPECT_EQ(d.view.errors.size(), 1u);
}

TEST(CameraDialogNew, RefusedApplyAddsNothingAndKeepsTheTypedText)
{
    Dialog d;
    d.open();
    d.type(id::wavelength, u"1");
    d.press(id::new_camera);
    EXPECT_EQ(d.view.errors, std::vector<std::u16string>{u"Illegal wavelength"});
    EXPECT_EQ(d.table->count, 1);
    EXPECT_EQ(d.text(id::wavelength), u"1");
    EXPECT_EQ(d.view.selected, id::wavelength);
}

TEST(CameraDialogNew, DoesNothingAtAThousandCameras)
{
    Dialog d;
    d.table->count = max_cameras;
    for (int i = 0; i < max_cameras; ++i)
        d.table->cameras[static_cast<std::size_t>(i)] = default_camera();
    d.table->current = max_cameras - 1;
    d.open();
    d.type(id::wavelength, u"1");  // not even applied
    d.press(id::new_camera);
    EXPECT_EQ(d.table->count, max_cameras);
    EXPECT_EQ(d.table->current, max_cameras - 1);
    EXPECT_TRUE(d.view.errors.empty());
    EXPECT_EQ(d.text(id::wavelength), u"1");
}

TEST(CameraDialogDelete, MiddleCameraShowsTheFollowingOne)
{
    Dialog d({u"A", u"B", u"C"}, 1);
    d.open();
    d.press(id::delete_camera);
    EXPECT_EQ(d.view.questions, std::vector<std::u16string>{u"Delete camera B?"});
    ASSERT_EQ(d.table->count, 2);
    EXPECT_EQ(d.table->current, 1);
    EXPECT_EQ(name_of(d.table->cameras[0]), u"A");
    EXPECT_EQ(name_of(d.table->cameras[1]), u"C");
    EXPECT_EQ(d.text(id::name), u"C");
    EXPECT_EQ(d.view.main_title, window_title(*d.table).view());
    EXPECT_FALSE(d.view.is_enabled(id::next));
}

TEST(CameraDialogDelete, LastCameraShowsThePreviousOne)
{
    Dialog d({u"A", u"B", u"C"}, 2);
    d.open();
    d.press(id::delete_camera);
    ASSERT_EQ(d.table->count, 2);
    EXPECT_EQ(d.table->current, 1);
    EXPECT_EQ(name_of(d.table->cameras[1]), u"B");
    EXPECT_EQ(d.text(id::name), u"B");
}

TEST(CameraDialogDelete, FirstCameraAndTheLastOneLeft)
{
    Dialog d({u"A", u"B"}, 0);
    d.open();
    EXPECT_TRUE(d.view.is_enabled(id::delete_camera));
    d.press(id::delete_camera);
    ASSERT_EQ(d.table->count, 1);
    EXPECT_EQ(d.table->current, 0);
    EXPECT_EQ(d.text(id::name), u"B");
    EXPECT_FALSE(d.view.is_enabled(id::delete_camera));

    d.press(id::delete_camera);  // one camera always remains
    EXPECT_EQ(d.table->count, 1);
    EXPECT_EQ(name_of(d.shown()), u"B");
}

TEST(CameraDialogDelete, RemovesAnUnnamedNewCamera)
{
    Dialog d({u"A", u"B"}, 0);
    d.open();
    d.press(id::new_camera);
    ASSERT_EQ(d.table->count, 3);
    d.press(id::delete_camera);
    EXPECT_EQ(d.table->count, 2);
    EXPECT_EQ(d.table->current, 1);
    EXPECT_EQ(d.text(id::name), u"B");
    EXPECT_TRUE(d.view.errors.empty());
    EXPECT_TRUE(d.view.questions.empty());  // a copy never named: nothing of the user's is lost
}

TEST(CameraDialogStep, PrevAndNextStopAtTheEnds)
{
    Dialog d({u"A", u"B", u"C"}, 0);
    d.open();
    struct Step {
        int button;
        int current;
        bool prev_enabled, next_enabled;
    };
    const Step steps[] = {
        {id::prev, 0, false, true}, {id::next, 1, true, true}, {id::next, 2, true, false},
        {id::next, 2, true, false}, {id::prev, 1, true, true}, {id::prev, 0, false, true},
    };
    const std::u16string names[] = {u"A", u"B", u"C"};
    for (const Step& s : steps) {
        d.press(s.button);
        EXPECT_EQ(d.table->current, s.current);
        EXPECT_EQ(d.text(id::name), names[s.current]);
        EXPECT_EQ(d.view.main_title, window_title(*d.table).view());
        EXPECT_EQ(d.view.is_enabled(id::prev), s.prev_enabled);
        EXPECT_EQ(d.view.is_enabled(id::next), s.next_enabled);
    }
    EXPECT_TRUE(d.view.errors.empty());
}

TEST(CameraDialogStep, InvalidFieldKeepsTheCameraAndTheTypedText)
{
    Dialog d({u"A", u"B"}, 0);
    d.open();
    d.type(id::name, u"A2");
    d.type(id::allowable_blur, u"0");
    d.press(id::next);
    EXPECT_EQ(d.view.errors, std::vector<std::u16string>{u"Illegal allowable blur"});
    EXPECT_EQ(d.table->current, 0);
    EXPECT_EQ(d.text(id::allowable_blur), u"0");
    EXPECT_EQ(name_of(d.shown()), u"A");

    d.type(id::allowable_blur, u"3");
    d.press(id::next);
    EXPECT_EQ(d.table->current, 1);
    EXPECT_EQ(name_of(d.table->cameras[0]), u"A2");
    EXPECT_EQ(d.table->cameras[0].allowable_blur, 3);
}

TEST(CameraDialogClose, ClosesOnlyAValidNamedCamera)
{
    Dialog d;
    d.open();
    d.type(id::viewing_distance, u"far");
    camera_dialog_close(*d.table, d.view);
    EXPECT_EQ(d.view.ended, 0);
    EXPECT_EQ(d.last_error(), u"Illegal viewing distance");
    EXPECT_EQ(d.text(id::viewing_distance), u"far");

    d.type(id::viewing_distance, u"25");
    camera_dialog_close(*d.table, d.view);
    EXPECT_EQ(d.view.ended, 1);
    EXPECT_EQ(d.shown().viewing_distance, 25);
}

// Cancel and Escape (IDCANCEL): the table as the dialog found it, asking first when anything would
// be lost; No leaves every edit. Enter (IDOK) applies.
TEST(CameraDialogCancel, PutsTheTableBackAskingOnlyWhenSomethingChanged)
{
    using Edit = void (*)(Dialog&);
    const auto same = [](const CameraTable& a, const CameraTable& b) {  // the cameras, in order, the same one current
        return a.count == b.count && a.current == b.current && std::equal(a.cameras.begin(), a.cameras.begin() + a.count, b.cameras.begin(), same_inputs);
    };
    const std::tuple<const char*, Edit, bool> cases[] = {
        {"nothing", [](Dialog&) {}, false},
        {"typed, not applied", [](Dialog& d) { d.type(id::wavelength, u"650"); }, true},
        {"applied with Enter", [](Dialog& d) { d.type(id::wavelength, u"650"); d.press(id::ok); d.press(id::next); }, true},
        {"another method", [](Dialog& d) { d.pick(id::coc_method, 2); }, true},
        {"a new camera", [](Dialog& d) { d.press(id::new_camera); d.type(id::name, u"D"); d.press(id::apply); }, true},
        {"a camera deleted", [](Dialog& d) { d.press(id::delete_camera); }, true},
    };
    for (const auto& [what, edit, asks] : cases) {
        SCOPED_TRACE(what);
        Dialog d({u"A", u"B", u"C"}, 0);
        d.open();
        const auto found = std::make_unique<CameraTable>(*d.table);
        edit(d);
        const auto edited = std::make_unique<CameraTable>(*d.table);
        d.view.answer = false;
        d.view.questions.clear();
        EXPECT_TRUE(d.press(id::cancel));
        EXPECT_EQ(d.view.questions, asks ? std::vector<std::u16string>{u"Discard the changes to the cameras?"} : std::vector<std::u16string>{});
        EXPECT_TRUE(d.view.ended == 0 ? same(*d.table, *edited) : !asks);
        d.view.answer = true;
        if (asks) d.press(id::cancel);
        EXPECT_TRUE(d.view.ended == 1 && same(*d.table, *found));
        EXPECT_EQ(d.view.main_title, window_title(*found).view());
    }
}

}  // namespace
