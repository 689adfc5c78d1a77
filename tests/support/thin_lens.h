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
/// front of the sensor.
inline double defocus_blur(double f, double n, double focus, double object)
{
    const double sensor = image_distance(f, focus);
    const double image = image_distance(f, object);
    return (f / n) * std::fabs(image - sensor) / image;
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
