// Readable test messages for UTF-16 texts: ASCII as is, anything else as \u{hex}.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

inline std::string printable(std::u16string_view text)
{
    std::string out;
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char code[16];
            std::snprintf(code, sizeof code, "\\u{%X}", static_cast<unsigned>(c));
            out += code;
        }
    }
    return out;
}
