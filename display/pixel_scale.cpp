#include "display/pixel_scale.h"

#include <algorithm>

namespace {

int positive_dpi(int dpi) { return dpi > 0 ? dpi : design_dpi; }

/// value * dpi / 96, rounded half up.
int in_proportion(int value, int dpi) { return (value * positive_dpi(dpi) * 2 + design_dpi) / (2 * design_dpi); }

int within_scales(int quarters) { return std::clamp(quarters, design_scale_quarters, largest_scale_quarters); }

}  // namespace

int dpi_scale_quarters(int dpi) { return within_scales((positive_dpi(dpi) * 8 + design_dpi) / (2 * design_dpi)); }

int layout_scale_quarters(int text_height, int dpi)
{
    const int text = std::max(text_height, 0) * design_scale_quarters / design_text_height;
    return within_scales(std::max(text, dpi_scale_quarters(dpi)));
}

int readable_text_height(int dpi) { return in_proportion(13, dpi); }

int smallest_line_text_height(int dpi) { return in_proportion(11, dpi); }

int minimum_window_height(int dpi) { return in_proportion(400, dpi); }
