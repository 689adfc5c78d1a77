// The colour ramp of blur amounts: white up to 1 CoC, through yellow (2), red (10) and
// magenta (20) to blue from 40 CoCs on.
#pragma once

#include "display/canvas.h"

/// The colour of a blur of `b` CoCs; an undefined blur (negative or NaN) is white.
Colour blur_colour(double b);
