#pragma once
// Helpers shared by the codec's source files; not for other layers.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace smscodec {

// Value of one hex digit, -1 for any other character.
int HexValue(char c);
// n bytes as upper-case hex text, two characters each.
std::string Hex(const uint8_t* bytes, size_t n);
// Big-endian UTF-16 of n bytes of UTF-8 (up to a NUL); empty when the text is not UTF-8.
std::vector<uint8_t> Utf8ToUcs2Bytes(const char* text, size_t n);
// count septets starting at septet first of packed data, as far as the octets reach.
std::vector<uint8_t> UnpackSeptets(const uint8_t* data, size_t octets, size_t first, size_t count);
// GSM default alphabet and its extension table to UTF-8.
std::string GsmSeptetsToUtf8(const std::vector<uint8_t>& septets);

} // namespace smscodec
