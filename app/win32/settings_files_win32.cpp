#include "app/win32/settings_files_win32.h"

#include "app/win32/wide.h"
#include "app/win32/win.h"

namespace {

/// An open file handle, closed when it goes out of scope unless closed (and checked) before.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { close(); }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    bool close()
    {
        const bool closed = !valid() || CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
};

}  // namespace

bool Win32SettingsFiles::read_all(const std::u16string& path, std::string& bytes)
{
    bytes.clear();
    FileHandle file(CreateFileW(wide(path.c_str()), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file.valid() || !GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > max_settings_file_bytes)
        return false;
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t total = 0;
    while (total < bytes.size()) {
        DWORD read = 0;
        if (!ReadFile(file.get(), bytes.data() + total, static_cast<DWORD>(bytes.size() - total), &read, nullptr)) {
            bytes.clear();
            return false;
        }
        if (read == 0)
            break;  // the file shrank while being read: keep what is there
        total += read;
    }
    bytes.resize(total);
    return true;
}

bool Win32SettingsFiles::write_all(const std::u16string& path, std::string_view bytes)
{
    FileHandle file(CreateFileW(wide(path.c_str()), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file.valid())
        return false;
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = bytes.size() > (1u << 20) ? (1u << 20) : static_cast<DWORD>(bytes.size());
        if (!WriteFile(file.get(), bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return FlushFileBuffers(file.get()) != 0 && file.close();
}

bool Win32SettingsFiles::remove(const std::u16string& path)
{
    if (DeleteFileW(wide(path.c_str())))
        return true;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool Win32SettingsFiles::rename(const std::u16string& from, const std::u16string& to)
{
    return MoveFileExW(wide(from.c_str()), wide(to.c_str()), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool Win32SettingsFiles::exists(const std::u16string& path)
{
    return GetFileAttributesW(wide(path.c_str())) != INVALID_FILE_ATTRIBUTES;
}
