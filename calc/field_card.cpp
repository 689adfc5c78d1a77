#include "calc/field_card.h"

#include <algorithm>
#include <cmath>

#include "calc/recompute.h"
#include "calc/snap.h"

namespace {

CalcState at_setting(const CalcState& settings, double f_stop, double focus_mm)
{
    CalcState s = settings;
    s.mode = Mode::DepthOfField;
    s.f_stop = f_stop;
    s.focus_at = focus_mm;
    return s;
}

}  // namespace

FieldCardCell field_card_cell(const CalcState& settings, const Camera& camera, double f_stop, double focus_mm)
{
    CalcState s = at_setting(settings, f_stop, focus_mm);
    recompute(s, camera, false);
    // Close up the working f-number can leave nothing sharp where the hyperfocal distance (taken
    // far away) still exists: the cell asks at its own focus.
    return {s.near, s.far, s.range, defocus_allowance(s, camera, s.focus_at) == 0};
}

double field_card_hyperfocal(const CalcState& settings, const Camera& camera, double f_stop)
{
    CalcState s = at_setting(settings, f_stop, -1);
    recompute(s, camera, false);
    return s.hyperfocal;
}

MacroCardCell macro_card_cell(const CalcState& settings, const Camera& camera, double f_stop, double magnification)
{
    // The effective f-number as recompute sets it, so that the window's own shot is its panel's.
    const CloseUp shot = close_up(f_stop * settings.teleconverter, magnification, camera, settings.blur_threshold);
    return {shot.depth, shot.working_f_number, shot.depth == 0};
}

double macro_diffraction_f_stop(const CalcState& settings, const Camera& camera, double magnification)
{
    return airy_factor(camera) * camera.coc * settings.blur_threshold / (settings.teleconverter * (1 + magnification));
}

std::vector<double> default_card_magnifications()
{
    return {0.1, 0.2, 1.0 / 3, 0.5, 1 / 1.5, 1, 1.5, 2, 3, 5};
}

double card_aperture(const CalcState& settings)
{
    return settings.mode == Mode::BestFStop ? settings.optimum_f_stop : settings.f_stop;
}

double card_focus(const CalcState& settings)
{
    return settings.mode == Mode::BestFStop ? settings.best_focus : settings.focus_at;
}

std::vector<double> default_card_apertures(const CalcState& settings)
{
    // Whole stops are the table's entries 2^(k/2 - 1/2): every second half stop, every third
    // third stop, from f/0.7 (entry 0). The card runs from f/1.4 to f/22, reaching out to the whole
    // stop nearest the card's aperture when that is wider or narrower.
    const auto table = f_stop_table(settings.f_stop_increment);
    const std::size_t per_stop = settings.f_stop_increment == FStopIncrement::ThirdStop ? 3 : 2;
    const auto nearness = [](double a, double b) { return a < b ? a / b : b / a; };
    const double aperture = card_aperture(settings);
    double first = 1.4;
    double last = 22;
    if (aperture > 0 && std::isfinite(aperture)) {
        double nearest = table[0];
        for (std::size_t i = 0; i < table.size(); i += per_stop) {
            if (nearness(table[i], aperture) > nearness(nearest, aperture))
                nearest = table[i];
        }
        first = std::min(first, nearest);
        last = std::max(last, nearest);
    }
    std::vector<double> apertures;
    for (std::size_t i = 0; i < table.size(); i += per_stop) {
        // Table entries differ from the marked numbers (5.657 for 5.6): compared within 5 %.
        if (table[i] >= first * 0.95 && table[i] <= last * 1.05)
            apertures.push_back(table[i]);
    }
    return apertures;
}

double closest_card_distance(const CalcState& settings, const Camera& camera)
{
    return 2 * effective_focal_length_of(settings, camera);
}

std::vector<double> default_card_distances(const CalcState& settings, const Camera& camera)
{
    // Round values t * 10^(decade - 1) with t in tenths (10, 15, ..., 70), so that 0.7 is 7 / 10
    // correctly rounded rather than 7 * 0.1; powers of ten are multiplied up, exact on every platform.
    static constexpr int tenths[] = {10, 15, 20, 30, 50, 70};
    const double per_unit = millimetres_per_unit(settings.units);
    const double closest = 15 * effective_focal_length_of(settings, camera) / per_unit;
    std::vector<double> distances;
    for (int decade = -4; decade <= 12 && distances.size() < 10; ++decade) {
        double power = 1;
        for (int k = 0; k < (decade >= 1 ? decade - 1 : 1 - decade); ++k)
            power *= 10;
        for (const int t : tenths) {
            const double value = decade >= 1 ? t * power : t / power;
            // Beyond 9999.99 of its unit a distance text reads ">9999": no round value goes there.
            if (value >= closest && value <= 9999.99 && distances.size() < 10)
                distances.push_back(value * per_unit);
        }
    }
    distances.push_back(-1);
    return distances;
}

CalcState focus_stack(const CalcState& settings, const Camera& camera, double near_mm, double far_mm, int images)
{
    CalcState s = settings;
    s.mode = Mode::FocusStacking;
    s.near_limit = near_mm;
    s.far_limit = far_mm;
    s.ni = images;
    recompute(s, camera, false);
    return s;
}

int fewest_stack_images(const CalcState& settings, const Camera& camera, double near_mm, double far_mm)
{
    for (int images = 2; images <= max_focus_points; ++images) {
        const CalcState s = focus_stack(settings, camera, near_mm, far_mm, images);
        if (s.optimum_blur >= 0 && s.optimum_blur <= settings.blur_threshold)
            return images;
    }
    return 0;
}
