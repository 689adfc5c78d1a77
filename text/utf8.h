// Qel's own UTF-8 <-> UTF-16 conversion for the settings file: anything that is not well-formed
// becomes U+FFFD, so no byte sequence or unpaired surrogate can stop a read or a write.
#pragma once

#include <string>
#include <string_view>

inline constexpr char16_t replacement_character = u'\uFFFD';

/// Decodes UTF-8. Each maximal ill-formed subsequence (a stray byte, an overlong form, an encoded
/// surrogate, a value above U+10FFFF, a truncated sequence) becomes one U+FFFD.
std::u16string utf8_to_utf16(std::string_view bytes);

/// Encodes UTF-16 as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf16_to_utf8(std::u16string_view text);
