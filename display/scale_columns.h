// Painters of the lens (or field-width), aperture and blur columns: panel, scale and marker.
#pragma once

#include "calc/calc_state.h"
#include "cameras/camera.h"
#include "display/canvas.h"
#include "display/geometry.h"

/// Focal length scale (field width in Macro mode) with the red marker of the current value.
void paint_lens_column(Canvas& canvas, const CalcState& s, const ScaleGeometry& g);

/// f-number scale in half or third stops, ticks coloured by the diffraction blur of the
/// camera at that aperture; red marker of f_stop, or white of optimum_f_stop where it is computed.
void paint_aperture_column(Canvas& canvas, const CalcState& s, const Camera& camera, const ScaleGeometry& g);

/// Blur scale in CoCs, coloured; red marker of blur_threshold, or white of the computed blur.
void paint_blur_column(Canvas& canvas, const CalcState& s, const ScaleGeometry& g);
