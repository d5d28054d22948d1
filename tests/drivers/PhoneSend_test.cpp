// PDU-mode send commands of the base driver: single and concatenated PDUs, numbers with
// and without country code or "+", the long-text judgement, and the two send reply judges;
// the CDMA driver's raw UCS2 parts where a cut would fall inside a surrogate pair.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../Ucs2Text.h"
#include "PhoneCardBase.h"
#include "Phone_Lumbrec.h"

namespace {

const std::string CENTRE_REPLY = "\r\n+CSCA: \"+18500000000\",145\r\n\r\nOK\r\n";

// UCS2 hex of an ASCII text.
std::string AsciiUcs2Hex(const std::string& text)
{
    std::string hex;
    char buf[5];
    for (char c : text) {
        snprintf(buf, sizeof(buf), "%04X", static_cast<unsigned>(c));
        hex += buf;
    }
    return hex;
}

std::string Repeat(const std::string& unit, size_t count)
{
    std::string out;
    for (size_t i = 0; i < count; ++i)
        out += unit;
    return out;
}

// Printable ASCII that changes every character, so a misplaced slice shows.
std::string Varied(size_t length)
{
    std::string out;
    for (size_t i = 0; i < length; ++i)
        out += static_cast<char>('!' + i % 90);
    return out;
}

std::vector<PDU_LONG_SMS_Base_t> Build(const std::string& centreReply, const std::string& number,
                                       const std::string& text)
{
    CPhoneCardBase phone;
    if (!centreReply.empty())
        phone.OnGetQuerySmsCenterCmdRsp(centreReply);
    return phone.GetSendPduSmsCmdArray(number, text);
}

} // namespace

TEST(PhoneSend, SinglePduCarriesCentreDestinationTypeAndText)
{
    struct Row {
        const char* what;
        std::string centreReply;
        std::string number;
        std::string text;
        std::string command;
        std::string body;
    };
    const std::string tpduTail = "0008AA06006100620063\x1A";
    const Row rows[] = {
        {"national mobile", CENTRE_REPLY, "18300000000", "abc", "AT+CMGS=20\r",
         "07918105000000F011000B818103000000F0" + tpduTail},
        {"centre stored without plus", "+CSCA: \"18500000000\",129\r\n\r\nOK\r\n", "18300000000", "abc",
         "AT+CMGS=20\r", "07918105000000F011000B818103000000F0" + tpduTail},
        {"no centre: the module chooses", "", "18300000000", "abc", "AT+CMGS=20\r",
         "0011000B818103000000F0" + tpduTail},
        {"0086 and 11 digits: international without the 00", "", "008618300000000", "abc", "AT+CMGS=21\r",
         "0011000D91688103000000F0" + tpduTail},
        {"86 and 11 digits: international as written", "", "8618300000000", "abc", "AT+CMGS=21\r",
         "0011000D91688103000000F0" + tpduTail},
        {"0086 and 10 digits: national, unchanged", "", "00861830000000", "abc", "AT+CMGS=21\r",
         "0011000E8100688103000000" + tpduTail},
        {"plus and country code: international", "", "+8618300000000", "abc", "AT+CMGS=21\r",
         "0011000D91688103000000F0" + tpduTail},
        {"plus with a foreign number: international", "", "+4915112345678", "abc", "AT+CMGS=21\r",
         "0011000D91945111325476F8" + tpduTail},
        {"70 ASCII characters fit one PDU", "", "10086", Repeat("a", 70), "AT+CMGS=151\r",
         "00110005810180F60008AA8C" + AsciiUcs2Hex(Repeat("a", 70)) + "\x1A"},
        {"empty text: no user data", "", "10086", "", "AT+CMGS=11\r", "00110005810180F60008AA00\x1A"},
    };
    for (const Row& row : rows) {
        const std::vector<PDU_LONG_SMS_Base_t> parts = Build(row.centreReply, row.number, row.text);
        ASSERT_EQ(parts.size(), 1u) << row.what;
        EXPECT_EQ(parts[0].command, row.command) << row.what;
        EXPECT_EQ(parts[0].body, row.body) << row.what;
    }
}

