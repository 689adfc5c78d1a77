#include <gtest/gtest.h>

#include <random>
#include <string>

#include "text/utf8.h"

namespace {

constexpr char16_t R = replacement_character;

struct DecodeCase {
    const char* what;
    std::string bytes;
    std::u16string text;
};

class Utf8Decode : public testing::TestWithParam<DecodeCase> {};

TEST_P(Utf8Decode, ReplacesEachIllFormedPart)
{
    const DecodeCase& c = GetParam();
    EXPECT_EQ(utf8_to_utf16(c.bytes), c.text) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8Decode,
    testing::Values(
        DecodeCase{"empty", "", u""}, DecodeCase{"ascii", "Qel 1.0\n", u"Qel 1.0\n"},
        DecodeCase{"two bytes", "\xC3\xA9", u"\u00E9"}, DecodeCase{"three bytes", "\xE6\x97\xA5", u"\u65E5"},
        DecodeCase{"four bytes", "\xF0\x9F\x98\x80", u"\U0001F600"},
        DecodeCase{"highest", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        DecodeCase{"nul kept", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
        DecodeCase{"byte-order mark", "\xEF\xBB\xBFQ", u"\uFEFFQ"},
        DecodeCase{"stray continuation", "a\x80" "b", std::u16string(u"a") + R + u"b"},
        DecodeCase{"overlong two", "\xC0\xAF", std::u16string{R, R}},
        DecodeCase{"overlong three", "\xE0\x80\xAF", std::u16string{R, R, R}},
        DecodeCase{"overlong four", "\xF0\x80\x80\xAF", std::u16string{R, R, R, R}},
        DecodeCase{"surrogate", "\xED\xA0\x80", std::u16string{R, R, R}},
        DecodeCase{"above U+10FFFF", "\xF4\x90\x80\x80", std::u16string{R, R, R, R}},
        DecodeCase{"F5 lead", "\xF5\x80", std::u16string{R, R}},
        DecodeCase{"FF", "\xFF", std::u16string{R}},
        DecodeCase{"truncated at end", "x\xE6\x97", std::u16string(u"x") + R},
        DecodeCase{"truncated four at end", "\xF0\x9F\x98", std::u16string{R}},
        DecodeCase{"truncated then ascii", "\xE6\x97z", std::u16string{R, u'z'}},
        DecodeCase{"truncated then lead", "\xC3\xE6\x97\xA5", std::u16string{R, u'\u65E5'}},
        DecodeCase{"lone lead at end", "ab\xC3", std::u16string(u"ab") + R}));

TEST(Utf8Encode, EncodesAndReplacesUnpairedSurrogates)
{
    EXPECT_EQ(utf16_to_utf8(u"Qel"), "Qel");
    EXPECT_EQ(utf16_to_utf8(u"\u00E9\u65E5\U0001F600\u2212"), "\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80\xE2\x88\x92");
    EXPECT_EQ(utf16_to_utf8(std::u16string(1, 0xD800)), "\xEF\xBF\xBD");
    EXPECT_EQ(utf16_to_utf8(std::u16string{0xDC00, u'a'}), "\xEF\xBF\xBD" "a");
    EXPECT_EQ(utf16_to_utf8(std::u16string{u'a', 0xD83D, u'b'}), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(utf16_to_utf8(std::u16string{0xDE00, 0xD83D}), "\xEF\xBF\xBD\xEF\xBF\xBD");  // reversed pair
    EXPECT_EQ(utf16_to_utf8(std::u16string(1, 0xD83D)), "\xEF\xBF\xBD");                 // high at the end
}

TEST(Utf8RoundTrip, EveryCodePointSurvives)
{
    std::u16string all;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        if (c < 0x10000) {
            all.push_back(static_cast<char16_t>(c));
        } else {
            all.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            all.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
    }
    EXPECT_EQ(utf8_to_utf16(utf16_to_utf8(all)), all);
}

TEST(Utf8RoundTrip, RandomBytesDecodeToWellFormedText)
{
    std::mt19937 random(1234);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(static_cast<std::size_t>(random() % 64), '\0');
        for (char& b : bytes)
            b = static_cast<char>(random() & 0xFF);
        const std::u16string text = utf8_to_utf16(bytes);
        // Well-formed: re-encoding loses nothing more.
        const std::string again = utf16_to_utf8(text);
        EXPECT_EQ(utf8_to_utf16(again), text);
        // Never more units than bytes.
        EXPECT_LE(text.size(), bytes.size());
    }
}

}  // namespace
