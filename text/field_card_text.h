// Field cards as text: a depth-of-field table or a focus-stack plan written out as plain text,
// CSV, Markdown or a printable HTML page. Every distance is the text the program shows for it.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "calc/calc_state.h"
#include "cameras/camera.h"
#include "text/format.h"

enum class CardFormat { Text, Csv, Markdown, Html };

/// An f-number as a card heads it: a whole stop of the f-stop tables by the number marked on
/// lenses ("f/5.6" for 5.657), any other as the aperture caption writes it ("f/6.73"), but with
/// more decimals where that would read as a stop ("f/5.60" for 5.6), so that a heading is one
/// aperture.
Text256 card_f_number(double f_number);

/// The f-number a number typed for a card stands for. Written as a stop of the f-stop tables is
/// headed, it is that stop (of the table of `increment` first): the marked "5.6", "11" and "22"
/// are the whole stops 5.657, 11.31 and 22.63, as on a lens, and "6.73" the half stop 6.727.
/// Any other is taken to the two decimals its heading shows: "22.0" is 22, headed "f/22.00".
double typed_f_number(double typed, std::u16string_view as_typed, FStopIncrement increment);

/// The apertures and focus distances (mm, -1 for infinity) of a card when none are asked for: the
/// default whole stops and round distances, with the aperture and focus distance of the settings
/// (card_aperture, card_focus) among them, in order. A round value whose heading would read the
/// same as the setting's gives way to the setting.
std::vector<double> card_apertures(const CalcState& settings);
std::vector<double> card_distances(const CalcState& settings, const Camera& camera);

/// The magnifications of a close-up card when none are asked for: default_card_magnifications,
/// with the magnification of the settings among them.
std::vector<double> card_magnifications(const CalcState& settings);

/// The card of the settings as the window has them, as an HTML page: in FocusStacking the plan of
/// their near and far limits and number of images, in Macro the close-up table of card_apertures
/// and card_magnifications, in every other mode the depth-of-field table of card_apertures and
/// card_distances.
std::u16string settings_card_page(const CalcState& settings, const Camera& camera);

/// The depth of field of `apertures` (f-numbers) at each focus distance of `distances` (mm, -1
/// for infinity), with the hyperfocal distance per aperture, for the camera and lens of `settings`.
/// The HTML page marks the column and row of the settings' own aperture and focus distance.
std::u16string depth_table_text(const CalcState& settings, const Camera& camera, std::span<const double> apertures,
                                std::span<const double> distances, CardFormat format);

/// The total depth of field of close-ups at `apertures` (f-numbers) and `magnifications`, with the
/// f-number the sensor sees and, per magnification, the aperture from which diffraction alone
/// blurs more than the allowed blur, for the camera, teleconverter and allowed blur of `settings`,
/// in its macro unit. The HTML page marks the column and row of the settings' own aperture and
/// magnification.
std::u16string macro_table_text(const CalcState& settings, const Camera& camera, std::span<const double> apertures,
                                std::span<const double> magnifications, CardFormat format);

/// A focus-stack plan from `stack`, a state focus_stack computed: the focus distances, the aperture
/// that joins them, the blur between neighbours and the limits of the whole stack. `fewest` is
/// the fewest images that stay within the allowed blur (0: none up to 100); the plan notes it when
/// `stack` holds more blur than allowed.
std::u16string stack_plan_text(const CalcState& stack, const Camera& camera, int fewest, CardFormat format);
