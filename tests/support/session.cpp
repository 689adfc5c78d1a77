#include "support/session.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <map>
#include <cmath>
#include <memory>
#include <optional>
#include <string_view>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/keyboard.h"
#include "app/menus.h"
#include "app/mouse_input.h"
#include "app/text_height.h"
#include "app/toolbar_logic.h"
#include "calc/recompute.h"
#include "cameras/camera_dialog.h"
#include "cameras/settings.h"
#include "display/paint.h"
#include "display/markers.h"
#include "support/discarding_canvas.h"
#include "support/fake_dialog_view.h"
#include "support/fixed_measure.h"
#include "support/state_invariants.h"
#include "text/format.h"
#include "text/utf8.h"

int ByteChoices::pick(int low, int high)
{
    if (high <= low)
        return low;
    const unsigned span = static_cast<unsigned>(high - low) + 1;
    unsigned v = byte();
    if (span > 256)
        v = v << 8 | byte();
    return low + static_cast<int>(v % span);
}

double ByteChoices::number()
{
    static constexpr double usual[] = {
        0, -0.0, -1, 1, 2, 0.5, 0.001, 0.004, 0.005, 0.01, 1e-6, 1e-9, 1.5, 8, 10, 12.345, 23.456, 24, 36,
        50, 100, 550, 914.4, 1000, 1219.2, 5000, 5400, 1e6, 999999999, 1e9, 2e9, 1e300, 0.99, 99.99, 100.01, 4.99,
    };
    switch (pick(0, 3)) {
    case 0: return usual[static_cast<std::size_t>(pick(0, static_cast<int>(std::size(usual)) - 1))];
    case 1: return pick(-100, 1000) / 10.0;
    case 2: return std::ldexp(1 + byte() / 256.0, pick(-40, 40)) * (byte() % 8 == 0 ? -1 : 1);
    default: return pick(0, 60000) * 0.001;
    }
}

namespace {

namespace id = camera_control;

constexpr int toolbar_count = 7;

// The window's side of every command: the toolbar states, the menu on display, and a camera
// dialog whose edits the session draws from its bytes.
class SessionHost final : public CommandHost, public MouseHost {
public:
    SessionHost(AppState& app, CameraTable& opened, ByteChoices& in, std::string& broken) : opened_(&opened), app_(app), in_(in), broken_(broken) {}

    CommandContext context() { return {app_.state, app_.cameras, *this}; }

    /// The button states of a new window over the state.
    void set_buttons()
    {
        for (auto& states : states_)
            states.fill(0);
        at(toolbar_id::mode)[static_cast<std::size_t>(app_.state.mode)] = 1;
        at(toolbar_id::snap)[0] = app_.state.snap;
    }

    std::optional<PopupMenu> menu;
    int dialogs = 0;  // camera dialogs run so far

    void show_menu(const PopupMenu& m) override { menu = m; }
    int button_state(int toolbar, int button) override { return at(toolbar)[static_cast<std::size_t>(button)]; }
    void set_button_bitmap(int, int, ToolbarBitmap) override {}
    void set_button_label(int, int, std::u16string_view) override {}
    void click_button(int toolbar, int button) override
    {
        const ToolbarDescription& d = toolbar_description(toolbar);
        if (button < 0 || button >= d.columns * d.rows)
            return;
        apply_click(d.kind, std::span<int>(at(toolbar).data(), static_cast<std::size_t>(d.columns * d.rows)), button);
        toolbar_command(context(), toolbar, button);
    }
    void layout_toolbars() override {}
    void recompute(bool rescale) override { ::recompute(app_.state, current_camera(app_.cameras), rescale); }
    void repaint() override {}
    void update_title() override {}
    bool run_camera_dialog() override;
    void run_about_box() override {}
    void open_document(HelpDocument) override {}
    void open_field_card(std::u16string_view) override {}

