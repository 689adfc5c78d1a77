// The settings file layer on the standard library, for the command-line tool and the tests; the
// Windows program has its own on the Windows file API.
#pragma once

#include <filesystem>
#include <string_view>

#include "cameras/settings_file.h"

/// SettingsFiles on the standard library (std::filesystem and file streams).
class StandardSettingsFiles final : public SettingsFiles {
public:
    bool read_all(const std::u16string& path, std::string& bytes) override;
    bool write_all(const std::u16string& path, std::string_view bytes) override;
    bool remove(const std::u16string& path) override;
    bool rename(const std::u16string& from, const std::u16string& to) override;
    bool exists(const std::u16string& path) override;
};

/// A path from UTF-16 text, without a lossy conversion on Windows (UTF-8 on other systems).
std::filesystem::path path_from_utf16(std::u16string_view text);
