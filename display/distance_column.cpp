#include "display/distance_column.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "display/blur_colour.h"
#include "display/mapping.h"
#include "display/markers.h"
#include "display/panel.h"
#include "display/value_scale.h"
#include "text/format.h"

namespace {

/// What the blur of an object depends on besides the focus, the f-number and its distance.
struct Optics {
    double focal_length;  // effective focal length, mm
    double airy;          // f-number over this is the diffraction disk, mm
    double coc;           // mm
};

/// Blur in CoCs of an object at `distance` with the lens focused at `focus` and stopped down to
/// `f_number`: the defocus blur and the diffraction disk added in quadrature. -1 when the focus
/// lies inside the focal length. Negative distances are infinity.
double object_blur(const Optics& o, double focus, double f_number, double distance)
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
    return std::hypot(geometric, f_number / o.airy) / o.coc;
}

/// For a focus stack: per image, whether it is focused inside the focal length (its blur is
/// undefined) and the factor f^2 / (N (r - f)) that turns |r - D| into the defocus blur times D.
struct StackKeys {
    int images = 0;
    std::array<bool, max_focus_points> inside{};
    std::array<double, max_focus_points> factor{};
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
    }
    return k;
}

/// The blur of the sharpest image of the stack at `distance`: start with the first image; an
/// image whose blur is defined, positive and smaller replaces it. All images share the f-number,
/// so the smallest blur belongs to the smallest defocus: for a finite distance D that is compared
/// as defocus times D, one multiplication per image, and only the winner's blur is computed.
double sharpest_image_blur(const CalcState& s, const Optics& o, const StackKeys& k, double distance)
{
    const double n = s.optimum_effective_f_stop;
    if (distance < 0 || k.inside[0]) {
        double blur = object_blur(o, s.focus_points[0], n, distance);
        for (int i = 1; i < k.images; ++i) {
            const double b = object_blur(o, s.focus_points[i], n, distance);
            if (b > 0 && b < blur)
                blur = b;
        }
        return blur;
    }
    const bool diffraction = n / o.airy != 0;  // without it a zero defocus is a blur of 0, which never wins
    const auto key = [&](int i) {
        const double r = s.focus_points[i];
        return r < 0 ? k.factor[i] : k.factor[i] * std::fabs(r - distance);
    };
    int best = 0;
    double best_key = key(0);
    for (int i = 1; i < k.images; ++i) {
        if (k.inside[i])
            continue;
        const double candidate = key(i);
        if (candidate < best_key && (candidate != 0 || diffraction)) {
            best = i;
            best_key = candidate;
        }
    }
    return object_blur(o, s.focus_points[best], n, distance);
}

/// Brightness 0..255 of the spot sample `d` pixels from the centre: exp(-(d / blur)^2) * 255, rounded.
int spot_sample(int d, double blur)
{
    const double t = d / blur;
    return std::clamp(round_half_away(std::exp(-(t * t)) * 255), 0, 255);
}

/// The profile of one strip row: brightness 0..255 at distance 0..32 from the centre pixel.
/// Returns how many leading entries are non-zero; the rest are 0.
///
/// The samples exp(-d^2 / b^2) come from their neighbours, p(d + 1) = p(d) q(d) with
/// q(d) = exp(-(2d + 1) / b^2) = q(0) r^d: two exponentials a row instead of one a sample. That
/// product is within about 1e-12 of the exponential, so it rounds to the same brightness unless
/// it lies within 1e-8 of a rounding boundary; such a sample is computed directly.
int spot_profile(double blur, std::array<int, 33>& brightness)
{
    if (blur == 0) {
        brightness[0] = 255;
        return 1;
    }
    if (std::isnan(blur))
        return 0;
    // Beyond 2.5 blurs from the centre exp(-d^2/b^2) * 255 is below 0.5 and rounds to 0.
    const double reach = 2.5 * std::fabs(blur);
    const double inverse_square = 1 / (blur * blur);
    double p = 1;
    double q = std::exp(-inverse_square);
    const double r = std::exp(-2 * inverse_square);
    int count = 0;
    for (int d = 0; d <= 32 && d <= reach; ++d) {
        const double scaled = p * 255 + 0.5;
        const double fraction = scaled - std::floor(scaled);
        int v = 0;
        if (fraction < 1e-8 || fraction > 1 - 1e-8 || !(scaled < 256))
            v = spot_sample(d, blur);
        else
            v = static_cast<int>(scaled);
        if (v == 0)
            break;
        brightness[d] = v;
        count = d + 1;
        p *= q;
        q *= r;
    }
    return count;
}

/// v * channel / 255 for every brightness v of a row; most channels are 0 or 255.
struct ChannelScale {
    int channel;
    uint8_t operator()(int v) const
    {
        if (channel == 255)
            return static_cast<uint8_t>(v);
        return static_cast<uint8_t>(v * channel / 255);
    }
};

void render_row(double blur, uint8_t* row)
{
    std::array<int, 33> brightness;
    const int count = spot_profile(blur, brightness);
    const Colour c = blur_colour(blur);
    const ChannelScale blue{c.blue}, green{c.green}, red{c.red};
    std::memset(row, 0, strip_stride);
    for (int d = 0; d < count; ++d) {
        const int v = brightness[d];
        uint8_t* right = row + (32 + d) * 3;
        uint8_t* left = row + (32 - d) * 3;
        right[0] = left[0] = blue(v);
        right[1] = left[1] = green(v);
        right[2] = left[2] = red(v);
    }
}

bool is_whole_level(double level)
{
    return std::isfinite(level) && std::fabs(level) < 1e9;
}

