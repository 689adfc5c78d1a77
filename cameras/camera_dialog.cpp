#include "cameras/camera_dialog.h"

#include <algorithm>
#include <cstdint>

#include "cameras/settings.h"
#include "text/parse.h"
#include "text/title.h"

namespace {

namespace id = camera_control;

constexpr std::u16string_view no_name_message = u"No name specified for current camera";
constexpr std::u16string_view quote_in_name_message = u"Illegal camera name (no double quotes)";
constexpr std::u16string_view long_name_message = u"Illegal camera name (too long)";

// The edit limit is what the widest camera line of the settings file leaves of its 255 units:
// 24 units of fixed text (key, spaces, quotes), index 999 (3), method, type and focal-length entry
// (1 each), two 32-bit pixel counts (10 each), allowable blur up to 100.000 and wavelength up to
// 5000.00 (7 each), and below a million 999999.99 for the three "%2f" values, 999999.999 for the
// three "%3f" values and 999999.99999 for the custom CoC.
constexpr int widest_ordinary_line_without_name = 24 + 3 + 3 * 1 + 2 * 10 + 2 * 7 + 3 * 9 + 3 * 10 + 12;
static_assert(camera_name_edit_limit == static_cast<int>(settings_line_units) - widest_ordinary_line_without_name);
static_assert(camera_name_edit_limit <= static_cast<int>(camera_name_units));

// The white-space characters of Unicode that fit one UTF-16 unit (all of them do).
bool is_white_space(char16_t u)
{
    return (u >= 0x09 && u <= 0x0D) || u == 0x20 || u == 0x85 || u == 0xA0 || u == 0x1680 ||
           (u >= 0x2000 && u <= 0x200A) || u == 0x2028 || u == 0x2029 || u == 0x202F || u == 0x205F ||
           u == 0x3000;
}

bool is_unnamed(const CameraTable& table)
{
    return !is_camera_named(camera_name(current_camera(table)));
}

// The shown text of a number: "%<decimals>f", with trailing zeros dropped when `trimmed`.
void show_number(CameraDialogView& view, int control, std::u16string_view format_spec, double value, bool trimmed)
{
    Text256 text = format(format_spec, {value});
    if (trimmed)
        text.length = trim_zeros(text.buffer());
    view.set_text(control, text.view());
}

void show_integer(CameraDialogView& view, int control, int32_t value)
{
    view.set_text(control, format(u"%d", {static_cast<int>(value)}).view());
}

// A number field is accepted when the parser reads the whole text.
bool read_number(std::u16string_view text, double& value)
{
    std::size_t position = 0;
    return parse_number(text, position, value) && position == text.size();
}

// Bounds of an accepted value: above (or from) `low`, up to `high`.
struct Range {
    double low;
    bool low_included;
    double high;

    bool holds(double v) const { return (low_included ? v >= low : v > low) && v <= high; }
};

// Larger values would be replaced by their defaults when the settings file is read.
constexpr Range positive{0, false, largest_setting_number};
constexpr Range non_negative{0, true, largest_setting_number};

struct NumberCheck {
    int control;
    double Camera::*field;
    Range range;
    std::u16string_view message;
    std::u16string_view shown;  // the format fill_camera_dialog shows the value with
};

struct IntegerCheck {
    int control;
    int32_t Camera::*field;
    int32_t low;
    std::u16string_view message;
};

constexpr NumberCheck frame_width_check{id::frame_width_mm, &Camera::frame_width_mm, positive,
                                        u"Illegal frame width (mm)", u"%2f"};
constexpr NumberCheck frame_height_check{id::frame_height_mm, &Camera::frame_height_mm, positive,
                                         u"Illegal frame height (mm)", u"%2f"};
constexpr IntegerCheck pixel_checks[] = {
    {id::frame_width_px, &Camera::frame_width_px, 2, u"Illegal frame width (pixels)"},
    {id::frame_height_px, &Camera::frame_height_px, 2, u"Illegal frame height (pixels)"},
};
constexpr NumberCheck later_checks[] = {
    {id::film_resolution, &Camera::film_resolution, positive, u"Illegal film resolution", u"%2f"},
    {id::custom_coc, &Camera::custom_coc, positive, u"Illegal circle of confusion", u"%5f"},
    {id::visual_resolution, &Camera::visual_resolution, non_negative, u"Illegal visual resolution", u"%2f"},
    {id::allowable_blur, &Camera::allowable_blur, {1, true, 100}, u"Illegal allowable blur", u"%2f"},
    {id::print_size, &Camera::print_size, positive, u"Illegal print size", u"%2f"},
    {id::viewing_distance, &Camera::viewing_distance, positive, u"Illegal viewing distance", u"%2f"},
    {id::wavelength, &Camera::wavelength, {5, true, 5000}, u"Illegal wavelength", u"%2f"},
};

// The edits of one apply: the camera as checked so far, and the typed name, which is checked
// last but must keep fitting its settings-file line as the fields are checked.
struct Edit {
    CameraDialogView& view;
    Camera camera;
    int32_t index;
    std::u16string_view name;
    bool name_fitted;  // the name fits the line of the stored values

