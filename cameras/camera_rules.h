// The values a camera may hold: the ranges the camera dialog accepts and the decimals the settings
// file keeps, in one table, so that a camera read from a file is one the dialog would accept and
// a value the dialog stores is the value the file brings back.
#pragma once

#include <cstdint>
#include <span>

#include "cameras/camera.h"

struct CameraNumberRule {
    double Camera::*field;
    double low;
    bool low_included;
    double high;
    /// The decimals its camera line writes it with: the value the file keeps.
    int saved_decimals;
};

/// The nine number fields in the order their camera line writes them.
std::span<const CameraNumberRule> camera_number_rules();
/// The rule of a number field.
const CameraNumberRule& camera_number_rule(double Camera::*field);

/// The fewest pixels across either side of a digital frame.
inline constexpr int32_t min_frame_pixels = 2;

/// The value as its camera line keeps it: written with the rule's decimals and read back.
double saved_camera_number(const CameraNumberRule& rule, double value);
/// Whether the value, as the file keeps it, lies in the rule's range.
bool camera_number_allowed(const CameraNumberRule& rule, double value);

/// Every field within its range and the derived values (circle of confusion, diffraction limit,
/// crop factor) finite and above zero: a camera every calculation can use.
bool camera_usable(const Camera& camera);

/// A camera read from a file made usable: each value as the file keeps it, and a value out of
/// its range (or an unknown type, method or focal-length entry) replaced by the default camera's.
/// Its derived values, once derive_camera has run, are then finite and above zero.
void repair_camera(Camera& camera);
