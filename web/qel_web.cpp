// The page's side of Qel: one application state, the commands, mouse and keys of the portable shell,
// and the painter drawing into the page's canvas. The page calls the exported functions below and
// reads what changed from ui_json (toolbars, title, a menu to show, a dialog to open).
#include <emscripten/emscripten.h>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/keyboard.h"
#include "app/menus.h"
#include "app/mouse_input.h"
#include "app/text_height.h"
#include "app/toolbar_layout.h"
#include "app/toolbar_logic.h"
#include "app/toolbar_pictures.h"
#include "app/touch_gesture.h"
#include "calc/recompute.h"
#include "cameras/camera_dialog.h"
#include "cameras/settings.h"
#include "cameras/settings_file.h"
#include "display/paint.h"
#include "display/panel.h"
#include "text/caption_text.h"
#include "text/format.h"
#include "text/panel_text.h"
#include "text/title.h"
#include "text/utf8.h"
#include "web/web_canvas.h"

// The page measures text in its own font (Carlito, the metrics of Calibri).
EM_JS(int, page_line_height, (int text_height), { return Module.qelLineHeight(text_height); });
EM_JS(int, page_text_width, (int text_height, const char16_t* text, int length),
      { return Module.qelTextWidth(text_height, UTF16ToString(text, length * 2)); });

namespace {

class PageMeasure final : public TextMeasure {
public:
    int line_height(int text_height) override { return page_line_height(text_height); }
    int text_width(int text_height, std::u16string_view text) override
    {
        return page_text_width(text_height, text.data(), static_cast<int>(text.size()));
    }
};

/// Settings files kept in memory: the page stores the text itself.
class MemoryFiles final : public SettingsFiles {
public:
    std::map<std::u16string, std::string> files;

    bool read_all(const std::u16string& path, std::string& bytes) override
    {
        const auto it = files.find(path);
        if (it == files.end())
            return false;
        bytes = it->second;
        return true;
    }
    bool write_all(const std::u16string& path, std::string_view bytes) override
    {
        files[path] = std::string(bytes);
        return true;
    }
    bool remove(const std::u16string& path) override
    {
        files.erase(path);
        return true;
    }
    bool rename(const std::u16string& from, const std::u16string& to) override
    {
        const auto it = files.find(from);
        if (it == files.end())
            return false;
        files[to] = it->second;
        files.erase(from);
        return true;
    }
    bool exists(const std::u16string& path) override { return files.count(path) != 0; }
};

constexpr char16_t settings_path[] = u"Qel.txt";

/// The page's keys: a KeyboardEvent's code, or (starting with "=") its key, and the Key it is.
struct PageKey {
    const char* name;
    Key key;
};
constexpr PageKey page_keys[] = {
    {"Digit1", Key::Digit1}, {"Digit2", Key::Digit2}, {"Digit3", Key::Digit3}, {"Digit4", Key::Digit4},
    {"Digit5", Key::Digit5}, {"Numpad1", Key::Digit1}, {"Numpad2", Key::Digit2}, {"Numpad3", Key::Digit3},
    {"Numpad4", Key::Digit4}, {"Numpad5", Key::Digit5}, {"KeyC", Key::C}, {"KeyE", Key::E}, {"KeyF", Key::F},
    {"KeyG", Key::G}, {"KeyH", Key::H}, {"KeyR", Key::R}, {"KeyT", Key::T}, {"KeyU", Key::U}, {"F1", Key::F1},
    {"NumpadAdd", Key::Plus}, {"Equal", Key::Plus}, {"=+", Key::Plus}, {"NumpadSubtract", Key::Minus},
    {"Minus", Key::Minus}, {"=-", Key::Minus}, {"ArrowUp", Key::Up}, {"ArrowDown", Key::Down},
    {"PageUp", Key::PageUp}, {"PageDown", Key::PageDown}, {"Tab", Key::Tab}, {"Escape", Key::Escape},
    {"Home", Key::Home}, {"End", Key::End}, {"KeyP", Key::P}, {"F10", Key::F10},
};

/// A small JSON writer: every text is escaped to ASCII.
class Json {
public:
    std::string out;

