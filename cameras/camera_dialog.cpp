#include "cameras/camera_dialog.h"

#include <algorithm>
#include <cstdint>

#include "cameras/camera_rules.h"
#include "cameras/settings.h"
#include "text/parse.h"
#include "text/title.h"

namespace {

namespace id = camera_control;

constexpr std::u16string_view no_name_message = u"No name specified for current camera";
constexpr std::u16string_view quote_in_name_message = u"Illegal camera name (no double quotes)";
constexpr std::u16string_view long_name_message = u"Illegal camera name (too long)";
constexpr std::u16string_view discard_question = u"Discard the changes to the cameras?";

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

// A number field is accepted when the parser reads the whole text.
bool read_number(std::u16string_view text, double& value)
{
    std::size_t position = 0;
    return parse_number(text, position, value) && position == text.size();
}

// A number field's text: its usual decimals, or as many more as its value needs to be shown as
// it is (up to the decimals the settings file keeps it with), trailing zeros dropped when `trimmed`.
// Read back, the text is the value: an Apply with nothing typed changes nothing.
Text256 field_text(double value, int usual_decimals, int most_decimals, bool trimmed)
{
    Text256 text;
    for (int decimals = usual_decimals;; ++decimals) {
        text.length = number_to_text(text.buffer(), decimals, value);
        double shown = 0;
        if (decimals >= most_decimals || (read_number(text.view(), shown) && shown == value))
            break;
    }
    if (trimmed)
        text.length = trim_zeros(text.buffer());
    return text;
}

// A derived value's text: "<prefix><number><suffix>" with the usual decimals, or more (up to 15)
// for a value above zero that they would show with fewer than two significant digits.
void show_readout(CameraDialogView& view, int control, std::u16string_view prefix, double value, int decimals,
                  bool trimmed, std::u16string_view suffix)
{
    double unit = 10;  // a value below it shows fewer than two significant digits
    for (int i = 0; i < decimals; ++i)
        unit /= 10;
    for (; value > 0 && value < unit && decimals < 15; unit /= 10)
        ++decimals;
    Text256 number;
    number.length = number_to_text(number.buffer(), decimals, value);
    if (trimmed)
        number.length = trim_zeros(number.buffer());
    view.set_text(control, format(u"%s%s%s", {prefix, number.view(), suffix}).view());
}

struct NumberCheck {
    int control;
    double Camera::*field;
    std::u16string_view message;
    int shown_decimals;  // the decimals the field shows at least
    bool trimmed;
};

struct IntegerCheck {
    int control;
    int32_t Camera::*field;
    std::u16string_view message;
};

constexpr NumberCheck frame_width_check{id::frame_width_mm, &Camera::frame_width_mm, u"Illegal frame width (mm)", 2,
                                        true};
constexpr NumberCheck frame_height_check{id::frame_height_mm, &Camera::frame_height_mm, u"Illegal frame height (mm)",
                                         2, true};
constexpr IntegerCheck pixel_checks[] = {
    {id::frame_width_px, &Camera::frame_width_px, u"Illegal frame width (pixels)"},
    {id::frame_height_px, &Camera::frame_height_px, u"Illegal frame height (pixels)"},
};
constexpr NumberCheck later_checks[] = {
    {id::film_resolution, &Camera::film_resolution, u"Illegal film resolution", 2, true},
    {id::custom_coc, &Camera::custom_coc, u"Illegal circle of confusion", 5, true},
    {id::visual_resolution, &Camera::visual_resolution, u"Illegal visual resolution (above 0 and at most 5000 arc minutes)", 2, false},
    {id::allowable_blur, &Camera::allowable_blur, u"Illegal allowable blur", 2, false},
    {id::print_size, &Camera::print_size, u"Illegal print size", 2, false},
    {id::viewing_distance, &Camera::viewing_distance, u"Illegal viewing distance", 2, false},
    {id::wavelength, &Camera::wavelength, u"Illegal wavelength", 2, false},
};

Text256 shown_text(const Camera& camera, const NumberCheck& c)
{
    return field_text(camera.*c.field, c.shown_decimals, camera_number_rule(c.field).saved_decimals, c.trimmed);
}

Text256 shown_text(const Camera& camera, const IntegerCheck& c)
{
    return format(u"%d", {static_cast<int>(camera.*c.field)});
}

/// Calls `field(control, text)` for the name and every number field with the text it shows for `camera`.
template <typename Field>
void for_each_field(const Camera& camera, Field field)
{
    field(id::name, camera_name(camera));
    field(frame_width_check.control, shown_text(camera, frame_width_check).view());
    field(pixel_checks[0].control, shown_text(camera, pixel_checks[0]).view());
    field(frame_height_check.control, shown_text(camera, frame_height_check).view());
    field(pixel_checks[1].control, shown_text(camera, pixel_checks[1]).view());
    for (const NumberCheck& check : later_checks)
        field(check.control, shown_text(camera, check).view());
}

bool same_inputs(const Camera& a, const Camera& b)
{
    if (camera_name(a) != camera_name(b) || a.type != b.type || a.focal_length_entry != b.focal_length_entry ||
        a.coc_method != b.coc_method || a.frame_width_px != b.frame_width_px || a.frame_height_px != b.frame_height_px)
        return false;
    for (const CameraNumberRule& rule : camera_number_rules())
        if (a.*rule.field != b.*rule.field)
            return false;
    return true;
}

/// What the allowable blur counts: pixels of a digital frame, lines of a film, or the smallest
/// details the eye resolves on a print; nothing for a custom CoC.
std::u16string_view allowable_blur_unit(const Camera& c)
{
    switch (c.coc_method) {
    case CocMethod::SharpImage: return c.type == CameraType::Film ? u"lines" : u"pixels";
    case CocMethod::SharpPrint: return u"details";
    default: return u"";
    }
}

// The edits of one apply: the camera as checked so far, and the typed name, which is checked
// last but must keep fitting its settings-file line as the fields are checked.
struct Edit {
    CameraDialogView& view;
    Camera camera;
    int32_t index;
    std::u16string_view name;
    bool name_fitted;  // the name fits the line of the stored values
    std::size_t line_units;  // the camera's line without its name, as the values checked so far make it

