#include "app/win32/app_paths.h"

#include "app/win32/win.h"


#include <vector>

#include "app/paths.h"
#include "app/win32/wide.h"

namespace {

/// The program file's full path, however long.
std::u16string module_path()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return std::u16string(view16(buffer.data(), n));
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::u16string documents_folder()
{
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, buffer))) return {};
    return std::u16string(narrow16(buffer));
}

}  // namespace

AppPaths locate_files()
{
    AppPaths paths;
    const std::u16string program_folder = directory_of(module_path());
    paths.quick_start = join_path(program_folder, u"Qel Quick Start.pdf");
    paths.reference_manual = join_path(program_folder, u"Qel Reference Manual.pdf");
    const std::u16string documents = documents_folder();
    // Without a documents folder the data folder is "Qel" in the current directory.
    paths.data_folder = documents.empty() ? std::u16string(u"Qel") : join_path(documents, u"Qel");
    if (!PathFileExistsW(wide(paths.data_folder.c_str()))) CreateDirectoryW(wide(paths.data_folder.c_str()), nullptr);
    paths.settings_path = join_path(paths.data_folder, u"Qel.txt");
    paths.field_card_path = join_path(paths.data_folder, u"Qel Field Card.html");
    return paths;
}