    void capture_mouse() override {}
    void release_mouse() override {}
    void set_cursor(CursorKind) override {}
    void invalidate() override {}

private:
    std::array<int, max_toolbar_buttons>& at(int toolbar)
    {
        const int slot = std::clamp(toolbar - toolbar_id::mode, 0, toolbar_count - 1);
        return states_[static_cast<std::size_t>(slot)];
    }
    void dialog_step(FakeDialogView& view);
    bool check_dialog(FakeDialogView& view);

    std::map<int, int> typed_;  // fields typed into, with the dialog's writes to them before
    CameraTable* opened_ = nullptr;  // the table the dialog found (the session's records keep it)

    AppState& app_;
    ByteChoices& in_;
    std::string& broken_;
    std::array<std::array<int, max_toolbar_buttons>, toolbar_count> states_{};
};

constexpr int editable_fields[] = {
    id::name, id::frame_width_mm, id::frame_width_px, id::frame_height_mm, id::frame_height_px,
    id::film_resolution, id::custom_coc, id::visual_resolution, id::allowable_blur, id::print_size,
    id::viewing_distance, id::wavelength,
};

// A number as typed or written: any value with 0 to `most` decimals.
std::u16string number_text(ByteChoices& in, int most)
{
    const int decimals = in.pick(0, most);
    Text256 text;
    text.length = number_to_text(text.buffer(), decimals, in.number());
    return std::u16string(text.view());
}

std::u16string typed_number(ByteChoices& in)
{
    if (in.pick(0, 7) == 0)
        return in.pick(0, 1) ? u"abc" : u"";
    return number_text(in, 6);
}

std::u16string typed_name(ByteChoices& in)
{
    static constexpr std::u16string_view names[] = {u"Mine", u"Enter name here", u"  ", u"Say \"cheese\"",
                                                    u"Nikon \u201CF\u201D", u"A&B"};
    const int choice = in.pick(0, static_cast<int>(std::size(names)));
    if (choice < static_cast<int>(std::size(names)))
        return std::u16string(names[static_cast<std::size_t>(choice)]);
    return std::u16string(static_cast<std::size_t>(in.pick(100, 260)), u'W');  // near the line's room
}

bool SessionHost::check_dialog(FakeDialogView& view)
{
    // A field the dialog has written since it was typed into shows the stored value again.
    for (auto it = typed_.begin(); it != typed_.end();) {
        const auto writes = view.writes.find(it->first);
        it = writes != view.writes.end() && writes->second > it->second ? typed_.erase(it) : std::next(it);
    }
    const bool filled = typed_.empty();
    for (const auto& [control, text] : view.texts) {
        // The name, and what the user typed, show what was typed; everything the dialog wrote is clean.
        if (control == id::name || typed_.count(control) != 0)
            continue;
        if (std::string e = invariants::text_rule(text); !e.empty()) {
            broken_ = "camera dialog: " + e;
            return false;
        }
    }
    if (!filled)
        return true;
    // What a fill shows is what is stored: an Apply with nothing typed is accepted and changes nothing.
    const Camera before = current_camera(app_.cameras);
    const std::size_t errors = view.errors.size();
    const bool applied = apply_camera_dialog(app_.cameras, view);
    if (!applied || view.errors.size() != errors ||
        !invariants::same_camera_inputs(before, current_camera(app_.cameras))) {
        broken_ = "an Apply with nothing typed changed the camera or was refused";
        return false;
    }
    if (std::string e = invariants::camera_rule(current_camera(app_.cameras)); !e.empty()) {
        broken_ = "camera dialog: " + e;
        return false;
    }
    return true;
}

void SessionHost::dialog_step(FakeDialogView& view)
{
    switch (in_.pick(0, 5)) {
    case 0:
    case 1: {
        const int field =
            editable_fields[static_cast<std::size_t>(in_.pick(0, static_cast<int>(std::size(editable_fields)) - 1))];
        view.texts[field] = field == id::name ? typed_name(in_) : typed_number(in_);
        typed_[field] = view.writes[field];
        break;
    }
    case 2: {
        static constexpr int combos[] = {id::coc_method, id::type, id::focal_length_entry};
        const int combo = combos[in_.pick(0, 2)];
        // A pick sends a selection change; the focus entering the box (3) changes nothing in it.
        const bool picked = in_.pick(0, 1) == 1;
        if (picked)
            view.selections[combo] = in_.pick(-1, combo == id::coc_method ? 2 : 1);
        camera_dialog_command(app_.cameras, *opened_, view, combo, picked ? combo_selection_changed : 3);
        break;
    }
    case 3: {
        static constexpr int buttons[] = {id::apply, id::new_camera, id::delete_camera, id::prev, id::next, id::cancel};
        view.answer = in_.pick(0, 3) != 0;  // Yes to "Delete camera ...?" and to discarding, mostly
        camera_dialog_command(app_.cameras, *opened_, view, buttons[in_.pick(0, 5)], 0);
        break;
    }
    case 4: camera_dialog_close(app_.cameras, view); break;
    default: camera_dialog_apply(app_.cameras, view); break;
    }
    if (view.ended == 0)
        check_dialog(view);
}

bool SessionHost::run_camera_dialog()
{
    ++dialogs;
    auto view = std::make_unique<FakeDialogView>();
    typed_.clear();
    camera_dialog_init(app_.cameras, *view, *opened_);
    if (!check_dialog(*view))
        return true;
    for (int steps = in_.pick(0, 12); steps > 0 && view->ended == 0 && broken_.empty(); --steps)
        dialog_step(*view);
    if (view->ended == 0) {
        // The user gives up the edits still refused, names the camera and closes.
        fill_camera_dialog(app_.cameras, *view);
        if (!is_camera_named(view->texts[id::name]))
            view->texts[id::name] = u"Named at last";
        camera_dialog_close(app_.cameras, *view);
        if (view->ended == 0 && broken_.empty())
            broken_ = "the camera dialog cannot be closed with the stored camera's values";
    }
    return true;
}

// A settings file as a hand-editing user leaves it: a few lines of any key with any number (or
// none), an exact-value token kept after a changed number, and a camera line.
std::u16string hand_edited_settings(ByteChoices& in)
{
    static constexpr std::u16string_view keys[] = {
        u"focal_length", u"teleconverter", u"f_stop", u"blur_threshold", u"units", u"macro_units", u"snap",
        u"maxblur", u"fl_zoom", u"fov_zoom", u"blur_zoom", u"near", u"focus_at", u"far", u"near_limit",
        u"far_limit", u"blur_distance", u"fov", u"ni", u"mode", u"f_stop_increment",
    };
    std::u16string text = u"Qel 1.0\n";
    for (int lines = in.pick(0, 8); lines > 0; --lines) {
        text += keys[static_cast<std::size_t>(in.pick(0, static_cast<int>(std::size(keys)) - 1))];
        switch (in.pick(0, 5)) {
        case 0: text += u" x4094AD9CD0B1E571"; break;  // the number deleted, its exact value left
        case 1: text += u" ?"; break;
        default: text += u" " + number_text(in, 3);
        }
        text += u"\n";
    }
    if (in.pick(0, 1)) {
        text += u"ncameras 1 0\ncamera 0 \"Hand\"";
        for (int field = 0; field < 14; ++field)
            text += u" " + number_text(in, 3);
        text += u"\n";
    }
    text += u"end\n";
    return text;
}

// Paints nothing, but reads every text the painter draws.
class TextCheckingCanvas final : public Canvas {
public:
    std::string broken;
    void fill_rect(Rect, Colour, Colour) override {}
    void line(int, int, int, int, Colour) override {}
    void triangle(Point, Point, Point, Colour, Colour) override {}
    void text(int, int, std::u16string_view text, FontKind, Colour) override { check(text); }
    void text_in_rect(Rect, std::u16string_view text, TextAlign, Colour, int) override { check(text); }
    void set_clip(Rect) override {}
    void clear_clip() override {}
    void image(int, int, int, int, const uint8_t*, int) override {}

private:
    void check(std::u16string_view text)
    {
        if (broken.empty())
            broken = invariants::text_rule(text);
    }
};

// The large records a session works on, made once: a camera table is 600 KB, and making it new
// for every session cost more than the session.
struct Records {
    AppState app;
    AppState restarted;
    CameraTable opened;
    PanelText panel;
    CaptionTexts captions;
};

Records& records()
{
    static const auto kept = std::make_unique<Records>();
    return *kept;
}

struct Session {
    Records& kept = records();
    AppState* app = &kept.app;
    ByteChoices& in;
    std::string broken;
    SessionHost host{*app, kept.opened, in, broken};
    FixedMeasure measure;
    int width = 800;
    int height = 600;
    int pointer_x = 0;
    int pointer_y = 0;

