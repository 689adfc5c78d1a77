#include "display/blur_strip.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "calc/portable_math.h"
#include "display/blur_colour.h"
#include "display/mapping.h"

namespace {

/// Brightness 0..255 of the spot sample `d` pixels from the centre: exp(-(d / blur)^2) * 255, rounded.
int spot_sample(int d, double blur)
{
    const double t = d / blur;
    return std::clamp(round_half_away(portable::exp(-(t * t)) * 255), 0, 255);
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
    double q = portable::exp(-inverse_square);
    const double r = portable::exp(-2 * inverse_square);
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

}  // namespace

void render_blur_strip(std::span<const double> row_blur, std::span<uint8_t> pixels)
{
    const std::size_t n = row_blur.size();
    for (std::size_t j = 0; j < n; ++j)
        render_row(row_blur[j], pixels.data() + (n - 1 - j) * strip_stride);
}
