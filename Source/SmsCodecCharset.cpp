// UTF-8 <-> code points, written out so that no process locale is needed or changed:
// the conversions are pure and safe from any thread.
#include "SmsCodec.h"
#include "SmsCodecInternal.h"

size_t Utf8CharLength(const std::string& text, size_t i)
{
    // RFC 3629: no stray continuation bytes, no truncated or overlong forms, no surrogates,
    // nothing above U+10FFFF.
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        const unsigned char c = static_cast<unsigned char>(text[i + k]);
        if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

bool IsValidUtf8(const std::string& text)
{
    for (size_t i = 0; i < text.size();) {
        const size_t length = Utf8CharLength(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

void AppendUtf8(char32_t cp, std::string& out)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

namespace {

// Decodes one well-formed character at text[i], moving i past it.
bool NextCodePoint(const std::string& text, size_t& i, char32_t& cp)
{
    static const unsigned char leadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    const size_t length = Utf8CharLength(text, i);
    if (length == 0)
        return false;
    cp = static_cast<unsigned char>(text[i]) & leadBits[length];
    for (size_t k = 1; k < length; ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += length;
    return true;
}

} // namespace

std::wstring ANSIToUnicode(const std::string& text)
{
    // Like a C string conversion, the text ends at its first NUL.
    const std::string s = text.substr(0, text.find('\0'));
    std::wstring wide;
    for (size_t i = 0; i < s.size();) {
        char32_t cp;
        if (!NextCodePoint(s, i, cp))
            return std::wstring();
        wide += static_cast<wchar_t>(cp);
    }
    return wide;
}

std::string UnicodeToANSI(const std::wstring& text)
{
    std::string out;
    for (wchar_t w : text) {
        if (w == L'\0')
            break;
        const char32_t cp = static_cast<char32_t>(w);
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return std::string();
        AppendUtf8(cp, out);
    }
    return out;
}

int gsmCountUcs2Units(const std::string& text)
{
    int units = 0;
    for (wchar_t w : ANSIToUnicode(text))
        units += static_cast<char32_t>(w) > 0xFFFF ? 2 : 1;
    return units;
}

int Utf8ToGBK(const char*, char**)
{
    return 0;
}