    explicit Session(ByteChoices& choices) : in(choices) {}

    void start(std::u16string_view settings)
    {
        load_settings_text(settings, app->state, app->cameras);
        derive_camera_values(app->cameras);
        ::recompute(app->state, current_camera(app->cameras), true);
        app->drag = DragContext{};
        app->keys = KeyFocus{};
        host.set_buttons();
        lay_out();
    }

    // The layout the Windows window or the web page (with a mouse or fingers) chooses at its size
    // on a screen of any usual density; the lines' rows as a paint leaves them.
    void lay_out()
    {
        static constexpr int densities[] = {96, 120, 144, 192};
        LayoutLimits limits;
        limits.client_width = width;
        limits.client_height = height;
        limits.dpi = densities[in.pick(0, 3)];
        limits.page = in.pick(0, 1) == 1;
        limits.touch = limits.page && in.pick(0, 1) == 1;
        app->geometry = ScaleGeometry{};
        app->text_height = choose_layout(app->geometry, measure, limits);
        place_lines();
    }

    // Every change repaints the window, and the drags take hold of the lines where it drew them.
    void place_lines()
    {
        const Rect scale = column(app->geometry, Column::Distance).scale;
        DiscardingCanvas nothing;
        if (scale.bottom > scale.top)  // as the painter: no lines on a scale without rows
            draw_distance_lines(nothing, app->state, app->geometry);
    }

