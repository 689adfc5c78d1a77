#include "app/text_height.h"

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
