#include "cameras/standard_settings_files.h"

#include <fstream>
#include <system_error>

#include "text/utf8.h"

namespace fs = std::filesystem;

bool StandardSettingsFiles::read_all(const std::u16string& path, std::string& bytes)
{
    bytes.clear();
    const fs::path file = path_from_utf16(path);
    std::error_code error;
    const std::uintmax_t size = fs::file_size(file, error);
    if (error || size > max_settings_file_bytes)
        return false;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    bytes.resize(static_cast<std::size_t>(size));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return !in.bad();
}

bool StandardSettingsFiles::write_all(const std::u16string& path, std::string_view bytes)
{
    std::ofstream out(path_from_utf16(path), std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    out.close();
    return !out.fail();
}

bool StandardSettingsFiles::remove(const std::u16string& path)
{
    std::error_code error;
    fs::remove(path_from_utf16(path), error);
    return !error;
}

bool StandardSettingsFiles::rename(const std::u16string& from, const std::u16string& to)
{
    std::error_code error;
    fs::rename(path_from_utf16(from), path_from_utf16(to), error);
    return !error;
}

bool StandardSettingsFiles::exists(const std::u16string& path)
{
    std::error_code error;
    return fs::exists(path_from_utf16(path), error);
}

fs::path path_from_utf16(std::u16string_view text)
{
    if constexpr (sizeof(fs::path::value_type) == sizeof(char16_t)) {
        // Windows paths are UTF-16 already: copy the units, unpaired surrogates and all.
        return fs::path(std::basic_string<fs::path::value_type>(text.begin(), text.end()));
    } else {
        return fs::path(utf16_to_utf8(text));
    }
}
