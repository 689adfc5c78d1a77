#include "cameras/standard_settings_files.h"

#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

bool StandardSettingsFiles::read_all(const fs::path& path, std::string& bytes)
{
    bytes.clear();
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || size > max_settings_file_bytes)
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.resize(static_cast<std::size_t>(size));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return !in.bad();
}

bool StandardSettingsFiles::write_all(const fs::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    out.close();
    return !out.fail();
}

bool StandardSettingsFiles::remove(const fs::path& path)
{
    std::error_code error;
    fs::remove(path, error);
    return !error;
}

bool StandardSettingsFiles::rename(const fs::path& from, const fs::path& to)
{
    std::error_code error;
    fs::rename(from, to, error);
    return !error;
}

bool StandardSettingsFiles::exists(const fs::path& path)
{
    std::error_code error;
    return fs::exists(path, error);
}
