// The details panel's text: the result lines of the current mode, top to bottom, exactly as
// they are drawn, with the gap rows between groups. Built on every paint, without heap use.
#pragma once

#include <array>

#include "calc/calc_state.h"
#include "cameras/camera.h"
#include "text/format.h"

enum class PanelSlot {
    Line,    // `text` is drawn; the next line starts one line height lower
    Gap,     // nothing drawn; the next line starts one margin unit lower
    Hidden,  // an optional line that is not shown; it still takes one line height
};

struct PanelLine {
    PanelSlot slot = PanelSlot::Line;
    Text256 text;
};

// FocusStacking with 100 images needs 103 lines and one gap.
inline constexpr int panel_line_capacity = 112;

struct PanelText {
    std::array<PanelLine, panel_line_capacity> lines;
    int count = 0;
};

/// The slots of a mode's fullest panel, lines (shown or hidden) and gaps in order: every line a panel
/// of that mode can have, so that a layout that keeps room for it shows every line (FocusStacking:
/// with the fewest images; a longer stack scrolls). Kept beside the writers below.
inline constexpr int panel_shape_capacity = 24;
struct PanelShape {
    std::array<PanelSlot, panel_shape_capacity> slots{};
    int count = 0;
};
PanelShape fullest_panel(Mode mode);

/// Fills `out` with the lines of state.mode; a mode outside the five gives no lines.
/// `camera` supplies the frame size for Macro mode's field of view.
void panel_text(const CalcState& state, const Camera& camera, PanelText& out);
