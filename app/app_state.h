// What every front end of Qel works on: the calculation state, the cameras, the layout, the drag
// in progress, the keyboard focus and the painter's buffers. One record lives for the whole run;
// the Windows program and the web page each add what their platform needs.
#pragma once

#include "app/keyboard.h"
#include "calc/calc_state.h"
#include "cameras/camera.h"
#include "display/drag_context.h"
#include "display/geometry.h"
#include "display/paint_scratch.h"

struct AppState {
    CalcState state;
    CameraTable cameras;
    ScaleGeometry geometry;
    DragContext drag;
    KeyFocus keys;
    PaintScratch scratch;
    /// The text height chosen for the client area.
    int text_height = 0;
};