    void raw(std::string_view s) { out += s; }
    void number(long long v) { out += std::to_string(v); }
    void text(std::u16string_view s)
    {
        out += '"';
        for (const char16_t c : s) {
            if (c == u'"' || c == u'\\') {
                out += '\\';
                out += static_cast<char>(c);
            } else if (c >= 0x20 && c < 0x7F) {
                out += static_cast<char>(c);
            } else {
                static constexpr char hex[] = "0123456789abcdef";
                out += "\\u";
                for (int shift = 12; shift >= 0; shift -= 4)
                    out += hex[(c >> shift) & 0xF];
            }
        }
        out += '"';
    }
    void ascii(std::string_view s)
    {
        out += '"';
        out += s;
        out += '"';
    }
};

/// The camera dialog's controls as the page's form holds them: the page writes what the user typed
/// before each action and shows what the dialog logic wrote after it.
class FormView final : public CameraDialogView {
public:
    std::map<int, std::u16string> texts;
    std::map<int, int> selections;
    std::map<int, std::vector<std::u16string>> items;
    std::map<int, bool> enabled;
    std::map<int, int> limits;
    std::vector<std::u16string> errors;
    int selected_field = 0;  // the field a refused apply selected; 0 when none
    std::u16string main_title;
    bool ended = false;
    /// The page asks its questions itself: a command is first run unanswered (-1), which records
    /// the question and takes it as No (nothing has changed by then); on Yes the page runs the
    /// same command again answered (1).
    int answer = -1;
    std::u16string question;

    Text256 get_text(int control_id) override
    {
        Text256 t;
        const std::u16string& s = texts[control_id];
        t.length = std::min<std::size_t>(s.size(), 254);
        std::copy_n(s.begin(), t.length, t.data.begin());
        return t;
    }
    void set_text(int control_id, std::u16string_view text) override { texts[control_id] = std::u16string(text); }
    void limit_text(int control_id, int units) override { limits[control_id] = units; }
    void add_item(int combo_id, std::u16string_view item) override { items[combo_id].emplace_back(item); }
    int get_selection(int combo_id) override
    {
        const auto it = selections.find(combo_id);
        return it == selections.end() ? -1 : it->second;
    }
    void set_selection(int combo_id, int index) override
    {
        const int count = static_cast<int>(items[combo_id].size());
        selections[combo_id] = index >= 0 && index < count ? index : -1;
    }
    void enable(int control_id, bool on) override { enabled[control_id] = on; }
    void show_error(std::u16string_view message) override { errors.emplace_back(message); }
    void select_field(int control_id) override { selected_field = control_id; }
    bool ask(std::u16string_view text) override
    {
        if (answer < 0)
            question = std::u16string(text);
        return answer == 1;
    }
    void set_main_title(std::u16string_view title) override { main_title = std::u16string(title); }
    void end_dialog() override { ended = true; }
};

enum class Pending { None, About, CameraDialog, QuickStart, ReferenceManual, FieldCard };

struct PageApp final : AppState, CommandHost, MouseHost {
    WebCanvas canvas;
    PageMeasure measure;
    int width = 0;
    int height = 0;
    std::array<std::array<int, max_toolbar_buttons>, 7> states{};
    std::array<std::array<ToolbarBitmap, max_toolbar_buttons>, 7> bitmaps{};
    std::u16string teleconverter_label;  // written on the teleconverter button in place of its picture
    std::unique_ptr<PopupMenu> menu;
    Pending pending = Pending::None;
    CursorKind cursor = CursorKind::Arrow;
    bool needs_paint = true;
    int ui_version = 1;
    FormView form;
    std::unique_ptr<CameraTable> opened = std::make_unique<CameraTable>();  // the table the dialog found
    TouchGesture touch;
    CaptionTexts readout_captions;
    PanelText readout_panel;
    std::string json;
    /// The last toolbar picture drawn for the page.
    std::vector<uint8_t> picture;
    std::string settings_bytes;
    std::string field_card;  // the last field card's page (UTF-8)

