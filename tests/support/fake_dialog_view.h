// A camera dialog window for tests and fuzz targets, kept in memory.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "cameras/camera_dialog.h"

// Behaves like the dialog's controls: texts read back at most 254 units, a selection that names
// no item is none (-1), and every control starts enabled.
class FakeDialogView final : public CameraDialogView {
public:
    std::map<int, std::u16string> texts;
    std::map<int, std::vector<std::u16string>> items;
    std::map<int, int> selections;
    std::map<int, bool> enabled;
    std::map<int, int> limits;
    std::vector<std::u16string> errors;
    int selected = 0;  // the field the last refusal selected
    std::map<int, int> writes;  // how often the dialog has set each control's text
    std::u16string main_title;
    int ended = 0;
    std::vector<std::u16string> questions;  // every question asked, answered with `answer` (true: Yes)
    bool answer = true;

    Text256 get_text(int control) override
    {
        Text256 t;
        const std::u16string& s = texts[control];
        t.length = s.copy(t.data.data(), 254);
        return t;
    }
    void set_text(int control, std::u16string_view text) override
    {
        texts[control] = std::u16string(text);
        ++writes[control];
    }
    void limit_text(int control, int units) override { limits[control] = units; }
    void add_item(int combo, std::u16string_view item) override { items[combo].emplace_back(item); }
    int get_selection(int combo) override
    {
        const auto it = selections.find(combo);
        return it == selections.end() ? -1 : it->second;
    }
    void set_selection(int combo, int index) override
    {
        const auto count = static_cast<int>(items[combo].size());
        selections[combo] = index >= 0 && index < count ? index : -1;
    }
    void enable(int control, bool on) override { enabled[control] = on; }
    void show_error(std::u16string_view message) override { errors.emplace_back(message); }
    void select_field(int control) override { selected = control; }
    bool ask(std::u16string_view question) override { return questions.emplace_back(question), answer; }
    void set_main_title(std::u16string_view title) override { main_title = std::u16string(title); }
    void end_dialog() override { ++ended; }

    bool is_enabled(int control) const
    {
        const auto it = enabled.find(control);
        return it == enabled.end() || it->second;
    }
};
