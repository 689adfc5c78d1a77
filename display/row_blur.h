// The blur of every pixel row of the distance scale: how blurred, in CoCs, an object at that
// row's distance would be in the current mode (the sharpest image of a focus stack).
#pragma once

#include <span>

#include "calc/calc_state.h"
#include "cameras/camera.h"

/// The blur in CoCs of every row of an n-row distance scale, entry 0 at the bottom row
/// (fraction j / (n - 1); a single row is fraction 0); -1 where the blur is undefined.
void compute_row_blur(std::span<double> row_blur, const CalcState& s, const Camera& camera);
