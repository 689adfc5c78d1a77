#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "calc/recompute.h"
#include "cameras/settings.h"
#include "support/decimal_point.h"
#include "support/state_invariants.h"
#include "support/u16_text.h"
#include "text/format.h"
#include "text/utf8.h"

namespace {

const std::u16string example_file =
    u"Qel 1.0\n"
    u"f_stop_increment 0\n"
    u"focal_length 50.00\n"
    u"teleconverter 1.00000\n"
    u"f_stop 8.00000\n"
    u"blur_threshold 1.00000\n"
    u"units 3\n"
    u"macro_units 0\n"
    u"snap 1\n"
    u"maxblur 16.00\n"
    u"fl_zoom 5.00\n"
    u"fov_zoom 5.00\n"
    u"blur_zoom 5.00\n"
    u"near 914.40\n"
    u"focus_at 1219.20\n"
    u"far 1828.80\n"
    u"near_limit 914.40\n"
    u"far_limit 1828.80\n"
    u"blur_distance 1828.80\n"
    u"fov 20.00\n"
    u"ni 2\n"
    u"mode 0\n"
    u"ncameras 1 0\n"
    u"camera 0 \"Generic 35mm film camera (Sharp print)\" 1 1 36.00 6000 24.00 4000 75.00 0.03300 2.000 1.000 "
    u"12.000 18.000 550.00 0\n"
    u"end\n";

const std::u16string default_name = u"Generic 35mm film camera (Sharp print)";

struct Loaded {
    CalcState state;
    std::unique_ptr<CameraTable> table = std::make_unique<CameraTable>();
    const Camera& camera(int i) const { return table->cameras[static_cast<std::size_t>(i)]; }
};

Loaded load(std::u16string_view text)
{
    Loaded loaded;
    load_settings_text(text, loaded.state, *loaded.table);
    return loaded;
}

std::u16string with_header(std::u16string_view body)
{
    return u"Qel 1.0\n" + std::u16string(body);
}

std::u16string name_of(const Camera& camera)
{
    return std::u16string(camera.name);
}

void set_name(Camera& camera, std::u16string_view name)
{
    std::fill(std::begin(camera.name), std::end(camera.name), u'\0');
    name.copy(camera.name, name.size());
}

// The values every other part of the program relies on after any load, and every invariant of
// the started program (start-up derives the cameras and recomputes).
void expect_usable(const Loaded& l)
{
    const CalcState& s = l.state;
    EXPECT_GE(static_cast<int>(s.mode), 0);
    EXPECT_LT(static_cast<int>(s.mode), mode_count);
    EXPECT_GE(static_cast<int>(s.units), 0);
    EXPECT_LT(static_cast<int>(s.units), distance_unit_count);
    EXPECT_GE(static_cast<int>(s.macro_units), 0);
    EXPECT_LT(static_cast<int>(s.macro_units), distance_unit_count);
    EXPECT_TRUE(s.f_stop_increment == FStopIncrement::HalfStop || s.f_stop_increment == FStopIncrement::ThirdStop);
    EXPECT_TRUE(s.snap == 0 || s.snap == 1);
    EXPECT_GE(s.ni, 2);
    EXPECT_LE(s.ni, 100);
    for (double v : {s.fl_zoom, s.fov_zoom, s.blur_zoom}) {
        EXPECT_GE(v, 1.5);
        EXPECT_LE(v, 32);
    }
    EXPECT_GE(s.maxblur, 2);
    EXPECT_LE(s.maxblur, 10000);
    for (int i = 0; i < l.table->count; ++i) {
        const Camera& c = l.table->cameras[static_cast<std::size_t>(i)];
        EXPECT_TRUE(c.type == CameraType::Digital || c.type == CameraType::Film);
        EXPECT_TRUE(c.coc_method == CocMethod::SharpImage || c.coc_method == CocMethod::SharpPrint ||
                    c.coc_method == CocMethod::CustomCoc);
        EXPECT_TRUE(c.focal_length_entry == FocalLengthEntry::Actual ||
                    c.focal_length_entry == FocalLengthEntry::Equivalent35mm);
        EXPECT_LT(name_of(c).size(), static_cast<std::size_t>(camera_name_capacity));
    }
    CalcState started = s;
    auto table = std::make_unique<CameraTable>(*l.table);
    derive_camera_values(*table);
    recompute(started, current_camera(*table), true);
    EXPECT_EQ(invariants::state_rule(started, *table), "");
}

void expect_default_state(const Loaded& l)
{
    const CalcState d{};
    const CalcState& s = l.state;
    EXPECT_EQ(s.mode, d.mode);
    EXPECT_EQ(s.f_stop_increment, d.f_stop_increment);
    EXPECT_DOUBLE_EQ(s.focal_length, 50);
    EXPECT_DOUBLE_EQ(s.teleconverter, 1);
    EXPECT_DOUBLE_EQ(s.f_stop, 8);
    EXPECT_DOUBLE_EQ(s.blur_threshold, 1);
    EXPECT_EQ(s.units, DistanceUnit::Foot);
    EXPECT_EQ(s.macro_units, DistanceUnit::Millimetre);
    EXPECT_EQ(s.snap, 1);
    EXPECT_DOUBLE_EQ(s.maxblur, 16);
    EXPECT_DOUBLE_EQ(s.fl_zoom, 5);
    EXPECT_DOUBLE_EQ(s.fov_zoom, 5);
    EXPECT_DOUBLE_EQ(s.blur_zoom, 5);
    EXPECT_DOUBLE_EQ(s.near, 914.4);
    EXPECT_DOUBLE_EQ(s.focus_at, 1219.2);
    EXPECT_DOUBLE_EQ(s.far, 1828.8);
    EXPECT_DOUBLE_EQ(s.near_limit, 914.4);
    EXPECT_DOUBLE_EQ(s.far_limit, 1828.8);
    EXPECT_DOUBLE_EQ(s.blur_distance, 1828.8);
    EXPECT_DOUBLE_EQ(s.fov, 20);
    EXPECT_EQ(s.ni, 2);
    EXPECT_DOUBLE_EQ(s.effective_focal_length, 50);
    EXPECT_DOUBLE_EQ(s.effective_f_stop, 8);
    EXPECT_EQ(l.table->count, 1);
    EXPECT_EQ(l.table->current, 0);
    EXPECT_EQ(name_of(l.camera(0)), default_name);
}

// ---------------------------------------------------------------------------------------------
// Splitting lines

struct TokenCase {
    const char* what;
    std::u16string line;
    std::vector<std::u16string> tokens;
};

class TokenizeLine : public testing::TestWithParam<TokenCase> {};

TEST_P(TokenizeLine, SplitsAtSpacesTabsAndQuotes)
{
    const TokenCase& c = GetParam();
    LineTokens t;
    tokenize_line(c.line, t);
    ASSERT_EQ(t.count, static_cast<int>(c.tokens.size())) << c.what;
    for (std::size_t i = 0; i < c.tokens.size(); ++i)
        EXPECT_EQ(t.tokens[i], c.tokens[i]) << c.what << " token " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TokenizeLine,
    testing::Values(
        TokenCase{"empty", u"", {}}, TokenCase{"blanks only", u" \t  ", {}},
        TokenCase{"spaces and tabs", u"  ncameras\t2 \t 7  ", {u"ncameras", u"2", u"7"}},
        TokenCase{"quoted name", u"camera 0 \"My camera  2\" 1", {u"camera", u"0", u"My camera  2", u"1"}},
        TokenCase{"empty quotes", u"camera 0 \"\" 1", {u"camera", u"0", u"", u"1"}},
        TokenCase{"adjacent quoted", u"\"a\"\"b\"", {u"a", u"b"}},
        TokenCase{"unterminated quote", u"x \"rest of line", {u"x", u"rest of line"}},
        TokenCase{"lone quote at end", u"x \"", {u"x", u""}},
        TokenCase{"quote inside a word", u"ab\"cd ef", {u"ab\"cd", u"ef"}},
        TokenCase{"quoted after word", u"ab\"cd\"", {u"ab\"cd\""}},
        TokenCase{"carriage return stays", u"units 3\r", {u"units", u"3\r"}},
        TokenCase{"tab inside quotes", u"\"a\tb\"", {u"a\tb"}},
        TokenCase{"256 units cut", std::u16string(300, u'x'), {std::u16string(256, u'x'), std::u16string(44, u'x')}},
        TokenCase{"256 quoted units cut", std::u16string(1, u'"').append(260, u'q').append(1, u'"'),
                  {std::u16string(256, u'q'), std::u16string(4, u'q') + u"\""}},
        TokenCase{"non-ASCII", u"camera 1 \"\u65E5\u672C \U0001F4F7\"", {u"camera", u"1", u"\u65E5\u672C \U0001F4F7"}}));

TEST(TokenizeLineLimits, StopsAfterAHundredTokens)
{
    std::u16string line;
    for (int i = 0; i < 150; ++i)
        line.append(1, u't').append(1, static_cast<char16_t>(u'0' + i % 10)).append(1, u' ');
    LineTokens t;
    tokenize_line(line, t);
    EXPECT_EQ(t.count, max_line_tokens);
    EXPECT_EQ(t.tokens[99], u"t9");

    tokenize_line(u"a b", t);  // the record is reused: the count says what is current
    EXPECT_EQ(t.count, 2);
}

// ---------------------------------------------------------------------------------------------
// Defaults and the header

TEST(LoadSettings, NoTextGivesTheDefaults)
{
    const Loaded l = load(u"");
    expect_default_state(l);
    EXPECT_EQ(l.camera(0).type, CameraType::Film);
    expect_usable(l);
}

TEST(LoadSettings, DefaultsReplaceWhateverWasThere)
{
    Loaded l;
    l.state.focal_length = 300;
    l.state.effective_focal_length = 1;
    l.table->count = 12;
    l.table->current = 11;
    load_settings_text(u"junk", l.state, *l.table);
    expect_default_state(l);
}

struct HeaderCase {
    std::u16string header;
    bool accepted;
};

class Header : public testing::TestWithParam<HeaderCase> {};

TEST_P(Header, DecidesWhetherAnythingIsRead)
{
    const std::u16string text = GetParam().header + u"\nfocal_length 35\n";
    const Loaded l = load(text);
    EXPECT_EQ(l.state.focal_length, GetParam().accepted ? 35 : 50);
    EXPECT_EQ(is_settings_text(text), GetParam().accepted) << "as the web page tells Qel's settings from other text";
}

INSTANTIATE_TEST_SUITE_P(
    Variants, Header,
    testing::Values(HeaderCase{u"Qel 1.0", true}, HeaderCase{u"QEL 1.0", true}, HeaderCase{u"qel 1.0", true},
                    HeaderCase{u"  Qel\t1.0  ", true}, HeaderCase{u"\n\n\nQel 1.0", true},
                    HeaderCase{u"Qel 1.0 x", false}, HeaderCase{u"Qel 2.0", false}, HeaderCase{u"Qel", false},
                    HeaderCase{u"Qel 1,0", false}, HeaderCase{u"Qel1.0", false}, HeaderCase{u"   ", false},
                    HeaderCase{u"focal_length 20", false}, HeaderCase{u"Q\u00C9L 1.0", false},
                    // Left by editors: a byte-order mark, and CR LF line ends (see below).
                    HeaderCase{u"\uFEFFQel 1.0", true}, HeaderCase{u"Qel 1.0\r", true},
                    HeaderCase{u"Qel 1.0\r\r", false}, HeaderCase{u"x\uFEFFQel 1.0", false}));

TEST(LoadSettings, CrLfFileReadsLikeLineFeeds)
{
    std::u16string text;
    for (char16_t c : example_file) {
        if (c == u'\n')
            text += u"\r\n";
        else
            text += c;
    }
    text.replace(text.find(u"focal_length 50.00"), 18, u"focal_length 35.00");
    text.replace(text.find(u"units 3"), 7, u"units 5");
    const Loaded l = load(text);
    EXPECT_EQ(l.state.focal_length, 35);
    EXPECT_EQ(l.state.units, DistanceUnit::Metre);
    EXPECT_EQ(l.camera(0).focal_length_entry, FocalLengthEntry::Actual);
    EXPECT_NE(l.camera(0).coc, 0);  // "end\r" was the end: cameras derived
}

// ---------------------------------------------------------------------------------------------
// Keys and values

TEST(LoadSettings, ExampleFileGivesTheDefaultsAndRoundTrips)
{
    const Loaded l = load(example_file);
    expect_default_state(l);
    EXPECT_NEAR(l.camera(0).coc, 0.0314159, 1e-7);  // derived at "end"
    EXPECT_EQ(settings_text(l.state, *l.table), example_file);
}

TEST(LoadSettings, KeysAreCaseBlindAndWhole)
{
    EXPECT_EQ(load(with_header(u"FOCAL_LENGTH 35\n")).state.focal_length, 35);
    EXPECT_EQ(load(with_header(u"Focal_Length 35\n")).state.focal_length, 35);
    EXPECT_EQ(load(with_header(u"focal_lengths 35\n")).state.focal_length, 50);
    EXPECT_EQ(load(with_header(u"focal 35\n")).state.focal_length, 50);
    EXPECT_EQ(load(with_header(u"\"focal_length\" 35\n")).state.focal_length, 35);
    EXPECT_EQ(load(with_header(u"NcAmErAs 3 2\ncamera 0\ncamera 1\ncamera 2\n")).table->count, 3);
}

TEST(LoadSettings, LaterKeyWinsAndExtraTokensAreIgnored)
{
    const Loaded l = load(with_header(u"f_stop 4\nfocal_length 35 mm extra\nf_stop 5.6\nunits 1 2\n"));
    EXPECT_EQ(l.state.f_stop, 5.6);
    EXPECT_EQ(l.state.focal_length, 35);
    EXPECT_EQ(l.state.units, DistanceUnit::Centimetre);
}

TEST(LoadSettings, EveryKeyIsRead)
{
    const Loaded l = load(with_header(
        u"f_stop_increment 1\nfocal_length 85.5\nteleconverter 1.4\nf_stop 2.8\nblur_threshold 2.5\nunits 5\n"
        u"macro_units 1\nsnap 0\nmaxblur 8\nfl_zoom 2\nfov_zoom 3\nblur_zoom 4\nnear 1000\nfocus_at 2000\n"
        u"far \u22121\nnear_limit 1500\nfar_limit 3000\nblur_distance 2500\nfov 30\nni 7\nmode 2\n"));
    const CalcState& s = l.state;
    EXPECT_EQ(s.f_stop_increment, FStopIncrement::ThirdStop);
    EXPECT_EQ(s.focal_length, 85.5);
    EXPECT_EQ(s.teleconverter, 1.4);
    EXPECT_EQ(s.f_stop, 2.8);
    EXPECT_EQ(s.blur_threshold, 2.5);
    EXPECT_EQ(s.units, DistanceUnit::Metre);
    EXPECT_EQ(s.macro_units, DistanceUnit::Centimetre);
    EXPECT_EQ(s.snap, 0);
    EXPECT_EQ(s.maxblur, 8);
    EXPECT_EQ(s.fl_zoom, 2);
    EXPECT_EQ(s.fov_zoom, 3);
    EXPECT_EQ(s.blur_zoom, 4);
    EXPECT_EQ(s.near, 1000);
    EXPECT_EQ(s.focus_at, 2000);
    EXPECT_EQ(s.far, -1);
    EXPECT_EQ(s.near_limit, 1500);
    EXPECT_EQ(s.far_limit, 3000);
    EXPECT_EQ(s.blur_distance, 2500);
    EXPECT_EQ(s.fov, 30);
    EXPECT_EQ(s.ni, 7);
    EXPECT_EQ(s.mode, Mode::FocusStacking);
    // Also without "end" the text's end sets the effective values.
    EXPECT_DOUBLE_EQ(s.effective_focal_length, 85.5 * 1.4);
    EXPECT_DOUBLE_EQ(s.effective_f_stop, 2.8 * 1.4);
}

TEST(LoadSettings, ValuesReadAsTheParsersLeaveThem)
{
    const Loaded l = load(with_header(u"focal_length 50mm\nf_stop 5,6\nni 7.9\nnear 1.2.3\nunits x\nfov 2e1\n"));
    EXPECT_EQ(l.state.focal_length, 50);
    EXPECT_DOUBLE_EQ(l.state.f_stop, 5.6);
    EXPECT_EQ(l.state.ni, 7);
    EXPECT_EQ(l.state.near, 12);  // the digits gathered before the second point
    EXPECT_EQ(l.state.units, DistanceUnit::Millimetre);  // no digits reads as 0
    EXPECT_EQ(l.state.fov, 20);
}

TEST(LoadSettings, MissingValuesLeaveTheFieldAlone)
{
    // Long lines first, so that stale tokens from them would be visible if a short line read them.
    const Loaded l = load(with_header(
        u"focal_length 35 a b c d e f g h i j k l m n o p q\nfocal_length\nunits 2 9 9\nunits\n"
        u"ncameras 3 1\nncameras 2\n"
        u"camera 0 \"first\" 1 1 23.5 6000 24 4000 75 0.033 2 1 12 18 550 1\n"
        u"camera 0 \"second\" 0 0\n"
        u"camera\ncamera 1 \"third\"\n"));
    EXPECT_EQ(l.state.focal_length, 35);
    EXPECT_EQ(l.state.units, DistanceUnit::Inch);
    EXPECT_EQ(l.table->count, 2);  // "ncameras 2" lacks the current camera: the first is current
    EXPECT_EQ(l.table->current, 0);
    // The short line replaces the camera; what it leaves out is the default camera's.
    EXPECT_EQ(name_of(l.camera(0)), u"second");
    EXPECT_EQ(l.camera(0).coc_method, CocMethod::SharpImage);
    EXPECT_EQ(l.camera(0).frame_width_mm, 36);
    EXPECT_EQ(l.camera(0).focal_length_entry, FocalLengthEntry::Actual);
}

TEST(LoadSettings, LinesAfterEndAreNotRead)
{
    const Loaded l = load(with_header(u"focal_length 35\nend\nfocal_length 70\n"));
    EXPECT_EQ(l.state.focal_length, 35);
}

TEST(LoadSettings, EndWithoutFinalLineFeed)
{
    const Loaded l = load(with_header(u"teleconverter 1.4\nend"));
    EXPECT_DOUBLE_EQ(l.state.effective_focal_length, 70);
    EXPECT_DOUBLE_EQ(l.state.effective_f_stop, 8 * 1.4);
    EXPECT_NEAR(l.camera(0).coc, 0.0314159, 1e-7);
}

TEST(LoadSettings, EndSortsDerivesAndSetsEffectiveValuesButDoesNotSnap)
{
    const std::u16string cameras =
        u"ncameras 3 2\n"
        u"camera 0 \"b\" 0 0 36 6000 24 4000 75 0.033 2 1 12 18 550\n"
        u"camera 1 \"B\" 0 0 36 6000 24 4000 75 0.033 2 1 12 18 550\n"
        u"camera 2 \"a\" 0 0 23.5 6000 15.6 4000 75 0.033 2 1 12 18 550 1\n";
    // Snapping is on, and the values stay as the file holds them: the file may be one Qel saved
    // with an allowed blur dragged to 1.3 or the f-number best f-stop mode left.
    const Loaded snapped = load(with_header(u"focal_length 35.3\nblur_threshold 1.3\nf_stop 13.58\nnear 1000.123\n"
                                            u"teleconverter 2\n" + cameras + u"end\n"));
    EXPECT_EQ(snapped.state.snap, 1);
    EXPECT_EQ(snapped.state.focal_length, 35.3);
    EXPECT_EQ(snapped.state.blur_threshold, 1.3);
    EXPECT_EQ(snapped.state.f_stop, 13.58);
    EXPECT_EQ(snapped.state.near, 1000.123);
    EXPECT_EQ(name_of(snapped.camera(0)), u"B");
    EXPECT_EQ(name_of(snapped.camera(1)), u"a");
    EXPECT_EQ(name_of(snapped.camera(2)), u"b");
    EXPECT_EQ(snapped.table->current, 1);  // still camera "a"
    EXPECT_NEAR(snapped.camera(1).crop_factor, 1.5339, 0.00005);
    EXPECT_NEAR(snapped.camera(1).coc, 23.5 * 2 / 6000, 1e-12);
    EXPECT_NEAR(snapped.camera(2).coc, 0.012, 1e-12);
    // "a" takes 35 mm equivalents: the effective focal length divides by its crop factor.
    EXPECT_DOUBLE_EQ(snapped.state.effective_focal_length, 35.3 * 2 / snapped.camera(1).crop_factor);
    EXPECT_DOUBLE_EQ(snapped.state.effective_f_stop, snapped.state.f_stop * 2);

    const Loaded plain =
        load(with_header(u"snap 0\nfocal_length 35.3\nblur_threshold 1.3\nf_stop 5.6\n" + cameras + u"end\n"));
    EXPECT_DOUBLE_EQ(plain.state.focal_length, 35.3);
    EXPECT_DOUBLE_EQ(plain.state.blur_threshold, 1.3);
    EXPECT_DOUBLE_EQ(plain.state.f_stop, 5.6);

    // A file without "end" ends as "end" does: the next save keeps the order.
    const Loaded unfinished = load(with_header(u"focal_length 35.3\n" + cameras));
    EXPECT_DOUBLE_EQ(unfinished.state.focal_length, 35.3);
    EXPECT_EQ(name_of(unfinished.camera(0)), u"B");
    EXPECT_EQ(unfinished.table->current, 1);
    EXPECT_NEAR(unfinished.camera(2).coc, 0.012, 1e-12);
}

TEST(LoadSettings, LongLinesContinueAsTheNextLine)
{
    // 300 units: the first 255 are one line, the remaining 45 the next.
    std::u16string first = u"fov 12";
    first.resize(255, u' ');
    std::u16string second = u"f_stop 4";
    second.resize(45, u' ');
    const Loaded l = load(with_header(u"snap 0\n" + first + second + u"\n"));
    EXPECT_EQ(l.state.fov, 12);
    EXPECT_EQ(l.state.f_stop, 4);

    // A value cut by the 255-unit end reads as what is left of it; the rest is a line of its own.
    std::u16string cut(245, u' ');
    cut += u"near 1234567";
    const Loaded c = load(with_header(cut + u"\nunits 1\n"));
    EXPECT_EQ(c.state.near, 12345);  // "67" is the next line, which no key starts
    EXPECT_EQ(c.state.units, DistanceUnit::Centimetre);

    // Cut right after the key: the line has no value and is skipped.
    std::u16string bare(250, u' ');
    bare += u"near 1234567";
    EXPECT_EQ(load(with_header(bare + u"\n")).state.near, 914.4);
}

// ---------------------------------------------------------------------------------------------
// The camera table

struct NcamerasCase {
    std::u16string line;
    int32_t count;
    int32_t current;
};

class Ncameras : public testing::TestWithParam<NcamerasCase> {};

// Only cameras with a camera line exist ("b" and "a", sorted a, b), whatever the count says, and
// the current one is the one its index named.
TEST_P(Ncameras, ClampsCountAndCurrent)
{
    const Loaded l = load(with_header(GetParam().line + u"\ncamera 0 \"b\"\ncamera 1 \"a\"\n"));
    EXPECT_EQ(l.table->count, GetParam().count);
    EXPECT_EQ(l.table->current, GetParam().current);
    expect_usable(l);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Ncameras,
    testing::Values(NcamerasCase{u"ncameras 5000 7", 2, 1}, NcamerasCase{u"ncameras 3 0", 2, 1},
                    NcamerasCase{u"ncameras 3 1", 2, 0}, NcamerasCase{u"ncameras 3 -1", 2, 1},
                    NcamerasCase{u"ncameras 1 0", 1, 0}, NcamerasCase{u"ncameras 1000 999", 2, 1},
                    NcamerasCase{u"ncameras 99999999999999 1", 2, 0},
                    // Without the current index the first camera is current.
                    NcamerasCase{u"ncameras 3", 2, 1}, NcamerasCase{u"ncameras 3 x", 2, 1},
                    // No cameras: the table is never left empty.
                    NcamerasCase{u"ncameras -4 0", 1, 0}, NcamerasCase{u"ncameras 0 0", 1, 0},
                    NcamerasCase{u"ncameras \u22124 0", 1, 0}));

TEST(CameraLines, ReadEveryField)
{
    const Loaded l = load(with_header(
        u"ncameras 2 1\n"
        u"camera 1 \"Canon R5 \u00E9\u65E5\" 0 0 36.00 8192 24.00 5464 80.00 0.02900 1.500 1.200 10.000 20.000 530.00 1\n"));
    const Camera& c = l.camera(0);
    EXPECT_EQ(name_of(c), u"Canon R5 \u00E9\u65E5");
    EXPECT_EQ(c.coc_method, CocMethod::SharpImage);
    EXPECT_EQ(c.type, CameraType::Digital);
    EXPECT_EQ(c.frame_width_mm, 36);
    EXPECT_EQ(c.frame_width_px, 8192);
    EXPECT_EQ(c.frame_height_mm, 24);
    EXPECT_EQ(c.frame_height_px, 5464);
    EXPECT_EQ(c.film_resolution, 80);
    EXPECT_DOUBLE_EQ(c.custom_coc, 0.029);
    EXPECT_EQ(c.allowable_blur, 1.5);
    EXPECT_DOUBLE_EQ(c.visual_resolution, 1.2);
    EXPECT_EQ(c.print_size, 10);
    EXPECT_EQ(c.viewing_distance, 20);
    EXPECT_EQ(c.wavelength, 530);
    EXPECT_EQ(c.focal_length_entry, FocalLengthEntry::Equivalent35mm);
    EXPECT_EQ(l.table->count, 1);  // camera 0 has no line: the one camera listed is camera 1
}

TEST(CameraLines, SixteenTokensReadAsActual)
{
    const Loaded l = load(with_header(u"camera 0 \"x\" 0 0 36 6000 24 4000 75 0.033 2 1 12 18 550\n"));
    EXPECT_EQ(name_of(l.camera(0)), u"x");
    EXPECT_EQ(l.camera(0).focal_length_entry, FocalLengthEntry::Actual);
    EXPECT_EQ(l.camera(0).wavelength, 550);
}

TEST(CameraLines, ShortLinesKeepWhatTheyHold)
{
    struct Case {
        std::u16string_view line;  // camera 1 of two
        std::u16string_view name;
        CocMethod method;
        double frame_width_mm;
        double custom_coc;
        double wavelength;
    };
    const Case cases[] = {
        {u"camera 1 \"x\" 2 0 23.5 6000 15.6 4000 75 0.02 2 1 12 18", u"x", CocMethod::CustomCoc, 23.5, 0.02, 550},
        {u"camera 1 \"x\" 2 0 23.5", u"x", CocMethod::CustomCoc, 23.5, 0.033, 550},
        {u"camera 1 \"x\"", u"x", CocMethod::SharpPrint, 36, 0.033, 550},
        {u"camera 1 \"\"", u"", CocMethod::SharpPrint, 36, 0.033, 550},
        {u"camera 1", default_name, CocMethod::SharpPrint, 36, 0.033, 550},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(printable(c.line));
        const Loaded l = load(with_header(u"ncameras 2 0\ncamera 0 \"a\"\n" + std::u16string(c.line) + u"\nend\n"));
        ASSERT_EQ(l.table->count, 2);
        const Camera& k = name_of(l.camera(0)) == u"a" ? l.camera(1) : l.camera(0);
        EXPECT_EQ(name_of(k), c.name);
        EXPECT_EQ(k.coc_method, c.method);
        EXPECT_EQ(k.frame_width_mm, c.frame_width_mm);
        EXPECT_DOUBLE_EQ(k.custom_coc, c.custom_coc);
        EXPECT_EQ(k.wavelength, c.wavelength);
        EXPECT_EQ(k.focal_length_entry, FocalLengthEntry::Actual);
        EXPECT_GT(k.coc, 0);
    }
    // "ncameras 3" without the current index keeps all three cameras.
    const Loaded three = load(with_header(u"ncameras 3\ncamera 0 \"a\"\ncamera 1 \"b\"\ncamera 2 \"c\"\nend\n"));
    ASSERT_EQ(three.table->count, 3);
    EXPECT_EQ(name_of(three.camera(2)), u"c");
    EXPECT_EQ(three.table->current, 0);
}

TEST(CameraLines, IndexOutOfRangeIsIgnored)
{
    const std::u16string values = u" 0 0 36 6000 24 4000 75 0.033 2 1 12 18 550\n";
    // Index 1 while count is 1, index -1, and index 1 before the "ncameras" line.
    const Loaded l = load(with_header(u"camera 1 \"one\"" + values + u"camera -1 \"minus\"" + values +
                                      u"camera 0 \"zero\"" + values + u"ncameras 2 0\n"));
    EXPECT_EQ(l.table->count, 1);  // camera 1's own line came too early
    EXPECT_EQ(name_of(l.camera(0)), u"zero");  // index 0 is in range before "ncameras"
    const Loaded huge = load(with_header(u"ncameras 2 0\ncamera 99999999999 \"h\"" + values +
                                         u"camera \u22122147483648 \"m\"" + values));
    EXPECT_EQ(huge.table->count, 1);
    EXPECT_EQ(name_of(huge.camera(0)), default_name);
}

TEST(CameraLines, NamesWithSpacesAndEmptyNamesRoundTrip)
{
    Loaded l = load(u"");
    l.table->count = 3;
    l.table->cameras[1] = default_camera();
    l.table->cameras[2] = default_camera();
    set_name(l.table->cameras[0], u"  My   camera\twith tabs  ");
    set_name(l.table->cameras[1], u"");
    set_name(l.table->cameras[2], u"\u00C9 \u65E5\u672C \U0001F4F7");
    const std::u16string text = settings_text(l.state, *l.table);
    EXPECT_NE(text.find(u"camera 1 \"\" 1 1 "), std::u16string::npos);
    const Loaded back = load(text);
    ASSERT_EQ(back.table->count, 3);
    // Sorted at "end": "" < "  My..." < U+00C9.
    EXPECT_EQ(name_of(back.camera(0)), u"");
    EXPECT_EQ(name_of(back.camera(1)), u"  My   camera\twith tabs  ");
    EXPECT_EQ(name_of(back.camera(2)), u"\u00C9 \u65E5\u672C \U0001F4F7");
}

TEST(CameraLines, LinesCutByTheLineLengthKeepWhatWasWhole)
{
    // A hand-made line with a 240-unit name: cut at 255 units after the type. The name is kept
    // as far as the line the program writes for it has room; the values cut off are the defaults.
    const std::u16string line = u"camera 0 \"" + std::u16string(240, u'n') + u"\" 0 0 1 2 3 4 5 6 7 8 9 10 11 12 13";
    const Loaded l = load(with_header(line + u"\n"));
    EXPECT_EQ(name_of(l.camera(0)), std::u16string(camera_name_room(l.camera(0), 0), u'n'));
    EXPECT_EQ(l.camera(0).coc_method, CocMethod::SharpImage);
    EXPECT_EQ(l.camera(0).frame_width_mm, 36);
    // A number the cut falls into is not read as the digits before the cut.
    const std::u16string split = u"camera 0 \"" + std::u16string(230, u'n') + u"\" 0 0 1234567890 2 3";
    const Loaded s = load(with_header(split + u"\n"));
    EXPECT_EQ(s.camera(0).type, CameraType::Digital);
    EXPECT_EQ(s.camera(0).frame_width_mm, 36);
    // A cut between two tokens keeps the one before it whole: padded so that the final "1" is
    // unit 256, the wavelength before the spaces is read.
    std::u16string padded = u"camera 0 \"Cam\" 2 0 23.51 6001 15.61 4001 60.01 0.02001 1.501 0.501 10.001 12.001 456.78";
    padded.append(settings_line_units - padded.size(), u' ');
    const Loaded p = load(with_header(padded + u"1\n"));
    EXPECT_EQ(p.camera(0).wavelength, 456.78);
    EXPECT_EQ(load(with_header(padded + u" 1\n")).camera(0).wavelength, 456.78);

    // A name that fits the hand-made line is read, but only as much of it as the line the
    // program writes for it can carry (its values take more room there): saving then keeps it.
    std::u16string name(150, u'b');
    name += u"\U0001F4F7";
    const std::u16string fits = u"camera 0 \"" + name + u"\" 0 0 1 2 3 4 5 6 7 8 9 10 11 1";
    ASSERT_LE(fits.size(), 255u);
    const Loaded f = load(with_header(fits + u"\n"));
    EXPECT_EQ(name_of(f.camera(0)), name);
    EXPECT_EQ(f.camera(0).focal_length_entry, FocalLengthEntry::Equivalent35mm);

    name.insert(0, 45, u'a');
    const std::u16string longer = u"camera 0 \"" + name + u"\" 0 0 1 2 3 4 5 6 7 8 9 10 11 1";
    ASSERT_LE(longer.size(), 255u);
    const Loaded cut = load(with_header(u"ncameras 1 0\n" + longer + u"\nend\n"));
    const std::u16string read = name_of(cut.camera(0));
    EXPECT_LT(read.size(), name.size());
    EXPECT_EQ(read, name.substr(0, read.size()));
    EXPECT_EQ(cut.camera(0).wavelength, 11);
    const Loaded again = load(settings_text(cut.state, *cut.table));
    EXPECT_EQ(name_of(again.camera(0)), read);
}

// A name is cut to the room of its own line, not that of a line with a three-digit index.
TEST(CameraLines, NameThatFitsItsLineIsKeptWhole)
{
    const std::u16string values = u" 1 1 36.00 6000 24.00 4000 75.00 0.03300 2.000 1.000 12.000 18.000 550.00 0";
    // The camera line alone, and the last of eleven cameras after ten named "Generic ...".
    for (const int index : {0, 10}) {
        const std::u16string head = index == 0 ? u"camera 0 \"" : u"camera 10 \"";
        const std::u16string name(settings_line_units - head.size() - 1 - values.size(), u'n');
        const std::u16string line = head + name + u"\"" + values;
        std::u16string count = index == 0 ? u"ncameras 1 0\n" : u"ncameras 11 0\n";
        for (int i = 0; i < index; ++i)
            count += u"camera " + utf8_to_utf16(std::to_string(i)) + u" \"Generic\"\n";
        const Loaded l = load(with_header(count + line + u"\nend\n"));
        const Camera& c = l.camera(index);
        EXPECT_EQ(name_of(c), name);
        EXPECT_NE(settings_text(l.state, *l.table).find(u"\n" + line + u"\n"), std::u16string::npos);
    }
}

// A number that overflows a double yet fits a line: 212 digits times 10^99.
const std::u16string overflowing = std::u16string(212, u'9') + u"e99";

TEST(CameraLines, BadValuesGiveTheDefaultCamerasValue)
{
    const Loaded l = load(with_header(u"ncameras 3 0\n"
                                      u"camera 0 \"enums\" 7 \u22121 36 6000 24 4000 75 0.033 2 1 12 18 550 5\n"
                                      u"camera 1 \"fine\" 2 0 36 6000 24 4000 75 0.033 2 1 12 18 600 1\n"
                                      u"camera 2 \"no eye\" 1 1 36 1 24 0 75 0.033 2 0 12 18 550 0\n"));
    const Camera& e = l.camera(0);
    EXPECT_EQ(e.coc_method, CocMethod::SharpPrint);
    EXPECT_EQ(e.type, CameraType::Film);
    EXPECT_EQ(e.focal_length_entry, FocalLengthEntry::Actual);
    EXPECT_EQ(e.frame_width_mm, 36);
    const Camera& f = l.camera(1);
    EXPECT_EQ(f.coc_method, CocMethod::CustomCoc);
    EXPECT_EQ(f.type, CameraType::Digital);
    EXPECT_EQ(f.focal_length_entry, FocalLengthEntry::Equivalent35mm);
    EXPECT_EQ(f.wavelength, 600);
    // What the dialog refuses: a visual resolution of 0 (a CoC of 0), fewer than 2 pixels.
    const Camera& z = l.camera(2);
    EXPECT_EQ(z.visual_resolution, 1);
    EXPECT_EQ(z.frame_width_px, 6000);
    EXPECT_EQ(z.frame_height_px, 4000);
    expect_usable(l);

    // One overflowing value per line (only one fits in 255 units), at each double's token.
    const Camera defaults = default_camera();
    const std::pair<int, double Camera::*> doubles[] = {
        {5, &Camera::frame_width_mm}, {7, &Camera::frame_height_mm}, {9, &Camera::film_resolution},
        {10, &Camera::custom_coc},    {11, &Camera::allowable_blur},  {12, &Camera::visual_resolution},
        {13, &Camera::print_size},    {14, &Camera::viewing_distance}, {15, &Camera::wavelength}};
    for (const auto& [token, field] : doubles) {
        std::u16string line = u"camera 0 \"\" 2 0";
        for (int k = 5; k <= 16; ++k)
            line += k == token ? u" " + overflowing : u" 3";
        ASSERT_LE(line.size(), 255u);
        const Loaded o = load(with_header(line + u"\n"));
        EXPECT_EQ(o.camera(0).*field, defaults.*field) << token;
        EXPECT_EQ(o.camera(0).print_size, token == 13 ? 12 : 3) << token;
        expect_usable(o);
    }
}

// ---------------------------------------------------------------------------------------------
// Values the program cannot work with

struct SanitiseCase {
    std::u16string line;
    double CalcState::*field;
    double expected;
};

class SanitiseNumbers : public testing::TestWithParam<SanitiseCase> {};

TEST_P(SanitiseNumbers, GiveSafeValues)
{
    const Loaded l = load(with_header(GetParam().line + u"\n"));  // no "end": sanitised all the same
    EXPECT_DOUBLE_EQ(l.state.*GetParam().field, GetParam().expected) << std::string(GetParam().line.begin(), GetParam().line.end());
    expect_usable(l);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SanitiseNumbers,
    testing::Values(
        SanitiseCase{u"focal_length 0", &CalcState::focal_length, 50},
        SanitiseCase{u"focal_length -35", &CalcState::focal_length, 50},
        SanitiseCase{u"focal_length " + overflowing, &CalcState::focal_length, 50},
        SanitiseCase{u"teleconverter 0", &CalcState::teleconverter, 1},
        SanitiseCase{u"f_stop \u22122", &CalcState::f_stop, 8},
        SanitiseCase{u"blur_threshold 0", &CalcState::blur_threshold, 1},
        SanitiseCase{u"fov -1", &CalcState::fov, 20},
        SanitiseCase{u"fov x", &CalcState::fov, 20},
        SanitiseCase{u"fl_zoom 0.5", &CalcState::fl_zoom, 1.5}, SanitiseCase{u"fl_zoom 100", &CalcState::fl_zoom, 32},
        SanitiseCase{u"fov_zoom -3", &CalcState::fov_zoom, 1.5}, SanitiseCase{u"blur_zoom 33", &CalcState::blur_zoom, 32},
        SanitiseCase{u"blur_zoom 31.5", &CalcState::blur_zoom, 31.5},
        SanitiseCase{u"maxblur 0", &CalcState::maxblur, 2}, SanitiseCase{u"maxblur 1000000", &CalcState::maxblur, 10000},
        // Every input on its scale: a teleconverter of 1 to 4, the aperture scale's f/0.7 to f/128.
        SanitiseCase{u"teleconverter 9", &CalcState::teleconverter, 4},
        SanitiseCase{u"teleconverter 1.7", &CalcState::teleconverter, 1.7},
        SanitiseCase{u"f_stop 0.001", &CalcState::f_stop, 0.7071067811865476},
        SanitiseCase{u"maxblur " + overflowing, &CalcState::maxblur, 16},
        // Negative distances mean infinity and stay as they are; only non-finite ones are replaced.
        SanitiseCase{u"near -1", &CalcState::near, -1}, SanitiseCase{u"far \u22125", &CalcState::far, -5},
        SanitiseCase{u"far_limit " + overflowing, &CalcState::far_limit, 1828.8},
        SanitiseCase{u"focus_at \u2212" + overflowing, &CalcState::focus_at, 1219.2},
        SanitiseCase{u"blur_distance 0", &CalcState::blur_distance, 0},
        // No number at all keeps the default rather than reading as 0 mm (a deleted number whose
        // exact value was left behind; a "?" an old fault wrote).
        SanitiseCase{u"focus_at x4094AD9CD0B1E571", &CalcState::focus_at, 1219.2},
        SanitiseCase{u"near_limit ?", &CalcState::near_limit, 914.4},
        SanitiseCase{u"focus_at 10", &CalcState::focus_at, 10}));  // recompute raises it to 2f

TEST(SanitiseSettings, IntegersOutsideTheirRanges)
{
    EXPECT_EQ(load(with_header(u"ni -5\n")).state.ni, 2);
    EXPECT_EQ(load(with_header(u"ni 5000\n")).state.ni, 100);
    EXPECT_EQ(load(with_header(u"ni 99999999999999999999\n")).state.ni, 100);
    EXPECT_EQ(load(with_header(u"ni 50\n")).state.ni, 50);
    EXPECT_EQ(load(with_header(u"units 7\n")).state.units, DistanceUnit::Foot);
    EXPECT_EQ(load(with_header(u"units -1\n")).state.units, DistanceUnit::Foot);
    EXPECT_EQ(load(with_header(u"macro_units 7\n")).state.macro_units, DistanceUnit::Millimetre);
    EXPECT_EQ(load(with_header(u"macro_units 5\n")).state.macro_units, DistanceUnit::Metre);
    EXPECT_EQ(load(with_header(u"mode 9\n")).state.mode, Mode::DepthOfField);
    EXPECT_EQ(load(with_header(u"mode 4\n")).state.mode, Mode::Macro);
    EXPECT_EQ(load(with_header(u"f_stop_increment 2\n")).state.f_stop_increment, FStopIncrement::HalfStop);
    EXPECT_EQ(load(with_header(u"snap 5\n")).state.snap, 1);
    EXPECT_EQ(load(with_header(u"snap -1\n")).state.snap, 1);
    EXPECT_EQ(load(with_header(u"snap 0\n")).state.snap, 0);
}

TEST(SanitiseSettings, BinaryJunkNeverBreaksTheState)
{
    std::mt19937 random(42);
    for (int round = 0; round < 300; ++round) {
        std::string bytes(static_cast<std::size_t>(random() % 2000), '\0');
        for (char& b : bytes)
            b = static_cast<char>(random() % 4 == 0 ? "\n \t\"0123456789.,-e%"[random() % 18] : random() & 0xFF);
        // Half the rounds pass the header so the junk reaches the key dispatch.
        const std::string file = round % 2 ? "Qel 1.0\nncameras 4 1\ncamera " + bytes : bytes;
        const Loaded l = load(utf8_to_utf16(file));
        expect_usable(l);
    }
}

TEST(SanitiseSettings, JunkLinesAmongGoodOnes)
{
    std::u16string many;
    for (int i = 0; i < 150; ++i)
        many += u"9 ";
    const Loaded l = load(with_header(u"\x01\x02\x03 \xFFFD\xFFFD\n" + many + u"\nfocal_length " + many +
                                      u"\nncameras 2 1 " + many + u"\ncamera 1 \"x\" 0 0 36 6000 24 4000 75 0.033 2 1 12 "
                                      u"18 550 1 " + many + u"\nend\n"));
    EXPECT_EQ(l.state.focal_length, 9);
    EXPECT_EQ(l.table->count, 1);  // camera 0 has no line
    EXPECT_EQ(name_of(l.camera(0)), u"x");
    expect_usable(l);
}

// ---------------------------------------------------------------------------------------------
// Writing

TEST(SettingsText, WritesEveryLineInOrder)
{
    Loaded l = load(u"");
    l.state.far_limit = -1;
    l.state.mode = Mode::Blur;
    l.state.focal_length = 35.125;
    const std::u16string text = settings_text(l.state, *l.table);
    EXPECT_NE(text.find(u"\nfar_limit \u22121.00\n"), std::u16string::npos);
    EXPECT_NE(text.find(u"\nmode 3\nncameras 1 0\ncamera 0 "), std::u16string::npos);
    EXPECT_NE(text.find(u"\nfocal_length 35.13 x4041900000000000\n"), std::u16string::npos) << "its exact bits";
    EXPECT_EQ(text.substr(0, 8), u"Qel 1.0\n");
    EXPECT_EQ(text.substr(text.size() - 4), u"end\n");

    const Loaded back = load(text);
    EXPECT_EQ(back.state.far_limit, -1);
    EXPECT_EQ(back.state.mode, Mode::Blur);
}

TEST(SettingsText, CommaDecimalPointWritesAndReadsBack)
{
    DecimalPoint comma(u',');
    Loaded l = load(u"");
    const std::u16string text = settings_text(l.state, *l.table);
    EXPECT_NE(text.find(u"\nfocal_length 50,00\n"), std::u16string::npos);
    EXPECT_NE(text.find(u" 36,00 6000 24,00 4000 75,00 0,03300 2,000 1,000 12,000 18,000 550,00 0\n"),
              std::u16string::npos);
    l.state.focal_length = 12.5;
    const Loaded back = load(settings_text(l.state, *l.table));
    EXPECT_EQ(back.state.focal_length, 12.5);
    EXPECT_DOUBLE_EQ(back.camera(0).custom_coc, 0.033);
}

TEST(SettingsText, QuotesAndLineFeedsInNamesCannotBreakTheFile)
{
    Loaded l = load(u"");
    set_name(l.table->cameras[0], u"The \"best\"\ncamera");
    const std::u16string text = settings_text(l.state, *l.table);
    EXPECT_NE(text.find(u"\"The \u201Dbest\u201D camera\" 1 1"), std::u16string::npos);
    const Loaded back = load(text);
    EXPECT_EQ(name_of(back.camera(0)), u"The \u201Dbest\u201D camera");
    EXPECT_EQ(back.camera(0).wavelength, 550);
}

TEST(SettingsText, LongNamesGiveWaySoTheLineStaysWhole)
{
    Loaded l = load(u"");
    std::u16string name(200, u'x');
    name += u"\U0001F4F7\U0001F4F7";
    name.resize(254, u'y');
    set_name(l.table->cameras[0], name);
    l.table->cameras[0].wavelength = 612.25;
    l.table->cameras[0].focal_length_entry = FocalLengthEntry::Equivalent35mm;
    const std::u16string text = settings_text(l.state, *l.table);
    const std::size_t start = text.find(u"camera 0");
    const std::size_t end = text.find(u'\n', start);
    EXPECT_EQ(end - start, 255u);  // the line takes all the reader reads

    const Loaded back = load(text);
    const std::u16string read = name_of(back.camera(0));
    EXPECT_LT(read.size(), name.size());
    EXPECT_EQ(read, name.substr(0, read.size()));
    EXPECT_EQ(back.camera(0).wavelength, 612.25);
    EXPECT_EQ(back.camera(0).focal_length_entry, FocalLengthEntry::Equivalent35mm);

    // A cut falling inside a surrogate pair drops the whole pair.
    for (std::size_t at = 160; at < 175; ++at) {
        std::u16string emoji(at, u'e');
        emoji += u"\U0001F4F7\U0001F4F7\U0001F4F7\U0001F4F7\U0001F4F7\U0001F4F7\U0001F4F7\U0001F4F7\U0001F4F7\U0001F4F7";
        set_name(l.table->cameras[0], emoji.substr(0, 254));
        const std::u16string t = settings_text(l.state, *l.table);
        const std::size_t s = t.find(u"camera 0");
        const std::size_t e = t.find(u'\n', s);
        ASSERT_LE(e - s, 255u);
        const std::u16string line = t.substr(s, e - s);
        const std::size_t close = line.rfind(u'"');
        ASSERT_NE(close, std::u16string::npos);
        const char16_t last = line[close - 1];
        EXPECT_FALSE(last >= 0xD800 && last <= 0xDBFF) << at;
    }
}

TEST(SettingsText, HugeValuesAndBadCountsStayBounded)
{
    Loaded l = load(u"");
    l.state.focal_length = 1e300;
    l.table->cameras[0].frame_width_mm = 1e300;
    const std::u16string text = settings_text(l.state, *l.table);
    // Written in full (301 digits), though the reader will take only the first 255 units of it.
    const std::size_t start = text.find(u"\nfocal_length 1");
    ASSERT_NE(start, std::u16string::npos);
    EXPECT_EQ(text.find(u'\n', start + 1) - start - 1, 13u + 301u + 3u);
    const Loaded back = load(text);
    expect_usable(back);
    EXPECT_EQ(back.state.focal_length, 50);  // 255 units of it are still far too large to keep
    // The camera line is cut inside the frame width and is skipped: the default camera's inputs.
    EXPECT_EQ(back.camera(0).frame_width_mm, 36);
    EXPECT_EQ(back.camera(0).wavelength, 550);

    l.table->count = 5000;
    EXPECT_NE(settings_text(l.state, *l.table).find(u"\nncameras 1000 0\n"), std::u16string::npos);
    l.table->count = -2;
    const std::u16string none = settings_text(l.state, *l.table);
    EXPECT_NE(none.find(u"\nncameras 0 0\nend\n"), std::u16string::npos);
    expect_usable(load(none));
}

// 1000 cameras with long names mixing accents, CJK and emoji survive a save and reload.
TEST(SettingsText, ThousandCamerasRoundTripThroughUtf8)
{
    Loaded l = load(u"");
    CameraTable& t = *l.table;
    t.count = max_cameras;
    t.current = 517;
    for (int i = 0; i < max_cameras; ++i) {
        Camera& c = t.cameras[static_cast<std::size_t>(i)];
        c = default_camera();
        std::u16string name;
        name += static_cast<char16_t>(u'0' + i / 100);  // keeps the names in sorted order
        name += static_cast<char16_t>(u'0' + i / 10 % 10);
        name += static_cast<char16_t>(u'0' + i % 10);
        name += u" Caf\u00E9 d\u00E9j\u00E0 vu \u65E5\u672C\u8A9E\u30AB\u30E1\u30E9 \U0001F600\U0001F4F7 \u00C5ngstr\u00F6m";
        while (name.size() < 150)
            name += static_cast<char16_t>(u'a' + name.size() % 26);
        set_name(c, name);
        c.type = i % 2 ? CameraType::Digital : CameraType::Film;
        c.coc_method = static_cast<CocMethod>(i % 3);
        c.focal_length_entry = static_cast<FocalLengthEntry>(i % 2);
        c.frame_width_mm = 10 + i * 0.25;
        c.frame_width_px = 1000 + i;
        c.frame_height_mm = 5 + i * 0.5;
        c.frame_height_px = 2000 + i;
        c.custom_coc = 0.01 + i * 0.00001;
        c.wavelength = 400 + i * 0.25;
    }
    const std::string bytes = utf16_to_utf8(settings_text(l.state, t));
    const std::u16string text = utf8_to_utf16(bytes);
    std::size_t lines = 0;
    for (char16_t ch : text)
        lines += ch == u'\n';
    EXPECT_EQ(lines, 1u + 21u + 1u + 1000u + 1u);

    const Loaded back = load(text);
    ASSERT_EQ(back.table->count, max_cameras);
    EXPECT_EQ(back.table->current, 517);
    for (int i = 0; i < max_cameras; ++i) {
        const Camera& a = t.cameras[static_cast<std::size_t>(i)];
        const Camera& b = back.camera(i);
        ASSERT_EQ(name_of(b), name_of(a)) << i;
        EXPECT_EQ(b.type, a.type);
        EXPECT_EQ(b.coc_method, a.coc_method);
        EXPECT_EQ(b.focal_length_entry, a.focal_length_entry);
        EXPECT_EQ(b.frame_width_mm, a.frame_width_mm);
        EXPECT_EQ(b.frame_width_px, a.frame_width_px);
        EXPECT_EQ(b.frame_height_mm, a.frame_height_mm);
        EXPECT_EQ(b.frame_height_px, a.frame_height_px);
        EXPECT_NEAR(b.custom_coc, a.custom_coc, 1e-12);
        EXPECT_EQ(b.wavelength, a.wavelength);
    }
    // Writing what was read gives the same text again.
    EXPECT_EQ(settings_text(back.state, *back.table), text);
}

}  // namespace
