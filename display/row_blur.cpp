#include "display/row_blur.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "calc/portable_math.h"
#include "calc/recompute.h"
#include "display/mapping.h"

namespace {

/// What the blur of an object depends on besides the focus, the f-number and its distance.
struct Optics {
    double focal_length;  // effective focal length, mm
    double airy;          // f-number over this is the diffraction disk, mm
    double coc;           // mm
};

/// The diffraction disk (mm) with the lens focused at `focus` and stopped down to `f_number`: that
/// of the working f-number, as every mode computes it.
double diffraction_disk(const Optics& o, double focus, double f_number)
{
    return working_f_number(f_number, o.focal_length, focus) / o.airy;
}

/// Blur in CoCs of an object at `distance` with the lens focused at `focus` and stopped down to
/// `f_number`, whose diffraction disk there is `disk`: the defocus blur and the disk added in
/// quadrature. -1 when the focus lies inside the focal length. Negative distances are infinity.
double object_blur(const Optics& o, double focus, double f_number, double disk, double distance)
{
    const double f = o.focal_length;
    if (focus >= 0 && f >= focus)
        return -1;
    double geometric = 0;
    if (focus < 0 && distance < 0)
        geometric = 0;
    else if (distance < 0)
        geometric = f * f / ((focus - f) * f_number);
    else if (focus < 0)
        geometric = f * f / (f_number * distance);
    else
        geometric = f * f * std::fabs(focus - distance) / (f_number * distance * (focus - f));
    return portable::hypot(geometric, disk) / o.coc;
}

/// For a focus stack: per image, whether it is focused inside the focal length (its blur is
/// undefined), the factor f^2 / (N (r - f)) that turns |r - D| into the defocus blur times D, and
/// its diffraction disk, which grows the closer the image is focused.
struct StackKeys {
    int images = 0;
    std::array<bool, max_focus_points> inside{};
    std::array<double, max_focus_points> factor{};
    std::array<double, max_focus_points> disk{};
    std::array<double, max_focus_points> disk_squared{};
};

StackKeys stack_keys(const CalcState& s, const Optics& o)
{
    StackKeys k;
    k.images = std::clamp(s.ni, 1, max_focus_points);
    const double f = o.focal_length;
    const double n = s.optimum_effective_f_stop;
    for (int i = 0; i < k.images; ++i) {
        const double r = s.focus_points[i];
        k.inside[i] = r >= 0 && f >= r;
        k.factor[i] = r < 0 ? f * f / n : f * f / (n * (r - f));
        k.disk[i] = k.inside[i] ? 0 : diffraction_disk(o, r, n);
        k.disk_squared[i] = k.disk[i] * k.disk[i];
    }
    return k;
}

/// The blur of the sharpest image of the stack at `distance`: start with the first image; an
/// image whose blur is defined, positive and smaller replaces it. For a finite distance D the
/// images are compared by their blur times D, squared: (defocus D)^2 + (disk D)^2, a few
/// multiplications per image, and only the winner's blur is computed.
double sharpest_image_blur(const CalcState& s, const Optics& o, const StackKeys& k, double distance)
{
    const double n = s.optimum_effective_f_stop;
    if (distance < 0 || k.inside[0]) {
        double blur = object_blur(o, s.focus_points[0], n, k.disk[0], distance);
        for (int i = 1; i < k.images; ++i) {
            const double b = object_blur(o, s.focus_points[i], n, k.disk[i], distance);
            if (b > 0 && b < blur)
                blur = b;
        }
        return blur;
    }
    const double distance_squared = distance * distance;
    const auto key = [&](int i) {
        const double r = s.focus_points[i];
        const double defocus = r < 0 ? k.factor[i] : k.factor[i] * std::fabs(r - distance);
        return defocus * defocus + k.disk_squared[i] * distance_squared;
    };
    int best = 0;
    double best_key = key(0);
    for (int i = 1; i < k.images; ++i) {
        if (k.inside[i])
            continue;
        const double candidate = key(i);
        if (candidate < best_key && candidate != 0) {  // a blur of 0 never wins
            best = i;
            best_key = candidate;
        }
    }
    return object_blur(o, s.focus_points[best], n, k.disk[best], distance);
}

}  // namespace

void compute_row_blur(std::span<double> row_blur, const CalcState& s, const Camera& camera)
{
    const int n = static_cast<int>(row_blur.size());
    const Optics optics{s.effective_focal_length, 500000 / (1.22 * camera.wavelength), camera.coc};
    const StackKeys stack = s.mode == Mode::FocusStacking ? stack_keys(s, optics) : StackKeys{};
    // One focus and f-number for every row outside a stack.
    const double disk = s.mode == Mode::BestFStop ? diffraction_disk(optics, s.best_focus, s.optimum_effective_f_stop)
                                                  : diffraction_disk(optics, s.focus_at, s.effective_f_stop);
    for (int j = 0; j < n; ++j) {
        const double f = n > 1 ? static_cast<double>(j) / (n - 1) : 0;
        double blur = 0;
        if (s.mode == Mode::Macro) {
            // Diffraction at the f-number of the close-up, N (1 + m), as in the depth of field.
            const double offset = std::fabs((f - 0.5) * 2 * s.maxblur_far * s.macro_factor);
            blur = portable::hypot(offset, s.macro_effective_f_stop / optics.airy) / optics.coc;
        } else {
            const double distance = recip_value(f, s.maxblur_near, s.maxblur_far);
            switch (s.mode) {
            case Mode::BestFStop:
                blur = object_blur(optics, s.best_focus, s.optimum_effective_f_stop, disk, distance);
                break;
            case Mode::FocusStacking: blur = sharpest_image_blur(s, optics, stack, distance); break;
            default: blur = object_blur(optics, s.focus_at, s.effective_f_stop, disk, distance); break;
            }
        }
        row_blur[j] = blur;
    }
}
