// Random cameras and lenses for properties of the calculation: any frame from a phone's to a
// large-format sheet, any way of judging sharpness, any wavelength, a focal length entered as it
// is or as its 35 mm equivalent, behind any teleconverter. The same seed gives the same setups
// on every platform (the draws use only the engine's own output, no library distribution).
#pragma once

#include <cmath>
#include <cstdint>
#include <ostream>
#include <random>

#include "calc/calc_state.h"
#include "cameras/camera.h"

class RandomSetup {
public:
    explicit RandomSetup(std::uint64_t seed) : engine_(seed) {}

    /// Uniform in [0, 1).
    double unit() { return static_cast<double>(engine_() >> 11) * 0x1p-53; }
    /// Spread evenly in the logarithm, as lens and distance scales are.
    double log_between(double low, double high) { return low * std::pow(high / low, unit()); }
    bool chance(double p) { return unit() < p; }

    /// A camera built from its inputs and derived as the program derives it.
    Camera camera()
    {
        Camera c = default_camera();
        c.frame_width_mm = log_between(4, 250);
        c.frame_height_mm = c.frame_width_mm / log_between(1, 2.5);
        c.type = chance(0.5) ? CameraType::Digital : CameraType::Film;
        c.frame_width_px = static_cast<std::int32_t>(log_between(1000, 12000));
        c.frame_height_px = c.frame_width_px * 2 / 3;
        c.film_resolution = log_between(20, 150);
        c.allowable_blur = log_between(1, 4);
        c.custom_coc = c.frame_width_mm / log_between(500, 3000);
        c.print_size = log_between(4, 40);
        c.viewing_distance = log_between(8, 60);
        c.wavelength = log_between(400, 700);
        c.coc_method = static_cast<CocMethod>(engine_() % 3);
        c.focal_length_entry = chance(0.5) ? FocalLengthEntry::Equivalent35mm : FocalLengthEntry::Actual;
        derive_camera(c);
        return c;
    }

    /// A lens (focal length as entered, teleconverter) and an aperture; the other inputs default.
    CalcState lens()
    {
        CalcState s;
        s.snap = 0;
        s.focal_length = log_between(8, 1200);
        constexpr double teleconverters[] = {1, 1.4, 2};
        s.teleconverter = teleconverters[engine_() % 3];
        s.f_stop = log_between(0.95, 64);
        s.blur_threshold = log_between(0.5, 3);
        return s;
    }

private:
    std::mt19937_64 engine_;
};

/// The focal length the lens really has: as entered, or the 35 mm equivalent brought to the
/// frame's size (the diagonals' ratio), times the teleconverter.
inline double real_focal_length(const CalcState& s, const Camera& c)
{
    double f = s.focal_length * s.teleconverter;
    if (c.focal_length_entry == FocalLengthEntry::Equivalent35mm)
        f *= std::hypot(c.frame_width_mm, c.frame_height_mm) / std::hypot(36.0, 24.0);
    return f;
}

inline std::ostream& operator<<(std::ostream& os, const Camera& c)
{
    return os << c.frame_width_mm << " x " << c.frame_height_mm << " mm, CoC " << c.coc << " mm, "
              << c.wavelength << " nm" << (c.focal_length_entry == FocalLengthEntry::Equivalent35mm ? ", 35 mm equivalents" : "");
}

inline std::ostream& operator<<(std::ostream& os, const CalcState& s)
{
    return os << s.focal_length << " mm x" << s.teleconverter << " at f/" << s.f_stop << ", allowed blur "
              << s.blur_threshold << ", focus " << s.focus_at << ", limits " << s.near_limit << " to " << s.far_limit;
}