TEST(PhoneSend, ConcatenatedPartsCarryHeaderSlicesAndLengths)
{
    struct Row {
        const char* what;
        std::string centreReply;
        std::string number;
        std::string text;
        std::string header;             // part header up to the validity period
        std::vector<std::string> slices; // UCS2 hex of each part's text
    };
    const std::string text140 = Varied(140);
    const std::string chinese47 = Repeat("\xE4\xB8\xAD", 47); // U+4E2D, 141 bytes
    const Row rows[] = {
        {"140 ASCII characters: 67, 67 and 6", CENTRE_REPLY, "18300000000", text140,
         "07918105000000F051000BA18103000000F00008A7",
         {AsciiUcs2Hex(text140.substr(0, 67)), AsciiUcs2Hex(text140.substr(67, 67)),
          AsciiUcs2Hex(text140.substr(134))}},
        {"47 Chinese characters are 141 bytes: one part", "", "18300000000", chinese47,
         "0051000BA18103000000F00008A7", {Repeat("4E2D", 47)}},
        {"country code: international type 91", "", "008618300000000", text140,
         "0051000D91688103000000F00008A7",
         {AsciiUcs2Hex(text140.substr(0, 67)), AsciiUcs2Hex(text140.substr(67, 67)),
          AsciiUcs2Hex(text140.substr(134))}},
        {"plus: international type 91 even without 86", "", "+4915112345678", Varied(71),
         "0051000D91945111325476F80008A7",
         {AsciiUcs2Hex(Varied(71).substr(0, 67)), AsciiUcs2Hex(Varied(71).substr(67))}},
    };
    for (const Row& row : rows) {
        const std::vector<PDU_LONG_SMS_Base_t> parts = Build(row.centreReply, row.number, row.text);
        ASSERT_EQ(parts.size(), row.slices.size()) << row.what;
        const size_t smscChars = (std::stoul(row.header.substr(0, 2), nullptr, 16) + 1) * 2;
        std::string reference;
        for (size_t i = 0; i < parts.size(); ++i) {
            const std::string& body = parts[i].body;
            ASSERT_EQ(body.back(), '\x1A') << row.what;
            const std::string pdu = body.substr(0, body.size() - 1);
            ASSERT_EQ(pdu.compare(0, row.header.size(), row.header), 0) << row.what << " part " << i;
            std::string rest = pdu.substr(row.header.size());
            const bool last = i + 1 == parts.size();
            char udl[3];
            snprintf(udl, sizeof(udl), "%02X", static_cast<unsigned>(row.slices[i].size() / 2 + 6));
            EXPECT_EQ(rest.substr(0, 2), last ? std::string(udl) : std::string("8C")) << row.what;
            EXPECT_EQ(rest.substr(2, 6), "050003") << row.what;
            if (reference.empty())
                reference = rest.substr(8, 2);
            EXPECT_EQ(rest.substr(8, 2), reference) << row.what << ": one reference for all parts";
            char totalSeq[5];
            snprintf(totalSeq, sizeof(totalSeq), "%02X%02X", static_cast<unsigned>(parts.size()),
                     static_cast<unsigned>(i + 1));
            EXPECT_EQ(rest.substr(10, 4), totalSeq) << row.what;
            EXPECT_EQ(rest.substr(14), row.slices[i]) << row.what << " part " << i;
            // The length counts the TPDU: the part without its SMSC octets.
            EXPECT_EQ(parts[i].command, "AT+CMGS=" + std::to_string((pdu.size() - smscChars) / 2) + "\r")
                << row.what;
        }
    }
}

TEST(PhoneSend, SingleAndConcatenatedPdusCarryTheSameCentre)
{
    const std::string digits15 = "861380010050012";
    const std::string centre15 = "099168310810000510F2"; // 15 semi-octets, F filled
    const struct {
        std::string stored; // the centre as the AT+CSCA? answer quotes it
        std::string smsc;   // what every PDU starts with
    } rows[] = {
        {"+18500000000", "07918105000000F0"},
        {"+" + digits15, centre15}, // the last digit is kept
        {digits15, centre15},
        // No address: the module uses its own centre.
        {digits15 + "3", "00"},
        {"+", "00"},
        {"002B0038003600310033003800300030003100300035003000300046", "00"}, // UCS2 hex
        {std::string(100000, '8'), "00"},
    };
    for (const auto& row : rows) {
        const std::string reply = "\r\n+CSCA: \"" + row.stored + "\",145\r\n\r\nOK\r\n";
        std::vector<PDU_LONG_SMS_Base_t> parts = Build(reply, "18300000000", "abc");
        const std::vector<PDU_LONG_SMS_Base_t> longParts = Build(reply, "18300000000", Varied(71));
        parts.insert(parts.end(), longParts.begin(), longParts.end());
        ASSERT_EQ(parts.size(), 3u) << row.smsc;
        for (const PDU_LONG_SMS_Base_t& part : parts) {
            EXPECT_EQ(part.body.compare(0, row.smsc.size(), row.smsc), 0) << part.body;
            // The length commands count the TPDU only, whatever the centre.
            const size_t tpduOctets = (part.body.size() - 1 - row.smsc.size()) / 2;
            EXPECT_EQ(part.command, "AT+CMGS=" + std::to_string(tpduOctets) + "\r");
        }
    }
}

