// The dialog template (resources/camera_dialog.rc) and the dialog logic agree on the control ids
// and kinds, and the combo boxes are lists that cannot lose their selection.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "cameras/camera_dialog.h"

namespace {

namespace id = camera_control;

struct Control {
    std::string kind;
    std::string style;
};

// The controls of the template by id: "KIND "text", id, x, y, w, h, style" or "KIND id, x, y, w, h, style".
std::map<int, Control> template_controls(std::string& header)
{
    std::string path = __FILE__;
    path = path.substr(0, path.rfind("tests/unit/")) + "resources/camera_dialog.rc";
    std::ifstream file(path);
    EXPECT_TRUE(file.good()) << path;
    std::map<int, Control> controls;
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream in(line);
        std::string kind;
        in >> kind;
        if (kind == "4000")
            header = line;
        if (kind == "DEFPUSHBUTTON")  // Apply: Enter presses it
            kind = "PUSHBUTTON";
        if (kind != "LTEXT" && kind != "EDITTEXT" && kind != "COMBOBOX" && kind != "PUSHBUTTON")
            continue;
        std::string rest;
        std::getline(in, rest);
        if (const auto quote = rest.rfind('"'); quote != std::string::npos)
            rest = rest.substr(rest.find(',', quote) + 1);
        std::istringstream fields(rest);
        int control = 0;
        fields >> control;
        std::string style;
        for (int comma = 0; comma < 5 && std::getline(fields, style, ',');)
            ++comma;
        std::getline(fields, style);
        if (control != -1)
            controls[control] = {kind, style};
    }
    return controls;
}

TEST(CameraDialogTemplate, ControlIdsAndKindsMatchTheLogic)
{
    std::string header;
    const std::map<int, Control> controls = template_controls(header);
    EXPECT_NE(header.find("DIALOGEX 0, 0, 421, 227"), std::string::npos) << header;
    EXPECT_EQ(camera_dialog_id, 4000);

    const std::map<int, std::string> expected = {
        {id::name, "EDITTEXT"},           {id::frame_width_mm, "EDITTEXT"},   {id::frame_width_px, "EDITTEXT"},
        {id::frame_height_mm, "EDITTEXT"}, {id::frame_height_px, "EDITTEXT"}, {id::film_resolution, "EDITTEXT"},
        {id::custom_coc, "EDITTEXT"},     {id::visual_resolution, "EDITTEXT"}, {id::allowable_blur, "EDITTEXT"},
        {id::print_size, "EDITTEXT"},     {id::viewing_distance, "EDITTEXT"}, {id::wavelength, "EDITTEXT"},
        {id::coc_method, "COMBOBOX"},     {id::type, "COMBOBOX"},            {id::focal_length_entry, "COMBOBOX"},
        {id::coc, "LTEXT"},               {id::diffraction_limit, "LTEXT"},  {id::crop_factor, "LTEXT"},
        {id::megapixels, "LTEXT"},        {id::film_resolution_label, "LTEXT"}, {id::custom_coc_label, "LTEXT"},
        {id::prev, "PUSHBUTTON"},         {id::next, "PUSHBUTTON"},          {id::new_camera, "PUSHBUTTON"},
        {id::delete_camera, "PUSHBUTTON"}, {id::apply, "PUSHBUTTON"},  {id::cancel, "PUSHBUTTON"},
        {id::allowable_blur_unit, "LTEXT"},
    };
    EXPECT_EQ(controls.size(), expected.size());
    for (const auto& [control, kind] : expected) {
        const auto it = controls.find(control);
        ASSERT_NE(it, controls.end()) << control;
        EXPECT_EQ(it->second.kind, kind) << control;
        if (kind == "COMBOBOX") {
            EXPECT_NE(it->second.style.find("CBS_DROPDOWNLIST"), std::string::npos) << control;
        }
        if (kind == "EDITTEXT") {
            EXPECT_NE(it->second.style.find("ES_AUTOHSCROLL"), std::string::npos) << control;
        }
    }
    EXPECT_NE(controls.at(id::type).style.find("CBS_SORT"), std::string::npos);
}

}  // namespace