    // The field's text is kept as typed and selected, so that the user can put it right.
    bool refuse(int control, std::u16string_view message)
    {
        view.show_error(message);
        view.select_field(control);
        return false;
    }

    // A value that leaves a name that fitted without room is the value's fault, not the name's.
    // The line's length follows each value's text in it, so that no check writes the whole line.
    bool accept(std::size_t units_before, std::size_t units_now, int control, std::u16string_view message)
    {
        line_units = line_units - units_before + units_now;
        if (name_fitted && name.size() + line_units > settings_line_units)
            return refuse(control, message);
        return true;
    }
};

// The units a value takes in its camera line.
std::size_t line_units(const CameraNumberRule& rule, double value)
{
    char16_t text[64];  // ten integer digits, a sign and five decimals
    return number_to_text(text, rule.saved_decimals, value);
}

std::size_t line_units(int32_t value)
{
    return format(u"%d", {static_cast<int>(value)}).length;
}

// The value is stored as the settings file keeps it (a frame width of 23.456 mm as 23.46), so
// that what the dialog shows is what the next start brings back.
bool check(Edit& edit, const NumberCheck& c)
{
    const CameraNumberRule& rule = camera_number_rule(c.field);
    double value = 0;
    if (!read_number(edit.view.get_text(c.control).view(), value) || !camera_number_allowed(rule, value))
        return edit.refuse(c.control, c.message);
    const std::size_t before = line_units(rule, edit.camera.*c.field);
    edit.camera.*c.field = saved_camera_number(rule, value);
    return edit.accept(before, line_units(rule, edit.camera.*c.field), c.control, c.message);
}

bool check(Edit& edit, const IntegerCheck& c)
{
    int32_t value = 0;
    if (!parse_int(edit.view.get_text(c.control).view(), value) || value < min_frame_pixels)
        return edit.refuse(c.control, c.message);
    const std::size_t before = line_units(edit.camera.*c.field);
    edit.camera.*c.field = value;
    return edit.accept(before, line_units(value), c.control, c.message);
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

// The cameras of `from` in use (its count of them) and which is current, copied into `to`.
void copy_cameras(CameraTable& to, const CameraTable& from)
{
    to.count = std::clamp(from.count, 0, max_cameras);
    to.current = from.current;
    std::copy_n(from.cameras.begin(), to.count, to.cameras.begin());
}

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
    for_each_field(current_camera(table), [&view](int control, std::u16string_view text) { view.set_text(control, text); });
    show_camera_state(table, view);
}

void show_camera_state(const CameraTable& table, CameraDialogView& view)
{
    const Camera& c = current_camera(table);
    view.set_selection(id::coc_method, static_cast<int>(c.coc_method));
    view.set_selection(id::type, static_cast<int>(c.type));
    view.set_selection(id::focal_length_entry, static_cast<int>(c.focal_length_entry));
    show_readout(view, id::coc, u"", c.coc, 5, false, u" mm");
    show_readout(view, id::diffraction_limit, u"f/", c.diffraction_limit, 2, true, u"");
    show_readout(view, id::crop_factor, u"", c.crop_factor, 2, true, u"");
    show_readout(view, id::megapixels, u"", c.megapixels, 2, true, u"");
    view.set_text(id::allowable_blur_unit, allowable_blur_unit(c));

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
    Edit edit{view, stored, index, name, name.size() <= camera_name_room(stored, index), 0};
    Camera& edited = edit.camera;
    edited.coc_method = selected(view, id::coc_method, method_items, stored.coc_method);
    edit.line_units = camera_line_units(edited, index);

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

    if (name.find(u'"') != std::u16string_view::npos)
        return edit.refuse(id::name, quote_in_name_message);
    if (!name.empty() && name.size() > camera_name_room(edited, index))
        return edit.refuse(id::name, long_name_message);
    set_camera_name(edited, name);

    derive_camera(edited);
    stored = edited;
    return true;
}

void camera_dialog_init(CameraTable& table, CameraDialogView& view, CameraTable& opened)
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
    copy_cameras(opened, table);
}

