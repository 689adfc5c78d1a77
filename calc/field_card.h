// Field cards: the depth of field over a grid of apertures and focus distances, the hyperfocal
// distance per aperture, and focus-stack plans, computed exactly as the depth-of-field and
// focus-stacking modes compute them for the same camera, lens, teleconverter and allowed blur,
// diffraction included.
#pragma once

#include <vector>

#include "calc/calc_state.h"
#include "cameras/camera.h"

/// The f-numbers a card accepts.
inline constexpr double widest_card_f_number = 0.5;
inline constexpr double narrowest_card_f_number = 1000;

struct FieldCardCell {
    double near = 0;   ///< mm; -1 is infinity
    double far = 0;    ///< mm; -1 is infinity
    double range = 0;  ///< far - near in mm; -1 when a limit is infinity
    /// Diffraction alone, at the working f-number of this focus, blurs more than the allowed
    /// blur: nothing is sharp at this aperture and distance.
    bool diffraction_limited = false;
};

/// The depth of field with the lens set to `f_stop` and focused at `focus_mm` (-1 for infinity),
/// everything else as in `settings`: what the details panel shows in DepthOfField mode.
FieldCardCell field_card_cell(const CalcState& settings, const Camera& camera, double f_stop, double focus_mm);

/// The hyperfocal distance (mm) with the lens set to `f_stop`; -1 when diffraction alone exceeds
/// the allowed blur.
double field_card_hyperfocal(const CalcState& settings, const Camera& camera, double f_stop);

/// A close-up with the lens set to `f_stop` at magnification `magnification`, everything else as
/// in `settings`: the total depth of field (mm) and the f-number the sensor sees, what the details
/// panel shows in Macro mode.
struct MacroCardCell {
    double depth = 0;
    double working_f_number = 0;
    bool diffraction_limited = false;  ///< diffraction alone blurs more than the allowed blur
};
MacroCardCell macro_card_cell(const CalcState& settings, const Camera& camera, double f_stop, double magnification);

/// The f-number set on the lens from which, at this magnification, diffraction alone blurs more
/// than the allowed blur (the sensor sees it 1 + m times slower).
double macro_diffraction_f_stop(const CalcState& settings, const Camera& camera, double magnification);

/// The magnifications a close-up card shows when none are asked for: from 1:10 to 5:1.
std::vector<double> default_card_magnifications();

/// The magnifications a card accepts typed.
inline constexpr double smallest_card_magnification = 0.01;
inline constexpr double largest_card_magnification = 100;

/// The aperture and the focus distance (mm, -1 for infinity) the window shows in the settings'
/// mode: the best aperture and its focus in BestFStop, else the lens's f-stop and focus distance.
double card_aperture(const CalcState& settings);
double card_focus(const CalcState& settings);

/// The whole stops of the f-stop table a card shows when none are asked for: from f/1.4 to f/22,
/// or on to the whole stop nearest the card's aperture when that lies beyond either end.
std::vector<double> default_card_apertures(const CalcState& settings);

/// The focus distances (mm) a card shows when none are asked for: ten round values of the
/// distance unit (1, 1.5, 2, 3, 5 and 7 in each decade) from the first that is at least fifteen
/// effective focal lengths away, as far as 9999.99 of the unit (beyond, every distance reads
/// ">9999"), then infinity (-1).
std::vector<double> default_card_distances(const CalcState& settings, const Camera& camera);

/// The closest focus distance a card or a stack accepts: twice the effective focal length, as
/// for the scales.
double closest_card_distance(const CalcState& settings, const Camera& camera);

/// FocusStacking mode's state for `images` (2..100) spread from `near_mm` to `far_mm` (-1 for
/// infinity): the focus points, the aperture that joins them, the blur between neighbours and
/// the limits of the whole stack, as its details panel and captions show them.
CalcState focus_stack(const CalcState& settings, const Camera& camera, double near_mm, double far_mm, int images);

/// The fewest images (2..100) whose joins stay within the allowed blur at the aperture that joins
/// them; 0 when even 100 images do not.
int fewest_stack_images(const CalcState& settings, const Camera& camera, double near_mm, double far_mm);
