#include "display/pixel_scale.h"

namespace {

int positive_dpi(int dpi) { return dpi > 0 ? dpi : design_dpi; }

/// value * dpi / 96, rounded half up.
int in_proportion(int value, int dpi) { return (value * positive_dpi(dpi) * 2 + design_dpi) / (2 * design_dpi); }

}  // namespace

int dpi_scale_halves(int dpi)
{
    const int halves = (positive_dpi(dpi) * 2 + design_dpi / 2) / design_dpi;
    return halves < 2 ? 2 : halves > largest_scale_halves ? largest_scale_halves : halves;
}

int layout_scale_halves(int text_height, int dpi)
{
    const int screen = dpi_scale_halves(dpi);
    const int text = text_height / 15;
    const int halves = text > screen ? text : screen;
    return halves > largest_scale_halves ? largest_scale_halves : halves;
}

int readable_text_height(int dpi) { return in_proportion(8, dpi); }

int minimum_window_height(int dpi) { return in_proportion(400, dpi); }