bool camera_dialog_command(CameraTable& table, const CameraTable& opened, CameraDialogView& view, int control_id,
                           int notification)
{
    switch (control_id) {
    case id::ok:
        camera_dialog_apply(table, view);
        return true;
    case id::cancel:
        camera_dialog_cancel(table, opened, view);
        return true;
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

bool camera_dialog_changed(const CameraTable& table, const CameraTable& opened, CameraDialogView& view)
{
    if (table.count != opened.count)
        return true;
    for (int32_t i = 0; i < table.count && i < max_cameras; ++i) {
        if (!same_inputs(table.cameras[static_cast<std::size_t>(i)], opened.cameras[static_cast<std::size_t>(i)]))
            return true;
    }
    bool typed = false;
    for_each_field(current_camera(table), [&](int control, std::u16string_view shown) {
        typed = typed || view.get_text(control).view() != shown;
    });
    return typed;
}

void camera_dialog_cancel(CameraTable& table, const CameraTable& opened, CameraDialogView& view)
{
    if (camera_dialog_changed(table, opened, view) && !view.ask(discard_question))
        return;
    copy_cameras(table, opened);
    view.set_main_title(window_title(table).view());
    view.end_dialog();
}

// After an apply: every control shows the stored camera, or, when a field was refused, the typed
// texts stay for the user to put right and only the boxes, readouts and enabled states follow
// the stored camera.
void show_applied(bool applied, const CameraTable& table, CameraDialogView& view)
{
    if (applied)
        fill_camera_dialog(table, view);
    else
        show_camera_state(table, view);
}

void camera_dialog_method_changed(CameraTable& table, CameraDialogView& view)
{
    show_applied(apply_camera_dialog(table, view), table, view);
}

void camera_dialog_type_changed(CameraTable& table, CameraDialogView& view)
{
    const bool applied = apply_camera_dialog(table, view);
    Camera& c = current_camera(table);
    c.type = selected(view, id::type, type_items, c.type);
    derive_camera(c);  // the readouts follow the type even when the other fields were refused
    show_applied(applied, table, view);
}

void camera_dialog_focal_length_changed(CameraTable& table, CameraDialogView& view)
{
    const bool applied = apply_camera_dialog(table, view);
    Camera& c = current_camera(table);
    c.focal_length_entry = selected(view, id::focal_length_entry, focal_length_items, c.focal_length_entry);
    show_applied(applied, table, view);
}

void camera_dialog_apply(CameraTable& table, CameraDialogView& view)
{
    show_applied(apply_camera_dialog(table, view), table, view);
}

void camera_dialog_new(CameraTable& table, CameraDialogView& view)
{
    if (table.count >= max_cameras)
        return;
    if (!apply_camera_dialog(table, view))
        return;
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
    view.select_field(id::name);  // the placeholder selected: typing names the camera
}

void camera_dialog_delete(CameraTable& table, CameraDialogView& view)
{
    if (table.count <= 1)
        return;
    const std::u16string_view name = camera_name(current_camera(table));
    if (is_camera_named(name) && !view.ask(format(u"Delete camera %s?", {name}).view()))
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
