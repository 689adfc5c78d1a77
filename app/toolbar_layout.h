// Where the seven toolbars sit over the columns, which are shown in a mode, and where each popup
// menu opens: the same for every platform.
#pragma once

#include <array>

#include "app/menus.h"
#include "app/toolbars.h"
#include "calc/calc_state.h"
#include "display/geometry.h"

struct ToolbarPlace {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool shown = true;
};

/// The places by control id - toolbar_id::mode, at the layout's button size. The camera, mode,
/// units/help and snap toolbars form the first row at y = u, from x = u with 2u between them (a
/// portrait layout goes on in further rows, toolbar_height + scaled(5) apart, where the client is
/// too narrow for them); the f-stop increment, teleconverter and images toolbars sit on the toolbar
/// row centred over the aperture, lens and distance scales. The images toolbar is shown only in
/// FocusStacking, the teleconverter toolbar in every mode but Macro.
std::array<ToolbarPlace, 7> toolbar_places(const ScaleGeometry& g, Mode mode);

/// How many rows the first row of toolbars takes in the layout (as toolbar_places puts them).
int first_row_rows(const ScaleGeometry& g);

/// The right edge of the first row of toolbars' widest row, plus a margin.
int first_row_width(const ScaleGeometry& g);

/// The client point where a menu opens: below the camera, units and help buttons (by the gap between
/// toolbar rows), on the name line under the f-stop increment and teleconverter buttons.
Point menu_anchor(MenuAnchor anchor, const ScaleGeometry& g, Mode mode);
