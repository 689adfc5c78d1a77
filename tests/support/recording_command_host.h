// A CommandHost that records what the commands asked of the window, for the command tests.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/command_host.h"

class RecordingCommandHost : public CommandHost {
public:
    struct BitmapChange {
        int toolbar;
        int button;
        ToolbarBitmap bitmap;
        friend bool operator==(const BitmapChange&, const BitmapChange&) = default;
    };

    std::vector<PopupMenu> menus;
    std::vector<BitmapChange> bitmaps;
    std::vector<std::u16string> labels;  // every label set_button_label gave the teleconverter button
    std::vector<std::pair<int, int>> clicks;  // toolbar and button of every click_button
    std::vector<bool> recomputes;  // the rescale flag of every recompute, in order
    int repaints = 0;
    int layouts = 0;
    int titles = 0;
    int camera_dialogs = 0;
    int about_boxes = 0;
    std::vector<HelpDocument> documents;
    std::vector<std::u16string> field_cards;  // every page open_field_card was given
    int snap_button_state = 0;
    bool camera_dialog_runs = true;

    void show_menu(const PopupMenu& menu) override { menus.push_back(menu); }
    int button_state(int toolbar, int button) override
    {
        return toolbar == 105 && button == 0 ? snap_button_state : 0;
    }
    void set_button_bitmap(int toolbar, int button, ToolbarBitmap bitmap) override
    {
        bitmaps.push_back({toolbar, button, bitmap});
    }
    void set_button_label(int toolbar, int, std::u16string_view label) override
    {
        if (toolbar == 104)
            labels.emplace_back(label);
    }
    void click_button(int toolbar, int button) override { clicks.emplace_back(toolbar, button); }
    void layout_toolbars() override { ++layouts; }
    void recompute(bool rescale) override { recomputes.push_back(rescale); }
    void repaint() override { ++repaints; }
    void update_title() override { ++titles; }
    bool run_camera_dialog() override
    {
        ++camera_dialogs;
        return camera_dialog_runs;
    }
    void run_about_box() override { ++about_boxes; }
    void open_document(HelpDocument document) override { documents.push_back(document); }
    void open_field_card(std::u16string_view page) override { field_cards.emplace_back(page); }
};
