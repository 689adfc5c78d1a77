// UTF-16 text between the portable core (char16_t) and Win32 (wchar_t, also 16 bits here).
#pragma once

#include <string_view>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is UTF-16");

inline const wchar_t* wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline const char16_t* narrow16(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }
inline std::u16string_view view16(const wchar_t* text, std::size_t length)
{
    return {reinterpret_cast<const char16_t*>(text), length};
}
