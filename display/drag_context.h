// The drag in progress on the scales: which drag it is and what was saved when its button went down.
// One record lives for the whole process; the mouse dispatch and the drag operations share it.
#pragma once

/// The drag in progress. The numbers are fixed: the left-button drags of the distance column are
/// 0 to 2 and its right-button drag is 7.
enum class DragState : int {
    Idle = -1,
    FocusLine = 0,  ///< distance column: the focus distance (DepthOfField, Blur)
    NearLine = 1,   ///< distance column: near_limit (BestFStop, FocusStacking) or blur_distance (Blur)
    FarLine = 2,    ///< distance column: far_limit (BestFStop, FocusStacking)
    LensDrag = 3,
    ApertureDrag = 4,
    BlurDrag = 5,
    LensZoom = 6,
    MaxblurDrag = 7,  ///< distance column, right button: scales maxblur
    BlurZoom = 8,
    DetailsScroll = 9,  ///< the details panel's lines, dragged (or their scroll bar's thumb)
};

/// What reaches the distance column's drag.
enum class DragMessage {
    LeftButtonDown,
    RightButtonDown,
    MouseMove,
    LeftButtonUp,
    RightButtonUp,
};

struct DragContext {
    DragState drag_state = DragState::Idle;
    int lens_origin_y = 0;  ///< client y of the press that started LensDrag or LensZoom
    int blur_origin_y = 0;  ///< client y of the press that started BlurDrag or BlurZoom
    // Windows and zooms on screen at the press; a drag maps every move through these, so the
    // re-centring done while it runs never moves the mapping under the pointer.
    double saved_fl_low = 0;
    double saved_fl_high = 0;
    double saved_fov_low = 0;
    double saved_fov_high = 0;
    double saved_fl_zoom = 0;
    double saved_fov_zoom = 0;
    double saved_blur_low = 0;
    double saved_blur_high = 0;
    double saved_blur_zoom = 0;
    // The values at the press: the pointer back on the press row gives them back exactly.
    double saved_focal_length = 0;
    double saved_fov = 0;
    double saved_blur_threshold = 0;
    // Distance column.
    int near_offset = 0;        ///< near row minus focus row at a DepthOfField press
    int maxblur_origin_y = 0;   ///< client y of the right-button press (not clamped)
    double saved_maxblur = 0;   ///< maxblur at that press
    // Details panel.
    int details_origin_y = 0;   ///< client y of the press
    int saved_details_first = 0;  ///< the first row shown at the press
    bool details_on_bar = false;  ///< the press was on the scroll bar: its thumb follows the pointer
};