    Point point_on_scale()
    {
        const Column c = static_cast<Column>(in.pick(0, column_count - 1));
        const Rect r = column(app->geometry, c).scale;
        return {in.pick(r.left, std::max(r.left, r.right - 1)), in.pick(r.top - 20, r.bottom + 20)};
    }

    void click_toolbar()
    {
        const int toolbar = in.pick(toolbar_id::mode, toolbar_id::images);
        if (!toolbar_shown(toolbar, app->state.mode))
            return;
        const ToolbarDescription& d = toolbar_description(toolbar);
        host.click_button(toolbar, in.pick(0, d.columns * d.rows - 1));
    }

    void choose_from_menu()
    {
        if (!host.menu) {
            click_toolbar();
            return;
        }
        const PopupMenu menu = *host.menu;
        host.menu.reset();
        std::vector<int> ids;
        for (const MenuItem& item : menu.items)
            if (!item.separator())
                ids.push_back(item.id);
        if (!ids.empty())
            menu_command(host.context(), ids[static_cast<std::size_t>(in.pick(0, static_cast<int>(ids.size()) - 1))]);
    }

    void press_key()
    {
        const KeyPress key{static_cast<Key>(in.pick(0, static_cast<int>(Key::End))), in.pick(0, 3) == 0,
                           in.pick(0, 3) == 0, in.pick(0, 5) == 0};
        place_lines();
        const ScaleValue under = scale_value_at(pointer_x, pointer_y, app->state, app->geometry);
        key_down({host.context(), app->keys, under, false}, key);
    }

