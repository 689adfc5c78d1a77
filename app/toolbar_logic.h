// The toolbar's pointer arithmetic and button states, apart from any window: which hover cell
// and which button lie under a point, and how a click changes radio and toggle states.
#pragma once

#include <span>

#include "app/toolbars.h"

/// The hover cell under (x, y): cells are `size` + 3 pixels square and start at 0, so they
/// include the gaps and the border. Returns row * columns + column, or -1 outside every cell.
int hover_cell(int x, int y, int size, int columns, int rows);

/// The button a click at (x, y) hits: button (r, c) spans 1 + c * (size + 3) to that plus `size`,
/// both ends included, and the same for rows. Returns the index, or -1 for a gap or the border.
int hit_button(int x, int y, int size, int columns, int rows);

/// The state change of a click on button `index`: Radio selects it alone, Toggle flips it,
/// Push leaves every state as it is. Returns true when a state changed or was set.
bool apply_click(ButtonKind kind, std::span<int> states, int index);
