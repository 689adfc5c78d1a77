// Settings that must come back unchanged from a save: each case here once made the saved text of a
// file that was read in full differ from the text saved after reading that save, or left a value
// that the next start would have replaced.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include "app/mouse_input.h"
#include "calc/recompute.h"
#include "calc/snap.h"
#include "cameras/settings.h"
#include "support/recording_mouse_host.h"
#include "support/scale_fixture.h"
#include "text/caption_text.h"
#include "text/panel_text.h"
#include "support/decimal_point.h"
#include "support/u16_text.h"
#include "text/format.h"
#include "text/utf8.h"

namespace {

struct Settings {
    CalcState state;
    std::unique_ptr<CameraTable> table = std::make_unique<CameraTable>();
    const Camera& camera(int i) const { return table->cameras[static_cast<std::size_t>(i)]; }
    std::u16string name(int i) const { return std::u16string(camera(i).name); }
};

Settings load(std::u16string_view text)
{
    Settings s;
    load_settings_text(text, s.state, *s.table);
    return s;
}

std::u16string saved(const Settings& s)
{
    return settings_text(s.state, *s.table);
}

const std::u16string header = u"Qel 1.0\n";
const std::u16string camera_line_end = u" 0 0 36 6000 24 4000 75 0.033 2 1 12 18 550 0\n";

// Two long names for the cameras after nine short ones: "b...z", which just fits the line its wide
// values leave at a one-digit index, and "b...a" with small values. Sorted, "b...z" comes last, at
// index 10, where its line has a unit less room; cut there it sorts before "b...a".
std::u16string names_cut_after_sorting()
{
    const std::u16string wide = u" 0 0 1e5 1 1e5 1 1e5 1e5 1e5 1e5 1e5 1e5 1e5 0\n";
    const Settings empty = load(header + u"camera 0 \"\"" + wide);
    const std::u16string shared(camera_name_room(empty.camera(0), 9) - 1, u'b');
    std::u16string text = header + u"ncameras 11 0\n";
    for (char16_t i = 0; i < 9; ++i)
        text += u"camera " + std::u16string(1, u'0' + i) + u" \"a" + std::u16string(1, u'0' + i) + u"\"" +
                camera_line_end;
    return text + u"camera 9 \"" + shared + u"z\"" + wide + u"camera 10 \"" + shared + u"a\"" + camera_line_end;
}

struct RoundTripCase {
    const char* what;
    char16_t point;
    std::u16string text;
};

void PrintTo(const RoundTripCase& c, std::ostream* out)
{
    *out << c.what;
}

class SavedSettings : public testing::TestWithParam<RoundTripCase> {};

// Reading a save and saving again gives the same text, through the UTF-8 of the file.
TEST_P(SavedSettings, ReadBackUnchanged)
{
    const DecimalPoint point(GetParam().point);
    const std::u16string first = saved(load(GetParam().text + u"end\n"));
    const std::u16string second = saved(load(utf8_to_utf16(utf16_to_utf8(first))));
    EXPECT_EQ(printable(second), printable(first));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SavedSettings,
    testing::Values(
        RoundTripCase{"ArabicDecimalPoint", u'\u066B', header + u"focal_length 35.5\nfar_limit \u22121\n"},
        RoundTripCase{"PersianSlashDecimalPoint", u'/', header + u"f_stop 5.6\nfov 12,34\n"},
        RoundTripCase{"QuoteInAnUnquotedName", u'.',
                      header + u"ncameras 3 0\ncamera 0 Med\"ium" + camera_line_end + u"camera 1 \"Medium\"" +
                          camera_line_end + u"camera 2 \"Mec\"" + camera_line_end},
        RoundTripCase{"HugeValues", u',',
                      header + u"focal_length 7.2e64\nnear_limit 5e9\nncameras 1 0\ncamera 0 \"x\" 1 1 36 6000 24 "
                               u"4000 7" + std::u16string(63, u'2') + u"5,00 0,033 2 1 12 18 550 0\n"},
        RoundTripCase{"TinyValueSnappedToZero", u'.', header + u"snap 1\nblur_threshold 0.00005\n"},
        RoundTripCase{"TinyValuesWrittenAsZero", u',',
                      header + u"snap 0\nteleconverter 0.000001\nfocal_length 0.001\nfov 0.004\n"},
        RoundTripCase{"DefaultTakenAfterSnapping", u'.', header + u"snap 1\nmacro_units 4\nfov 0.006\n"},
        RoundTripCase{"NegativeZeroDistance", u'.', header + u"near_limit \u22120.001\nfar -0.004\n"},
        RoundTripCase{"NegativeZeroCameraValue", u',',
                      header + u"ncameras 1 0\ncamera 0 \"x\" 0 0 36 6000 -0.001 4000 75 -0.000001 2 1 12 18 "
                               u"550 0\n"},
        RoundTripCase{"LongNameCutAfterTheOrderWasSet", u'.',
                      header + u"ncameras 2 1\ncamera 0 \"" + std::u16string(150, u'M') +
                          u"a\" 0 0 1e8 1 1e8 1 1e8 1e8 1e8 1e8 1e8 1e8 1e8 0\ncamera 1 \"" +
                          std::u16string(150, u'M') + u"Z\" 0 0 1 1 1 1 1 1 1 1 1 1 1 0\n"},
        RoundTripCase{"LongNameCutAfterSorting", u'.', names_cut_after_sorting()}),
    [](const testing::TestParamInfo<RoundTripCase>& info) { return info.param.what; });

TEST(SettingsRoundTrip, LocaleDecimalPointReadsBack)
{
    for (const char16_t point : {u'\u066B', u'/', u'\u00B7'}) {
        const DecimalPoint use(point);
        const Settings s = load(header + u"focal_length 35.5\nfar_limit \u22121\nend\n");
        const std::u16string text = saved(s);
        EXPECT_NE(text.find(std::u16string(u"focal_length 35") + point + u"50\n"), std::u16string::npos);
        const Settings back = load(text);
        EXPECT_EQ(back.state.focal_length, 35.5);
        EXPECT_EQ(back.state.far_limit, -1);
        EXPECT_EQ(back.state.near, 914.4);
    }
}

TEST(SettingsRoundTrip, QuoteInAnUnquotedNameReadsAsTheWrittenQuote)
{
    const Settings s = load(header + u"ncameras 2 1\ncamera 0 Med\"ium" + camera_line_end + u"camera 1 \"Medium\"" +
                            camera_line_end + u"end\n");
    // U+201D orders after every ASCII letter, so the camera sorts last both before and after a save.
    EXPECT_EQ(s.name(0), u"Medium");
    EXPECT_EQ(s.name(1), u"Med\u201Dium");
    EXPECT_EQ(s.table->current, 0);
}

TEST(SettingsRoundTrip, NumbersTooLargeToWriteBackAreReplaced)
{
    const Settings s = load(header + u"focal_length 7.2e64\nteleconverter 2e9\nfocus_at 5e9\nfar \u22121e12\n"
                                     u"near 1000000000\nncameras 1 0\ncamera 0 \"x\" 0 0 1e10 6000 24 4000 75 "
                                     u"0.033 2 1 12 18 550 0\nend\n");
    EXPECT_EQ(s.state.focal_length, 50);
    EXPECT_EQ(s.state.teleconverter, 1);
    EXPECT_EQ(s.state.focus_at, -1);  // a distance beyond 1000 km is infinity
    EXPECT_EQ(s.state.far, -1);
    EXPECT_EQ(s.state.near, 1e9);  // the largest distance kept
    EXPECT_EQ(s.camera(0).frame_width_mm, 36);
    EXPECT_EQ(s.camera(0).frame_height_mm, 24);
}

TEST(SettingsRoundTrip, PositiveValuesMustStayPositiveWhenWritten)
{
    // A value is kept as the file holds it, snapping on or not, and written back exactly.
    const Settings snapped = load(header + u"snap 1\nblur_threshold 0.02345\nfocal_length 12.345\nfov 0.999\nend\n");
    EXPECT_EQ(snapped.state.blur_threshold, 0.02345);
    EXPECT_EQ(snapped.state.focal_length, 12.345);
    EXPECT_EQ(snapped.state.fov, 0.999);
    const std::u16string text = saved(snapped);
    EXPECT_NE(text.find(u"\nblur_threshold 0.02345\n"), std::u16string::npos);  // its decimals suffice
    // Values the decimals cannot hold are followed by their exact bits.
    EXPECT_NE(text.find(u"\nfocal_length 12.35 x4028B0A3D70A3D71\n"), std::u16string::npos);
    EXPECT_NE(text.find(u"\nfov 1.00 x3FEFF7CED916872B\n"), std::u16string::npos);
    const Settings back = load(text);
    EXPECT_EQ(back.state.focal_length, 12.345);
    EXPECT_EQ(back.state.fov, 0.999);

    // A value below a billionth is written as the zero its decimals make of it, and takes its
    // default; one above it but below its scale takes the scale's end.
    const Settings tiny = load(header + u"snap 0\nteleconverter 4e-16\nfocal_length 0.0049\nend\n");
    EXPECT_EQ(tiny.state.teleconverter, 1);
    EXPECT_EQ(tiny.state.focal_length, lens_scale_range.low);
}

TEST(SettingsRoundTrip, AnExactValueCountsOnlyWhileItsNumberStandsForIt)
{
    const struct {
        std::u16string_view line;
        double focal_length;
    } rows[] = {
        {u"focal_length 35.13 x4041900000000000", 35.125},    // as saved
        {u"focal_length 35,13 x4041900000000000", 35.125},    // saved with a decimal comma
        {u"focal_length 40.00 x4041900000000000", 40},        // the number edited by hand wins
        {u"focal_length 35.13 x4041900000000", 35.13},        // too few digits
        {u"focal_length 35.13 x404190000000000G", 35.13},     // not hexadecimal
        {u"focal_length 35.13 y4041900000000000", 35.13},     // not the mark
        {u"focal_length 35.13 x7FF0000000000000", 35.13},     // infinity is no focal length
        {u"focal_length 35.13 x4041900000000000 9", 35.125},  // what follows is ignored, as ever
    };
    for (const auto& row : rows)
        EXPECT_EQ(load(header + std::u16string(row.line) + u"\nend\n").state.focal_length, row.focal_length)
            << utf16_to_utf8(row.line);
    // Near and far are worked out afresh at every load: they carry no exact value.
    const Settings s = load(header + u"near 1000.25 x408F420000000000\nend\n");
    EXPECT_EQ(s.state.near, 1000.25);
}

// A negative distance that its decimals write as a negative zero would read back as 0 mm; a camera
// value the dialog would refuse (negative, or positive but written as zero) is the default camera's.
TEST(SettingsRoundTrip, NegativeValuesWrittenAsZero)
{
    const Settings s = load(header + u"near_limit \u22121e-16\nfar_limit -0.01\nncameras 1 0\n"
                                     u"camera 0 \"x\" 0 0 36 6000 -0.001 4000 75 -0.000001 -0.0004 1 12 -0.01 550 0\n"
                                     u"end\n");
    EXPECT_EQ(s.state.near_limit, -1);  // a negative distance is infinity, and stays so
    EXPECT_EQ(s.state.far_limit, -0.01);
    EXPECT_EQ(s.camera(0).frame_height_mm, 24);
    EXPECT_EQ(s.camera(0).custom_coc, 0.033);
    EXPECT_EQ(s.camera(0).allowable_blur, 2);
    EXPECT_EQ(s.camera(0).viewing_distance, 18);
}

// Cutting a name as the writer must, already when reading, keeps the camera order and the current
// camera across a save: the first name sorts after the second only by a unit its line has no room for.
TEST(SettingsRoundTrip, NamesCutWhenReadKeepTheirOrder)
{
    const std::u16string shared(150, u'M');
    const Settings s = load(header + u"ncameras 2 1\ncamera 0 \"" + shared +
                            u"a\" 0 0 1e8 2000000000 1e8 2000000000 1e8 1e8 100 4999 1e8 1e8 5000 0\ncamera 1 \"" +
                            shared + u"Z\" 0 0 1 2 1 2 1 1 1 1 1 1 5 0\nend\n");
    EXPECT_LT(s.name(0).size(), shared.size());
    EXPECT_EQ(s.name(1), shared + u"Z");
    EXPECT_EQ(s.table->current, 1);
    EXPECT_EQ(s.camera(1).wavelength, 5);
    const Settings back = load(saved(s));
    EXPECT_EQ(back.name(0), s.name(0));
    EXPECT_EQ(back.table->current, 1);
}

// ---- A state reached with the mouse comes back exactly ------------------------------------------

struct Drag {
    const char* what;
    Mode mode;  // switched to before the drag, as a toolbar button does
    int snap;
    MouseButton button;
    int x, from_y, to_y;
};

TEST(SettingsRoundTrip, EveryStateReachedByDragsAndModeChangesLoadsBackExactly)
{
    using namespace scale_fixture;
    constexpr MouseButton left = MouseButton::Left;
    const Drag script[] = {
        {"allowed blur dragged with snapping", Mode::DepthOfField, 1, left, blur_x, 300, 262},
        {"aperture between stops", Mode::DepthOfField, 0, left, aperture_x, 300, 263},
        {"focus without snapping", Mode::DepthOfField, 0, left, distance_x, 300, 287},
        {"lens without snapping", Mode::DepthOfField, 0, left, lens_x, 300, 171},
        {"best f-stop's far limit", Mode::BestFStop, 1, left, distance_x, 280, 203},
        {"back to depth of field, the best f-number kept", Mode::DepthOfField, 1, left, 600, 300, 300},
        {"stack limits", Mode::FocusStacking, 0, left, distance_x, 320, 333},
        {"blur mode's object", Mode::Blur, 0, left, distance_x, 280, 141},
        {"macro field of view", Mode::Macro, 0, left, lens_x, 300, 217},
        {"macro allowed blur", Mode::Macro, 1, left, blur_x, 300, 371},
        {"distance window zoomed", Mode::DepthOfField, 0, MouseButton::Right, distance_x, 300, 229},
    };
    Settings now;
    install_default_camera(*now.table);
    derive_camera_values(*now.table);
    now.state.units = DistanceUnit::Metre;
    const Camera& camera = current_camera(*now.table);
    recompute(now.state, camera, true);
    ScaleGeometry geometry = scale_fixture::geometry();
    DragContext drag;
    RecordingMouseHost host;
    bool off_grid_blur = false;
    bool off_table_f_stop = false;

    for (const Drag& d : script) {
        now.state.mode = d.mode;
        now.state.snap = d.snap;
        recompute(now.state, camera, true);
        mouse_down(d.button, d.x, d.from_y, now.state, camera, geometry, drag, host);
        mouse_move(d.x, d.to_y, now.state, camera, geometry, drag, host);
        mouse_up(d.button, d.x, d.to_y, now.state, camera, geometry, drag, host);

        const std::u16string text = saved(now);
        Settings back = load(text);
        recompute(back.state, current_camera(*back.table), true);  // as the program starts
        EXPECT_EQ(saved(back), text) << d.what;
        for (const double CalcState::*input :
             {&CalcState::focal_length, &CalcState::teleconverter, &CalcState::f_stop, &CalcState::blur_threshold,
              &CalcState::maxblur, &CalcState::fl_zoom, &CalcState::fov_zoom, &CalcState::blur_zoom,
              &CalcState::focus_at, &CalcState::near_limit, &CalcState::far_limit, &CalcState::blur_distance,
              &CalcState::fov}) {
            EXPECT_EQ(back.state.*input, now.state.*input) << d.what;
        }
        PanelText before, after;
        panel_text(now.state, camera, before);
        panel_text(back.state, current_camera(*back.table), after);
        ASSERT_EQ(after.count, before.count) << d.what;
        for (int i = 0; i < before.count; ++i)
            EXPECT_EQ(after.lines[static_cast<std::size_t>(i)].text.view(),
                      before.lines[static_cast<std::size_t>(i)].text.view())
                << d.what;
        CaptionTexts captions_before, captions_after;
        caption_texts(now.state, captions_before);
        caption_texts(back.state, captions_after);
        for (int c = 0; c < column_count; ++c)
            for (int p = 0; p < caption_place_count; ++p)
                EXPECT_EQ(captions_after.value[c][p].view(), captions_before.value[c][p].view()) << d.what;

        off_grid_blur |= d.snap && snap_blur_threshold(now.state.blur_threshold) != now.state.blur_threshold;
        off_table_f_stop |= d.snap && snap_f_stop(now.state, now.state.f_stop) != now.state.f_stop;
    }
    // The script reaches what snapping at load used to move: an allowed blur off the half steps
    // and an f-number between stops, both with snapping on.
    EXPECT_TRUE(off_grid_blur);
    EXPECT_TRUE(off_table_f_stop);
}

}  // namespace
