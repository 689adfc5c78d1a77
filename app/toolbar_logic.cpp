#include "app/toolbar_logic.h"

namespace {

/// Floor division for a cell index, so that x = -1 is not taken for cell 0.
int cell_of(int v, int pitch) { return v < 0 ? -1 : v / pitch; }

int button_of(int v, const ToolbarMetrics& m)
{
    if (v < m.border || m.pitch <= 0) return -1;
    const int c = (v - m.border) / m.pitch;
    return (v - m.border) - c * m.pitch <= m.button ? c : -1;
}

}  // namespace

ToolbarMetrics toolbar_metrics(const ScaleGeometry& g) { return {g.toolbar_button, g.toolbar_pitch, g.toolbar_border}; }

int hover_cell(int x, int y, const ToolbarMetrics& m, int columns, int rows)
{
    if (m.pitch <= 0) return -1;
    const int c = cell_of(x, m.pitch);
    const int r = cell_of(y, m.pitch);
    if (c < 0 || r < 0 || c >= columns || r >= rows) return -1;
    return r * columns + c;
}

int hit_button(int x, int y, const ToolbarMetrics& m, int columns, int rows)
{
    const int c = button_of(x, m);
    const int r = button_of(y, m);
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
