// The calculation state: every optical input and result of Qel in one record.
// Distances are millimetres; a negative distance means infinity (stored as -1).
#pragma once

#include <array>

enum class Mode : int {
    DepthOfField = 0,
    BestFStop = 1,
    FocusStacking = 2,
    Blur = 3,
    Macro = 4,
};
inline constexpr int mode_count = 5;

enum class DistanceUnit : int {
    Millimetre = 0,
    Centimetre = 1,
    Inch = 2,
    Foot = 3,
    Yard = 4,
    Metre = 5,
};
inline constexpr int distance_unit_count = 6;

enum class FStopIncrement : int {
    HalfStop = 0,
    ThirdStop = 1,
};

inline constexpr int max_focus_points = 100;

/// The magnitudes the settings file keeps: a number beyond the largest is read back as its default
/// (a distance as infinity), a positive one below the smallest as 0.
inline constexpr double largest_kept_number = 1e9;
inline constexpr double smallest_kept_number = 1e-9;

/// What the scales can show and drag to, and so the range every input is kept in (on load and
/// after every change), so that nothing is used that the screen cannot show. The lens and
/// field-width scales reach from a 63rd of 10 mm (the lowest top of their window, zoomed out
/// fully) to 10,000 mm; the blur scale from a 63rd of 1 CoC to 1000 CoCs; the aperture scale is
/// the f-stop table from f/0.7 to f/128; a teleconverter magnifies 1 to 4 times; and the ends of
/// the distance column blur 2 to 10,000 CoCs (from 2 on the blur strip shows its colours and the
/// depth of field at the allowed blur of 1, with round distances to read it by).
struct InputRange {
    double low;
    double high;
};
inline constexpr InputRange lens_scale_range{10.0 / 63, 10000};
inline constexpr InputRange blur_scale_range{1.0 / 63, 1000};
inline constexpr InputRange teleconverter_range{1, 4};
inline constexpr InputRange maxblur_range{2, 10000};

struct CalcState {
    // Inputs, persisted under their own names in the settings file.
    Mode mode = Mode::DepthOfField;
    FStopIncrement f_stop_increment = FStopIncrement::HalfStop;
    double focal_length = 50;
    double teleconverter = 1.0;
    double f_stop = 8;
    double blur_threshold = 1.0;
    DistanceUnit units = DistanceUnit::Foot;
    DistanceUnit macro_units = DistanceUnit::Millimetre;
    int snap = 1;
    double maxblur = 16;
    double fl_zoom = 5;
    double fov_zoom = 5;
    double blur_zoom = 5;
    double near = 914.4;
    double focus_at = 1219.2;
    double far = 1828.8;
    double near_limit = 914.4;
    double far_limit = 1828.8;
    double blur_distance = 1828.8;
    double fov = 20;
    int ni = 2;

    // Results, written only by recompute and the drags.
    double effective_focal_length = 50;
    double effective_f_stop = 8;
    double hyperfocal = 0;
    double front = 0;
    double back = 0;
    double range = 0;
    double magnification = 0;
    double field_width = 0;
    double field_height = 0;
    double field_diagonal = 0;
    double angle_width = 0;
    double angle_height = 0;
    double angle_diagonal = 0;
    double blur = 0;
    double best_focus = 0;
    double optimum_f_stop = 0;
    double optimum_effective_f_stop = 0;
    double optimum_blur = 0;
    std::array<double, max_focus_points> focus_points{};
    double stack_near = 0;
    double stack_far = 0;
    double stack_range = 0;
    double macro_factor = 0;
    double macro_effective_f_stop = 0;  // effective_f_stop * (1 + magnification), for diffraction
    double macro_depth = 0;

    // Scale windows, written by recompute when it re-centres.
    double fl_low = 0;
    double fl_high = 0;
    double fov_low = 0;
    double fov_high = 0;
    double blur_low = 0;
    double blur_high = 0;
    double maxblur_near = 0;
    double maxblur_far = 0;
};

/// The unit distances are shown in: macro_units in Macro mode, units otherwise.
inline DistanceUnit display_unit(const CalcState& s)
{
    return s.mode == Mode::Macro ? s.macro_units : s.units;
}

/// Millimetres per display unit; 1 for millimetres and for any unknown unit code.
double millimetres_per_unit(DistanceUnit unit);

/// The unit's suffix text ("mm", "cm", "in", "ft", "yd", "m"); "mm" for an unknown code,
/// matching the millimetres that such a unit leaves values in.
const char16_t* unit_suffix(DistanceUnit unit);
