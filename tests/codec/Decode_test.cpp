#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>

#include "SmsCodec.h"

namespace {

const std::string kSmsc = "07918105000000F0";
const std::string kOriginator = "0B818103000000F0";
const std::string kTime = "12101131522400"; // 2021-01-11 13:25:42

SM_PARAM Decode(const std::string& pdu, bool stored = false)
{
    SM_PARAM p;
    std::memset(&p, 0, sizeof p);
    std::memset(p.szText, 'x', sizeof p.szText); // a text field left over from another use
    if (stored)
        gsmDecodeSendPdu(pdu.c_str(), &p);
    else
        gsmDecodePdu(pdu.c_str(), &p);
    return p;
}

std::string Deliver(const std::string& firstOctet, const std::string& dcs, const std::string& ud)
{
    return kSmsc + firstOctet + kOriginator + "00" + dcs + kTime + ud;
}

bool IsUtf8(const char* text)
{
    return !ANSIToUnicode(text).empty() || text[0] == '\0';
}

} // namespace

TEST(CodecDecode, DeliverHeaderAndText)
{
    SM_PARAM p = Decode(Deliver("04", "08", "06006100620063") + "\r");
    EXPECT_STREQ(p.szSmsc, "18500000000");
    EXPECT_STREQ(p.szPeer, "18300000000");
    EXPECT_STREQ(p.szTimeStamp, "21011113254200");
    EXPECT_EQ(p.nDcs, 8);
    EXPECT_STREQ(p.szText, "abc");
    EXPECT_FALSE(p.bIsPart);

    EXPECT_STREQ(Decode(Deliver("04", "08", "06006100620063")).szText, "abc");
    p = Decode("00" + Deliver("04", "08", "06006100620063").substr(kSmsc.size()));
    EXPECT_STREQ(p.szSmsc, "");
    EXPECT_STREQ(p.szText, "abc");
    EXPECT_STREQ(Decode(kSmsc + "04" "0581" "2143F5" "0008" + kTime + "020061").szPeer, "12345");

    std::string lower = Deliver("04", "08", "04006100F1");
    for (char& c : lower)
        c = static_cast<char>(std::tolower(c));
    EXPECT_STREQ(Decode(lower).szText, "añ");
    EXPECT_STREQ(Decode(lower).szSmsc, "18500000000");

    // Alphanumeric originators: GSM 7-bit text, its length in semi-octets. Seven characters
    // leave fill bits in the last octet that are not a character.
    struct Alpha {
        const char* address;
        const char* name;
    } alphas[] = {
        {"0BD0" "4F79D87D2E03", "Orange"},
        {"0DD0" "D47B9A4E2FCB01", "Twitter"},
        {"0ED0" "CE32DDCC4EE363", "Netflix1"},
    };
    for (const Alpha& a : alphas)
        EXPECT_STREQ(Decode(kSmsc + "04" + a.address + "0000" + kTime + "00").szPeer, a.name);
}

TEST(CodecDecode, AlphabetFromDcsCodingGroups)
{
    struct Row {
        const char* dcs;
        const char* ud;
        const char* text;
    } rows[] = {
        {"00", "05E8329BFD06", "hello"},
        {"10", "05E8329BFD06", "hello"},   // GSM 7-bit with a message class
        {"F1", "05E8329BFD06", "hello"},
        {"C8", "05E8329BFD06", "hello"},   // message waiting, store
        // 8-bit data and compressed data in any alphabet: the octets in hex, zero octets kept.
        {"04", "03680069", "680069"},
        {"F4", "026869", "6869"},
        {"14", "026869", "6869"},
        {"08", "044E2D6587", "中文"},
        {"18", "044E2D6587", "中文"},
        {"E0", "044E2D6587", "中文"},
        {"F5", "03000102", "000102"},      // WAP push
        {"38", "020001", "0001"},          // compressed UCS2
        // Seven septets fill seven octets with a last fill septet; no "@" is added.
        {"00", "0761F138269BD100", "abc1234"},
        // An escape to a table not yet defined (1B 1B) shows a space.
        {"00", "04F8CD260F", "x y"},
    };
    for (const Row& r : rows)
        EXPECT_STREQ(Decode(Deliver("04", r.dcs, r.ud)).szText, r.text) << r.dcs << r.ud;
}

