#include "document/CodePage932.h"

#include <gtest/gtest.h>

#include <string>

namespace {

char32_t DecodeAll(const std::string& bytes, int expectedLength)
{
    char32_t c = 0;
    EXPECT_EQ(CodePage932::Decode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), c),
              expectedLength)
        << bytes;
    return c;
}

std::string EncodeOne(char32_t c)
{
    unsigned char out[2];
    const int length = CodePage932::Encode(c, out);
    return std::string(reinterpret_cast<const char*>(out), static_cast<std::size_t>(length));
}

TEST(CodePage932, MapsTheWindowsCharactersBothWays)
{
    ASSERT_TRUE(CodePage932::Available());
    struct TCase {
        std::string Bytes;
        char32_t Char;
    } cases[] = {
        {"A", U'A'},           {"\\", U'\\'},         {"~", U'~'},           {"\xB1", U'\uFF71'},
        {"\x81\x60", U'\uFF5E'}, {"\x81\x7C", U'\uFF0D'}, {"\x81\x5F", U'\uFF3C'}, {"\x87\x40", U'\u2460'},
        {"\x87\x54", U'\u2160'}, {"\xFA\x40", U'\u2170'}, {"\xFA\x5C", U'\u7E8A'}, {"\xFB\xFC", U'\u9AD9'},
        {"\x81\xCA", U'\uFFE2'}, {"\x81\xE6", U'\u2235'}, {"\xF0\x40", U'\uE000'}, {"\x94\x67", U'\u6CE2'},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(DecodeAll(c.Bytes, static_cast<int>(c.Bytes.size())), c.Char) << c.Bytes;
        EXPECT_EQ(EncodeOne(c.Char), c.Bytes) << c.Bytes;
    }
    // Duplicates read as the same character; Windows writes the first form.
    EXPECT_EQ(DecodeAll("\xED\x40", 2), U'\u7E8A');
    EXPECT_EQ(DecodeAll("\xEE\xEF", 2), U'\u2170');
    EXPECT_EQ(DecodeAll("\x87\x9A", 2), U'\u2235');
}

TEST(CodePage932, RefusesWhatDoesNotComeBackUnchanged)
{
    // One-way mappings (WAVE DASH, MINUS SIGN, DOUBLE VERTICAL LINE, NOT SIGN)
    // and characters outside the code page.
    for (char32_t c : {U'\u301C', U'\u2212', U'\u2016', U'\u00AC', U'\u00E9', U'\uD55C', U'\U0001F3B5'})
        EXPECT_EQ(EncodeOne(c), "") << static_cast<uint32_t>(c);

    EXPECT_EQ(DecodeAll("\x81", 0), 0u);      // lead byte waiting for its trail byte
    EXPECT_EQ(DecodeAll("\x80", -1), 0u);
    EXPECT_EQ(DecodeAll("\xFD", -1), 0u);
    EXPECT_EQ(DecodeAll("\x81\x20", -1), 0u); // no such trail byte
    EXPECT_EQ(DecodeAll("\x85\x40", -1), 0u); // unassigned
}

TEST(CodePage932, EveryEncodedCharacterDecodesToItself)
{
    int encoded = 0;
    for (char32_t c = 0; c < 0x10000; ++c) {
        unsigned char out[2];
        const int length = CodePage932::Encode(c, out);
        if (length == 0)
            continue;
        ++encoded;
        char32_t back = 0;
        ASSERT_EQ(CodePage932::Decode(out, static_cast<std::size_t>(length), back), length) << uint32_t(c);
        ASSERT_EQ(back, c);
    }
    // ASCII, halfwidth katakana, JIS X 0208, NEC and IBM rows, user area.
    EXPECT_GT(encoded, 9000);
}

} // namespace
