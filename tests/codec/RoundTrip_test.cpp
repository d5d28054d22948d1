#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "SmsCodec.h"

namespace {

SM_PARAM Record()
{
    SM_PARAM p;
    std::memset(&p, 0, sizeof p);
    std::strcpy(p.szSmsc, "8613800100500");
    std::strcpy(p.szPeer, "8618300000000");
    p.nDcs = 8;
    return p;
}

std::string Cycle(const std::vector<std::string>& chars, int n)
{
    std::string text;
    for (int i = 0; i < n; ++i)
        text += chars[i % chars.size()];
    return text;
}

// Sends the text as concatenated parts, reads each part back and joins them as a reader does.
void ExpectLongRoundTrip(const std::string& text)
{
    SM_PARAM p = Record();
    p.pLongText = text.c_str();
    std::vector<std::string> parts;
    gsmLongSmsPdu(&p, parts, true);
    ASSERT_FALSE(parts.empty());

    std::map<int, std::string> hexBySeq;
    for (const std::string& part : parts) {
        SM_PARAM r;
        std::memset(&r, 0, sizeof r);
        gsmDecodeSendPdu(part.c_str(), &r);
        ASSERT_TRUE(r.bIsPart);
        EXPECT_EQ(r.nPartTotal, parts.size());
        EXPECT_STREQ(r.szPeer, "8618300000000");
        EXPECT_LE(r.nPartHexLen, 268);
        hexBySeq[r.nPartSeq] = std::string(r.szPartHex, r.nPartHexLen);
    }
    ASSERT_EQ(hexBySeq.size(), parts.size());
    std::string hex;
    for (const auto& entry : hexBySeq)
        hex += entry.second;
    std::vector<unsigned char> ucs2(hex.size() / 2);
    gsmString2Bytes(hex.c_str(), ucs2.data(), static_cast<int>(hex.size()));
    EXPECT_EQ(gsmDecodeNew2(ucs2.data(), static_cast<int>(ucs2.size())), text);
}

void ExpectSingleRoundTrip(const std::string& text)
{
    SM_PARAM p = Record();
    std::strcpy(p.szText, text.c_str());
    std::string cmd;
    std::string pdu = gsmEncodePduNew(&p, cmd);
    ASSERT_EQ(pdu.back(), '\x1A');
    pdu.pop_back();
    SM_PARAM r;
    std::memset(&r, 0, sizeof r);
    gsmDecodeSendPdu(pdu.c_str(), &r);
    EXPECT_STREQ(r.szText, text.c_str());
    EXPECT_FALSE(r.bIsPart);
}

} // namespace

TEST(CodecRoundTrip, SingleAndConcatenatedTexts)
{
    const std::vector<std::vector<std::string>> alphabets = {
        {"a", "b", "c", " ", "1"},
        {"中", "文", "短", "信"},
        {"a", "中", "😀", "é", "!"},
        {"😀", "🎉"},
    };
    for (const auto& chars : alphabets) {
        for (int n : {1, 2, 34, 35, 66, 67, 68, 69, 70, 71, 134, 135, 201, 500, 1000}) {
            const std::string text = Cycle(chars, n);
            SCOPED_TRACE(text);
            if (gsmCountUcs2Units(text) <= 70)
                ExpectSingleRoundTrip(text);
            ExpectLongRoundTrip(text);
        }
    }
}
