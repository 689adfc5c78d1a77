// The camera properties dialog's behaviour, apart from the window that shows it: filling the
// controls from the current camera, checking and storing the edits, adding, deleting and stepping
// through cameras, and Cancel, which puts the table back as the dialog found it. The window is
// reached through CameraDialogView.
#pragma once

#include <cstddef>
#include <string_view>

#include "cameras/camera.h"
#include "text/format.h"

/// Resource id of the dialog template.
inline constexpr int camera_dialog_id = 4000;

/// Control ids of the dialog (template 4000).
namespace camera_control {
inline constexpr int name = 4001;                // edit
inline constexpr int type = 4002;                // combo box: "Digital", "Film"
inline constexpr int frame_width_mm = 4003;      // edit
inline constexpr int frame_width_px = 4004;      // edit
inline constexpr int frame_height_mm = 4005;     // edit
inline constexpr int frame_height_px = 4006;     // edit
inline constexpr int film_resolution = 4007;     // edit
inline constexpr int film_resolution_label = 4008;
inline constexpr int custom_coc = 4009;          // edit
inline constexpr int custom_coc_label = 4010;
inline constexpr int coc_method = 4011;          // combo box: "Sharp Image", "Sharp Print", "Custom CoC"
inline constexpr int coc = 4012;                 // read-only text
inline constexpr int diffraction_limit = 4013;   // read-only text
inline constexpr int visual_resolution = 4014;   // edit
inline constexpr int allowable_blur = 4015;      // edit
inline constexpr int print_size = 4016;          // edit
inline constexpr int viewing_distance = 4017;    // edit
inline constexpr int wavelength = 4018;          // edit
inline constexpr int crop_factor = 4019;         // read-only text
inline constexpr int megapixels = 4020;          // read-only text
inline constexpr int prev = 4021;                // button "Prev"
inline constexpr int next = 4022;                // button "Next"
inline constexpr int new_camera = 4023;          // button "New"
inline constexpr int delete_camera = 4024;       // button "Delete"
inline constexpr int apply = 4025;               // button "Apply"
inline constexpr int focal_length_entry = 4026;  // combo box: "Enter actual", "Enter 35mm equivalent"
inline constexpr int allowable_blur_unit = 4027;  // read-only text: what the allowable blur counts
inline constexpr int ok = 1;                     // IDOK: Enter, which applies the fields
inline constexpr int cancel = 2;                 // IDCANCEL: button "Cancel", and Escape
}  // namespace camera_control

/// The notification a combo box sends when the user picks another item (CBN_SELCHANGE).
inline constexpr int combo_selection_changed = 1;

/// The name a new camera carries until the user names it; such a camera cannot be left.
inline constexpr std::u16string_view unnamed_camera_name = u"Enter name here";

/// False for the placeholder name and for a name that is empty or white space only: the dialog
/// does not let the user leave a camera so named (Prev, Next, New and closing are refused).
bool is_camera_named(std::u16string_view name);

/// The longest name the name edit lets the user type (EM_LIMITTEXT): with it, a camera line of the
/// settings file fits its 255 units whatever the index (up to 999), the pixel counts (any 32-bit
/// value) and the bounded fields, as long as the other lengths, resolutions and the custom CoC stay
/// below a million. apply_camera_dialog checks the exact line of the camera's own values.
inline constexpr int camera_name_edit_limit = 122;

/// The window side of the dialog. Control ids are those of camera_control; combo box items are
/// numbered from 0 and a combo box without a selection reports -1.
class CameraDialogView {
public:
    virtual ~CameraDialogView() = default;
    /// The control's text, at most 254 units.
    virtual Text256 get_text(int control_id) = 0;
    virtual void set_text(int control_id, std::u16string_view text) = 0;
    /// Limits what the user can type into an edit.
    virtual void limit_text(int control_id, int units) = 0;
    virtual void add_item(int combo_id, std::u16string_view item) = 0;
    virtual int get_selection(int combo_id) = 0;
    /// An index that names no item leaves the combo box without a selection.
    virtual void set_selection(int combo_id, int index) = 0;
    virtual void enable(int control_id, bool enabled) = 0;
    /// The error box: caption "Error", an OK button; returns when the user has closed it.
    virtual void show_error(std::u16string_view message) = 0;
    /// Puts the keyboard focus in the field and selects its text, for the user to correct it.
    virtual void select_field(int control_id) = 0;
    /// Asks a question with Yes and No buttons; returns true for Yes once the user has answered.
    virtual bool ask(std::u16string_view question) = 0;
    virtual void set_main_title(std::u16string_view title) = 0;
    /// Closes the dialog (it returns 0).
    virtual void end_dialog() = 0;
};

