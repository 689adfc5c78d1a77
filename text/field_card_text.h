// Field cards as text: a depth-of-field table or a focus-stack plan written out as plain text,
// CSV, Markdown or a printable HTML page. Every distance is the text the program shows for it.
#pragma once

#include <span>
#include <string>

#include "calc/calc_state.h"
#include "cameras/camera.h"
#include "text/format.h"

enum class CardFormat { Text, Csv, Markdown, Html };

/// An f-number as a card heads it: a whole stop of the f-stop table by the number marked on lenses
/// ("f/5.6" for 5.657), any other as the aperture caption writes it ("f/6.73", "f/5.6" for 5.6).
Text256 card_f_number(double f_number);

/// The depth of field of `apertures` (f-numbers) at each focus distance of `distances` (mm, -1
/// for infinity), with the hyperfocal distance per aperture, for the camera and lens of `settings`.
std::u16string depth_table_text(const CalcState& settings, const Camera& camera, std::span<const double> apertures,
                                std::span<const double> distances, CardFormat format);

/// A focus-stack plan from `stack`, a state focus_stack computed: the focus distances, the aperture
/// that joins them, the blur between neighbours and the limits of the whole stack. `fewest` is
/// the fewest images that stay within the allowed blur (0: none up to 100); the plan notes it when
/// `stack` holds more blur than allowed.
std::u16string stack_plan_text(const CalcState& stack, const Camera& camera, int fewest, CardFormat format);