TEST(CodecDecode, ConcatenationHeaders)
{
    struct Row {
        const char* firstOctet;
        const char* dcs;
        const char* ud;
        bool part;
        int ref, total, seq;
        const char* text;
        const char* partHex;
    } rows[] = {
        {"44", "08", "080500032A02010061", true, 0x2A, 2, 1, "a", "0061"},
        // Without TP-UDHI the same octets are text.
        {"04", "08", "080500032A02010061", false, 0, 0, 0, "\u0500\u032A\u0201a", ""},
        // 16-bit reference, after a port-addressing element that is skipped.
        {"44", "08", "0F0C0504000000000804123403020062", true, 0x1234, 3, 2, "b", "0062"},
        // A total of 0 voids the element: a single message with the header hidden.
        {"44", "08", "080500032A00010061", false, 0, 0, 0, "a", ""},
        // GSM 7-bit part: the text starts after the header and one fill bit.
        {"44", "00", "0A0500032A0202C2E231", true, 0x2A, 2, 2, "abc", "006100620063"},
        // A header longer than the user data leaves no text.
        {"44", "08", "0409000300", false, 0, 0, 0, "", ""},
    };
    for (const Row& r : rows) {
        SM_PARAM p = Decode(Deliver(r.firstOctet, r.dcs, r.ud));
        EXPECT_EQ(p.bIsPart, r.part) << r.ud;
        EXPECT_STREQ(p.szText, r.text) << r.ud;
        if (!r.part)
            continue;
        EXPECT_EQ(p.nPartRef, r.ref);
        EXPECT_EQ(p.nPartTotal, r.total);
        EXPECT_EQ(p.nPartSeq, r.seq);
        EXPECT_STREQ(p.szPartHex, r.partHex);
        EXPECT_EQ(p.nPartHexLen, static_cast<int>(std::strlen(r.partHex)));
    }
}

TEST(CodecDecode, StoredSubmitValidityFormats)
{
    const std::string address = "0B818103000000F0";
    struct Row {
        const char* firstOctet;
        const char* validity;
    } rows[] = {{"11", "AA"}, {"01", ""}, {"09", "01020304050607"}, {"19", "12101131522400"}};
    for (const Row& r : rows) {
        SM_PARAM p = Decode(kSmsc + r.firstOctet + "00" + address + "0008" + r.validity +
                                "06006100620063",
                            true);
        EXPECT_STREQ(p.szPeer, "18300000000") << r.firstOctet;
        EXPECT_STREQ(p.szText, "abc") << r.firstOctet;
        EXPECT_STREQ(p.szTimeStamp, "");
    }
    // The first octet's message type wins over the decoder asked for.
    EXPECT_STREQ(Decode(kSmsc + "1100" + address + "0008AA06006100620063").szText, "abc");
    EXPECT_STREQ(Decode(Deliver("04", "08", "06006100620063"), true).szText, "abc");
}

TEST(CodecDecode, TruncatedAndHostilePdusStayInBounds)
{
    const std::string full = Deliver("44", "00", "A00500032A0201" + std::string(300, 'F'));
    for (size_t n = 0; n <= full.size(); ++n) {
        SM_PARAM p = Decode(full.substr(0, n));
        EXPECT_LT(std::strlen(p.szText), sizeof p.szText);
        EXPECT_TRUE(IsUtf8(p.szText));
    }
    // Length octets far beyond the text and the fields.
    for (const char* pdu : {"FF", "FF91", "00FF", "0004FFD0", "0004FF81", "000400000008",
                            "0004018100F8", "07918105000000F0440B818103000000F00008", "zz", ""}) {
        SM_PARAM p = Decode(pdu);
        EXPECT_STREQ(p.szText, "") << pdu;
    }
    // 255 septets of two-byte characters (Δ), or 127 units of three-byte ones: the text is cut
    // at a whole character inside the field.
    std::string deltas(255, '\x10');
    unsigned char packed[224];
    char packedHex[449];
    gsmBytes2String(packed, packedHex, gsmEncode7bit(deltas.data(), packed, 255));
    std::string han;
    for (int i = 0; i < 127; ++i)
        han += "4E2D";
    for (const std::string& pdu :
         {Deliver("04", "00", "FF" + std::string(packedHex)), Deliver("04", "08", "FF" + han)}) {
        SM_PARAM p = Decode(pdu);
        EXPECT_GT(std::strlen(p.szText), 300u);
        EXPECT_LT(std::strlen(p.szText), sizeof p.szText);
        EXPECT_TRUE(IsUtf8(p.szText));
    }
    SM_PARAM q{};
    EXPECT_EQ(gsmDecodePdu(nullptr, &q), 0);
}
