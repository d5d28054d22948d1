#pragma once
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

// Bytes of one captured reply under tests/fixtures/replies (SOURCES.tsv there says where each
// comes from). A missing file fails the calling test with its path and reads as "".
inline std::string ReadReplyFixture(const std::string& name)
{
    const std::string path = std::string(QUENLO_FIXTURES) + "/replies/" + name;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ADD_FAILURE() << "missing fixture " << path;
        return "";
    }
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