    // A value that leaves a name that fitted without room is the value's fault, not the name's.
    bool accept(std::u16string_view message)
    {
        if (name_fitted && name.size() > camera_name_room(camera, index)) {
            view.show_error(message);
            return false;
        }
        return true;
    }
};

bool check(Edit& edit, const NumberCheck& c)
{
    double value = 0;
    // The value is shown again by the next fill and read back by the next apply, which must not
    // refuse it (a print size of 0.004 would show as 0.00).
    double shown = 0;
    if (!read_number(edit.view.get_text(c.control).view(), value) || !c.range.holds(value) ||
        !read_number(format(c.shown, {value}).view(), shown) || !c.range.holds(shown)) {
        edit.view.show_error(c.message);
        return false;
    }
    edit.camera.*c.field = value;
    return edit.accept(c.message);
}

bool check(Edit& edit, const IntegerCheck& c)
{
    int32_t value = 0;
    if (!parse_int(edit.view.get_text(c.control).view(), value) || value < c.low) {
        edit.view.show_error(c.message);
        return false;
    }
    edit.camera.*c.field = value;
    return edit.accept(c.message);
}

// The name as typed, at most 254 units, never ending in half of a surrogate pair.
std::u16string_view typed_name(const Text256& text)
{
    std::u16string_view name = text.view().substr(0, camera_name_units);
    if (name.size() < text.length && !name.empty() && name.back() >= 0xD800 && name.back() <= 0xDBFF)
        name.remove_suffix(1);
    return name;
}

// A combo box selection, or the stored value when the box has none (or an unknown one).
template <typename Enum>
Enum selected(CameraDialogView& view, int combo, int item_count, Enum stored)
{
    const int index = view.get_selection(combo);
    return index >= 0 && index < item_count ? static_cast<Enum>(index) : stored;
}

constexpr int method_items = 3;
constexpr int type_items = 2;
constexpr int focal_length_items = 2;

// The Prev / Next step: only from a valid, named camera.
void step(CameraTable& table, CameraDialogView& view, int delta)
{
    if (!apply_camera_dialog(table, view))
        return;
    if (is_unnamed(table)) {
        view.show_error(no_name_message);
        return;
    }
    const int32_t target = table.current + delta;
    if (target >= 0 && target < table.count)
        table.current = target;
    fill_camera_dialog(table, view);
}

}  // namespace

bool is_camera_named(std::u16string_view name)
{
    return name != unnamed_camera_name && !std::all_of(name.begin(), name.end(), is_white_space);
}

