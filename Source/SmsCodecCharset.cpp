// UTF-8 <-> code points, written out so that no process locale is needed or changed:
// the conversions are pure and safe from any thread.
#include "SmsCodec.h"
#include "SmsCodecInternal.h"

namespace {

bool IsContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// Decodes one character at text[i], moving i past it. Rejects what a strict UTF-8 reader
// rejects: stray continuation bytes, truncated and overlong forms, surrogates, > U+10FFFF.
bool NextCodePoint(const std::string& text, size_t& i, char32_t& cp)
{
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t extra;
    char32_t least;
    if (lead < 0x80) {
        cp = lead;
        ++i;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        least = 0x80;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        least = 0x800;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        least = 0x10000;
        cp = lead & 0x07;
    } else {
        return false;
    }
    if (text.size() - i <= extra)
        return false;
    for (size_t k = 1; k <= extra; ++k) {
        const unsigned char c = static_cast<unsigned char>(text[i + k]);
        if (!IsContinuation(c))
            return false;
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return false;
    i += extra + 1;
    return true;
}

} // namespace

namespace smscodec {

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

} // namespace smscodec

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
        smscodec::AppendUtf8(cp, out);
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
