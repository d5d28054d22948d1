#pragma once
// Builds SMS-DELIVER PDUs (3GPP TS 23.040) by hand for the listing and per-index reader
// tests, independently of the codec's own encoder.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace testpdu {

inline std::string Hex(const std::vector<uint8_t>& bytes)
{
    std::string out;
    char buf[3];
    for (uint8_t b : bytes) {
        snprintf(buf, sizeof(buf), "%02X", b);
        out += buf;
    }
    return out;
}

inline std::string SemiOctets(std::string digits)
{
    if (digits.size() % 2)
        digits += 'F';
    for (size_t i = 0; i < digits.size(); i += 2)
        std::swap(digits[i], digits[i + 1]);
    return digits;
}

// UTF-16 units, big-endian, of an ASCII or BMP text given as code units.
inline std::vector<uint8_t> Ucs2(const std::u16string& text)
{
    std::vector<uint8_t> out;
    for (char16_t u : text) {
        out.push_back(static_cast<uint8_t>(u >> 8));
        out.push_back(static_cast<uint8_t>(u & 0xFF));
    }
    return out;
}

struct Concat {
    uint16_t ref = 0;
    uint8_t total = 0;
    uint8_t seq = 0;
    bool ref16 = false; // IEI 08 instead of 00
};

inline std::vector<uint8_t> Udh(const Concat& c)
{
    if (c.ref16)
        return {0x06, 0x08, 0x04, static_cast<uint8_t>(c.ref >> 8), static_cast<uint8_t>(c.ref & 0xFF), c.total,
                c.seq};
    return {0x05, 0x00, 0x03, static_cast<uint8_t>(c.ref), c.total, c.seq};
}

// Originator, DCS, time stamp 21-01-11 13:25:42 (+8), then the user data.
inline std::string Deliver(const std::string& from, bool udhi, uint8_t dcs, uint8_t udl,
                           const std::vector<uint8_t>& ud, const std::string& stamp = "12101131522423")
{
    char head[16];
    snprintf(head, sizeof(head), "00%02X%02X81", udhi ? 0x44 : 0x04, static_cast<unsigned>(from.size()));
    char tail[8];
    snprintf(tail, sizeof(tail), "00%02X", dcs);
    char len[4];
    snprintf(len, sizeof(len), "%02X", udl);
    return std::string(head) + SemiOctets(from) + tail + stamp + len + Hex(ud);
}

inline std::string Ucs2Single(const std::string& from, const std::u16string& text)
{
    const std::vector<uint8_t> ud = Ucs2(text);
    return Deliver(from, false, 0x08, static_cast<uint8_t>(ud.size()), ud);
}

inline std::string Ucs2Part(const std::string& from, const Concat& c, const std::u16string& text)
{
    std::vector<uint8_t> ud = Udh(c);
    const std::vector<uint8_t> payload = Ucs2(text);
    ud.insert(ud.end(), payload.begin(), payload.end());
    return Deliver(from, true, 0x08, static_cast<uint8_t>(ud.size()), ud);
}

// GSM 7-bit part: the header, fill bits up to the next septet boundary, then the septets
// (ASCII letters and digits are the same in the GSM default alphabet).
inline std::string Gsm7Part(const std::string& from, const Concat& c, const std::string& text)
{
    const std::vector<uint8_t> udh = Udh(c);
    const size_t headerBits = udh.size() * 8;
    const size_t firstSeptet = (headerBits + 6) / 7;
    const size_t totalSeptets = firstSeptet + text.size();
    std::vector<uint8_t> ud((totalSeptets * 7 + 7) / 8, 0);
    for (size_t i = 0; i < udh.size(); ++i)
        ud[i] = udh[i];
    for (size_t j = 0; j < text.size(); ++j) {
        const size_t bit = (firstSeptet + j) * 7;
        const unsigned value = static_cast<unsigned>(text[j] & 0x7F) << (bit % 8);
        ud[bit / 8] |= static_cast<uint8_t>(value & 0xFF);
        if (value >> 8)
            ud[bit / 8 + 1] |= static_cast<uint8_t>(value >> 8);
    }
    return Deliver(from, true, 0x00, static_cast<uint8_t>(totalSeptets), ud);
}

// A stored outgoing UCS2 part: SMS-SUBMIT with TP-UDHI, relative validity AA.
inline std::string Ucs2SubmitPart(const std::string& to, const Concat& c, const std::u16string& text)
{
    std::vector<uint8_t> ud = Udh(c);
    const std::vector<uint8_t> payload = Ucs2(text);
    ud.insert(ud.end(), payload.begin(), payload.end());
    char head[16];
    snprintf(head, sizeof(head), "005100%02X81", static_cast<unsigned>(to.size()));
    char len[4];
    snprintf(len, sizeof(len), "%02X", static_cast<unsigned>(ud.size()));
    return std::string(head) + SemiOctets(to) + "0008AA" + len + Hex(ud);
}

// The length a listing header gives: the PDU's octets without its SMSC field.
inline std::string TpduLength(const std::string& pdu)
{
    const size_t smsc = pdu.size() >= 2 ? std::stoul(pdu.substr(0, 2), nullptr, 16) : 0;
    return std::to_string(pdu.size() / 2 - 1 - smsc);
}

// One "+CMGL:" entry of a PDU-mode listing.
inline std::string ListEntry(int index, int stat, const std::string& pdu)
{
    return "+CMGL: " + std::to_string(index) + "," + std::to_string(stat) + ",," + TpduLength(pdu) + "\r\n" +
           pdu + "\r\n";
}

// One "+CMGR:" reply to a per-index read.
inline std::string ReadReply(int stat, const std::string& pdu)
{
    return "\r\n+CMGR: " + std::to_string(stat) + ",," + TpduLength(pdu) + "\r\n" + pdu + "\r\n\r\nOK\r\n";
}

} // namespace testpdu
