#include "display/blur_strip.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "calc/portable_math.h"
#include "display/blur_colour.h"
#include "display/mapping.h"

namespace {

/// The widest strip: 4x the design size.
constexpr int largest_half_width = 128;

/// Brightness 0..255 of the spot sample `d` pixels from the centre: exp(-(d / blur)^2) * 255, rounded.
int spot_sample(int d, double blur)
{
    const double t = d / blur;
    return std::clamp(round_half_away(portable::exp(-(t * t)) * 255), 0, 255);
}

/// The profile of one strip row: brightness 0..255 at distance 0..half_width from the centre pixel,
/// for a spot of `blur` pixels (the blur in CoCs times the pixel scale). Returns how many leading
/// entries are non-zero; the rest are 0.
///
/// The samples exp(-d^2 / b^2) come from their neighbours, p(d + 1) = p(d) q(d) with
/// q(d) = exp(-(2d + 1) / b^2) = q(0) r^d: two exponentials a row instead of one a sample. That
/// product is within about 1e-12 of the exponential, so it rounds to the same brightness unless
/// it lies within 1e-8 of a rounding boundary; such a sample is computed directly.
int spot_profile(double blur, int half_width, std::array<int, largest_half_width + 1>& brightness)
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
    double q = portable::exp(-inverse_square);
    const double r = portable::exp(-2 * inverse_square);
    int count = 0;
    for (int d = 0; d <= half_width && d <= reach; ++d) {
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

void render_row(double blur, const BlurStripShape& shape, uint8_t* row)
{
    std::array<int, largest_half_width + 1> brightness;
    const int half_width = shape.width / 2;
    // At the design size a spot of b CoCs is b pixels wide; a larger pixel scale widens it alike.
    const double spot = shape.scale_quarters == design_scale_quarters
                            ? blur
                            : blur * shape.scale_quarters / design_scale_quarters;
    const int count = spot_profile(spot, half_width, brightness);
    const Colour c = blur_colour(blur);
    const ChannelScale blue{c.blue}, green{c.green}, red{c.red};
    std::memset(row, 0, static_cast<std::size_t>(shape.stride));
    for (int d = 0; d < count; ++d) {
        const int v = brightness[d];
        uint8_t* right = row + (half_width + d) * 3;
        uint8_t* left = row + (half_width - d) * 3;
        right[0] = left[0] = blue(v);
        right[1] = left[1] = green(v);
        right[2] = left[2] = red(v);
    }
}

}  // namespace

BlurStripShape blur_strip_shape(int width, int scale_quarters)
{
    const int half_width = std::clamp(width / 2, 0, largest_half_width);
    BlurStripShape shape;
    shape.width = 2 * half_width + 1;
    shape.stride = (shape.width * 3 + 3) / 4 * 4;
    shape.scale_quarters = scale_quarters > 0 ? scale_quarters : design_scale_quarters;
    return shape;
}

void render_blur_strip(std::span<const double> row_blur, std::span<uint8_t> pixels, const BlurStripShape& shape)
{
    const std::size_t n = row_blur.size();
    const auto stride = static_cast<std::size_t>(shape.stride);
    for (std::size_t j = 0; j < n; ++j)
        render_row(row_blur[j], shape, pixels.data() + (n - 1 - j) * stride);
}
