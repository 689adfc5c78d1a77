#include "app/text_height.h"

#include <algorithm>

#include "app/toolbars.h"

bool layout_fits(const ScaleGeometry& geometry, int client_width)
{
    return column(geometry, Column::Details).column.right + geometry.u <= client_width;
}

int choose_text_height(ScaleGeometry& geometry, TextMeasure& measure, int client_width, int client_height)
{
    for (int height = smallest_text_height; height <= largest_text_height; ++height) {
        layout_scales(geometry, measure, height, client_width, client_height);
        if (!layout_fits(geometry, client_width)) {
            layout_scales(geometry, measure, height - 1, client_width, client_height);
            return height - 1;
        }
    }
    return largest_text_height;
}

int minimum_client_width(ScaleGeometry& scratch, TextMeasure& measure)
{
    layout_scales(scratch, measure, smallest_text_height, 0, 0);
    const int u = scratch.u;
    // The first row: camera, mode, units and help, snap, from x = u with 2u between toolbars.
    int right = u;
    const auto toolbars = toolbar_descriptions();
    for (std::size_t i = 0; i < 4 && i < toolbars.size(); ++i)
        right += (i > 0 ? 2 * u : 0) + toolbar_width(toolbars[i].columns);
    return std::max(column(scratch, Column::Details).column.right, right) + u;
}
