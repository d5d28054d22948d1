#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "SmsCodec.h"

namespace {

std::string Decode7(const std::string& hex)
{
    std::vector<unsigned char> octets(hex.size() / 2);
    gsmString2Bytes(hex.c_str(), octets.data(), static_cast<int>(hex.size()));
    std::vector<char> text(2 * (octets.size() + octets.size() / 7) + 1);
    const int n = gsmDecode7bit(octets.data(), text.data(), static_cast<int>(octets.size()));
    return std::string(text.data(), n);
}

// Packs raw septet values, so that tests can reach every code of the alphabet.
std::string Pack7(const std::vector<unsigned char>& septets)
{
    std::string chars(septets.begin(), septets.end());
    std::vector<unsigned char> octets(septets.size() + 1);
    const int n = gsmEncode7bit(chars.data(), octets.data(), static_cast<int>(chars.size()));
    std::string hex(2 * n + 1, '\0');
    hex.resize(gsmBytes2String(octets.data(), &hex[0], n));
    return hex;
}

std::string Ucs2Hex(const std::string& utf8)
{
    std::vector<unsigned char> ucs2(2 * utf8.size() + 1);
    const int n = gsmEncodeUcs2(utf8.data(), ucs2.data(), static_cast<int>(utf8.size()));
    std::string hex(2 * n + 1, '\0');
    hex.resize(gsmBytes2String(ucs2.data(), &hex[0], n));
    return hex;
}

std::string FromUcs2Hex(const std::string& hex)
{
    std::vector<unsigned char> bytes(hex.size() / 2 + 1);
    const int n = gsmString2Bytes(hex.c_str(), bytes.data(), static_cast<int>(hex.size()));
    return gsmDecodeNew2(bytes.data(), n);
}

} // namespace

TEST(CodecPrimitives, HexReadsBothCasesAndWritesUpperCase)
{
    unsigned char bytes[4] = {};
    EXPECT_EQ(gsmString2Bytes("0aFf7B", bytes, 6), 3);
    EXPECT_EQ(bytes[0], 0x0A);
    EXPECT_EQ(bytes[1], 0xFF);
    EXPECT_EQ(bytes[2], 0x7B);
    char text[7];
    EXPECT_EQ(gsmBytes2String(bytes, text, 3), 6);
    EXPECT_STREQ(text, "0AFF7B");
}

TEST(CodecPrimitives, SemiOctetNumbers)
{
    struct Row {
        const char* digits;
        const char* semi;
    } rows[] = {{"18300000000", "8103000000F0"}, {"5", "F5"}, {"1234", "2143"}, {"", ""}};
    for (const Row& r : rows) {
        char semi[40];
        char back[40];
        const int n = static_cast<int>(strlen(r.digits));
        EXPECT_EQ(gsmInvertNumbers(r.digits, semi, n), n + n % 2);
        EXPECT_STREQ(semi, r.semi);
        EXPECT_EQ(gsmSerializeNumbers(semi, back, n + n % 2), n);
        EXPECT_STREQ(back, r.digits);
    }
}