    void drag()
    {
        place_lines();
        const Point start = point_on_scale();
        const MouseButton button = in.pick(0, 3) == 0 ? MouseButton::Right : MouseButton::Left;
        if (button == MouseButton::Left)
            note_press(app->keys, scale_value_at(start.x, start.y, app->state, app->geometry));
        const Camera& camera = current_camera(app->cameras);
        mouse_down(button, start.x, start.y, app->state, camera, app->geometry, app->drag, host);
        int y = start.y;
        for (int moves = in.pick(0, 8); moves > 0; --moves) {
            y += in.pick(-120, 120);
            mouse_move(start.x, y, app->state, camera, app->geometry, app->drag, host);
        }
        if (in.pick(0, 7) == 0)
            mouse_capture_lost(app->state, camera, app->drag, host);
        else
            mouse_up(button, start.x, y, app->state, camera, app->geometry, app->drag, host);
        pointer_x = start.x;
        pointer_y = y;
    }

    void resize()
    {
        width = in.pick(280, 3840);  // phones held upright too
        height = in.pick(200, 2160);
        lay_out();
    }

    // Closing and starting again: what is saved loads to the same state and saves the same text.
    void restart()
    {
        const std::u16string saved = settings_text(app->state, app->cameras);
        AppState* next = &kept.restarted;
        load_settings_text(saved, next->state, next->cameras);
        derive_camera_values(next->cameras);
        ::recompute(next->state, current_camera(next->cameras), true);
        if (settings_text(next->state, next->cameras) != saved) {
            broken = "what was saved does not save the same after a restart";
            return;
        }
        broken = invariants::restart_rule(app->state, app->cameras, next->state, next->cameras);
        if (!broken.empty())
            return;
        app->state = next->state;
        app->cameras.count = next->cameras.count;
        app->cameras.current = next->cameras.current;
        std::copy_n(next->cameras.cameras.begin(), next->cameras.count, app->cameras.cameras.begin());
        host.set_buttons();
        app->drag = DragContext{};
        app->keys = KeyFocus{};
        place_lines();  // the window comes back at the size and on the screen it had
    }

    void check_frame()
    {
        TextCheckingCanvas canvas;
        paint(canvas, measure, app->state, current_camera(app->cameras), app->geometry, app->scratch);
        if (broken.empty() && !canvas.broken.empty())
            broken = "painted: " + canvas.broken;
    }

    // Only the camera dialog and a restart change the cameras.
    void check(bool texts, bool cameras)
    {
        if (broken.empty())
            broken = invariants::state_rule(app->state, app->cameras, cameras);
        if (broken.empty() && texts)
            broken = invariants::display_rule(app->state, app->cameras, kept.panel, kept.captions);
    }
};

}  // namespace

SessionResult run_session(std::span<const uint8_t> bytes, SessionChecks checks)
{
    set_decimal_point(u'.');
    ByteChoices in(bytes);
    Session s(in);
    const bool hand_edited = in.pick(0, 1) == 1;
    s.start(hand_edited ? hand_edited_settings(in) : std::u16string(u"Qel 1.0\nend\n"));
    s.check(true, true);
    SessionResult result;
    while (s.broken.empty() && !in.empty() && result.steps < checks.max_steps) {
        ++result.steps;
        const int dialogs = s.host.dialogs;
        switch (in.pick(0, 9)) {
        case 0:
        case 1: s.click_toolbar(); break;
        case 2: s.choose_from_menu(); break;
        case 3:
        case 4: s.press_key(); break;
        case 5:
        case 6: s.drag(); break;
        case 7: menu_command(s.host.context(), command_id::edit_camera); break;
        case 8: s.resize(); break;
        default: s.restart(); break;
        }
        s.check(checks.texts_each_step, s.host.dialogs != dialogs);
    }
    s.check(true, true);
    if (s.broken.empty() && checks.paint)
        s.check_frame();
    if (s.broken.empty())
        s.restart();
    if (!s.broken.empty()) {
        result.broken = "step " + std::to_string(result.steps) + ": " + s.broken;
        result.settings = utf16_to_utf8(settings_text(s.app->state, s.app->cameras));
    }
    return result;
}
