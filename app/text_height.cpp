#include "app/text_height.h"

#include <algorithm>

#include "app/toolbar_layout.h"

namespace {

/// `pixels` at design_dpi on a screen of `dpi`, rounded.
int at_dpi(int pixels, int dpi) { return (pixels * std::max(dpi, 1) + design_dpi / 2) / design_dpi; }

/// Lays out one text height in one arrangement within the limits; a portrait layout takes as many
/// rows of toolbars as its width needs.
void lay_out(ScaleGeometry& g, TextMeasure& measure, int text_height, const LayoutLimits& limits, bool portrait)
{
    LayoutStyle style;
    style.page = limits.page;
    style.least_pitch = limits.touch ? at_dpi(finger_target, limits.dpi) : 0;
    style.portrait = portrait;
    layout_scales(g, measure, text_height, limits.client_width, limits.client_height, limits.dpi, style);
    if (portrait) {
        style.toolbar_rows = first_row_rows(g);
        if (style.toolbar_rows != 1)
            layout_scales(g, measure, text_height, limits.client_width, limits.client_height, limits.dpi, style);
    }
}

/// How a text height is tried: side by side, in portrait, or in portrait leaving the scales at least
/// half the client's height.
enum class Trial { SideBySide, Portrait, RoomyPortrait };

bool fits(ScaleGeometry& g, TextMeasure& measure, int text_height, const LayoutLimits& limits, Trial trial)
{
    lay_out(g, measure, text_height, limits, trial != Trial::SideBySide);
    const Rect& scales = column(g, Column::Lens).column;
    return layout_fits(g, limits.client_width) && g.needed_height <= limits.client_height &&
           (trial != Trial::RoomyPortrait || 2 * (scales.bottom - scales.top) >= limits.client_height);
}

struct Fitting {
    int text_height = 0;
    bool fits = false;
};

/// The largest height from `smallest` to `largest` that fits, by halving the range between one that
/// fits and one that does not; `smallest` when none does.
Fitting largest_fitting(ScaleGeometry& g, TextMeasure& measure, const LayoutLimits& limits, int smallest, int largest,
                        Trial trial)
{
    if (!fits(g, measure, smallest, limits, trial))
        return {smallest, false};
    if (fits(g, measure, largest, limits, trial))
        return {largest, true};
    int fitting = smallest;
    int too_large = largest;
    while (too_large - fitting > 1) {
        const int middle = fitting + (too_large - fitting) / 2;
        if (fits(g, measure, middle, limits, trial))
            fitting = middle;
        else
            too_large = middle;
    }
    return {fitting, true};
}

}  // namespace

bool layout_fits(const ScaleGeometry& geometry, int client_width)
{
    return geometry.needed_width <= client_width && first_row_width(geometry) <= client_width;
}

int choose_layout(ScaleGeometry& geometry, TextMeasure& measure, const LayoutLimits& limits)
{
    const int smallest = limits.smallest_text_height > 0 ? limits.smallest_text_height : readable_text_height(limits.dpi);
    const int largest = std::max(smallest, limits.largest_text_height > 0 ? limits.largest_text_height
                                                                          : largest_text_height);
    const Fitting side = largest_fitting(geometry, measure, limits, smallest, largest, Trial::SideBySide);
    Fitting chosen = side;
    bool portrait = false;
    const int comfortable = at_dpi(comfortable_text_height, limits.dpi);
    // A client taller than wide tries the portrait layout: the Windows program takes it wherever it
    // reads larger, the page where the columns side by side would read below the comfortable height.
    if (limits.client_height > limits.client_width && (!side.fits || !limits.page || side.text_height < comfortable)) {
        Fitting upright;
        if (comfortable <= largest)
            upright = largest_fitting(geometry, measure, limits, std::max(smallest, comfortable), largest,
                                      Trial::RoomyPortrait);
        if (!upright.fits)
            upright = largest_fitting(geometry, measure, limits, smallest, largest, Trial::Portrait);
        if (!side.fits || (upright.fits && upright.text_height > side.text_height)) {
            chosen = upright;
            portrait = true;
        }
    }
    lay_out(geometry, measure, chosen.text_height, limits, portrait);
    return chosen.text_height;
}

int choose_text_height(ScaleGeometry& geometry, TextMeasure& measure, int client_width, int client_height, int dpi)
{
    LayoutLimits limits;
    limits.client_width = client_width;
    limits.client_height = client_height;
    limits.dpi = dpi;
    return choose_layout(geometry, measure, limits);
}

ClientSize choose_scrolled_layout(ScaleGeometry& geometry, TextMeasure& measure, const LayoutLimits& limits)
{
    const int text_height = choose_layout(geometry, measure, limits);
    LayoutLimits grown = limits;
    grown.client_width = std::max({limits.client_width, geometry.needed_width, first_row_width(geometry)});
    grown.client_height = std::max(limits.client_height, geometry.needed_height);
    if (grown.client_width != limits.client_width || grown.client_height != limits.client_height)
        lay_out(geometry, measure, text_height, grown, geometry.style.portrait);
    return {grown.client_width, grown.client_height};
}

ClientSize minimum_client_size(ScaleGeometry& scratch, TextMeasure& measure, int dpi)
{
    layout_scales(scratch, measure, readable_text_height(dpi), 0, 0, dpi);
    return {std::max(scratch.needed_width, first_row_width(scratch)), scratch.needed_height};
}

int minimum_client_width(ScaleGeometry& scratch, TextMeasure& measure, int dpi)
{
    return minimum_client_size(scratch, measure, dpi).width;
}

LeastClients least_clients(ScaleGeometry& scratch, TextMeasure& measure, int dpi)
{
    LeastClients least;
    least.side = minimum_client_size(scratch, measure, dpi);
    // In portrait the scales' needs set the width, unless a toolbar of the first row is wider; the
    // toolbars then take as many rows as that width needs, and the height follows.
    LayoutLimits limits;
    limits.dpi = dpi;
    lay_out(scratch, measure, readable_text_height(dpi), limits, true);
    int widest = 0;
    for (const ToolbarPlace& p : toolbar_places(scratch, Mode::DepthOfField))
        widest = std::max(widest, p.width);
    limits.client_width = std::max(scratch.needed_width, widest + 2 * scratch.u);
    lay_out(scratch, measure, readable_text_height(dpi), limits, true);
    least.upright = {limits.client_width, std::max(scratch.needed_height, limits.client_width + 1)};
    return least;
}

ClientSize readable_client(ClientSize wanted, const LeastClients& least, bool width_moves)
{
    const auto grown = [&](ClientSize to) {
        return ClientSize{std::max(wanted.width, to.width), std::max(wanted.height, to.height)};
    };
    const auto holds = [&](ClientSize to) { return wanted.width >= to.width && wanted.height >= to.height; };
    if (holds(least.side) || holds(least.upright))
        return wanted;
    // Portrait where the height holds it, or, while the height moves, where the width is too narrow
    // for the columns side by side but not for a portrait layout; otherwise side by side.
    const bool upright = wanted.height >= least.upright.height ||
                         (!width_moves && wanted.width < least.side.width && wanted.width >= least.upright.width);
    return grown(upright ? least.upright : least.side);
}
