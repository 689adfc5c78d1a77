// A fixed layout and camera for the mouse and drag tests: every scale runs from row 100 (top) to
// row 500 (bottom), 400 rows high, so fractions and rows are easy to work out by hand.
#pragma once

#include "cameras/camera.h"
#include "display/geometry.h"

namespace scale_fixture {

inline constexpr int top = 100;
inline constexpr int bottom = 500;
inline constexpr Rect lens{20, top, 80, bottom};
inline constexpr Rect aperture{100, top, 160, bottom};
inline constexpr Rect distance{180, top, 400, bottom};
inline constexpr Rect blur{420, top, 480, bottom};

/// x inside each scale.
inline constexpr int lens_x = 50;
inline constexpr int aperture_x = 130;
inline constexpr int distance_x = 300;
inline constexpr int blur_x = 450;

inline ScaleGeometry geometry()
{
    ScaleGeometry g;
    column(g, Column::Lens).scale = lens;
    column(g, Column::Aperture).scale = aperture;
    column(g, Column::Distance).scale = distance;
    column(g, Column::Blur).scale = blur;
    column(g, Column::Details).scale = Rect{500, top, 700, bottom};
    return g;
}

/// A 36 x 24 mm film frame with a CoC of 0.0314159 mm, judged at 550 nm; actual focal lengths.
inline Camera camera()
{
    Camera c;
    c.type = CameraType::Film;
    c.frame_width_mm = 36;
    c.frame_height_mm = 24;
    c.coc = 0.0314159;
    c.wavelength = 550;
    c.crop_factor = 1;
    return c;
}

}  // namespace scale_fixture
