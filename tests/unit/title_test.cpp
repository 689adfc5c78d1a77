// The main window's title: the version this build makes and the current camera's name.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "qel_version.h"
#include "text/title.h"

namespace {

void name_camera(Camera& camera, std::u16string_view name)
{
    std::copy(name.begin(), name.end(), camera.name);
    camera.name[name.size()] = 0;
}

TEST(WindowTitle, NamesTheCurrentCamera)
{
    auto table = std::make_unique<CameraTable>();
    table->count = 3;
    name_camera(table->cameras[0], u"Generic 35mm film camera (Sharp print)");
    name_camera(table->cameras[1], u"Compact \u00E9t\u00E9");
    name_camera(table->cameras[2], u"Phone");
    table->current = 1;
    EXPECT_EQ(window_title(*table).view(), u"Qel " QEL_VERSION_U16 u" - Settings: Compact \u00E9t\u00E9");
    table->current = 0;
    EXPECT_EQ(window_title(*table).view(), u"Qel " QEL_VERSION_U16 u" - Settings: Generic 35mm film camera (Sharp print)");
}

TEST(WindowTitle, OutOfRangeIndexFallsBackToTheFirstCamera)
{
    auto table = std::make_unique<CameraTable>();
    table->count = 2;
    name_camera(table->cameras[0], u"First");
    name_camera(table->cameras[1], u"Second");
    name_camera(table->cameras[2], u"Stale");  // beyond count
    for (int index : {2, -1, 5000}) {
        table->current = index;
        EXPECT_EQ(window_title(*table).view(), u"Qel " QEL_VERSION_U16 u" - Settings: First") << index;
    }
}

TEST(WindowTitle, UnterminatedNameStopsAtItsField)
{
    auto table = std::make_unique<CameraTable>();
    table->count = 2;
    std::fill(std::begin(table->cameras[0].name), std::end(table->cameras[0].name), u'x');
    name_camera(table->cameras[1], u"Next");
    const Text256 title = window_title(*table);
    // The title holds at most 255 units; it is cut there and still ends with a zero.
    EXPECT_EQ(title.length, 255u);
    EXPECT_EQ(title.c_str()[255], 0);
    EXPECT_EQ(title.view().find(u"Next"), std::u16string_view::npos);
}

}  // namespace