    CommandContext context() { return {state, cameras, *this}; }
    int& button(int toolbar, int b) { return states[slot(toolbar)][static_cast<std::size_t>(b)]; }
    static std::size_t slot(int toolbar) { return static_cast<std::size_t>(toolbar - toolbar_id::mode); }
    void changed_ui() { ++ui_version; }

    // CommandHost
    void show_menu(const PopupMenu& m) override
    {
        menu = std::make_unique<PopupMenu>(m);
        changed_ui();
    }
    int button_state(int toolbar, int b) override { return button(toolbar, b); }
    void set_button_bitmap(int toolbar, int b, ToolbarBitmap bitmap) override
    {
        bitmaps[slot(toolbar)][static_cast<std::size_t>(b)] = bitmap;
        changed_ui();
    }
    void set_button_label(int toolbar, int, std::u16string_view label) override
    {
        if (toolbar == toolbar_id::teleconverter)
            teleconverter_label = label;
        changed_ui();
    }
    void click_button(int toolbar, int b) override
    {
        const ToolbarDescription& d = toolbar_description(toolbar);
        if (b < 0 || b >= d.columns * d.rows)
            return;
        apply_click(d.kind, std::span<int>(states[slot(toolbar)].data(), static_cast<std::size_t>(d.columns * d.rows)), b);
        changed_ui();
        toolbar_command(context(), toolbar, b);
    }
    void layout_toolbars() override { changed_ui(); }
    void recompute(bool rescale) override
    {
        ::recompute(state, current_camera(cameras), rescale);
        needs_paint = true;
    }
    void repaint() override { needs_paint = true; }
    void update_title() override { changed_ui(); }
    bool run_camera_dialog() override
    {
        pending = Pending::CameraDialog;
        changed_ui();
        return false;  // the page's form stays open; closing it calls camera_dialog_closed
    }
    void run_about_box() override
    {
        pending = Pending::About;
        changed_ui();
    }
    void open_document(HelpDocument document) override
    {
        pending = document == HelpDocument::QuickStart ? Pending::QuickStart : Pending::ReferenceManual;
        changed_ui();
    }
    void open_field_card(std::u16string_view page) override
    {
        field_card = utf16_to_utf8(page);
        pending = Pending::FieldCard;
        changed_ui();
    }

    // MouseHost: the page captures the pointer itself for the whole of a press.
    void capture_mouse() override {}
    void release_mouse() override {}
    void set_cursor(CursorKind kind) override
    {
        if (kind != cursor) {
            cursor = kind;
            changed_ui();
        }
    }
    void invalidate() override { needs_paint = true; }

    void set_up_toolbars()
    {
        for (const ToolbarDescription& d : toolbar_descriptions()) {
            for (std::size_t b = 0; b < d.buttons.size(); ++b) {
                bitmaps[slot(d.control_id)][b] = d.buttons[b].bitmap;
                states[slot(d.control_id)][b] = 0;
            }
        }
        button(toolbar_id::mode, static_cast<int>(state.mode)) = 1;
        button(toolbar_id::snap, 0) = state.snap != 0 ? 1 : 0;
        button(toolbar_id::f_stop_increment, 0) = 1;
        button(toolbar_id::teleconverter, 0) = 1;
        bitmaps[slot(toolbar_id::f_stop_increment)][0] = f_stop_increment_bitmap(state);
        refresh_teleconverter_button(state, *this);
        refresh_units_button(state, *this);
    }

