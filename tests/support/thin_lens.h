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

/// Where `g` changes sign between `low` and `high` (reciprocal distances, 1/mm), by bisection:
/// no formula of the calculation, only the blur of a thin lens.
template <typename G>
double root(G g, double low, double high)
{
    const bool rising = g(low) < g(high);
    for (double mid = 0.5 * (low + high); mid != low && mid != high; mid = 0.5 * (low + high))
        ((g(mid) < 0) == rising ? low : high) = mid;
    return 0.5 * (low + high);
}

/// The nearest (`side` -1) or farthest (+1) object distance (mm; -1 infinity) that blurs within
/// `allowed` mm with the lens focused at `focus` (by defocus alone unless `diffraction`); the focus
/// itself where that blurs more.
inline double limit(double f, double n, double wavelength_nm, double focus, double allowed, int side,
                    bool diffraction = true)
{
    const double d = diffraction ? focused_airy_disk(f, n, wavelength_nm, focus) : 0;
    const auto excess = [&](double u) { return std::hypot(defocus_blur(f, n, focus, u > 0 ? 1 / u : -1), d) - allowed; };
    const double u = focus < 0 ? 0 : 1 / focus;
    if (d >= allowed)
        return focus;
    if (side > 0)
        return excess(0) <= 0 ? -1 : 1 / root(excess, 0, u);
    return 1 / root(excess, u, 1e9 / f);
}

/// The closest focus from which an object at infinity blurs within `allowed` mm, with the Airy
/// disk of that focus; -1 when even focused at infinity it does not.
inline double hyperfocal(double f, double n, double wavelength_nm, double allowed)
{
    const auto excess = [&](double u) { return total_blur(f, n, wavelength_nm, 1 / u, -1) - allowed; };
    return airy_disk(wavelength_nm, n) >= allowed ? -1 : 1 / root(excess, 1e-300, (1 - 1e-12) / f);
}

/// The effective f-number at which an object at `object` blurs least with the lens focused at
/// `focus` (golden-section search for the least total blur).
inline double sharpest_f_number(double f, double wavelength_nm, double focus, double object)
{
    const auto blur = [&](double log_n) { return total_blur(f, std::exp(log_n), wavelength_nm, focus, object); };
    double low = std::log(1e-6), high = std::log(1e6);
    for (int i = 0; i < 200; ++i) {
        const double a = high - 0.618034 * (high - low), b = low + 0.618034 * (high - low);
        (blur(a) < blur(b) ? high : low) = blur(a) < blur(b) ? b : a;
    }
    return std::exp(0.5 * (low + high));
}

/// The focus distance at which objects at `near` and `far` (-1 infinity) blur alike.
inline double focus_between(double f, double near, double far)
{
    const auto difference = [&](double u) { return defocus_blur(f, 1, 1 / u, near) - defocus_blur(f, 1, 1 / u, far); };
    return 1 / root(difference, far < 0 ? 0 : 1 / far, 1 / near);
}

}  // namespace thin_lens