TEST(PhoneSend, LongTextJudgedByBytesAndUtf16Units)
{
    const std::string emoji = "\xF0\x9F\x98\x80"; // U+1F600: a surrogate pair, two units
    struct Row {
        std::string text;
        bool isLong;
    } rows[] = {
        {"", false},
        {Repeat("a", 70), false},
        {Repeat("a", 71), true},
        {Repeat("\xE4\xB8\xAD", 46), false},     // 138 bytes, 46 units
        {Repeat("\xE4\xB8\xAD", 47), true},      // 141 bytes
        {Repeat("a", 68) + emoji, false},        // 72 bytes, 70 units
        {Repeat("a", 69) + emoji, true},         // 71 units
        {Repeat(emoji, 35), false},              // 140 bytes, 70 units
        {Repeat(emoji, 35) + "a", true},         // 141 bytes
    };
    CPhoneCardBase phone;
    for (const Row& row : rows)
        EXPECT_EQ(phone.IsLongSms(row.text), row.isLong) << row.text.size() << " bytes";
}

TEST(PhoneSend, TextThatIsNotUtf8GivesNoPart)
{
    // Sent as is it would be an empty SMS that the module reports as sent.
    EXPECT_TRUE(Build("", "18300000000", "abc\xFF").empty());
    EXPECT_TRUE(Build("", "18300000000", Repeat("\xC3", 150)).empty());
}

TEST(PhoneSend, WhatNoPduCanCarryIsRefusedWithItsReason)
{
    const std::string numberReason = "号码超过20位数字，未发送";
    const std::string textReason = "短信内容过长，未发送";
    struct Row {
        const char* what;
        std::string number;
        std::string text;
        size_t parts;
        std::string error;
    } rows[] = {
        {"20 digits fit one address", Repeat("1", 20), "abc", 1, ""},
        {"21 digits, single PDU", Repeat("1", 21), "abc", 0, numberReason},
        {"21 digits, concatenated", Repeat("1", 21), Varied(141), 0, numberReason},
        {"plus and 21 digits", "+" + Repeat("1", 21), "abc", 0, numberReason},
        {"plus and 20 digits", "+" + Repeat("1", 20), "abc", 1, ""},
        // 255 parts of 67 units is the most one reference octet can number.
        {"255 parts", "18300000000", Repeat("a", 255 * 67), 255, ""},
        {"256 parts", "18300000000", Repeat("a", 255 * 67 + 1), 0, textReason},
    };
    for (const Row& row : rows) {
        CPhoneCardBase phone;
        EXPECT_EQ(phone.GetSendPduSmsCmdArray(row.number, row.text).size(), row.parts) << row.what;
        EXPECT_EQ(phone.GetErrorMessage(), row.error) << row.what;
    }
}

TEST(PhoneSend, CountryCodeRule)
{
    struct Row {
        std::string number;
        bool hasCode;
        std::string modified;
    } rows[] = {
        {"008618300000000", true, "8618300000000"},
        {"8618300000000", true, "8618300000000"},
        {"18300000000", false, "18300000000"},
        {"00861830000000", false, "00861830000000"},
        {"0086183000000000", false, "0086183000000000"},
        {"861830000000", false, "861830000000"},
        {"10086", false, "10086"},
        {"", false, ""},
    };
    CPhoneCardBase phone;
    for (const Row& row : rows) {
        const CountryCode_t code = phone.JudgePhoneCountryCode(row.number);
        EXPECT_EQ(code.bHasCountryCode, row.hasCode) << row.number;
        EXPECT_EQ(code.nCode, 6);
        EXPECT_EQ(phone.ModifyPhoneCode(row.number, code.bHasCountryCode), row.modified) << row.number;
    }
    // Only a number already judged to carry the code loses its "00".
    EXPECT_EQ(phone.ModifyPhoneCode("0049151", true), "49151");
    EXPECT_EQ(phone.ModifyPhoneCode("00", true), "00");
}

TEST(PhoneSend, LengthCommandReplyWaitsForThePrompt)
{
    struct Row {
        std::string reply;
        int status;
        std::string error;
    } rows[] = {
        {"\r\n> ", 0, ""},
        {"\r\nERROR\r\n", 1, "ERROR"},
        {"\r\n+CMS ERROR: 304\r\n", 1, "+CMS ERROR: 304"},
        {"\r\n", 2, ""},
        {"", 2, ""},
    };
    for (const Row& row : rows) {
        CPhoneCardBase phone;
        EXPECT_EQ(phone.OnSendPduSmsLenCmdRsp(row.reply), row.status) << row.reply;
        EXPECT_EQ(phone.GetErrorMessage(), row.error) << row.reply;
    }
}

