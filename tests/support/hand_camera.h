// A camera built by hand for calculation tests and benchmarks, without derive_camera:
// the fields recompute reads, set to the built-in 36 x 24 mm film camera's values.
#pragma once

#include <cmath>
#include <numbers>

#include "cameras/camera.h"

/// The built-in camera judged as a 12-unit print seen from 18 units by a 1-arc-minute eye,
/// two resolution elements allowed: CoC = 36 * 2 * 18 * tan(1/60 degree) / 12 = 0.0314159 mm.
inline Camera hand_default_camera()
{
    Camera camera;
    camera.frame_width_mm = 36;
    camera.frame_height_mm = 24;
    camera.wavelength = 550;
    camera.coc = 36.0 * 2 * 18 * std::tan(std::numbers::pi / 180 / 60) / 12;
    camera.crop_factor = 1;
    camera.focal_length_entry = FocalLengthEntry::Actual;
    return camera;
}
