#include "app/text_height.h"

#include <algorithm>

#include "app/toolbars.h"

namespace {

/// The toolbars of the first row: the first four in creation order.
constexpr std::size_t first_row_toolbars = 4;

bool fits(ScaleGeometry& g, TextMeasure& measure, int text_height, const LayoutLimits& limits)
{
    layout_scales(g, measure, text_height, limits.client_width, limits.client_height, limits.dpi);
    return layout_fits(g, limits.client_width) && g.needed_height <= limits.client_height;
}

}  // namespace

int first_row_width(const ScaleGeometry& g)
{
    int right = g.u;
    const auto toolbars = toolbar_descriptions();
    for (std::size_t i = 0; i < first_row_toolbars && i < toolbars.size(); ++i)
        right += (i > 0 ? 2 * g.u : 0) + toolbar_width(g, toolbars[i].columns);
    return right + g.u;
}

bool layout_fits(const ScaleGeometry& geometry, int client_width)
{
    return geometry.needed_width <= client_width && first_row_width(geometry) <= client_width;
}

int choose_layout(ScaleGeometry& geometry, TextMeasure& measure, const LayoutLimits& limits)
{
    const int smallest = limits.smallest_text_height > 0 ? limits.smallest_text_height : readable_text_height(limits.dpi);
    const int largest = std::max(smallest, limits.largest_text_height > 0 ? limits.largest_text_height
                                                                          : largest_text_height);
    // The largest height that fits, by halving the range between one that fits and one that does not.
    int fitting = smallest;
    if (fits(geometry, measure, smallest, limits)) {
        int too_large = largest + 1;
        if (fits(geometry, measure, largest, limits)) {
            fitting = largest;
            too_large = largest;
        }
        while (too_large - fitting > 1) {
            const int middle = fitting + (too_large - fitting) / 2;
            if (fits(geometry, measure, middle, limits))
                fitting = middle;
            else
                too_large = middle;
        }
    }
    if (geometry.text_height != fitting)
        layout_scales(geometry, measure, fitting, limits.client_width, limits.client_height, limits.dpi);
    return fitting;
}

int choose_text_height(ScaleGeometry& geometry, TextMeasure& measure, int client_width, int client_height, int dpi)
{
    LayoutLimits limits;
    limits.client_width = client_width;
    limits.client_height = client_height;
    limits.dpi = dpi;
    return choose_layout(geometry, measure, limits);
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
