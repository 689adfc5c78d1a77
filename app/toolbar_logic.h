// The toolbar's pointer arithmetic and button states, apart from any window: which hover cell and
// which button lie under a point, and how a click changes radio and toggle states.
#pragma once

#include <cstdint>
#include <span>

#include "app/toolbars.h"
#include "display/geometry.h"

/// A toolbar's sizes: the button picture's edge, the distance from one button to the next, and
/// the border before the first. 24, 27 and 1 at the design size.
struct ToolbarMetrics {
    int button = toolbar_button_size;
    int pitch = toolbar_pitch;
    int border = 1;
};

/// The toolbar sizes of a layout (its pixel scale).
ToolbarMetrics toolbar_metrics(const ScaleGeometry& g);

/// The hover cell under (x, y): cells are a pitch square and start at 0, so they include the gaps
/// and the border. Returns row * columns + column, or -1 outside every cell.
int hover_cell(int x, int y, const ToolbarMetrics& m, int columns, int rows);

/// The button a click at (x, y) hits: button (r, c) spans border + c * pitch to that plus the
/// button's edge, both ends included, and the same for rows. Returns the index, or -1 for a gap or
/// the border.
int hit_button(int x, int y, const ToolbarMetrics& m, int columns, int rows);

/// The state change of a click on button `index`: Radio selects it alone, Toggle flips it,
/// Push leaves every state as it is. Returns true when a state changed or was set.
bool apply_click(ButtonKind kind, std::span<int> states, int index);
