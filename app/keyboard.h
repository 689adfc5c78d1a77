// The keyboard: a shortcut for every toolbar button and for the commands a user reaches most,
// and the arrow and page keys that move the value of a scale. The platforms turn their key
// events into KeyPress and hand them here.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "app/commands.h"
#include "display/drag.h"

enum class Key {
    Other,
    Digit1, Digit2, Digit3, Digit4, Digit5,
    C, E, F, G, H, R, T, U,
    F1,
    Plus,   ///< either plus key (Shift does not matter: on many keyboards + is Shift+=)
    Minus,  ///< either minus key
    Up, Down, PageUp, PageDown,
    Tab,
    Escape,
    Home,
    End,
    P,
    F10,    ///< F10, or Alt pressed and released with no other key: opens the first menu
};

struct KeyPress {
    Key key = Key::Other;
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
};

/// A key that clicks a toolbar button (`toolbar` non-zero) or else runs the menu command `command`.
struct Shortcut {
    Key key;
    bool ctrl;
    bool alt;
    int toolbar;
    int button;
    int command;
    std::u16string_view text;  ///< as shown to the user: "Ctrl+1", "Alt+C", "F1", "+"
};

std::span<const Shortcut> shortcuts();
/// The shortcut that clicks a toolbar button, or the one that runs a command; nullptr when none does.
const Shortcut* toolbar_shortcut(int toolbar, int button);
const Shortcut* command_shortcut(int command);

/// The menu an Alt+letter opens (Alt+C the camera menu, ...), also over another menu; none for
/// any other key or a menu whose toolbar the mode hides.
std::optional<MenuAnchor> menu_of_key(KeyPress key, Mode mode);

/// Whether a toolbar is on screen in a mode: the images toolbar only in FocusStacking, the
/// teleconverter toolbar in every mode but Macro, the others always.
bool toolbar_shown(int toolbar, Mode mode);

/// The scale value the arrow keys move when no scale is under the pointer. Tab shows it (a focus
/// cue around its scale) and moves it on; a mouse press on a scale takes it there and hides it.
struct KeyFocus {
    ScaleValue value = ScaleValue::None;
    bool shown = false;
};

struct KeyContext {
    CommandContext commands;
    KeyFocus& focus;
    /// The value a left press at the pointer would take hold of (None when it is off the scales).
    ScaleValue under_pointer;
    /// A mouse drag is under way: it owns the values until its release, so our keys do nothing.
    bool dragging = false;
    /// The details panel's scrolling (none: the keys never scroll it).
    DetailsScroll* details = nullptr;
};

/// A key went down. Shortcuts click their button (only while its toolbar is shown) or run their
/// command; F10 opens the first menu (menu_order); Up and Down move the focused value (while its cue is shown) or else the one under the
/// pointer by one step, Page Up and Page Down by a page; Tab and Shift+Tab move the focus through
/// the mode's values, and on to the details panel while its lines scroll; there Up and Down scroll
/// by a row, Page Up and Page Down by the rows shown less one, Home and End to the first and the
/// last rows; Escape hides the focus cue. Returns false for a key that is none of these,
/// which the platform then handles as usual (Alt+F4, Alt+Space). During a drag our keys are
/// taken and ignored.
bool key_down(KeyContext context, KeyPress key);

/// Whether Tab (Shift+Tab when `backwards`) goes on from the scales to the next control of a page
/// that has more than the scales: the focus cue is shown on the last stop Tab visits (the mode's
/// last value, or the details panel while it scrolls; the first value going backwards). Elsewhere
/// Tab moves the focus through the values.
bool tab_leaves_values(const KeyFocus& focus, Mode mode, bool backwards, bool details_scroll = false);

/// Tab (Shift+Tab when `backwards`) came to the scales from another control of the page: the cue
/// shows on the first value (the last stop going backwards), so that every round of Tab visits
/// every value.
void enter_values(KeyFocus& focus, Mode mode, bool backwards, bool details_scroll = false);

/// A mouse press on the scales hides the focus cue; a press on a value the keyboard can move
/// makes that value the focused one, so that Tab goes on from there.
void note_press(KeyFocus& focus, ScaleValue pressed);

/// The value the focus cue is drawn around: the focused value while shown and settable in the
/// mode (the details panel while it scrolls), else None.
ScaleValue focus_cue(const KeyFocus& focus, Mode mode, bool details_scroll = false);