    void write_ui()
    {
        Json j;
        j.raw("{\"version\":");
        j.number(ui_version);
        j.raw(",\"title\":");
        j.text(window_title(cameras).view());
        j.raw(",\"cursor\":");
        j.ascii(cursor == CursorKind::Drag ? "ns-resize" : "default");
        j.raw(",\"pending\":");
        static constexpr const char* pending_names[] = {"", "about", "camera-dialog", "quick-start",
                                                        "reference-manual", "field-card"};
        j.ascii(pending_names[static_cast<int>(pending)]);
        j.raw(",\"button\":");
        j.number(geometry.toolbar_button);
        j.raw(",\"pitch\":");
        j.number(geometry.toolbar_pitch);
        j.raw(",\"border\":");
        j.number(geometry.toolbar_border);
        j.raw(",\"target\":");
        j.number(toolbar_target(geometry));
        j.raw(",\"toolbars\":[");
        const std::array<ToolbarPlace, 7> places = toolbar_places(geometry, state.mode);
        bool first = true;
        for (const ToolbarDescription& d : toolbar_descriptions()) {
            const ToolbarPlace& p = places[slot(d.control_id)];
            j.raw(first ? "{\"id\":" : ",{\"id\":");
            first = false;
            j.number(d.control_id);
            j.raw(",\"kind\":");
            static constexpr const char* kind_names[] = {"push", "radio", "toggle"};
            j.ascii(kind_names[static_cast<int>(d.kind)]);
            j.raw(",\"x\":");
            j.number(p.x);
            j.raw(",\"y\":");
            j.number(p.y);
            j.raw(",\"columns\":");
            j.number(d.columns);
            j.raw(",\"shown\":");
            j.raw(p.shown ? "true" : "false");
            j.raw(",\"buttons\":[");
            for (std::size_t b = 0; b < d.buttons.size(); ++b) {
                j.raw(b == 0 ? "{\"bitmap\":" : ",{\"bitmap\":");
                j.text(bitmap_resource_name(bitmaps[slot(d.control_id)][b]));
                j.raw(",\"picture\":");
                j.number(static_cast<int>(bitmaps[slot(d.control_id)][b]));
                j.raw(",\"pressed\":");
                j.raw(states[slot(d.control_id)][b] != 0 ? "true" : "false");
                j.raw(",\"help\":");
                j.text(d.buttons[b].help);
                if (d.control_id == toolbar_id::teleconverter && !teleconverter_label.empty()) {
                    j.raw(",\"label\":");
                    j.text(teleconverter_label);
                }
                j.raw("}");
            }
            j.raw("]}");
        }
        // Where two fingers are the scales' own (the right button's zoom): elsewhere they zoom the page.
        j.raw("],\"zones\":[");
        first = true;
        for (const Column c : {Column::Lens, Column::Aperture, Column::Distance, Column::Blur}) {
            if (!right_button_zooms(c, state.mode))
                continue;
            const Rect r = column(geometry, c).scale;
            j.raw(first ? "[" : ",[");
            first = false;
            j.number(r.left);
            j.raw(",");
            j.number(r.top);
            j.raw(",");
            j.number(r.right);
            j.raw(",");
            j.number(r.bottom);
            j.raw("]");
        }
        j.raw("],\"menu\":");
        if (!menu) {
            j.raw("null");
        } else {
            const Point at = menu_anchor(menu->anchor, geometry, state.mode);
            j.raw("{\"x\":");
            j.number(at.x);
            j.raw(",\"y\":");
            j.number(at.y);
            j.raw(",\"items\":[");
            for (std::size_t i = 0; i < menu->items.size(); ++i) {
                const MenuItem& item = menu->items[i];
                j.raw(i == 0 ? "{\"id\":" : ",{\"id\":");
                j.number(item.id);
                j.raw(",\"label\":");
                j.text(menu_label(item));
                j.raw(",\"checked\":");
                j.raw(item.checked ? "true" : "false");
                j.raw("}");
            }
            j.raw("]}");
        }
        j.raw("}");
        json = std::move(j.out);
    }

    void write_form()
    {
        Json j;
        // Each control's entry: "id": value, the map's entries in order.
        const auto map = [&j](const char* key, const auto& entries, const auto& value) {
            j.raw(key);
            j.raw("{");
            bool first = true;
            for (const auto& [id, v] : entries) {
                j.raw(first ? "\"" : ",\"");
                first = false;
                j.number(id);
                j.raw("\":");
                value(v);
            }
            j.raw("}");
        };
        const auto texts = [&j](const std::vector<std::u16string>& list) {
            j.raw("[");
            for (std::size_t i = 0; i < list.size(); ++i) {
                if (i > 0)
                    j.raw(",");
                j.text(list[i]);
            }
            j.raw("]");
        };
        const auto number = [&j](int v) { j.number(v); };
        map("{\"texts\":", form.texts, [&j](const std::u16string& t) { j.text(t); });
        map(",\"selections\":", form.selections, number);
        map(",\"items\":", form.items, texts);
        map(",\"enabled\":", form.enabled, [&j](bool on) { j.raw(on ? "true" : "false"); });
        map(",\"limits\":", form.limits, number);
        j.raw(",\"errors\":");
        texts(form.errors);
        j.raw(",\"selected\":");
        j.number(form.selected_field);
        j.raw(",\"name\":");
        j.number(camera_control::name);
        j.raw(",\"title\":");
        j.text(form.main_title);
        j.raw(",\"ended\":");
        j.raw(form.ended ? "true" : "false");
        j.raw(",\"question\":");
        j.text(form.question);
        j.raw("}");
        json = std::move(j.out);
    }
};

PageApp* app = nullptr;

std::u16string from_utf16(const char16_t* text, int length)
{
    return text != nullptr && length > 0 ? std::u16string(text, static_cast<std::size_t>(length)) : std::u16string();
}

}  // namespace

