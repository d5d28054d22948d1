#pragma once
#include <string>

// Big-endian UCS2 bytes of an ASCII text, as the CDMA module takes it.
inline std::string AsciiUcs2(const std::string& text)
{
    std::string out;
    for (char c : text) {
        out += '\0';
        out += c;
    }
    return out;
}
