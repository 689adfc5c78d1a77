// Field cards: every cell is what the details panel shows for that aperture and focus distance,
// and the default apertures are the whole stops a photographer reads off a lens.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "calc/field_card.h"
#include "calc/recompute.h"
#include "support/hand_camera.h"

namespace {

TEST(FieldCard, EveryCellIsTheDepthOfFieldModesResult)
{
    const Camera camera = hand_default_camera();
    for (const Mode mode : {Mode::DepthOfField, Mode::FocusStacking, Mode::Macro}) {
        for (const double teleconverter : {1.0, 1.4}) {
            CalcState settings;
            settings.mode = mode;  // the card is in depth of field whatever mode the file was left in
            settings.teleconverter = teleconverter;
            settings.focal_length = 85;
            settings.blur_threshold = 1.5;
            for (const double n : {1.4, 5.657, 22.63, 90.5}) {
                for (const double focus : {300.0, 1000.0, 3000.0, 10000.0, 1e6, -1.0}) {
                    CalcState panel = settings;
                    panel.mode = Mode::DepthOfField;
                    panel.f_stop = n;
                    panel.focus_at = focus;
                    recompute(panel, camera, true);
                    const FieldCardCell cell = field_card_cell(settings, camera, n, focus);
                    EXPECT_EQ(cell.near, panel.near) << n << " at " << focus;
                    EXPECT_EQ(cell.far, panel.far) << n << " at " << focus;
                    EXPECT_EQ(cell.range, panel.range) << n << " at " << focus;
                    EXPECT_EQ(cell.diffraction_limited, panel.hyperfocal < 0) << n;
                    EXPECT_EQ(field_card_hyperfocal(settings, camera, n), panel.hyperfocal) << n;
                }
            }
        }
    }
}

TEST(FieldCard, DiffractionAloneCanLeaveNothingSharp)
{
    const Camera camera = hand_default_camera();
    CalcState settings;
    const FieldCardCell open = field_card_cell(settings, camera, 8, 3000);
    EXPECT_FALSE(open.diffraction_limited);
    EXPECT_LT(open.near, 3000);
    EXPECT_GT(open.far, 3000);
    const FieldCardCell closed = field_card_cell(settings, camera, 128, 3000);
    EXPECT_TRUE(closed.diffraction_limited);
    EXPECT_EQ(field_card_hyperfocal(settings, camera, 128), -1);
}

TEST(FieldCard, DefaultAperturesAreWholeStopsToF22)
{
    const auto marked = [](const std::vector<double>& apertures) {
        std::vector<double> out;
        for (const double n : apertures)
            out.push_back(std::round(n * 10) / 10);
        return out;
    };
    CalcState s;
    const std::vector<double> from_f14{1.4, 2, 2.8, 4, 5.7, 8, 11.3, 16, 22.6};
    EXPECT_EQ(marked(default_card_apertures(s)), from_f14);
    s.f_stop_increment = FStopIncrement::ThirdStop;
    EXPECT_EQ(marked(default_card_apertures(s)), from_f14) << "third stops give the same whole stops";
    s.f_stop = 0.95;  // a fast lens: from its nearest whole stop
    EXPECT_EQ(marked(default_card_apertures(s)).front(), 1);
    s.f_stop = 1.2;
    EXPECT_EQ(marked(default_card_apertures(s)).front(), 1.4) << "1.2 is nearer 1.4 than 1 in stops";
}

}  // namespace
