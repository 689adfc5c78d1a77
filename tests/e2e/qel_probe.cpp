// qel-probe.exe: reports what the running Qel process holds, for the end-to-end tests' checks that
// long use leaks nothing. Finds the "Qel" window, opens its process and prints one "key value" line
// each: gdi and user (object counts), gdi_source and user_source (how they were counted),
// working_set and pagefile (bytes, from GetProcessMemoryInfo), responds (1 when the window answered a
// message within two seconds) and title_length. Exit code 0, 2 without a window, 3 when the process
// could not be opened.
//
// Wine's GetGuiResources is a stub (0, ERROR_CALL_NOT_IMPLEMENTED). There the GDI objects are counted
// in the process's GDI handle table instead (PEB.GdiSharedHandleTable: 65536 entries of 24 bytes, a
// live object with a non-zero type byte at offset 14), and the USER objects as the process's windows,
// top-level and child.
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include <vector>

namespace {

constexpr unsigned gdi_table_entries = 0x10000;
constexpr unsigned gdi_entry_size = 24;
constexpr unsigned gdi_entry_type_offset = 14;
constexpr unsigned peb_gdi_table_offset = 0x94;  // 32-bit PEB

using QueryInformationProcess = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

long count_gdi_table(HANDLE process)
{
    const auto query = reinterpret_cast<QueryInformationProcess>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    if (query == nullptr) return -1;
    PROCESS_BASIC_INFORMATION info{};
    ULONG length = 0;
    if (query(process, ProcessBasicInformation, &info, sizeof info, &length) != 0) return -1;
    DWORD table = 0;
    SIZE_T got = 0;
    const auto* peb = reinterpret_cast<const unsigned char*>(info.PebBaseAddress);
    if (!ReadProcessMemory(process, peb + peb_gdi_table_offset, &table, sizeof table, &got) || table == 0)
        return -1;
    std::vector<unsigned char> entries(static_cast<std::size_t>(gdi_table_entries) * gdi_entry_size);
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(static_cast<UINT_PTR>(table)), entries.data(),
                           entries.size(), &got) ||
        got != entries.size())
        return -1;
    long live = 0;
    for (unsigned i = 0; i < gdi_table_entries; ++i)
        if (entries[i * gdi_entry_size + gdi_entry_type_offset] != 0) ++live;
    return live;
}

struct WindowCount {
    DWORD pid;
    long count;
};

BOOL CALLBACK count_child(HWND window, LPARAM data)
{
    auto* c = reinterpret_cast<WindowCount*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == c->pid) ++c->count;
    return TRUE;
}

BOOL CALLBACK count_top(HWND window, LPARAM data)
{
    auto* c = reinterpret_cast<WindowCount*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == c->pid) {
        ++c->count;
        EnumChildWindows(window, count_child, data);  // every descendant, not just the children
    }
    return TRUE;
}

long count_windows(DWORD pid)
{
    WindowCount c{pid, 0};
    EnumWindows(count_top, reinterpret_cast<LPARAM>(&c));
    return c.count;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    const HWND window = FindWindowW(L"Qel", nullptr);
    if (window == nullptr) return 2;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (process == nullptr) return 3;

    SetLastError(0);
    long gdi = static_cast<long>(GetGuiResources(process, GR_GDIOBJECTS));
    const char* gdi_source = "api";
    if (gdi == 0 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
        gdi = count_gdi_table(process);
        gdi_source = "table";
    }
    SetLastError(0);
    long user = static_cast<long>(GetGuiResources(process, GR_USEROBJECTS));
    const char* user_source = "api";
    if (user == 0 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
        user = count_windows(pid);
        user_source = "windows";
    }
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (!GetProcessMemoryInfo(process, &memory, sizeof memory)) memory = PROCESS_MEMORY_COUNTERS{};

    DWORD_PTR answer = 0;
    const bool responds = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer) != 0;
    wchar_t title[256] = {};
    const int title_length = GetWindowTextW(window, title, 256);

    std::printf("gdi %ld\ngdi_source %s\nuser %ld\nuser_source %s\n", gdi, gdi_source, user, user_source);
    std::printf("working_set %lu\npagefile %lu\n", static_cast<unsigned long>(memory.WorkingSetSize),
                static_cast<unsigned long>(memory.PagefileUsage));
    std::printf("responds %d\ntitle_length %d\n", responds ? 1 : 0, title_length);
    std::fflush(stdout);
    CloseHandle(process);
    return 0;
}