extern "C" {

/// Starts with the stored settings text (UTF-8, possibly empty) and the page's decimal point.
/// Returns 1 when the text was taken as settings, 0 when it was not (the defaults stand).
EMSCRIPTEN_KEEPALIVE int qel_start(const char* settings, int length, int decimal_point)
{
    if (app == nullptr)
        app = new PageApp();
    set_decimal_point(static_cast<char16_t>(decimal_point));
    MemoryFiles files;
    const std::string text = settings != nullptr && length > 0 ? std::string(settings, static_cast<std::size_t>(length)) : std::string();
    if (!text.empty())
        files.files[settings_path] = text;
    load_settings(settings_path, app->state, app->cameras, files);
    // A text without the settings header is not Qel's: the defaults stand.
    const bool taken = text.empty() || is_settings_text(utf8_to_utf16(text));

    derive_camera_values(app->cameras);
    ::recompute(app->state, current_camera(app->cameras), true);
    app->set_up_toolbars();
    app->menu.reset();
    app->pending = Pending::None;
    app->drag = DragContext{};
    app->keys = KeyFocus{};
    app->touch = TouchGesture{};
    app->changed_ui();
    app->needs_paint = true;
    return taken ? 1 : 0;
}

/// The settings text qel.exe would write now (UTF-8).
EMSCRIPTEN_KEEPALIVE const char* qel_settings()
{
    MemoryFiles files;
    save_settings(settings_path, app->state, app->cameras, files);
    app->settings_bytes = files.files[settings_path];
    return app->settings_bytes.c_str();
}

/// A new client size in CSS pixels, and whether the screen is a touch screen: the largest text
/// height that fits, in the layout that gives it (side by side, or in portrait on a narrow tall
/// client); toolbar buttons a finger's size on a touch screen.
EMSCRIPTEN_KEEPALIVE void qel_resize(int width, int height, int touch)
{
    LayoutLimits limits;
    limits.client_width = width;
    limits.client_height = height;
    limits.touch = touch != 0;
    limits.page = true;
    const ClientSize laid_out = choose_scrolled_layout(app->geometry, app->measure, limits);
    app->width = laid_out.width;
    app->height = laid_out.height;
    app->text_height = app->geometry.text_height;
    app->changed_ui();
    app->needs_paint = true;
}

/// The client size the layout was made for (0 width, 1 height): the page's, or larger where even
/// the smallest text does not fit it (the page then scrolls).
EMSCRIPTEN_KEEPALIVE int qel_client(int which) { return which == 0 ? app->width : app->height; }

EMSCRIPTEN_KEEPALIVE int qel_text_height() { return app->text_height; }

/// Paints a frame into the call list; returns the number of numbers in it.
EMSCRIPTEN_KEEPALIVE int qel_paint()
{
    app->canvas.clear();
    paint(app->canvas, app->measure, app->state, current_camera(app->cameras), app->geometry, app->scratch,
          focus_cue(app->keys, app->state.mode, app->geometry.details.last_first > 0));
    app->needs_paint = false;
    return static_cast<int>(app->canvas.ops().size());
}

/// The rows of the distance column's near (0), focus (1) and far (2) lines as last painted.
EMSCRIPTEN_KEEPALIVE int qel_row(int which)
{
    return which == 0 ? app->geometry.near_row : which == 1 ? app->geometry.focus_row : app->geometry.far_row;
}

/// An edge of a column's scale rectangle: 0 left, 1 top, 2 right, 3 bottom.
EMSCRIPTEN_KEEPALIVE int qel_scale(int column_index, int edge)
{
    const Rect r = column(app->geometry, static_cast<Column>(std::clamp(column_index, 0, column_count - 1))).scale;
    return edge == 0 ? r.left : edge == 1 ? r.top : edge == 2 ? r.right : r.bottom;
}

EMSCRIPTEN_KEEPALIVE const int32_t* qel_ops() { return app->canvas.ops().data(); }
EMSCRIPTEN_KEEPALIVE int qel_op_count() { return static_cast<int>(app->canvas.ops().size()); }
/// How many numbers the call starting with `code` takes, its code included (0: no call has this code).
EMSCRIPTEN_KEEPALIVE int qel_op_length(int code) { return web_op::length(code); }
EMSCRIPTEN_KEEPALIVE const char16_t* qel_texts() { return app->canvas.texts().data(); }
EMSCRIPTEN_KEEPALIVE const uint8_t* qel_image(int index) { return app->canvas.image_pixels(index); }
EMSCRIPTEN_KEEPALIVE int qel_needs_paint() { return app->needs_paint ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE int qel_ui_version() { return app->ui_version; }

/// A toolbar picture (its number in the JSON) `size` pixels square, white on black, drawn from its
/// vector description: size x size opaque RGBA pixels, rows top first, until the next call.
EMSCRIPTEN_KEEPALIVE const uint8_t* qel_picture(int picture, int size)
{
    if (picture < 0 || picture >= toolbar_bitmap_count || size <= 0 || size > 1024)
        return nullptr;
    const auto pixels = static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
    app->picture.resize(pixels * 4);
    draw_toolbar_picture(static_cast<ToolbarBitmap>(picture), size, app->picture.data() + pixels * 3);
    for (std::size_t i = 0; i < pixels; ++i) {
        const uint8_t v = app->picture[pixels * 3 + i];
        uint8_t* rgba = &app->picture[i * 4];
        rgba[0] = rgba[1] = rgba[2] = v;
        rgba[3] = 255;
    }
    return app->picture.data();
}

/// The toolbars, title, cursor, menu and pending request as JSON.
EMSCRIPTEN_KEEPALIVE const char* qel_ui()
{
    app->write_ui();
    return app->json.c_str();
}

/// kind 0 press, 1 move, 2 release, 3 the page lost the pointer; button 0 left, 2 right.
EMSCRIPTEN_KEEPALIVE void qel_mouse(int kind, int button, int x, int y)
{
    const MouseButton b = button == 2 ? MouseButton::Right : MouseButton::Left;
    const Camera& camera = current_camera(app->cameras);
    switch (kind) {
    case 0:
        note_press(app->keys, b == MouseButton::Left ? scale_value_at(x, y, app->state, app->geometry) : ScaleValue::None);
        mouse_down(b, x, y, app->state, camera, app->geometry, app->drag, *app);
        app->needs_paint = true;
        break;
    case 1: mouse_move(x, y, app->state, camera, app->geometry, app->drag, *app); break;
    case 2: mouse_up(b, x, y, app->state, camera, app->geometry, app->drag, *app); break;
    default: mouse_capture_lost(app->state, camera, app->drag, *app); break;
    }
}

/// A finger on the scales: kind 0 down, 1 move, 2 up, 3 the browser took the fingers; `id` tells
/// the fingers apart. They act as the mouse (one finger the left button, two a right-button zoom).
EMSCRIPTEN_KEEPALIVE void qel_touch(int kind, int id, int x, int y)
{
    const Point at{x, y};
    const MouseEvents events = kind == 0   ? touch_down(app->touch, id, at)
                               : kind == 1 ? touch_move(app->touch, id, at)
                               : kind == 2 ? touch_up(app->touch, id, at)
                                           : touch_cancel(app->touch);
    for (int i = 0; i < events.count; ++i) {
        const MouseEvent& e = events.events[static_cast<std::size_t>(i)];
        qel_mouse(static_cast<int>(e.kind), e.right ? 2 : 0, e.at.x, e.at.y);
    }
}

/// Fingers are down on the scales.
EMSCRIPTEN_KEEPALIVE int qel_touching() { return app->touch.down > 0 ? 1 : 0; }

/// A key with its modifiers, and the pointer (inside 0 when it is off the canvas). Returns 1 when
/// the key was Qel's.
EMSCRIPTEN_KEEPALIVE int qel_key(int key, int ctrl, int shift, int alt, int x, int y, int inside)
{
    const ScaleValue under = inside != 0 ? scale_value_at(x, y, app->state, app->geometry) : ScaleValue::None;
    const KeyPress press{static_cast<Key>(key), ctrl != 0, shift != 0, alt != 0};
    return key_down({app->context(), app->keys, under, app->drag.drag_state != DragState::Idle, &app->geometry.details},
                    press)
               ? 1
               : 0;
}

/// The wheel turned by `rows` rows (positive: down the lines) over client (x, y). Returns 1 when
/// it scrolled the details panel's lines (the page then keeps the wheel to itself).
EMSCRIPTEN_KEEPALIVE int qel_wheel(int x, int y, int rows)
{
    return mouse_wheel(x, y, rows, app->geometry, *app) ? 1 : 0;
}

/// What the window shows, as text for a screen reader: {"title", "columns": one text per scale
/// column ("near 3.6 ft, distance 4 ft, far 4.5 ft"), "details": the details panel's lines}.
EMSCRIPTEN_KEEPALIVE const char* qel_readout()
{
    Json j;
    j.raw("{\"title\":");
    j.text(window_title(app->cameras).view());
    caption_texts(app->state, app->readout_captions);
    j.raw(",\"columns\":[");
    for (int c = 0; c < column_count - 1; ++c) {
        std::u16string column;
        for (int p = 0; p < caption_place_count; ++p) {
            const std::u16string_view name = app->readout_captions.name[c][p].view();
            const std::u16string_view value = app->readout_captions.value[c][p].view();
            if (name.empty() && value.empty())
                continue;
            column += column.empty() ? u"" : u", ";
            column += name;
            column += !name.empty() && !value.empty() ? u" " : u"";
            column += value;
        }
        j.raw(c == 0 ? "" : ",");
        j.text(column);
    }
    panel_text(app->state, current_camera(app->cameras), app->readout_panel);
    j.raw("],\"details\":[");
    bool first = true;
    for (int i = 0; i < app->readout_panel.count; ++i) {
        const PanelLine& line = app->readout_panel.lines[static_cast<std::size_t>(i)];
        if (line.slot != PanelSlot::Line || line.text.view().empty())
            continue;
        j.raw(first ? "" : ",");
        first = false;
        j.text(line.text.view());
    }
    j.raw("]}");
    app->json = std::move(j.out);
    return app->json.c_str();
}

/// Whether Tab (Shift+Tab when `backwards`) goes on from the scales to the page's next control:
/// the keyboard focus is on the mode's last (first) value.
EMSCRIPTEN_KEEPALIVE int qel_tab_leaves(int backwards)
{
    return tab_leaves_values(app->keys, app->state.mode, backwards != 0, app->geometry.details.last_first > 0) ? 1 : 0;
}

/// Tab (Shift+Tab when `backwards`) brought the keyboard to the scales from the page's other
/// controls: the cue shows on the first value (the last going backwards).
EMSCRIPTEN_KEEPALIVE void qel_focus_enter(int backwards)
{
    enter_values(app->keys, app->state.mode, backwards != 0, app->geometry.details.last_first > 0);
    app->needs_paint = true;
}

/// The value the focus cue is around (a ScaleValue; 0 when the cue is hidden).
EMSCRIPTEN_KEEPALIVE int qel_focus_value()
{
    return static_cast<int>(focus_cue(app->keys, app->state.mode, app->geometry.details.last_first > 0));
}


/// Where the page's canvas is cut into tiles that repaint on their own: {"xs": the panels' and the
/// blur strip's left and right edges, "ys": the top of the columns, under their captions, and the
/// panels' top and bottom edges}.
EMSCRIPTEN_KEEPALIVE const char* qel_tile_edges()
{
    Json j;
    j.raw("{\"xs\":[");
    for (int c = 0; c < column_count; ++c) {
        const Rect p = panel_rect(app->geometry, static_cast<Column>(c));
        j.number(p.left);
        j.raw(",");
        j.number(p.right);
        j.raw(",");
    }
    j.number(app->geometry.strip_left);
    j.raw(",");
    j.number(app->geometry.strip_left + app->geometry.strip_width);
    j.raw("],\"ys\":[");
    j.number(app->geometry.column_top);
    for (int c = 0; c < column_count; ++c) {
        const ColumnGeometry& g = app->geometry.columns[static_cast<std::size_t>(c)];
        for (const int y : {g.panel.top, g.panel.bottom, g.column.top}) {
            j.raw(",");
            j.number(y);
        }
    }
    j.raw("]}");
    app->json = std::move(j.out);
    return app->json.c_str();
}

/// The page's keys as JSON: {"ArrowUp": number, ...}, the numbers qel_key takes.
EMSCRIPTEN_KEEPALIVE const char* qel_keys()
{
    Json j;
    j.raw("{");
    for (const PageKey& k : page_keys) {
        j.raw(&k == page_keys ? "" : ",");
        j.ascii(k.name);
        j.raw(":");
        j.number(static_cast<int>(k.key));
    }
    j.raw("}");
    app->json = std::move(j.out);
    return app->json.c_str();
}

EMSCRIPTEN_KEEPALIVE void qel_toolbar_click(int toolbar, int button) { app->click_button(toolbar, button); }

/// A menu item was chosen (0: the menu closed without a choice).
EMSCRIPTEN_KEEPALIVE void qel_menu(int id)
{
    app->menu.reset();
    app->changed_ui();
    if (id != 0)
        menu_command(app->context(), id);
}

/// Left (-1) or Right (1) in the open menu: it closes and the neighbouring menu opens, as on a menu bar.
EMSCRIPTEN_KEEPALIVE void qel_menu_walk(int step)
{
    if (!app->menu)
        return;
    const MenuAnchor next = neighbour_menu(app->menu->anchor, app->state.mode, step);
    app->show_menu(menu_at(next, app->state, app->cameras));
}

/// The page of the last field card (UTF-8 HTML), for the page to show.
EMSCRIPTEN_KEEPALIVE const char* qel_field_card() { return app->field_card.c_str(); }

/// The page has shown the pending request (About, a manual, the dialog).
EMSCRIPTEN_KEEPALIVE void qel_pending_done()
{
    if (app->pending != Pending::CameraDialog)
        app->pending = Pending::None;
    app->changed_ui();
}

// The camera dialog's form.

EMSCRIPTEN_KEEPALIVE void qel_form_set_text(int control, const char16_t* text, int length)
{
    app->form.texts[control] = from_utf16(text, length);
}

EMSCRIPTEN_KEEPALIVE void qel_form_set_selection(int control, int index) { app->form.selections[control] = index; }

/// 0 opens the form, 1 a command (control, notification), 2 the close box; `answer` is the user's
/// answer to the question the same command asked before (1 Yes), or -1 on its first run. Returns
/// the form as JSON, with the question it asks (empty: none).
EMSCRIPTEN_KEEPALIVE const char* qel_form(int action, int control, int notification, int answer)
{
    FormView& form = app->form;
    form.errors.clear();
    form.selected_field = 0;
    form.question.clear();
    form.answer = answer;
    switch (action) {
    case 0:
        form = FormView{};
        camera_dialog_init(app->cameras, form, *app->opened);
        break;
    case 1: camera_dialog_command(app->cameras, *app->opened, form, control, notification); break;
    default: camera_dialog_close(app->cameras, form); break;
    }
    if (!form.main_title.empty())
        app->changed_ui();
    if (form.ended) {
        app->pending = Pending::None;
        camera_dialog_closed(app->context());
        app->changed_ui();
    }
    app->write_form();
    return app->json.c_str();
}

}  // extern "C"