TEST(CodecPrimitives, SevenBitPackingAndDefaultAlphabet)
{
    EXPECT_EQ(Pack7({'h', 'e', 'l', 'l', 'o'}), "E8329BFD06");
    EXPECT_EQ(Decode7("E8329BFD06"), "hello");
    // Eight septets fill seven octets exactly: the eighth comes from the carry.
    EXPECT_EQ(Decode7(Pack7({'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'})), "abcdefgh");

    struct Row {
        std::vector<unsigned char> septets;
        const char* utf8;
    } rows[] = {
        {{0x00, 0x01, 0x02, 0x03, 0x11}, "@£$¥_"},
        {{0x10, 0x12, 0x13, 0x15, 0x1C, 0x1D, 0x1E, 0x1F}, "ΔΦΓΩÆæßÉ"},
        {{0x24, 0x40, 0x5B, 0x5C, 0x5F, 0x60, 0x7B, 0x7F}, "¤¡ÄÖ§¿äà"},
        {{0x1B, 0x65, 0x1B, 0x28, 0x1B, 0x29, 0x1B, 0x14}, "€{}^"},
        {{0x1B, 0x2F, 0x1B, 0x3C, 0x1B, 0x3D, 0x1B, 0x3E, 0x1B, 0x40}, "\\[~]|"},
        {{0x1B, 0x0A, 'a', 0x0A, 0x0D}, "\fa\n\r"},
        // An unknown escape shows the default character; a trailing escape shows nothing.
        {{0x1B, 'x', 'y', 0x1B}, "xy"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(Decode7(Pack7(r.septets)), r.utf8) << r.utf8;
}

TEST(CodecPrimitives, Ucs2WithSurrogatePairs)
{
    EXPECT_EQ(Ucs2Hex("中a"), "4E2D0061");
    EXPECT_EQ(Ucs2Hex("😀"), "D83DDE00");
    EXPECT_EQ(Ucs2Hex("a\xff"), "");      // invalid UTF-8 converts to nothing
    EXPECT_EQ(Ucs2Hex(std::string("a\0b", 3)), "0061");

    EXPECT_EQ(FromUcs2Hex("4E2D0061"), "中a");
    EXPECT_EQ(FromUcs2Hex("D83DDE00"), "😀");
    EXPECT_EQ(FromUcs2Hex("00610062FF"), "ab"); // odd last byte ignored
    // One bad unit shows as U+FFFD and neither blanks nor ends the text.
    const char* const replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(FromUcs2Hex("0048D8000069"), std::string("H") + replacement + "i"); // lone high surrogate
    EXPECT_EQ(FromUcs2Hex("0061D83D"), std::string("a") + replacement);          // ... at the end
    EXPECT_EQ(FromUcs2Hex("DE000061"), std::string(replacement) + "a");          // lone low surrogate
    EXPECT_EQ(FromUcs2Hex("D83DD83DDE00"), std::string(replacement) + "😀");      // high, then a pair
    EXPECT_EQ(FromUcs2Hex("004100000042"), std::string("A") + replacement + "B"); // U+0000
    EXPECT_EQ(FromUcs2Hex(""), "");

    unsigned char ucs2[] = {0x4E, 0x2D, 0x00, 0x61};
    char utf8[6] = {};
    EXPECT_EQ(gsmDecodeUcs2(ucs2, utf8, 4), 4);
    EXPECT_STREQ(utf8, "中a");
}

TEST(CodecCharset, StrictUtf8WithoutLocale)
{
    struct Row {
        std::string utf8;
        std::wstring wide;
    } rows[] = {
        {"abc", L"abc"},
        {"中文", L"\u4E2D\u6587"},
        {"\xF0\x9F\x98\x80", std::wstring(1, static_cast<wchar_t>(0x1F600))},
        {"\xC0\xAF", L""},          // overlong
        {"\xED\xA0\x80", L""},      // encoded surrogate
        {"\xF4\x90\x80\x80", L""},  // above U+10FFFF
        {"\xE4\xB8", L""},          // truncated
        {"\x80", L""},              // stray continuation
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ANSIToUnicode(r.utf8), r.wide);
        if (!r.wide.empty()) {
            EXPECT_EQ(UnicodeToANSI(r.wide), r.utf8);
        }
    }
    EXPECT_EQ(UnicodeToANSI(std::wstring(1, static_cast<wchar_t>(0xD800))), "");
    EXPECT_EQ(UnicodeToANSI(std::wstring(1, static_cast<wchar_t>(0x110000))), "");

    EXPECT_EQ(gsmCountUcs2Units("abc"), 3);
    EXPECT_EQ(gsmCountUcs2Units("中文"), 2);
    EXPECT_EQ(gsmCountUcs2Units("a😀"), 3);
    EXPECT_EQ(gsmCountUcs2Units("\xff"), 0);

    char* out = nullptr;
    EXPECT_EQ(Utf8ToGBK("abc", &out), 0);
    EXPECT_EQ(out, nullptr);
}
