#include "app/win32/window_placement.h"

namespace {

constexpr wchar_t key_name[] = L"Software\\Orvanne\\Qel\\State";
constexpr wchar_t value_name[] = L"windowPlacement";
constexpr DWORD placement_size = 44;
static_assert(sizeof(WINDOWPLACEMENT) == placement_size, "the stored record is the 32-bit WINDOWPLACEMENT");

class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey()
    {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

}  // namespace

void restore_window_placement(HWND window)
{
    RegistryKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key_name, 0, KEY_QUERY_VALUE, key.out()) != ERROR_SUCCESS) return;
    BYTE buffer[682] = {};
    DWORD type = 0;
    DWORD size = sizeof buffer;
    if (RegQueryValueExW(key.get(), value_name, nullptr, &type, buffer, &size) != ERROR_SUCCESS) return;
    if (type != REG_BINARY || size != placement_size) return;
    WINDOWPLACEMENT placement{};
    memcpy(&placement, buffer, placement_size);
    placement.length = placement_size;
    // A window closed while minimised comes back as a normal window at its normal place: applied
    // during creation, an iconic show state would leave it iconic and overwrite the normal
    // rectangle with the icon's.
    if (placement.showCmd != SW_SHOWMAXIMIZED)
        placement.showCmd = SW_SHOWNORMAL;
    SetWindowPlacement(window, &placement);
}

void store_window_placement(HWND window)
{
    RegistryKey key;
    wchar_t key_class[] = L"state";
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key_name, 0, key_class, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        key.out(), nullptr) != ERROR_SUCCESS) {
        return;
    }
    WINDOWPLACEMENT placement{};
    placement.length = placement_size;
    if (!GetWindowPlacement(window, &placement)) return;
    RegSetValueExW(key.get(), value_name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&placement), placement_size);
}
