// An independent thin-lens model for checking the calculation: blur circles from image
// distances, the Airy disk from the wavelength, angles from the frame size.
#pragma once

#include <cmath>
#include <numbers>

namespace thin_lens {

/// Image distance behind a lens of focal length f for an object at x mm (negative: infinity).
inline double image_distance(double f, double x)
{
    if (x < 0)
        return f;
    return 1 / (1 / f - 1 / x);
}

/// Diameter (mm) on the sensor of the blur circle of an object at `object` with the lens
/// focused at `focus`: the cone from the aperture (diameter f / N) converging behind or in
/// front of the sensor (or, from an object inside the focal length, diverging from its virtual
/// image in front of the lens).
inline double defocus_blur(double f, double n, double focus, double object)
{
    const double sensor = image_distance(f, focus);
    const double image = image_distance(f, object);
    return (f / n) * std::fabs(image - sensor) / std::fabs(image);
}

/// Diameter (mm) of the Airy disk out to its first dark ring: 2.44 lambda N.
inline double airy_disk(double wavelength_nm, double n)
{
    return 2.44 * wavelength_nm * 1e-6 * n;
}

/// The f-number the sensor sees with the lens focused at `focus`: the image distance over the
/// aperture's diameter f / N. It exceeds N close up, by the factor 1 + m at magnification m.
inline double working_f_number(double f, double n, double focus)
{
    return image_distance(f, focus) * n / f;
}

/// The Airy disk (mm) with the lens focused at `focus`: that of the f-number the sensor sees.
inline double focused_airy_disk(double f, double n, double wavelength_nm, double focus)
{
    return airy_disk(wavelength_nm, working_f_number(f, n, focus));
}

/// Total blur (mm): defocus and diffraction added in quadrature.
inline double total_blur(double f, double n, double wavelength_nm, double focus, double object)
{
    const double b = defocus_blur(f, n, focus, object);
    const double d = focused_airy_disk(f, n, wavelength_nm, focus);
    return std::sqrt(b * b + d * d);
}

/// Full angle of view in degrees of a frame dimension at focal length f (focus at infinity).
inline double angle_of_view(double frame_mm, double f)
{
    return 2 * std::atan(frame_mm / (2 * f)) * 180 / std::numbers::pi;
}

}  // namespace thin_lens

namespace thin_lens {

/// The root of `g` (in reciprocal distance, 1/mm) between `low` and `high`, where g changes sign,
/// by bisection: no formula of the calculation, only the blur of a thin lens.
template <typename G>
double root(G g, double low, double high)
{
    const bool rising = g(low) < g(high);
    for (int i = 0; i < 400 && low < high; ++i) {
        const double mid = 0.5 * (low + high);
        if (mid == low || mid == high)
            break;
        ((g(mid) < 0) == rising ? low : high) = mid;
    }
    return 0.5 * (low + high);
}

/// The nearest (`side` -1) or farthest (+1) object distance (mm; -1 infinity) whose blur, with the
/// lens focused at `focus`, stays within `allowed` mm; `diffraction` false counts defocus alone.
/// Where the focus itself blurs more, the limits are the focus.
inline double limit(double f, double n, double wavelength_nm, double focus, double allowed, int side,
                    bool diffraction = true)
{
    const double d = diffraction ? focused_airy_disk(f, n, wavelength_nm, focus) : 0;
    if (d >= allowed)
        return focus;
    const auto excess = [&](double u) {  // u = 1 / object distance
        const double b = defocus_blur(f, n, focus, u > 0 ? 1 / u : -1);
        return b * b + d * d - allowed * allowed;
    };
    const double at_focus = focus < 0 ? 0 : 1 / focus;
    if (side > 0) {
        if (excess(0) <= 0)
            return -1;
        return 1 / root(excess, 0, at_focus);
    }
    return 1 / root(excess, at_focus, 1e9 / f);
}

/// The closest focus distance from which an object at infinity stays within `allowed` mm, the Airy
/// disk of that focus included; -1 when even focused at infinity it does not.
inline double hyperfocal(double f, double n, double wavelength_nm, double allowed)
{
    if (airy_disk(wavelength_nm, n) >= allowed)
        return -1;
    return 1 / root([&](double u) { return total_blur(f, n, wavelength_nm, 1 / u, -1) - allowed; }, 1e-300,
                    (1 - 1e-12) / f);
}

/// The effective f-number at which an object at `object` blurs least with the lens focused at
/// `focus`: the sum of defocus and diffraction searched for its minimum (golden section in log N).
inline double sharpest_f_number(double f, double wavelength_nm, double focus, double object)
{
    double low = std::log(0.01), high = std::log(1e5);
    const double golden = (std::sqrt(5.0) - 1) / 2;
    const auto blur = [&](double log_n) { return total_blur(f, std::exp(log_n), wavelength_nm, focus, object); };
    for (int i = 0; i < 200; ++i) {
        const double a = high - golden * (high - low), b = low + golden * (high - low);
        if (blur(a) < blur(b))
            high = b;
        else
            low = a;
    }
    return std::exp(0.5 * (low + high));
}

/// The focus distance at which objects at `near` and `far` (-1 infinity) blur alike.
inline double focus_between(double f, double near, double far)
{
    const double to_far = far < 0 ? 0 : 1 / far;
    return 1 / root([&](double u) { return defocus_blur(f, 1, 1 / u, near) - defocus_blur(f, 1, 1 / u, far); },
                    to_far, 1 / near);
}

}  // namespace thin_lens
