#include <gtest/gtest.h>

#include "ReadResultCheck.h"
#include "Phone_Lumbrec.h"

namespace {

const std::string kCtrlZ("\x00\x1A", 2);

std::string Bytes(std::initializer_list<unsigned char> bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// Big-endian UCS2 of ASCII text.
std::string Ucs2(const std::string& ascii)
{
    std::string out;
    for (char c : ascii) {
        out += '\0';
        out += c;
    }
    return out;
}

std::string Letters(size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += static_cast<char>('a' + i % 26);
    return text;
}

// A read reply's header for a text of `length` bytes, then the text.
std::string Header(const char* format, size_t length)
{
    return std::string("\r\n^HCMGR: 13800138000,2021,01,11,13,25,42,0,") + format + "," + std::to_string(length) +
           ",0,0,0,1\r\n";
}
std::string F1(const std::string& text) { return Header("1", text.size()) + text; }
std::string F6(const std::string& ucs2) { return Header("6", ucs2.size()) + ucs2; }

TEST(LumbrecSend, SinglePartIsRawUcs2WithCtrlZ)
{
    CPhone_Lumbrec card;
    const std::vector<PDU_LONG_SMS_Base_t> parts = card.GetSendSmsModePDUCmd("10086", "abc");
    ASSERT_EQ(1u, parts.size());
    EXPECT_EQ("AT^HCMGS=\"10086\"\r", parts[0].command);
    EXPECT_EQ(Bytes({0x00, 0x61, 0x00, 0x62, 0x00, 0x63, 0x00, 0x1A}), parts[0].body);
    // The number goes as given: no country-code handling.
    EXPECT_EQ("AT^HCMGS=\"008613800138000\"\r",
              card.GetSendSmsModePDUCmd("008613800138000", "x")[0].command);
}

TEST(LumbrecSend, LongTextPartsCarrySuffixesAndStayWithin140Bytes)
{
    const std::string han = "\xE4\xB8\xAD"; // U+4E2D
    std::string hanText;
    std::string hanUcs2;
    for (int i = 0; i < 128; ++i) {
        hanText += han;
        hanUcs2 += "\x4E\x2D";
    }
    const struct {
        const char* what;
        std::string text;
        std::string ucs2;
        std::vector<size_t> pieces; // text bytes per part
    } cases[] = {
        {"141 ASCII characters", Letters(141), Ucs2(Letters(141)), {128, 128, 26}},
        {"128 three-byte characters", hanText, hanUcs2, {128, 128}},
        // Ten parts cannot hold 1280 bytes once "(10/10)" needs 7 characters.
        {"10 x 128 bytes", Letters(640), Ucs2(Letters(640)),
         {126, 126, 126, 126, 126, 126, 126, 126, 126, 124, 22}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CPhone_Lumbrec card;
        const std::vector<PDU_LONG_SMS_Base_t> parts = card.GetSendLongPduSmsCmd("10086", c.text);
        ASSERT_EQ(c.pieces.size(), parts.size());
        std::string::size_type offset = 0;
        for (size_t i = 0; i < parts.size(); ++i) {
            const std::string suffix =
                Ucs2("(" + std::to_string(i + 1) + "/" + std::to_string(parts.size()) + ")");
            EXPECT_EQ("AT^HCMGS=\"10086\"\r", parts[i].command);
            EXPECT_EQ(c.ucs2.substr(offset, c.pieces[i]) + suffix + kCtrlZ, parts[i].body)
                << "part " << i + 1;
            EXPECT_LE(parts[i].body.size(), 140u);
            offset += c.pieces[i];
        }
        EXPECT_EQ(c.ucs2.size(), offset);
    }
}

TEST(LumbrecSend, ChoiceBetweenSingleAndLongUsesTheModuleBuilders)
{
    CPhone_Lumbrec card;
    const std::vector<PDU_LONG_SMS_Base_t> single = card.GetSendPduSmsCmdArray("10086", "abc");
    ASSERT_EQ(1u, single.size());
    EXPECT_EQ("AT^HCMGS=\"10086\"\r", single[0].command);
    EXPECT_EQ(3u, card.GetSendPduSmsCmdArray("10086", Letters(141)).size());
}

TEST(LumbrecSend, BodyReplyJudge)
{
    const struct {
        const char* what;
        std::string reply;
        int status;
        std::string error;
    } cases[] = {
        {"sent", "\r\n^HCMGSS: 12\r\n", 0, ""},
        {"OK, then the sent report", "\r\nOK\r\n\r\n^HCMGSS: 12\r\n", 0, ""},
        {"OK alone does not decide", "\r\nOK\r\n", 2, ""},
        {"blank lines only", "\r\n\r\n", 2, ""},
        {"report not complete", "\r\n^HCMGSS: 12", 2, ""},
        {"send failed", "\r\n^HCMGSF: 98\r\n", 1, "^HCMGSF: 98"},
        {"error number in the retry range", "\r\n+CMS ERROR: 500\r\n", 1, "+CMS ERROR: 500"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CPhone_Lumbrec card;
        EXPECT_EQ(c.status, card.OnSendPduSmsContextCmdRsp(c.reply));
        EXPECT_EQ(c.error, card.GetErrorMessage());
        EXPECT_FALSE(card.IsSendPduSmsRetry()) << "this module is never resent";
    }
}

TEST(LumbrecReplies, SimNumberWaitsForTheErrorLineEnd)
{
    const struct {
        const char* what;
        std::string reply;
        int status;
        std::string sim;
    } cases[] = {
        {"number, empty line, OK", "\r\n+CCID: 89860012345678901234\r\n\r\nOK\r\n", 0,
         "89860012345678901234"},
        {"error line not complete", "\r\n+CME ERROR: 10", 2, "<old>"},
        {"error line complete", "\r\n+CME ERROR: 10\r\n", 1, "<old>"},
        {"OK without the key", "\r\nOK\r\n", 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CPhone_Lumbrec card;
        ASSERT_EQ(0, card.OnGetIMSI_CmdRsp("+CCID: <old>\r\n\r\nOK\r\n"));
        EXPECT_EQ(c.status, card.OnGetIMSI_CmdRsp(c.reply));
        EXPECT_EQ(c.sim, card.GetSmsCardNumber());
    }
}

TEST(LumbrecRead, ListingQueuesIndexesForReading)
{
    CPhone_Lumbrec card;
    EXPECT_EQ("", card.GetReadNextSmsCmd());
    EXPECT_EQ(0, card.OnReadAllSmsCmdRsp("\r\n^HCMGL: 0,1\r\n^HCMGL: 3,0\r\n\r\nOK\r\n"));
    ASSERT_TRUE(card.NotFinished());
    EXPECT_EQ("AT^HCMGR=0\r\n", card.GetReadNextSmsCmd());
    // The next storage's listing starts from an empty queue: index 3 was the other storage's.
    EXPECT_EQ(0, card.OnReadAllSmsCmdRsp("\r\n^HCMGL: 7,1\r\n\r\nOK\r\n"));
    EXPECT_EQ("AT^HCMGR=7\r\n", card.GetReadNextSmsCmd());
    EXPECT_FALSE(card.NotFinished());
    EXPECT_EQ("", card.GetReadNextSmsCmd());
    EXPECT_TRUE(EveryEntryRead(card));

    // A refused listing reads as empty, but what the storage holds was never seen.
    const std::pair<std::string, bool> notListed[] = {
        {"\r\nERROR\r\n", false}, {"\r\n+CMS ERROR: 302\r\n", false}, {"\r\nOK\r\n", true}};
    for (const auto& listing : notListed) {
        EXPECT_EQ(0, card.OnReadAllSmsCmdRsp(listing.first)) << listing.first;
        EXPECT_FALSE(card.NotFinished()) << listing.first;
        EXPECT_EQ(listing.second, EveryEntryRead(card)) << listing.first;
    }
}

TEST(LumbrecRead, ListingSpanningSeveralWindowsIsReadWhole)
{
    CPhone_Lumbrec card;
    const std::string first = "\r\n^HCMGL: 0,1\r\n^HCMGL: 5";
    EXPECT_EQ(2, card.OnReadAllSmsCmdRsp(first));
    EXPECT_FALSE(card.NotFinished());
    EXPECT_EQ(0, card.OnReadAllSmsCmdRsp(first + ",0\r\n^HCMGL: 9,1\r\n\r\nOK\r\n"));
    EXPECT_EQ("AT^HCMGR=0\r\n", card.GetReadNextSmsCmd());
    EXPECT_EQ("AT^HCMGR=5\r\n", card.GetReadNextSmsCmd());
    EXPECT_EQ("AT^HCMGR=9\r\n", card.GetReadNextSmsCmd());
    EXPECT_FALSE(card.NotFinished());
}

TEST(LumbrecRead, OneMessagePerRead)
{
    const std::string han = "\xE4\xB8\x8A\xE4\xB8\x8D\xE4\xB8\x9A"; // U+4E0A U+4E0D U+4E1A
    struct Case {
        const char* what;
        std::string reply;
        int status;
        std::vector<std::string> texts; // texts stored, in order
        bool whole;                     // false: a message was there and could not be shown
    };
    const Case cases[] = {
        {"format 1", F1("hello") + "\x1A\r\n\r\nOK\r\n", 0, {"hello"}, true},
        // 0x0A, 0x0D and 0x1A bytes inside characters do not cut the UCS2 text.
        {"format 6 with 0A/0D/1A bytes inside characters",
         F6(Bytes({0x4E, 0x0A, 0x4E, 0x0D, 0x4E, 0x1A})) + kCtrlZ + "\r\n\r\nOK\r\n", 0, {han}, true},
        // Nor do the bytes of a line "OK": only the final result after the Ctrl-Z ends the read.
        {"format 6 holding the bytes CR LF O K CR LF",
         F6(Bytes({0x0D, 0x0A, 0x4F, 0x4B, 0x0D, 0x0A})) + kCtrlZ + "\r\n\r\nOK\r\n", 0,
         {"\xE0\xB4\x8A\xE4\xBD\x8B\xE0\xB4\x8A"}, true},
        {"format 6 Ctrl-Z arrived, final result not yet", F6(Ucs2("ab")) + kCtrlZ + "\r\n", 2, {}, true},
        // Only a 00 1A unit at an even offset ends the text.
        {"format 6 with 00 1A across two characters",
         F6(Bytes({0x4E, 0x00, 0x1A, 0x4E})) + kCtrlZ + "\r\nOK\r\n", 0, {"\xE4\xB8\x80\xE1\xA9\x8E"}, true},
        // Without its Ctrl-Z a text runs as far as its header counts.
        {"format 6 without its Ctrl-Z", F6(Bytes({0x4E, 0x0A})) + "\r\n\r\nOK\r\n", 0, {"\xE4\xB8\x8A"}, true},
        {"format 1 without its Ctrl-Z", F1("hello") + "\r\n\r\nOK\r\n", 0, {"hello"}, true},
        {"format 1 without its Ctrl-Z, a line OK inside", F1("fine\r\nOK\r\nthanks") + "\r\n\r\nOK\r\n", 0,
         {"fine\r\nOK\r\nthanks"}, true},
        {"format 1 without its Ctrl-Z, counted short of the text", Header("1", 5) + "hello world\r\n\r\nOK\r\n", 0,
         {}, false},
        {"format 1 without its Ctrl-Z, running into the final result", F1("hello") + "OK\r\n", 0, {}, false},
        // That text cut after its line "OK" has not ended: the "OK" is text.
        {"a text cut at a line OK", Header("1", 16) + "fine\r\nOK\r\n", 2, {}, true},
        {"length that disagrees with the text", Header("1", 4) + "hello\x1A\r\n\r\nOK\r\n", 0, {}, false},
        {"format 6 empty text", F6("") + kCtrlZ + "\r\nOK\r\n", 0, {""}, true},
        {"no OK yet", F1("hello") + "\x1A\r\n", 2, {}, true},
        {"header line not complete", "\r\n^HCMGR: 138", 2, {}, true},
        // Format 1 text runs to its Ctrl-Z: a message saying OK, or written over several
        // lines, is stored whole.
        {"format 1 text holding OK", F1("is it OK?") + "\x1A\r\n\r\nOK\r\n", 0, {"is it OK?"}, true},
        {"format 1 empty text", F1("") + "\x1A\r\n\r\nOK\r\n", 0, {""}, true},
        {"format 1 counted empty, no Ctrl-Z", F1("") + "\r\n\r\nOK\r\n", 0, {""}, true},
        {"format 1 text over several lines", F1("first\r\nsecond") + "\x1A\r\n\r\nOK\r\n", 0,
         {"first\r\nsecond"}, true},
        {"unsolicited line after the final result",
         F1("hi") + "\x1A\r\n\r\nOK\r\n\r\n+CMTI: \"SM\",3\r\n", 0, {"hi"}, true},
        {"header with eight fields",
         "\r\n^HCMGR: 13800138000,2021,01,11,13,25,42,1\r\nhello\x1A\r\n\r\nOK\r\n", 0, {}, false},
        {"other format",
         "\r\n^HCMGR: 13800138000,2021,01,11,13,25,42,0,2,5,0,0,0,1\r\nhello\x1A\r\n\r\nOK\r\n", 0, {},
         false},
        // Empty fields still leave the blank after the colon and the time's separators.
        {"blank number", "\r\n^HCMGR: ,2021,01,11,13,25,42,0,1,2,0,0,0,1\r\nhi\x1A\r\n\r\nOK\r\n", 0, {}, false},
        {"empty time fields", "\r\n^HCMGR: 13800138000,,,,,,,0,1,2,0,0,0,1\r\nhi\x1A\r\n\r\nOK\r\n", 0, {}, false},
        {"format 6 odd count, no Ctrl-Z", Header("6", 3) + Bytes({0x00, 0x41, 0x42}) + "\r\n\r\nOK\r\n", 0, {}, false},
        {"nothing stored at the index", "\r\nOK\r\n", 0, {}, true},
        {"error", "\r\n+CMS ERROR: 321\r\n", 1, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CPhone_Lumbrec card;
        EXPECT_EQ(c.status, card.OnReadNextSmsCmdRsp(c.reply));
        EXPECT_EQ(c.whole, EveryEntryRead(card));
        const std::vector<SmsRecvStruct_t> read = card.GetReadSms();
        ASSERT_EQ(c.texts.size(), read.size());
        for (size_t i = 0; i < read.size(); ++i) {
            EXPECT_EQ(c.texts[i], read[i].text);
            // Fields stand as the module sent them, the blank after the colon included.
            EXPECT_EQ(" 13800138000", read[i].number);
            EXPECT_EQ("2021-01-11 13:25:42", read[i].time);
        }
    }
}

TEST(LumbrecRead, EachListingStartsTheStorageOver)
{
    CPhone_Lumbrec card;
    ASSERT_EQ(0, card.OnReadAllSmsCmdRsp("\r\n^HCMGL: 2,1\r\n\r\nOK\r\n"));
    ASSERT_EQ("AT^HCMGR=2\r\n", card.GetReadNextSmsCmd());
    card.OnReadNextSmsCmdRsp(F1("one") + "\x1A\r\n\r\nOK\r\n");
    card.OnReadNextSmsCmdRsp(F1("two") + "\x1A\r\n\r\nOK\r\n");
    ASSERT_EQ(2u, card.GetReadSms().size());
    EXPECT_EQ("two", card.GetReadSms()[1].text);
    // The SIM storage is empty: its listing leaves no message from the device storage.
    EXPECT_EQ(0, card.OnReadAllSmsCmdRsp("\r\nOK\r\n"));
    EXPECT_FALSE(card.NotFinished());
    EXPECT_TRUE(card.GetReadSms().empty());
}

} // namespace
