#include "app/win32/field_card_file.h"

#include "app/win32/wide.h"
#include "text/utf8.h"

namespace {

/// The system's words for an error code ("Access is denied."), or nothing; a "%1" in them is the
/// file's name.
std::u16string error_text(DWORD error, std::u16string_view file)
{
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::u16string out = length > 0 ? std::u16string(view16(text, length)) : std::u16string();
    if (text != nullptr)
        LocalFree(text);
    while (!out.empty() && (out.back() == u'\n' || out.back() == u'\r' || out.back() == u' '))
        out.pop_back();
    for (std::size_t at = out.find(u"%1"); at != std::u16string::npos; at = out.find(u"%1", at + file.size()))
        out.replace(at, 2, file);
    return out;
}

/// Creates or replaces the file with `bytes`; 0, or the error that stopped it.
DWORD write_file(const std::u16string& path, const std::string& bytes)
{
    const HANDLE file =
        CreateFileW(wide(path.c_str()), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    DWORD error = 0;
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written != bytes.size())
        error = GetLastError() != 0 ? GetLastError() : ERROR_WRITE_FAULT;
    if (!CloseHandle(file) && error == 0)
        error = GetLastError();
    return error;
}

void say(HWND owner, std::u16string_view first, const std::u16string& path, std::u16string_view then, DWORD error)
{
    std::u16string message(first);
    message += u"\n\n";
    message += path;
    message += u"\n\n";
    message += then;
    const std::u16string reason = error_text(error, path.substr(path.find_last_of(u'\\') + 1));
    if (!reason.empty()) {
        message += then.empty() ? u"" : u"\n\n";
        message += reason;
    }
    MessageBoxW(owner, wide(message.c_str()), L"Field Card", MB_OK | MB_ICONWARNING);
}

}  // namespace

void show_field_card(HWND owner, const std::u16string& path, std::u16string_view page)
{
    if (const DWORD error = write_file(path, utf16_to_utf8(page)); error != 0) {
        say(owner, u"Qel could not write the field card to", path, u"", error);
        return;
    }
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = L"open";
    info.lpFile = wide(path.c_str());
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) {
        const DWORD error = GetLastError();
        say(owner, u"Qel wrote the field card to", path,
            u"but no browser opened it. Open that file in a browser to print it.", error);
    }
}
