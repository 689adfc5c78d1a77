// The settings file layer on the Windows file API: no C++ streams (and so none of their locale
// machinery) in qel.exe, and a replacing rename that is written through before it reports success.
#pragma once

#include "cameras/settings_file.h"

class Win32SettingsFiles final : public SettingsFiles {
public:
    bool read_all(const std::u16string& path, std::string& bytes) override;
    bool write_all(const std::u16string& path, std::string_view bytes) override;
    bool remove(const std::u16string& path) override;
    bool rename(const std::u16string& from, const std::u16string& to) override;
    bool exists(const std::u16string& path) override;
};
