// Reading and saving "Qel.txt" through a small file layer, so that a failed write or rename can
// never leave the user without their settings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "calc/calc_state.h"
#include "cameras/camera.h"

/// The file operations the settings need, on paths in UTF-16. Every operation reports success;
/// none throws.
class SettingsFiles {
public:
    virtual ~SettingsFiles() = default;
    /// The whole file; false when it cannot be opened or read (or is implausibly large).
    virtual bool read_all(const std::u16string& path, std::string& bytes) = 0;
    /// Creates or truncates the file and writes all of `bytes`; false unless every byte was written.
    virtual bool write_all(const std::u16string& path, std::string_view bytes) = 0;
    /// Deletes the file; true when it is gone (also when it never existed).
    virtual bool remove(const std::u16string& path) = 0;
    /// Renames `from` to `to`, replacing a file at `to`.
    virtual bool rename(const std::u16string& from, const std::u16string& to) = 0;
    virtual bool exists(const std::u16string& path) = 0;
};

/// Settings files larger than this are not read (the defaults stand); 1000 cameras need under 1 MB.
inline constexpr std::uintmax_t max_settings_file_bytes = 16u << 20;

/// "qel backup.txt" beside the settings file (in its folder: after its last "/" or "\", or after a
/// leading drive "D:").
std::u16string settings_backup_path(std::u16string_view settings_path);
/// The file a save is written to before it replaces the settings file: "<settings file>.new".
std::u16string settings_temporary_path(std::u16string_view settings_path);

/// Installs the defaults, then reads the settings file (UTF-8) over them when it can be read.
void load_settings(std::u16string_view settings_path, CalcState& state, CameraTable& table,
                   SettingsFiles& files);

/// Writes the settings to the temporary file; only when that succeeded, replaces the backup with
/// the current settings file (when there is one) and puts the new file in its place. A failed
/// write leaves the settings file and the backup as they were.
void save_settings(std::u16string_view settings_path, const CalcState& state, const CameraTable& table,
                   SettingsFiles& files);