void fill_camera_dialog(const CameraTable& table, CameraDialogView& view)
{
    const Camera& c = current_camera(table);
    view.set_text(id::name, camera_name(c));
    view.set_selection(id::coc_method, static_cast<int>(c.coc_method));
    view.set_selection(id::type, static_cast<int>(c.type));
    view.set_selection(id::focal_length_entry, static_cast<int>(c.focal_length_entry));

    show_number(view, id::frame_width_mm, u"%2f", c.frame_width_mm, true);
    show_integer(view, id::frame_width_px, c.frame_width_px);
    show_number(view, id::frame_height_mm, u"%2f", c.frame_height_mm, true);
    show_integer(view, id::frame_height_px, c.frame_height_px);
    show_number(view, id::film_resolution, u"%2f", c.film_resolution, true);
    show_number(view, id::custom_coc, u"%5f", c.custom_coc, true);
    show_number(view, id::coc, u"%5f mm", c.coc, false);  // ends in "mm": nothing to trim
    show_number(view, id::diffraction_limit, u"f/%2f", c.diffraction_limit, true);
    show_number(view, id::crop_factor, u"%2f", c.crop_factor, true);
    show_number(view, id::megapixels, u"%2f", c.megapixels, true);
    show_number(view, id::visual_resolution, u"%2f", c.visual_resolution, false);
    show_number(view, id::allowable_blur, u"%2f", c.allowable_blur, false);
    show_number(view, id::print_size, u"%2f", c.print_size, false);
    show_number(view, id::viewing_distance, u"%2f", c.viewing_distance, false);
    show_number(view, id::wavelength, u"%2f", c.wavelength, false);

    const int32_t method = static_cast<int32_t>(c.coc_method);
    const bool judged_by_blur = method < 2;  // Sharp Image or Sharp Print
    const bool sharp_print = c.coc_method == CocMethod::SharpPrint;
    view.enable(id::delete_camera, table.count > 1);
    view.enable(id::prev, table.current > 0);
    view.enable(id::next, table.current < table.count - 1);
    view.enable(id::frame_width_px, c.type == CameraType::Digital && judged_by_blur);
    view.enable(id::frame_height_px, c.type == CameraType::Digital && judged_by_blur);
    view.enable(id::film_resolution, c.type == CameraType::Film && judged_by_blur);
    view.enable(id::type, judged_by_blur);
    view.enable(id::custom_coc, c.coc_method == CocMethod::CustomCoc);
    view.enable(id::allowable_blur, judged_by_blur);
    view.enable(id::visual_resolution, sharp_print);
    view.enable(id::print_size, sharp_print);
    view.enable(id::viewing_distance, sharp_print);

    view.set_main_title(window_title(table).view());
}

bool apply_camera_dialog(CameraTable& table, CameraDialogView& view)
{
    Camera& stored = current_camera(table);
    // The settings file quotes the name and has no escape for a quote, and it reads 255 units of
    // a line, which the name shares with the camera's index and values.
    const Text256 name_text = view.get_text(id::name);
    const std::u16string_view name = typed_name(name_text);
    const auto index = static_cast<int32_t>(&stored - table.cameras.data());
    Edit edit{view, stored, index, name, name.size() <= camera_name_room(stored, index)};
    Camera& edited = edit.camera;
    edited.coc_method = selected(view, id::coc_method, method_items, stored.coc_method);

    if (!check(edit, frame_width_check) || !check(edit, frame_height_check))
        return false;
    for (const IntegerCheck& c : pixel_checks)
        if (!check(edit, c))
            return false;
    for (const NumberCheck& c : later_checks)
        if (!check(edit, c))
            return false;

    edited.type = selected(view, id::type, type_items, stored.type);
    edited.focal_length_entry = selected(view, id::focal_length_entry, focal_length_items, stored.focal_length_entry);

    if (name.find(u'"') != std::u16string_view::npos) {
        view.show_error(quote_in_name_message);
        return false;
    }
    if (!name.empty() && name.size() > camera_name_room(edited, index)) {
        view.show_error(long_name_message);
        return false;
    }
    set_camera_name(edited, name);

    derive_camera(edited);
    stored = edited;
    return true;
}

