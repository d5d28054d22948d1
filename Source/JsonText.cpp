#include "JsonText.h"

#include <cstdlib>

#include "SmsCodec.h"

namespace {

// Reads the four hex digits of a "\uXXXX" escape starting at pos; -1 when there is none.
long EscapedUnit(const std::string& text, size_t pos)
{
    if (pos + 6 > text.size() || text[pos] != '\\' || text[pos + 1] != 'u')
        return -1;
    const std::string digits = text.substr(pos + 2, 4);
    char* end = nullptr;
    const long unit = strtol(digits.c_str(), &end, 16);
    return *end == '\0' ? unit : -1;
}

// The writers escape every character above U+007F as \uXXXX (pairs for the planes above);
// put those back as UTF-8 and leave every other escape as the writer made it.
std::string UnescapeNonAscii(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i++];
            continue;
        }
        const long unit = EscapedUnit(text, i);
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            const long low = EscapedUnit(text, i + 6);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(static_cast<char32_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)), out);
                i += 12;
                continue;
            }
        } else if (unit >= 0x80 && (unit < 0xDC00 || unit > 0xDFFF)) {
            AppendUtf8(static_cast<char32_t>(unit), out);
            i += 6;
            continue;
        }
        // Any other escape (quote, backslash, control character, lone surrogate) stays.
        out += text.substr(i, 2);
        i += 2;
    }
    return out;
}

} // namespace

std::string StyledJsonText(const Json::Value& value)
{
    return UnescapeNonAscii(Json::StyledWriter().write(value));
}

std::string OneLineJsonText(const Json::Value& value)
{
    return UnescapeNonAscii(Json::FastWriter().write(value));
}