/// Contour ticks where the blur crosses a whole number of CoCs, fanned away from the sharpest row,
/// and the label of the smallest blur.
void draw_contours(Canvas& canvas, TextMeasure& measure, const CalcState& s, const ScaleGeometry& g,
                   std::span<const double> blur)
{
    const Rect& scale = column(g, Column::Distance).scale;
    const int n = static_cast<int>(blur.size());
    const int strip = g.strip_left;
    const int line_x = g.distance_line_x;
    const int half = g.line_height / 2;
    const bool stack = s.mode == Mode::FocusStacking;

    canvas.line(strip, scale.top, strip, scale.bottom, colours::white);

    int minimum = 0;
    for (int j = 1; j < n; ++j)
        if (blur[j] > 0 && blur[j] < blur[minimum])
            minimum = j;
    const double ends = std::max(blur[0], blur[n - 1]);

    for (int j = 0; j + 1 < n; ++j) {
        const double below = std::floor(blur[j]);
        const double above = std::floor(blur[j + 1]);
        if (below == above || !is_whole_level(below) || !is_whole_level(above))
            continue;
        const int y = scale.bottom - 1 - j;
        if (stack && g.far_row <= y && y <= g.near_row)
            continue;  // between the first and the last image
        const int level = static_cast<int>(above) + (below > above ? 1 : 0);
        const int slant = j < minimum ? half : (j > minimum ? -half : 0);
        const Colour colour = blur_colour(blur[j]);
        canvas.line(line_x, y, line_x - 5, y, colour);
        canvas.line(strip, y, strip - 5, y + slant / 2, colour);
        const bool labelled = ends <= 16 || (ends <= 32 && level % 2 == 0) || (ends > 32 && level % 4 == 0);
        if (!labelled)
            continue;
        canvas.line(strip - 5, y + slant / 2, strip - 10, y + slant, colour);
        const Text256 label = format(u"%d", {level});
        const int width = measure.text_width(g.text_height, label.view());
        canvas.text(strip - width - 12, y + slant - half, label.view(), FontKind::Text, colour);
    }

    const Text256 label = plain_number(blur[minimum], 2);
    const int width = measure.text_width(g.text_height, label.view());
    const Colour colour = blur_colour(blur[minimum]);
    const auto minimum_label = [&](int y) {
        canvas.line(strip - 10, y, strip, y, colour);
        canvas.text(strip - width - 12, y - half, label.view(), FontKind::Text, colour);
    };
    if (stack) {
        minimum_label(g.far_row);
        minimum_label(g.near_row);
    } else {
        minimum_label(scale.bottom - 1 - minimum);
    }
}

}  // namespace

void compute_row_blur(std::span<double> row_blur, const CalcState& s, const Camera& camera)
{
    const int n = static_cast<int>(row_blur.size());
    const Optics optics{s.effective_focal_length, 500000 / (1.22 * camera.wavelength), camera.coc};
    const StackKeys stack = s.mode == Mode::FocusStacking ? stack_keys(s, optics) : StackKeys{};
    for (int j = 0; j < n; ++j) {
        const double f = n > 1 ? static_cast<double>(j) / (n - 1) : 0;
        double blur = 0;
        if (s.mode == Mode::Macro) {
            const double offset = std::fabs((f - 0.5) * 2 * s.maxblur_far * s.macro_factor);
            blur = std::hypot(offset, s.effective_f_stop / optics.airy) / optics.coc;
        } else {
            const double distance = recip_value(f, s.maxblur_near, s.maxblur_far);
            switch (s.mode) {
            case Mode::BestFStop: blur = object_blur(optics, s.best_focus, s.optimum_effective_f_stop, distance); break;
            case Mode::FocusStacking: blur = sharpest_image_blur(s, optics, stack, distance); break;
            default: blur = object_blur(optics, s.focus_at, s.effective_f_stop, distance); break;
            }
        }
        row_blur[j] = blur;
    }
}

void render_blur_strip(std::span<const double> row_blur, std::span<uint8_t> pixels)
{
    const std::size_t n = row_blur.size();
    for (std::size_t j = 0; j < n; ++j)
        render_row(row_blur[j], pixels.data() + (n - 1 - j) * strip_stride);
}

void paint_distance_column(Canvas& canvas, TextMeasure& measure, const CalcState& s, const Camera& camera,
                           ScaleGeometry& g, PaintScratch& scratch)
{
    fill_panel(canvas, g, Column::Distance);
    const ColumnGeometry& c = column(g, Column::Distance);
    const int n = c.scale.bottom - c.scale.top;
    if (n <= 0)
        return;

    const std::span<double> blur = scratch.row_blur(n);
    if (!blur.empty()) {
        compute_row_blur(blur, s, camera);
        const std::span<uint8_t> pixels = scratch.strip(n);
        if (!pixels.empty()) {
            render_blur_strip(blur, pixels);
            canvas.image(g.strip_left, c.scale.top, strip_width, n, pixels.data(), strip_stride);
        }
    }

    canvas.set_clip(c.column);
    const ScaleWindow w = distance_window(s);
    const ScaleMapping mapping = s.mode == Mode::Macro ? ScaleMapping::Linear : ScaleMapping::Reciprocal;
    draw_value_scale(canvas, g.line_height,
                     {g.distance_line_x, c.scale.top, c.scale.bottom, w.low, w.high, false, mapping});
    draw_distance_lines(canvas, s, g);
    if (!blur.empty())
        draw_contours(canvas, measure, s, g, blur);
    canvas.clear_clip();
}
