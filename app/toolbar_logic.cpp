#include "app/toolbar_logic.h"

namespace {

/// Floor division for a cell index, so that x = -1 is not taken for cell 0.
int cell_of(int v, int pitch) { return v < 0 ? -1 : v / pitch; }

int button_of(int v, int size)
{
    const int pitch = size + 3;
    if (v < 1) return -1;
    const int c = (v - 1) / pitch;
    return (v - 1) - c * pitch <= size ? c : -1;
}

}  // namespace

int hover_cell(int x, int y, int size, int columns, int rows)
{
    const int c = cell_of(x, size + 3);
    const int r = cell_of(y, size + 3);
    if (c < 0 || r < 0 || c >= columns || r >= rows) return -1;
    return r * columns + c;
}

int hit_button(int x, int y, int size, int columns, int rows)
{
    const int c = button_of(x, size);
    const int r = button_of(y, size);
    if (c < 0 || r < 0 || c >= columns || r >= rows) return -1;
    return r * columns + c;
}

bool apply_click(ButtonKind kind, std::span<int> states, int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= states.size()) return false;
    switch (kind) {
    case ButtonKind::Radio:
        for (std::size_t i = 0; i < states.size(); ++i) states[i] = static_cast<int>(i) == index ? 1 : 0;
        return true;
    case ButtonKind::Toggle:
        states[index] = states[index] == 0 ? 1 : 0;
        return true;
    case ButtonKind::Push:
        break;
    }
    return false;
}
