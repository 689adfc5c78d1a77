// The settings file layer on the standard library, for the command-line tool and the tests; the
// Windows program has its own on the Windows file API.
#pragma once

#include "cameras/settings_file.h"

/// SettingsFiles on the standard library (std::filesystem and file streams).
class StandardSettingsFiles final : public SettingsFiles {
public:
    bool read_all(const std::filesystem::path& path, std::string& bytes) override;
    bool write_all(const std::filesystem::path& path, std::string_view bytes) override;
    bool remove(const std::filesystem::path& path) override;
    bool rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
    bool exists(const std::filesystem::path& path) override;
};