void camera_dialog_init(CameraTable& table, CameraDialogView& view)
{
    if (table.count < 1)
        install_default_camera(table);
    if (table.count > max_cameras)
        table.count = max_cameras;
    if (table.current < 0 || table.current >= table.count)
        table.current = 0;

    const Camera& c = current_camera(table);
    view.add_item(id::type, u"Digital");
    view.add_item(id::type, u"Film");
    view.set_selection(id::type, static_cast<int>(c.type));
    view.add_item(id::focal_length_entry, u"Enter actual");
    view.add_item(id::focal_length_entry, u"Enter 35mm equivalent");
    view.set_selection(id::focal_length_entry, static_cast<int>(c.focal_length_entry));
    view.add_item(id::coc_method, u"Sharp Image");
    view.add_item(id::coc_method, u"Sharp Print");
    view.add_item(id::coc_method, u"Custom CoC");
    view.set_selection(id::coc_method, static_cast<int>(c.coc_method));
    view.limit_text(id::name, camera_name_edit_limit);

    fill_camera_dialog(table, view);
    apply_camera_dialog(table, view);
    fill_camera_dialog(table, view);
}

bool camera_dialog_command(CameraTable& table, CameraDialogView& view, int control_id, int notification)
{
    switch (control_id) {
    case id::coc_method:
        if (notification != combo_selection_changed)
            return false;
        camera_dialog_method_changed(table, view);
        return true;
    case id::type:
        camera_dialog_type_changed(table, view);
        return true;
    case id::focal_length_entry:
        camera_dialog_focal_length_changed(table, view);
        return true;
    case id::apply:
        camera_dialog_apply(table, view);
        return true;
    case id::new_camera:
        camera_dialog_new(table, view);
        return true;
    case id::delete_camera:
        camera_dialog_delete(table, view);
        return true;
    case id::prev:
        camera_dialog_prev(table, view);
        return true;
    case id::next:
        camera_dialog_next(table, view);
        return true;
    default:
        return false;
    }
}

void camera_dialog_close(CameraTable& table, CameraDialogView& view)
{
    if (!apply_camera_dialog(table, view))
        return;
    if (is_unnamed(table)) {
        view.show_error(no_name_message);
        return;
    }
    view.end_dialog();
}

void camera_dialog_method_changed(CameraTable& table, CameraDialogView& view)
{
    apply_camera_dialog(table, view);
    fill_camera_dialog(table, view);
}

void camera_dialog_type_changed(CameraTable& table, CameraDialogView& view)
{
    apply_camera_dialog(table, view);
    Camera& c = current_camera(table);
    c.type = selected(view, id::type, type_items, c.type);
    derive_camera(c);  // the readouts follow the type even when the other fields were refused
    fill_camera_dialog(table, view);
}

void camera_dialog_focal_length_changed(CameraTable& table, CameraDialogView& view)
{
    apply_camera_dialog(table, view);
    Camera& c = current_camera(table);
    c.focal_length_entry = selected(view, id::focal_length_entry, focal_length_items, c.focal_length_entry);
    fill_camera_dialog(table, view);
}

void camera_dialog_apply(CameraTable& table, CameraDialogView& view)
{
    apply_camera_dialog(table, view);
    fill_camera_dialog(table, view);
}

void camera_dialog_new(CameraTable& table, CameraDialogView& view)
{
    if (table.count >= max_cameras)
        return;
    apply_camera_dialog(table, view);
    if (is_unnamed(table)) {
        view.show_error(no_name_message);
        return;
    }
    const Camera copied = current_camera(table);
    const int32_t index = table.count;
    Camera& added = table.cameras[static_cast<std::size_t>(index)];
    added = copied;
    set_camera_name(added, unnamed_camera_name);
    table.current = index;
    table.count = index + 1;
    fill_camera_dialog(table, view);
    apply_camera_dialog(table, view);
    fill_camera_dialog(table, view);
}

void camera_dialog_delete(CameraTable& table, CameraDialogView& view)
{
    if (table.count <= 1)
        return;
    apply_camera_dialog(table, view);
    table.count -= 1;
    if (table.current < table.count) {
        auto first = table.cameras.begin() + table.current;
        std::move(first + 1, table.cameras.begin() + table.count + 1, first);
    } else {
        table.current = table.count - 1;
    }
    fill_camera_dialog(table, view);
}

void camera_dialog_prev(CameraTable& table, CameraDialogView& view)
{
    step(table, view, -1);
}

void camera_dialog_next(CameraTable& table, CameraDialogView& view)
{
    step(table, view, +1);
}