TEST(PhoneSend, BodyReplySetsTheRetryFlagForCauses500To600)
{
    struct Row {
        std::string reply;
        int status;
        bool retry;
        std::string error;
    } rows[] = {
        {"\r\n+CMGS: 12\r\n\r\nOK\r\n", 0, false, ""},
        {"\r\n+CMS ERROR: 500\r\n", 1, true, "+CMS ERROR: 500"},
        {"\r\n+CMS ERROR: 600\r\n", 1, true, "+CMS ERROR: 600"},
        {"\r\n+CMS ERROR: 535\r\n", 1, true, "+CMS ERROR: 535"},
        {"\r\n+CMS ERROR: 330\r\n", 1, false, "+CMS ERROR: 330"},
        {"\r\n+CMS ERROR: 499\r\n", 1, false, "+CMS ERROR: 499"},
        {"\r\n+CMS ERROR: 601\r\n", 1, false, "+CMS ERROR: 601"},
        {"\r\nERROR\r\n", 1, false, "ERROR"},
        {"\r\n+CMGS: 12\r\n", 2, false, ""},
        {"\r\n+CMS ERROR: 500", 2, false, ""}, // line not complete yet
    };
    for (const Row& row : rows) {
        CPhoneCardBase phone;
        EXPECT_EQ(phone.OnSendPduSmsContextCmdRsp(row.reply), row.status) << row.reply;
        EXPECT_EQ(phone.IsSendPduSmsRetry(), row.retry) << row.reply;
        EXPECT_EQ(phone.GetErrorMessage(), row.error) << row.reply;
    }
}

TEST(PhoneSend, RetryFlagFollowsTheLastBodyReplyOnly)
{
    CPhoneCardBase phone;
    phone.OnSendPduSmsContextCmdRsp("\r\n+CMS ERROR: 500\r\n");
    ASSERT_TRUE(phone.IsSendPduSmsRetry());
    // A failure at the length step leaves the flag as the last body reply set it.
    EXPECT_EQ(phone.OnSendPduSmsLenCmdRsp("\r\nERROR\r\n"), 1);
    EXPECT_TRUE(phone.IsSendPduSmsRetry());
    EXPECT_EQ(phone.OnSendPduSmsContextCmdRsp("\r\nOK\r\n"), 0);
    EXPECT_FALSE(phone.IsSendPduSmsRetry());
    EXPECT_EQ(phone.OnSendPduSmsContextCmdRsp("\r\n+CMS ERROR: 500\r\n"), 1);
    EXPECT_EQ(phone.OnSendPduSmsContextCmdRsp("\r\n+CMS ERROR: 330\r\n"), 1);
    EXPECT_FALSE(phone.IsSendPduSmsRetry());
}

TEST(PhoneSend, CdmaPartsNeverSplitASurrogatePair)
{
    const std::string emoji = "\xF0\x9F\x98\x80"; // U+1F600, UTF-16 D83D DE00
    const std::string emojiUcs2("\xD8\x3D\xDE\x00", 4);
    const std::string ctrlZ("\x00\x1A", 2);
    struct Row {
        const char* what;
        std::string text;
        std::string ucs2;
        std::vector<size_t> pieces; // text bytes per part
    } rows[] = {
        // The pair would straddle the 128-byte cut: the first part stops before it.
        {"pair across the first cut", Repeat("a", 63) + emoji + Repeat("b", 70),
         AsciiUcs2(Repeat("a", 63)) + emojiUcs2 + AsciiUcs2(Repeat("b", 70)), {126, 128, 16}},
        // 256 bytes would fit two parts; keeping the pair whole needs a third.
        {"pair whole costs a part", Repeat("a", 63) + emoji + Repeat("b", 63),
         AsciiUcs2(Repeat("a", 63)) + emojiUcs2 + AsciiUcs2(Repeat("b", 63)), {126, 128, 2}},
        // Pairs that start on the cut are left alone.
        {"pairs aligned with the cut", Repeat(emoji, 64), Repeat(emojiUcs2, 64), {128, 128}},
    };
    for (const Row& row : rows) {
        CPhone_Lumbrec phone;
        const std::vector<PDU_LONG_SMS_Base_t> parts = phone.GetSendPduSmsCmdArray("10086", row.text);
        ASSERT_EQ(parts.size(), row.pieces.size()) << row.what;
        size_t offset = 0;
        for (size_t i = 0; i < parts.size(); ++i) {
            const std::string suffix =
                AsciiUcs2("(" + std::to_string(i + 1) + "/" + std::to_string(parts.size()) + ")");
            EXPECT_EQ(parts[i].command, "AT^HCMGS=\"10086\"\r") << row.what;
            EXPECT_EQ(parts[i].body, row.ucs2.substr(offset, row.pieces[i]) + suffix + ctrlZ)
                << row.what << " part " << i + 1;
            EXPECT_LE(parts[i].body.size(), 140u) << row.what;
            offset += row.pieces[i];
        }
        EXPECT_EQ(offset, row.ucs2.size()) << row.what;
    }
}