/// Shows the current camera in every control, sets the enabled states and the main window's title.
/// A number shows its usual decimals, or more where its value needs them (a print size of 0.005).
void fill_camera_dialog(const CameraTable& table, CameraDialogView& view);
/// fill_camera_dialog without the name and number fields: the boxes, readouts, enabled states and
/// title, for when the fields keep what the user typed.
void show_camera_state(const CameraTable& table, CameraDialogView& view);

/// Reads and checks every field in order; at the first one not accepted shows its message, selects
/// that field and returns false with nothing stored (every field keeps its text). Otherwise stores
/// method, values (as the settings file keeps them), name, type and focal-length entry into the
/// current camera, derives it and returns true. The accepted values are those of camera_rules.h.
bool apply_camera_dialog(CameraTable& table, CameraDialogView& view);

/// WM_INITDIALOG: adds the combo box items (index = enumeration value), limits the name edit,
/// then fill, apply (a stored camera that fails a check is reported at once) and fill again.
/// A table without cameras first receives the default camera, and a current index outside the
/// table becomes 0. `opened` receives the table as the dialog then shows it, for Cancel (a table is
/// large: keep it on the heap).
void camera_dialog_init(CameraTable& table, CameraDialogView& view, CameraTable& opened);

/// WM_COMMAND: dispatches on the control id and the notification code; false when the command is
/// not the dialog's. Enter (IDOK) applies; Cancel and Escape (IDCANCEL) run camera_dialog_cancel.
bool camera_dialog_command(CameraTable& table, const CameraTable& opened, CameraDialogView& view, int control_id,
                           int notification);

/// WM_CLOSE: closes the dialog only when the shown camera's fields are valid and it is named.
void camera_dialog_close(CameraTable& table, CameraDialogView& view);

/// Whether closing now would keep anything the dialog has not been opened with: a camera added,
/// deleted or changed, or a field typed and not yet applied. Moving to another camera is no change.
bool camera_dialog_changed(const CameraTable& table, const CameraTable& opened, CameraDialogView& view);
/// Cancel and Escape: when anything changed, asks whether to discard it and stays open on No;
/// otherwise puts the table back as `opened` holds it (the camera shown at the opening current
/// again) and closes.
void camera_dialog_cancel(CameraTable& table, const CameraTable& opened, CameraDialogView& view);

// The single commands camera_dialog_command dispatches to.

/// A new method picked in the Method box: apply, then fill (a failed apply puts only the box back;
/// the fields keep what was typed).
void camera_dialog_method_changed(CameraTable& table, CameraDialogView& view);
/// Any notification of the Type box: apply; the box's type is stored even when the apply failed;
/// fill (after a failed apply, show_camera_state).
void camera_dialog_type_changed(CameraTable& table, CameraDialogView& view);
/// Any notification of the Focal Length box: as for Type, with the focal-length entry.
void camera_dialog_focal_length_changed(CameraTable& table, CameraDialogView& view);
/// Apply: apply, then fill (after a failed apply, show_camera_state).
void camera_dialog_apply(CameraTable& table, CameraDialogView& view);
/// New: below 1000 cameras, and once the shown camera is valid and named, appends a copy of it named
/// "Enter name here" and shows it, with that name selected in the Name field for typing over.
void camera_dialog_new(CameraTable& table, CameraDialogView& view);
/// Delete: with more than one camera, and once the user has said Yes to "Delete camera <name>?",
/// removes the shown one; the following camera (or the previous, for the last) is shown. A camera
/// never named (a copy New made) goes without the question.
void camera_dialog_delete(CameraTable& table, CameraDialogView& view);
/// Prev and Next: once the shown camera is valid and named, show the previous / next camera.
void camera_dialog_prev(CameraTable& table, CameraDialogView& view);
void camera_dialog_next(CameraTable& table, CameraDialogView& view);
