// qel-command-card FILE: the page "Field Card..." hands the window for the settings in FILE,
// loaded as at start-up; the tests compare it with qel-calc's card of the same settings.
#include <cstdio>
#include <memory>

#include "app/commands.h"
#include "calc/recompute.h"
#include "cameras/settings_file.h"
#include "cameras/standard_settings_files.h"
#include "support/recording_command_host.h"
#include "text/utf8.h"

int main(int argc, char** argv)
{
    CalcState state;
    auto cameras = std::make_unique<CameraTable>();
    StandardSettingsFiles files;
    load_settings(utf8_to_utf16(argc == 2 ? argv[1] : ""), state, *cameras, files);
    derive_camera_values(*cameras);
    recompute(state, current_camera(*cameras), true);
    RecordingCommandHost host;
    menu_command({state, *cameras, host}, command_id::field_card);
    for (const std::u16string& page : host.field_cards)
        std::fputs(utf16_to_utf8(page).c_str(), stdout);
    return host.field_cards.size() == 1 ? 0 : 1;
}
