// What every state Qel reaches must satisfy, whatever the user did to get there: numbers that are
// finite (infinity only as a negative distance), distances in order where the mode defines them,
// usable cameras, and texts without the "?" of an undefined number or an "inf" / "nan". Each
// check returns the first broken rule as a sentence, or an empty string; the property tests and
// the fuzz targets share them.
#pragma once

#include <cmath>
#include <string>
#include <string_view>

#include "calc/calc_state.h"
#include "cameras/camera.h"
#include "cameras/camera_rules.h"
#include "text/caption_text.h"
#include "text/distance_text.h"
#include "text/format.h"
#include "text/panel_text.h"
#include "text/title.h"
#include "text/utf8.h"

namespace invariants {

inline std::string broken(std::string_view what, double value)
{
    return std::string(what) + " is " + std::to_string(value);
}

/// A negative distance is infinity: for comparing distances.
inline double as_distance(double v)
{
    return v < 0 ? INFINITY : v;
}

/// The text has no "?" (an undefined number) and no "inf" or "nan" in any case. The locale's
/// decimal point may be any character, "?" too: it counts as a ".".
inline std::string text_rule(std::u16string_view text)
{
    const char16_t point = decimal_point();
    const auto folded = [&](std::size_t i) {
        const char16_t c = text[i];
        if (c == point)
            return u'.';
        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
    };
    const auto holds = [&](std::u16string_view bad) {
        for (std::size_t i = 0; i + bad.size() <= text.size(); ++i) {
            std::size_t k = 0;
            while (k < bad.size() && folded(i + k) == bad[k])
                ++k;
            if (k == bad.size())
                return true;
        }
        return false;
    };
    for (std::u16string_view bad : {u"?", u"inf", u"nan"}) {
        if (holds(bad))
            return "the text \"" + utf16_to_utf8(text) + "\" holds \"" + utf16_to_utf8(bad) + "\"";
    }
    return {};
}

inline std::string camera_rule(const Camera& c)
{
    if (!camera_usable(c))
        return "camera \"" + utf16_to_utf8(camera_name(c)) + "\" is not usable: CoC " + std::to_string(c.coc) +
               ", diffraction limit " + std::to_string(c.diffraction_limit) + ", crop factor " +
               std::to_string(c.crop_factor);
    return {};
}

/// Every number finite, every distance input focusable (not 0, not inside twice the focal
/// length), the results in order for the mode, every camera usable (`with_cameras`: where only the
/// state can have changed, the cameras need not be checked again).
inline std::string state_rule(const CalcState& s, const CameraTable& t, bool with_cameras = true)
{
    if (t.count < 1 || t.count > max_cameras || t.current < 0 || t.current >= t.count)
        return "the camera table is out of shape";
    for (int i = 0; with_cameras && i < t.count; ++i) {
        if (std::string e = camera_rule(t.cameras[static_cast<std::size_t>(i)]); !e.empty())
            return e;
    }
    const struct {
        const char* name;
        double value;
    } numbers[] = {
        {"focal_length", s.focal_length}, {"teleconverter", s.teleconverter}, {"f_stop", s.f_stop},
        {"blur_threshold", s.blur_threshold}, {"maxblur", s.maxblur}, {"fl_zoom", s.fl_zoom},
        {"fov_zoom", s.fov_zoom}, {"blur_zoom", s.blur_zoom}, {"near", s.near}, {"focus_at", s.focus_at},
        {"far", s.far}, {"near_limit", s.near_limit}, {"far_limit", s.far_limit},
        {"blur_distance", s.blur_distance}, {"fov", s.fov}, {"effective_focal_length", s.effective_focal_length},
        {"effective_f_stop", s.effective_f_stop}, {"hyperfocal", s.hyperfocal}, {"front", s.front},
        {"back", s.back}, {"range", s.range}, {"magnification", s.magnification}, {"field_width", s.field_width},
        {"field_height", s.field_height}, {"field_diagonal", s.field_diagonal}, {"angle_width", s.angle_width},
        {"angle_height", s.angle_height}, {"angle_diagonal", s.angle_diagonal}, {"blur", s.blur},
        {"best_focus", s.best_focus}, {"optimum_f_stop", s.optimum_f_stop},
        {"optimum_effective_f_stop", s.optimum_effective_f_stop}, {"optimum_blur", s.optimum_blur},
        {"stack_near", s.stack_near}, {"stack_far", s.stack_far}, {"stack_range", s.stack_range},
        {"macro_factor", s.macro_factor}, {"macro_depth", s.macro_depth}, {"fl_low", s.fl_low},
        {"fl_high", s.fl_high}, {"fov_low", s.fov_low}, {"fov_high", s.fov_high}, {"blur_low", s.blur_low},
        {"blur_high", s.blur_high}, {"maxblur_near", s.maxblur_near}, {"maxblur_far", s.maxblur_far},
    };
    for (const auto& n : numbers) {
        if (!std::isfinite(n.value))
            return broken(n.name, n.value);
    }
    for (int i = 0; i < s.ni && i < max_focus_points; ++i) {
        if (!std::isfinite(s.focus_points[static_cast<std::size_t>(i)]))
            return broken("a focus point", s.focus_points[static_cast<std::size_t>(i)]);
    }
    for (const double positive : {s.focal_length, s.teleconverter, s.f_stop, s.blur_threshold, s.fov})
        if (!(positive > 0))
            return broken("an input that must be above 0", positive);
    const double closest = 2 * s.effective_focal_length;
    for (const auto& d : {std::pair{"focus_at", s.focus_at}, std::pair{"near_limit", s.near_limit},
                          std::pair{"far_limit", s.far_limit}})
        if (d.second >= 0 && d.second < closest)
            return broken(std::string(d.first) + " closer than twice the focal length " + std::to_string(closest),
                          d.second);
    if (s.blur_distance == 0)
        return "the object is at the lens";
    if (s.magnification < 0)
        return broken("magnification", s.magnification);
    if ((s.mode == Mode::DepthOfField || s.mode == Mode::Blur) &&
        !(as_distance(s.near) <= as_distance(s.focus_at) && as_distance(s.focus_at) <= as_distance(s.far)))
        return "near " + std::to_string(s.near) + ", focus " + std::to_string(s.focus_at) + ", far " +
               std::to_string(s.far) + " are out of order";
    if ((s.mode == Mode::BestFStop || s.mode == Mode::FocusStacking) &&
        !(as_distance(s.near_limit) <= as_distance(s.far_limit)))
        return "the near limit lies beyond the far limit";
    return {};
}

/// Every text the window shows for the state: the details panel, the captions, the title (the
/// camera's own name aside) and the distances it formats.
inline std::string display_rule(const CalcState& s, const CameraTable& t, PanelText& panel, CaptionTexts& captions)
{
    panel_text(s, current_camera(t), panel);
    for (int i = 0; i < panel.count; ++i) {
        if (std::string e = text_rule(panel.lines[static_cast<std::size_t>(i)].text.view()); !e.empty())
            return "details: " + e;
    }
    caption_texts(s, captions);
    for (int c = 0; c < column_count; ++c) {
        for (int p = 0; p < caption_place_count; ++p) {
            for (const Text256* text : {&captions.name[c][p], &captions.value[c][p]})
                if (std::string e = text_rule(text->view()); !e.empty())
                    return "caption: " + e;
        }
    }
    const Text256 title = window_title(t);
    const std::u16string_view name = camera_name(current_camera(t));
    std::u16string_view shown = title.view();
    if (shown.size() >= name.size() && shown.substr(shown.size() - name.size()) == name)
        shown.remove_suffix(name.size());
    if (std::string e = text_rule(shown); !e.empty())
        return "title: " + e;
    for (const double d : {s.near, s.focus_at, s.far, s.hyperfocal, s.near_limit, s.far_limit, s.blur_distance,
                           s.maxblur_near, s.maxblur_far})
        if (std::string e = text_rule(format_distance(s, d).view()); !e.empty())
            return "distance: " + e;
    return {};
}

/// The same camera to the settings file: name, kinds and every number it keeps, bit for bit.
inline bool same_camera_inputs(const Camera& a, const Camera& b)
{
    if (camera_name(a) != camera_name(b) || a.type != b.type || a.coc_method != b.coc_method ||
        a.focal_length_entry != b.focal_length_entry || a.frame_width_px != b.frame_width_px ||
        a.frame_height_px != b.frame_height_px)
        return false;
    for (const CameraNumberRule& r : camera_number_rules())
        if (!(a.*r.field == b.*r.field))
            return false;
    return true;
}

/// What a restart must bring back: every input the settings file keeps, and every camera.
inline std::string restart_rule(const CalcState& a, const CameraTable& ta, const CalcState& b, const CameraTable& tb)
{
    const bool same = a.mode == b.mode && a.units == b.units && a.macro_units == b.macro_units && a.snap == b.snap &&
                      a.ni == b.ni && a.f_stop_increment == b.f_stop_increment && a.focal_length == b.focal_length &&
                      a.teleconverter == b.teleconverter && a.f_stop == b.f_stop &&
                      a.blur_threshold == b.blur_threshold && a.maxblur == b.maxblur && a.fl_zoom == b.fl_zoom &&
                      a.fov_zoom == b.fov_zoom && a.blur_zoom == b.blur_zoom && a.focus_at == b.focus_at &&
                      a.near_limit == b.near_limit && a.far_limit == b.far_limit &&
                      a.blur_distance == b.blur_distance && a.fov == b.fov;
    if (!same)
        return "what was saved loads to other settings";
    if (ta.count != tb.count || ta.current != tb.current)
        return "what was saved loads to another camera table";
    for (int i = 0; i < ta.count; ++i)
        if (!same_camera_inputs(ta.cameras[static_cast<std::size_t>(i)], tb.cameras[static_cast<std::size_t>(i)]))
            return "what was saved loads camera " + std::to_string(i) + " otherwise";
    return {};
}

}  // namespace invariants
