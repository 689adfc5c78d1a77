// Caption texts above the five columns, for every mode.
#include <gtest/gtest.h>

#include <string>

#include "support/allocation_counter.h"
#include "support/u16_text.h"
#include "text/caption_text.h"

namespace {

using enum Column;
using enum CaptionPlace;

struct Captions {
    CaptionTexts texts;
    std::u16string name(Column c, CaptionPlace p) const { return std::u16string(texts.name_at(c, p).view()); }
    std::u16string value(Column c, CaptionPlace p) const { return std::u16string(texts.value_at(c, p).view()); }
};

Captions captions_of(const CalcState& s)
{
    Captions c;
    caption_texts(s, c.texts);
    return c;
}

CalcState state_in(Mode mode)
{
    CalcState s;
    s.mode = mode;
    s.units = DistanceUnit::Foot;
    s.macro_units = DistanceUnit::Millimetre;
    s.focal_length = 50;
    s.f_stop = 8;
    s.blur_threshold = 1.5;
    s.near = 914.4;
    s.focus_at = 1219.2;
    s.far = -1;
    s.near_limit = 609.6;
    s.far_limit = 3048;
    s.best_focus = 1016;
    s.blur_distance = 1828.8;
    s.optimum_f_stop = 11.3137;
    s.optimum_blur = 2.456;
    s.blur = 3.25;
    s.fov = 20;
    s.magnification = 1.8;
    s.macro_depth = 0.5;
    s.ni = 5;
    return s;
}

// Every slot as "name|value" per column and place, for whole-table comparisons.
void expect_row(const Captions& c, Column column, const char16_t* const names[3], const char16_t* const values[3])
{
    for (int p = 0; p < 3; ++p) {
        const auto place = static_cast<CaptionPlace>(p);
        EXPECT_EQ(c.name(column, place), names[p]) << "column " << int(column) << " place " << p;
        EXPECT_EQ(c.value(column, place), values[p]) << "column " << int(column) << " place " << p;
    }
}

TEST(CaptionText, DepthOfField)
{
    const Captions c = captions_of(state_in(Mode::DepthOfField));
    const char16_t* lens_n[] = {u"", u"lens", u""};
    const char16_t* lens_v[] = {u"", u"50 mm", u""};
    expect_row(c, Lens, lens_n, lens_v);
    const char16_t* ap_n[] = {u"", u"aperture", u""};
    const char16_t* ap_v[] = {u"", u"f/8", u""};
    expect_row(c, Aperture, ap_n, ap_v);
    const char16_t* dist_n[] = {u"near", u"distance", u"far"};
    const char16_t* dist_v[] = {u"3 ft", u"4 ft", u"\u221E"};
    expect_row(c, Distance, dist_n, dist_v);
    const char16_t* blur_n[] = {u"", u"blur", u""};
    const char16_t* blur_v[] = {u"", u"1.5", u""};
    expect_row(c, Blur, blur_n, blur_v);
    const char16_t* det_n[] = {u"", u"details", u""};
    const char16_t* det_v[] = {u"", u"", u""};
    expect_row(c, Details, det_n, det_v);
}

TEST(CaptionText, BestFStopShowsTheOptimumAndLimits)
{
    const Captions c = captions_of(state_in(Mode::BestFStop));
    EXPECT_EQ(c.name(Lens, Centre), u"lens");
    EXPECT_EQ(c.value(Aperture, Centre), u"f/11.31");
    const char16_t* dist_n[] = {u"near", u"distance", u"far"};
    const char16_t* dist_v[] = {u"2 ft", u"3.33 ft", u"10 ft"};
    expect_row(c, Distance, dist_n, dist_v);
    EXPECT_EQ(c.value(Blur, Centre), u"2.46");
}

TEST(CaptionText, FocusStackingReadsAsTheNumberOfImages)
{
    CalcState s = state_in(Mode::FocusStacking);
    s.ni = 2;
    Captions c = captions_of(s);
    const char16_t* dist_n[] = {u"near", u"2", u"far"};
    const char16_t* dist_v[] = {u"2 ft", u"images", u"10 ft"};
    expect_row(c, Distance, dist_n, dist_v);
    EXPECT_EQ(c.value(Aperture, Centre), u"f/11.31");
    EXPECT_EQ(c.value(Blur, Centre), u"2.46");

    s.ni = 100;
    c = captions_of(s);
    EXPECT_EQ(c.name(Distance, Centre), u"100");
    s.ni = 1;
    c = captions_of(s);
    EXPECT_EQ(c.name(Distance, Centre), u"1");
    EXPECT_EQ(c.value(Distance, Centre), u"image");
}

TEST(CaptionText, BlurModeHasNoDistanceCentre)
{
    const Captions c = captions_of(state_in(Mode::Blur));
    const char16_t* dist_n[] = {u"focus at", u"", u"distance"};
    const char16_t* dist_v[] = {u"4 ft", u"", u"6 ft"};
    expect_row(c, Distance, dist_n, dist_v);
    EXPECT_EQ(c.value(Aperture, Centre), u"f/8");
    EXPECT_EQ(c.value(Blur, Centre), u"3.25");
}

TEST(CaptionText, Macro)
{
    const Captions c = captions_of(state_in(Mode::Macro));
    const char16_t* lens_n[] = {u"", u"fov", u""};
    const char16_t* lens_v[] = {u"", u"20 mm", u""};
    expect_row(c, Lens, lens_n, lens_v);
    const char16_t* dist_n[] = {u"magnification", u"", u"dof"};
    const char16_t* dist_v[] = {u"1.8 : 1", u"", u"\u00B10.25 mm"};
    expect_row(c, Distance, dist_n, dist_v);
    EXPECT_EQ(c.value(Aperture, Centre), u"f/8");
    EXPECT_EQ(c.value(Blur, Centre), u"1.5");
    EXPECT_EQ(c.name(Blur, Centre), u"blur");
    EXPECT_EQ(c.name(Details, Centre), u"details");
}

TEST(CaptionText, MagnificationRatio)
{
    const std::pair<double, const char16_t*> cases[] = {
        {1, u"1 : 1"}, {0.25, u"1 : 4"}, {0.5, u"1 : 2"}, {1.5, u"1.5 : 1"}, {2, u"2 : 1"}, {0.3, u"1 : 3.33"},
    };
    for (const auto& [m, expected] : cases) {
        CalcState s = state_in(Mode::Macro);
        s.magnification = m;
        EXPECT_EQ(captions_of(s).value(Distance, Left), expected) << m;
        EXPECT_EQ(std::u16string(magnification_ratio(m).view()), expected) << m;
    }
}

TEST(CaptionText, PlainNumbersAreTrimmed)
{
    CalcState s = state_in(Mode::DepthOfField);
    const std::pair<double, const char16_t*> lenses[] = {{50, u"50 mm"}, {12.5, u"12.5 mm"}, {300, u"300 mm"}};
    for (const auto& [f, expected] : lenses) {
        s.focal_length = f;
        EXPECT_EQ(captions_of(s).value(Lens, Centre), expected);
    }
    const std::pair<double, const char16_t*> stops[] = {{5.6, u"f/5.6"}, {8, u"f/8"}, {1.4, u"f/1.4"}, {22, u"f/22"}};
    for (const auto& [n, expected] : stops) {
        s.f_stop = n;
        EXPECT_EQ(captions_of(s).value(Aperture, Centre), expected);
    }
}

TEST(CaptionText, RefillingClearsTextsOfTheOldMode)
{
    CaptionTexts texts;
    caption_texts(state_in(Mode::DepthOfField), texts);
    EXPECT_EQ(texts.name_at(Distance, Centre).view(), u"distance");
    caption_texts(state_in(Mode::Blur), texts);
    EXPECT_TRUE(texts.name_at(Distance, Centre).view().empty());
    EXPECT_TRUE(texts.value_at(Distance, Centre).view().empty());
    EXPECT_EQ(texts.name_at(Distance, Centre).c_str()[0], 0);
}

TEST(CaptionText, UnknownModeKeepsOnlyTheFixedNames)
{
    CalcState s = state_in(static_cast<Mode>(9));
    const Captions c = captions_of(s);
    EXPECT_EQ(c.name(Lens, Centre), u"lens");
    EXPECT_EQ(c.name(Aperture, Centre), u"aperture");
    for (int p = 0; p < 3; ++p) {
        EXPECT_TRUE(c.name(Distance, static_cast<CaptionPlace>(p)).empty());
        EXPECT_TRUE(c.value(Distance, static_cast<CaptionPlace>(p)).empty());
    }
}

TEST(CaptionText, AllocatesNothing)
{
    static CaptionTexts texts;
    const long before = allocation_count();
    for (Mode mode : {Mode::DepthOfField, Mode::BestFStop, Mode::FocusStacking, Mode::Blur, Mode::Macro})
        caption_texts(state_in(mode), texts);
    EXPECT_EQ(allocation_count(), before);
}

}  // namespace
