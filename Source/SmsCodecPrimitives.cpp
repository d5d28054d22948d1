// Hex text, semi-octet numbers, 7-bit packing, 8-bit copies and UCS2 user data.
#include <cstring>

#include "SmsCodec.h"
#include "SmsCodecInternal.h"

namespace {

bool IsHighSurrogate(char32_t u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}

bool IsLowSurrogate(char32_t u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

const char32_t REPLACEMENT_CHARACTER = 0xFFFD;

// Joins surrogate pairs. A lone surrogate (half a pair whose other half is in a missing part)
// and U+0000 become U+FFFD: one bad unit must neither blank the text nor end it.
std::wstring Ucs2ToWide(const unsigned char* src, int n)
{
    std::wstring wide;
    const int units = n > 0 ? n / 2 : 0;
    for (int i = 0; i < units; ++i) {
        char32_t u = (src[2 * i] << 8) | src[2 * i + 1];
        if (IsHighSurrogate(u) && i + 1 < units) {
            const char32_t low = (src[2 * i + 2] << 8) | src[2 * i + 3];
            if (IsLowSurrogate(low)) {
                u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (u == 0 || IsHighSurrogate(u) || IsLowSurrogate(u))
            u = REPLACEMENT_CHARACTER;
        wide += static_cast<wchar_t>(u);
    }
    return wide;
}

} // namespace

namespace smscodec {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::vector<uint8_t> Utf8ToUcs2Bytes(const char* text, size_t n)
{
    std::vector<uint8_t> bytes;
    for (wchar_t w : ANSIToUnicode(std::string(text, n))) {
        char32_t cp = static_cast<char32_t>(w);
        if (cp > 0xFFFF) {
            cp -= 0x10000;
            const char32_t high = 0xD800 + (cp >> 10);
            bytes.push_back(static_cast<uint8_t>(high >> 8));
            bytes.push_back(static_cast<uint8_t>(high & 0xFF));
            cp = 0xDC00 + (cp & 0x3FF);
        }
        bytes.push_back(static_cast<uint8_t>(cp >> 8));
        bytes.push_back(static_cast<uint8_t>(cp & 0xFF));
    }
    return bytes;
}

std::vector<uint8_t> UnpackSeptets(const uint8_t* data, size_t octets, size_t first, size_t count)
{
    std::vector<uint8_t> septets;
    const size_t available = octets * 8 / 7;
    for (size_t s = first; s < available && s - first < count; ++s) {
        const size_t bit = s * 7;
        const size_t byte = bit / 8;
        const unsigned shift = bit % 8;
        unsigned value = data[byte] >> shift;
        if (shift > 1)
            value |= data[byte + 1] << (8 - shift);
        septets.push_back(static_cast<uint8_t>(value & 0x7F));
    }
    return septets;
}

std::string Hex(const uint8_t* bytes, size_t n)
{
    std::string text(2 * n + 1, '\0');
    gsmBytes2String(bytes, &text[0], static_cast<int>(n));
    text.resize(2 * n);
    return text;
}

} // namespace smscodec

int gsmString2Bytes(const char* src, unsigned char* dst, int n)
{
    for (int i = 0; i + 1 < n; i += 2) {
        const int high = smscodec::HexValue(src[i]);
        const int low = smscodec::HexValue(src[i + 1]);
        // Not hex: a wrong value rather than an error.
        dst[i / 2] = static_cast<unsigned char>(((high < 0 ? 0 : high) << 4) | (low < 0 ? 0 : low));
    }
    return n / 2;
}

int gsmBytes2String(const unsigned char* src, char* dst, int n)
{
    static const char digits[] = "0123456789ABCDEF";
    for (int i = 0; i < n; ++i) {
        dst[2 * i] = digits[src[i] >> 4];
        dst[2 * i + 1] = digits[src[i] & 0x0F];
    }
    dst[2 * (n > 0 ? n : 0)] = '\0';
    return 2 * n;
}

int gsmInvertNumbers(const char* src, char* dst, int n)
{
    int written = 0;
    for (int i = 0; i < n; i += 2) {
        dst[written++] = i + 1 < n ? src[i + 1] : 'F';
        dst[written++] = src[i];
    }
    dst[written] = '\0';
    return written;
}

int gsmSerializeNumbers(const char* src, char* dst, int n)
{
    int written = 0;
    for (int i = 0; i + 1 < n; i += 2) {
        dst[written++] = src[i + 1];
        dst[written++] = src[i];
    }
    if (written > 0 && (dst[written - 1] == 'F' || dst[written - 1] == 'f'))
        --written;
    dst[written] = '\0';
    return written;
}

int gsmEncode7bit(const char* src, unsigned char* dst, int n)
{
    const int octets = (7 * n + 7) / 8;
    std::memset(dst, 0, octets > 0 ? octets : 0);
    // 3GPP TS 23.038: septet i occupies bits 7i .. 7i+6 of the packed data, LSB first.
    for (int i = 0; i < n; ++i) {
        const unsigned septet = static_cast<unsigned char>(src[i]) & 0x7F;
        const int bit = 7 * i;
        dst[bit / 8] |= static_cast<unsigned char>(septet << (bit % 8));
        if (bit % 8 > 1)
            dst[bit / 8 + 1] |= static_cast<unsigned char>(septet >> (8 - bit % 8));
    }
    return octets;
}

int gsmDecode7bit(const unsigned char* src, char* dst, int n)
{
    const size_t octets = n > 0 ? n : 0;
    const std::string text =
        smscodec::GsmSeptetsToUtf8(smscodec::UnpackSeptets(src, octets, 0, octets * 8 / 7));
    std::memcpy(dst, text.data(), text.size());
    dst[text.size()] = '\0';
    return static_cast<int>(text.size());
}

int gsmEncode8bit(const char* src, unsigned char* dst, int n)
{
    if (n > 0)
        std::memcpy(dst, src, n);
    return n;
}

int gsmDecode8bit(const unsigned char* src, char* dst, int n)
{
    if (n > 0)
        std::memcpy(dst, src, n);
    dst[n > 0 ? n : 0] = '\0';
    return n;
}

int gsmEncodeUcs2(const char* src, unsigned char* dst, int n)
{
    const std::vector<uint8_t> bytes = smscodec::Utf8ToUcs2Bytes(src, n > 0 ? n : 0);
    if (!bytes.empty())
        std::memcpy(dst, bytes.data(), bytes.size());
    return static_cast<int>(bytes.size());
}

int gsmDecodeUcs2(const unsigned char* src, char* dst, int n)
{
    const std::string text = gsmDecodeNew2(src, n);
    std::memcpy(dst, text.data(), text.size());
    return static_cast<int>(text.size());
}

std::string gsmDecodeNew2(const unsigned char* src, int n)
{
    if (n <= 0)
        return std::string();
    return UnicodeToANSI(Ucs2ToWide(src, n));
}
