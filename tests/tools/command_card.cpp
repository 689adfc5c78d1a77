// qel-command-card FILE: loads a settings file as Qel does at start-up, chooses "Field Card..."
// and prints the page the command hands the window (UTF-8). The tests compare it with qel-calc's
// card of the same file.
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
    if (argc != 2) {
        std::fputs("usage: qel-command-card FILE\n", stderr);
        return 2;
    }
    CalcState state;
    auto cameras = std::make_unique<CameraTable>();
    StandardSettingsFiles files;
    load_settings(utf8_to_utf16(argv[1]), state, *cameras, files);
    derive_camera_values(*cameras);
    recompute(state, current_camera(*cameras), true);

    RecordingCommandHost host;
    menu_command({state, *cameras, host}, command_id::field_card);
    if (host.field_cards.size() != 1)
        return 1;
    const std::string page = utf16_to_utf8(host.field_cards[0]);
    std::fwrite(page.data(), 1, page.size(), stdout);
    return 0;
}
