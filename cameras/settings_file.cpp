#include "cameras/settings_file.h"

#include "cameras/settings.h"
#include "text/utf8.h"

namespace fs = std::filesystem;

fs::path path_from_utf16(std::u16string_view text)
{
    if constexpr (sizeof(fs::path::value_type) == sizeof(char16_t)) {
        // Windows paths are UTF-16 already: copy the units, unpaired surrogates and all.
        return fs::path(std::basic_string<fs::path::value_type>(text.begin(), text.end()));
    } else {
        return fs::path(utf16_to_utf8(text));
    }
}

fs::path settings_backup_path(const fs::path& settings_path)
{
    return settings_path.parent_path() / "qel backup.txt";
}

fs::path settings_temporary_path(const fs::path& settings_path)
{
    fs::path temporary = settings_path;
    temporary += ".new";
    return temporary;
}

void load_settings(const fs::path& settings_path, CalcState& state, CameraTable& table, SettingsFiles& files)
{
    std::string bytes;
    if (!files.read_all(settings_path, bytes))
        bytes.clear();
    load_settings_text(utf8_to_utf16(bytes), state, table);
}

void save_settings(const fs::path& settings_path, const CalcState& state, const CameraTable& table,
                   SettingsFiles& files)
{
    const std::string bytes = utf16_to_utf8(settings_text(state, table));
    const fs::path temporary = settings_temporary_path(settings_path);
    if (!files.write_all(temporary, bytes)) {
        files.remove(temporary);
        return;
    }
    const fs::path backup = settings_backup_path(settings_path);
    bool backed_up = false;
    if (files.exists(settings_path)) {
        files.remove(backup);
        backed_up = files.rename(settings_path, backup);
    }
    if (files.rename(temporary, settings_path))
        return;
    // The new file could not take its place: put the previous one back rather than leave none.
    if (backed_up)
        files.rename(backup, settings_path);
    files.remove(temporary);
}
