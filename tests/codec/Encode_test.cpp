#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "SmsCodec.h"

namespace {

const char kHeader[] = "07918105000000F0" "5100" "0BA18103000000F0" "0008A7";

SM_PARAM Record(const char* smsc, const char* peer, bool national)
{
    SM_PARAM p;
    std::memset(&p, 0, sizeof p);
    std::strcpy(p.szSmsc, smsc);
    std::strcpy(p.szPeer, peer);
    p.bNational = national;
    p.nDcs = 8;
    return p;
}

std::vector<std::string> LongParts(const std::string& text)
{
    SM_PARAM p = Record("18500000000", "18300000000", true);
    p.pLongText = text.c_str();
    std::vector<std::string> parts;
    gsmLongSmsPdu(&p, parts, true);
    return parts;
}

std::string Repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

int ReferenceOf(const std::string& part)
{
    return std::stoi(part.substr(std::strlen(kHeader) + 8, 2), nullptr, 16);
}

} // namespace

TEST(CodecEncode, SinglePduGolden)
{
    const std::string tpdu = "11000B818103000000F00008AA06006100620063";
    struct Row {
        const char* smsc;
        const char* peer;
        bool national;
        std::string pdu;
    } rows[] = {
        {"18500000000", "18300000000", true, "07918105000000F0" + tpdu},
        {"+18500000000", "18300000000", true, "07918105000000F0" + tpdu},
        {"", "18300000000", true, "00" + tpdu},
        {"", "+8618300000000", false, "00" "11000D91688103000000F00008AA06006100620063"},
    };
    for (const Row& r : rows) {
        SM_PARAM p = Record(r.smsc, r.peer, r.national);
        std::strcpy(p.szText, "abc");
        std::string cmd;
        EXPECT_EQ(gsmEncodePduNew(&p, cmd), r.pdu + "\x1A");
        EXPECT_EQ(cmd, r.national ? "AT+CMGS=20\r" : "AT+CMGS=21\r");
    }
}

TEST(CodecEncode, SinglePduRefusesWhatCannotBeSent)
{
    SM_PARAM p = Record("", "18300000000", true);
    const std::string seventy = Repeat("中", 70);
    std::strcpy(p.szText, seventy.c_str());
    std::string cmd;
    EXPECT_NE(gsmEncodePduNew(&p, cmd).find("8C4E2D"), std::string::npos);

    std::strcpy(p.szText, (Repeat("中", 69) + "😀").c_str()); // 71 units
    EXPECT_EQ(gsmEncodePduNew(&p, cmd), "");
    EXPECT_EQ(cmd, "");

    std::strcpy(p.szText, "abc");
    std::strcpy(p.szPeer, "123456789012345678901"); // 21 digits: no valid address
    EXPECT_EQ(gsmEncodePduNew(&p, cmd), "");
    char header[64];
    EXPECT_EQ(GetSubmitPdu(&p, header), 0);
    EXPECT_STREQ(header, "");
}

TEST(CodecEncode, PartHeaderFields)
{
    struct Row {
        int minutes;
        bool flash;
        uint8_t dcs;
        const char* tail;
    } rows[] = {
        {0, false, 8, "0008A7"},   {1, false, 8, "000800"},  {5, false, 8, "000800"},
        {720, false, 8, "00088F"}, {721, false, 8, "00088F"}, {1440, false, 8, "0008A7"},
        {2000, false, 8, "0008A8"}, {2881, false, 8, "0008FF"}, {-3, false, 8, "0008A7"},
        {0, true, 8, "0018A7"},    {0, true, 0, "0010A7"},
    };
    for (const Row& r : rows) {
        SM_PARAM p = Record("18500000000", "+8618300000000", false);
        p.nValidityMinutes = r.minutes;
        p.bFlash = r.flash;
        p.nDcs = r.dcs;
        char header[64];
        const int n = GetSubmitPdu(&p, header);
        EXPECT_EQ(std::string(header),
                  std::string("07918105000000F0" "5100" "0D91688103000000F0") + r.tail)
            << r.minutes;
        EXPECT_EQ(n, static_cast<int>(std::strlen(header)));
    }
}

TEST(CodecEncode, ConcatenatedPartsGolden)
{
    const std::vector<std::string> parts = LongParts(std::string(100, 'a'));
    ASSERT_EQ(parts.size(), 2u);
    const int ref = ReferenceOf(parts[0]);
    char refHex[3];
    std::snprintf(refHex, sizeof refHex, "%02X", ref);
    EXPECT_EQ(parts[0], kHeader + std::string("8C050003") + refHex + "0201" + Repeat("0061", 67));
    EXPECT_EQ(parts[1], kHeader + std::string("48050003") + refHex + "0202" + Repeat("0061", 33));
    EXPECT_EQ(parts[0].size() - std::strlen(kHeader) - 14, 268u);

    const std::vector<std::string> one = LongParts(Repeat("中", 47)); // 141 bytes of UTF-8
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].substr(std::strlen(kHeader), 14).substr(10), "0101");

    EXPECT_EQ(LongParts(std::string(67, 'a'))[0].substr(std::strlen(kHeader), 2), "8C");
    EXPECT_EQ(LongParts(std::string(140, 'a')).size(), 3u);
    EXPECT_TRUE(LongParts("").empty());
    EXPECT_TRUE(LongParts("bad \xff").empty());
    EXPECT_TRUE(LongParts(std::string(255 * 67 + 1, 'a')).empty()); // would need 256 parts
    EXPECT_EQ(LongParts(std::string(255 * 67, 'a')).size(), 255u);
}

TEST(CodecEncode, PartBoundaryNeverSplitsASurrogatePair)
{
    // 66 units, then an emoji whose pair would straddle the 67-unit boundary.
    const std::vector<std::string> parts = LongParts(std::string(66, 'a') + "😀" + "b");
    ASSERT_EQ(parts.size(), 2u);
    const size_t h = std::strlen(kHeader);
    EXPECT_EQ(parts[0].substr(h, 2), "8A"); // 6 + 132 octets
    EXPECT_EQ(parts[0].substr(h + 14), Repeat("0061", 66));
    EXPECT_EQ(parts[1].substr(h, 2), "0C");
    EXPECT_EQ(parts[1].substr(h + 14), "D83DDE000062");
}

TEST(CodecEncode, ReferencesAdvanceAndWrapAfter255)
{
    int previous = ReferenceOf(LongParts("x")[0]);
    for (int i = 0; i < 300; ++i) {
        const int ref = ReferenceOf(LongParts("x")[0]);
        EXPECT_EQ(ref, previous == 255 ? 1 : previous + 1);
        ASSERT_GE(ref, 1);
        ASSERT_LE(ref, 255);
        previous = ref;
    }
}
