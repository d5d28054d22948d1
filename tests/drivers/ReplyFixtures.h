#pragma once
#include <fstream>
#include <iterator>
#include <string>

// Bytes of one captured reply under the fixtures' replies folder; "" when missing.
inline std::string ReadReplyFixture(const std::string& name)
{
    std::ifstream in(std::string(QUENLO_FIXTURES) + "/replies/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Captures stored with LF only, with the CR that modems send restored before each LF.
inline std::string WithCrLf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}
