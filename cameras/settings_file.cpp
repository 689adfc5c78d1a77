#include "cameras/settings_file.h"

#include "cameras/settings.h"
#include "text/utf8.h"

std::u16string settings_backup_path(std::u16string_view settings_path)
{
    std::size_t folder = settings_path.find_last_of(u"/\\");
    folder = folder == std::u16string_view::npos ? 0 : folder + 1;
    if (folder == 0 && settings_path.size() >= 2 && settings_path[1] == u':')
        folder = 2;
    std::u16string backup(settings_path.substr(0, folder));
    backup += u"qel backup.txt";
    return backup;
}

std::u16string settings_temporary_path(std::u16string_view settings_path)
{
    std::u16string temporary(settings_path);
    temporary += u".new";
    return temporary;
}

void load_settings(std::u16string_view settings_path, CalcState& state, CameraTable& table, SettingsFiles& files)
{
    std::string bytes;
    if (!files.read_all(std::u16string(settings_path), bytes))
        bytes.clear();
    load_settings_text(utf8_to_utf16(bytes), state, table);
}

void save_settings(std::u16string_view settings_path, const CalcState& state, const CameraTable& table,
                   SettingsFiles& files)
{
    const std::string bytes = utf16_to_utf8(settings_text(state, table));
    const std::u16string path(settings_path);
    const std::u16string temporary = settings_temporary_path(path);
    if (!files.write_all(temporary, bytes)) {
        files.remove(temporary);
        return;
    }
    const std::u16string backup = settings_backup_path(path);
    bool backed_up = false;
    if (files.exists(path)) {
        files.remove(backup);
        backed_up = files.rename(path, backup);
    }
    if (files.rename(temporary, path))
        return;
    // The new file could not take its place: put the previous one back rather than leave none.
    if (backed_up)
        files.rename(backup, path);
    files.remove(temporary);
}
