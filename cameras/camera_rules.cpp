#include "cameras/camera_rules.h"

#include <cmath>
#include <cstddef>

#include "text/format.h"
#include "text/parse.h"

namespace {

// Larger numbers do not survive being written with their decimals and read back digit by digit.
constexpr double largest = 1e9;

// A visual resolution of 90 degrees (5400 arc minutes) or more has no tangent: the CoC of a
// Sharp Print camera would be infinite or negative.
constexpr CameraNumberRule rules[] = {
    {&Camera::frame_width_mm, 0, false, largest, 2},
    {&Camera::frame_height_mm, 0, false, largest, 2},
    {&Camera::film_resolution, 0, false, largest, 2},
    {&Camera::custom_coc, 0, false, largest, 5},
    {&Camera::allowable_blur, 1, true, 100, 3},
    {&Camera::visual_resolution, 0, false, 5000, 3},
    {&Camera::print_size, 0, false, largest, 3},
    {&Camera::viewing_distance, 0, false, largest, 3},
    {&Camera::wavelength, 5, true, 5000, 2},
};

bool positive_finite(double v)
{
    return std::isfinite(v) && v > 0;
}

}  // namespace

std::span<const CameraNumberRule> camera_number_rules()
{
    return rules;
}

const CameraNumberRule& camera_number_rule(double Camera::*field)
{
    for (const CameraNumberRule& rule : rules) {
        if (rule.field == field)
            return rule;
    }
    return rules[0];
}

double saved_camera_number(const CameraNumberRule& rule, double value)
{
    if (!std::isfinite(value) || std::fabs(value) > largest)
        return value;
    char16_t text[32];  // ten integer digits, a sign and five decimals
    const std::size_t n = number_to_text(text, rule.saved_decimals, value);
    double read = 0;
    std::size_t position = 0;
    parse_number(std::u16string_view(text, n), position, read);
    return read;
}

bool camera_number_allowed(const CameraNumberRule& rule, double value)
{
    const double v = saved_camera_number(rule, value);
    return std::isfinite(v) && (rule.low_included ? v >= rule.low : v > rule.low) && v <= rule.high;
}

bool camera_usable(const Camera& c)
{
    for (const CameraNumberRule& rule : rules) {
        if (!camera_number_allowed(rule, c.*rule.field))
            return false;
    }
    return c.frame_width_px >= min_frame_pixels && c.frame_height_px >= min_frame_pixels &&
           positive_finite(c.coc) && positive_finite(c.diffraction_limit) && positive_finite(c.crop_factor) &&
           std::isfinite(c.megapixels);
}

void repair_camera(Camera& c)
{
    const Camera defaults = default_camera();
    for (const CameraNumberRule& rule : rules) {
        double& v = c.*rule.field;
        v = camera_number_allowed(rule, v) ? saved_camera_number(rule, v) : defaults.*rule.field;
    }
    if (c.frame_width_px < min_frame_pixels)
        c.frame_width_px = defaults.frame_width_px;
    if (c.frame_height_px < min_frame_pixels)
        c.frame_height_px = defaults.frame_height_px;
    if (c.type != CameraType::Digital && c.type != CameraType::Film)
        c.type = defaults.type;
    if (c.coc_method != CocMethod::SharpImage && c.coc_method != CocMethod::SharpPrint &&
        c.coc_method != CocMethod::CustomCoc)
        c.coc_method = defaults.coc_method;
    if (c.focal_length_entry != FocalLengthEntry::Actual && c.focal_length_entry != FocalLengthEntry::Equivalent35mm)
        c.focal_length_entry = defaults.focal_length_entry;
}
