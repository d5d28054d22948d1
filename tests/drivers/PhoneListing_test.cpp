// "AT+CMGL=4" listings of the base driver and the joining of long messages.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "ReadResultCheck.h"
#include "DeliverPduBuilder.h"
#include "../ReplyFixtures.h"
#include "PhoneCardBase.h"

using namespace testpdu;

namespace {

struct Expected {
    std::string number;
    std::string time;
    std::string text;
};

const char* const STAMP_TEXT = "21-01-11 13:25:42";

void ExpectRecords(const std::vector<SmsRecvStruct_t>& got, const std::vector<Expected>& want, const char* what)
{
    ASSERT_EQ(got.size(), want.size()) << what;
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].number, want[i].number) << what << " record " << i;
        EXPECT_EQ(got[i].time, want[i].time) << what << " record " << i;
        EXPECT_EQ(got[i].text, want[i].text) << what << " record " << i;
    }
}

// An 8-bit data part: the header, then the bytes as they are.
std::string Data8Part(const std::string& from, const Concat& c, const std::string& bytes)
{
    std::vector<uint8_t> ud = Udh(c);
    ud.insert(ud.end(), bytes.begin(), bytes.end());
    return Deliver(from, true, 0x04, static_cast<uint8_t>(ud.size()), ud);
}

std::vector<SmsRecvStruct_t> ReadListing(const std::string& body, int expectedStatus = 0)
{
    CPhoneCardBase phone;
    EXPECT_EQ(phone.OnReadAllSmsCmdRsp(body + "\r\nOK\r\n"), expectedStatus);
    return phone.GetReadSms();
}

} // namespace

TEST(PhoneListing, ReassemblesLongMessagesWithoutMixingThem)
{
    struct Row {
        const char* what;
        std::string listing;
        std::vector<Expected> records;
    };
    const Concat a1{0x2A, 2, 1}, a2{0x2A, 2, 2}, b1{0x2B, 2, 1}, b2{0x2B, 2, 2};
    const Row rows[] = {
        {"singles come in index order",
         ListEntry(2, 1, Ucs2Single("10086", u"second")) + ListEntry(1, 0, Ucs2Single("10010", u"first")),
         {{"10010", STAMP_TEXT, "first"}, {"10086", STAMP_TEXT, "second"}}},
        {"parts listed out of order",
         ListEntry(5, 1, Ucs2Part("13800000000", {9, 3, 3}, u"three")) +
             ListEntry(3, 1, Ucs2Part("13800000000", {9, 3, 1}, u"one ")) +
             ListEntry(4, 1, Ucs2Part("13800000000", {9, 3, 2}, u"two ")),
         {{"13800000000", STAMP_TEXT, "one two three"}}},
        {"two long messages, both complete, lower reference first",
         ListEntry(1, 1, Ucs2Part("111", b2, u"B2")) + ListEntry(2, 1, Ucs2Part("111", a1, u"A1")) +
             ListEntry(3, 1, Ucs2Part("111", b1, u"B1")) + ListEntry(4, 1, Ucs2Part("111", a2, u"A2")),
         {{"111", STAMP_TEXT, "A1A2"}, {"111", STAMP_TEXT, "B1B2"}}},
        {"singles before long messages",
         ListEntry(7, 1, Ucs2Part("111", a1, u"long ")) + ListEntry(8, 1, Ucs2Single("222", u"short")) +
             ListEntry(9, 1, Ucs2Part("111", a2, u"text")),
         {{"222", STAMP_TEXT, "short"}, {"111", STAMP_TEXT, "long text"}}},
        {"one reference from two senders",
         ListEntry(1, 1, Ucs2Part("111", {7, 2, 1}, u"Hello ")) + ListEntry(2, 1, Ucs2Part("222", {7, 2, 1}, u"Dear ")) +
             ListEntry(3, 1, Ucs2Part("222", {7, 2, 2}, u"Sir")) + ListEntry(4, 1, Ucs2Part("111", {7, 2, 2}, u"World")),
         {{"111", STAMP_TEXT, "Hello World"}, {"222", STAMP_TEXT, "Dear Sir"}}},
        {"missing parts of two messages with one reference",
         ListEntry(1, 1, Ucs2Part("111", {9, 3, 1}, u"first of 111")) +
             ListEntry(2, 1, Ucs2Part("222", {9, 3, 2}, u"second of 222")),
         {{"111", STAMP_TEXT, "first of 111"}, {"222", STAMP_TEXT, "second of 222"}}},
        {"one sender and reference, different totals",
         ListEntry(1, 1, Ucs2Part("111", {5, 2, 1}, u"x")) + ListEntry(2, 1, Ucs2Part("111", {5, 3, 1}, u"y")),
         {{"111", STAMP_TEXT, "x"}, {"111", STAMP_TEXT, "y"}}},
        {"parts differing only in their total never join",
         ListEntry(1, 1, Ucs2Part("111", {5, 2, 1}, u"x")) + ListEntry(2, 1, Ucs2Part("111", {5, 3, 2}, u"y")),
         {{"111", STAMP_TEXT, "x"}, {"111", STAMP_TEXT, "y"}}},
        {"parts differing only in their reference never join",
         ListEntry(1, 1, Ucs2Part("111", {5, 2, 1}, u"x")) + ListEntry(2, 1, Ucs2Part("111", {6, 2, 2}, u"y")),
         {{"111", STAMP_TEXT, "x"}, {"111", STAMP_TEXT, "y"}}},
        {"reference reused once the first message is whole",
         ListEntry(1, 1, Ucs2Part("111", a1, u"a")) + ListEntry(2, 1, Ucs2Part("111", a2, u"b")) +
             ListEntry(3, 1, Ucs2Part("111", a1, u"c")) + ListEntry(4, 1, Ucs2Part("111", a2, u"d")),
         {{"111", STAMP_TEXT, "ab"}, {"111", STAMP_TEXT, "cd"}}},
        {"two messages sharing sender, reference and total: parts with one sequence number never join",
         ListEntry(1, 1, Ucs2Part("111", a1, u"a")) + ListEntry(2, 1, Ucs2Part("111", a1, u"c")) +
             ListEntry(3, 1, Ucs2Part("111", a2, u"d")),
         {{"111", STAMP_TEXT, "ad"}, {"111", STAMP_TEXT, "c"}}},
        {"a message of one part", ListEntry(1, 1, Ucs2Part("111", {3, 1, 1}, u"alone")),
         {{"111", STAMP_TEXT, "alone"}}},
        {"GSM 7-bit parts come out as text",
         ListEntry(1, 1, Gsm7Part("4915112345678", {0x11, 2, 2}, "and seven-bit.")) +
             ListEntry(2, 1, Gsm7Part("4915112345678", {0x11, 2, 1}, "Packed septets ")),
         {{"4915112345678", STAMP_TEXT, "Packed septets and seven-bit."}}},
        {"8-bit parts come out as the hex of their octets, zero octets kept",
         ListEntry(1, 1, Data8Part("10690000", {0x12, 2, 2}, std::string("8-bit\0", 6))) +
             ListEntry(2, 1, Data8Part("10690000", {0x12, 2, 1}, "Joined ")),
         {{"10690000", STAMP_TEXT, "4A6F696E656420" "382D62697400"}}},
        {"text and 8-bit parts join in sequence order, each in its own form",
         ListEntry(1, 1, Ucs2Part("9", {0x13, 3, 3}, u"z")) + ListEntry(2, 1, Data8Part("9", {0x13, 3, 2}, "AB")) + ListEntry(3, 1, Ucs2Part("9", {0x13, 3, 1}, u"x")), {{"9", STAMP_TEXT, "x4142z"}}},
        {"an 8-bit part of 134 octets, whole", ListEntry(1, 1, Data8Part("9", {0x14, 1, 1}, std::string(134, 'U'))), {{"9", STAMP_TEXT, std::string(268, '5')}}},
        {"16-bit references group like 8-bit ones and sort after singles",
         ListEntry(1, 1, Ucs2Part("111", {0xABCD, 2, 2, true}, u"CD")) +
             ListEntry(2, 1, Ucs2Part("111", {0x1234, 2, 1, true}, u"12")) +
             ListEntry(3, 1, Ucs2Part("111", {0xABCD, 2, 1, true}, u"AB")) +
             ListEntry(4, 1, Ucs2Part("111", {0x1234, 2, 2, true}, u"34")) + ListEntry(5, 1, Ucs2Single("222", u"s")),
         {{"222", STAMP_TEXT, "s"}, {"111", STAMP_TEXT, "1234"}, {"111", STAMP_TEXT, "ABCD"}}},
        {"a surrogate pair split across two parts",
         ListEntry(1, 1, Ucs2Part("111", {4, 2, 1}, u"x\xD83D")) + ListEntry(2, 1, Ucs2Part("111", {4, 2, 2}, u"\xDE00y")),
         {{"111", STAMP_TEXT, "x\xF0\x9F\x98\x80y"}}},
        {"half a surrogate pair whose other half is missing: U+FFFD, the rest kept",
         ListEntry(1, 1, Ucs2Part("111", {4, 3, 1}, u"ab")) + ListEntry(2, 1, Ucs2Part("111", {4, 3, 2}, u"c\xD83D")),
         {{"111", STAMP_TEXT, "abc\xEF\xBF\xBD"}}},
        {"a stored outgoing part and a received part never join",
         ListEntry(1, 3, Ucs2SubmitPart("111", {5, 2, 1}, u"sent ")) +
             ListEntry(2, 1, Ucs2Part("111", {5, 2, 2}, u"got")),
         {{"111", "", "sent "}, {"111", STAMP_TEXT, "got"}}},
    };
    for (const Row& row : rows)
        ExpectRecords(ReadListing(row.listing), row.records, row.what);
}

TEST(PhoneListing, NumberAndTimeOfALongMessageComeFromItsLastPart)
{
    const std::vector<uint8_t> ud2 = [] {
        std::vector<uint8_t> ud = Udh({6, 2, 2});
        const std::vector<uint8_t> text = Ucs2(u"b");
        ud.insert(ud.end(), text.begin(), text.end());
        return ud;
    }();
    // Part 2 stamped 21-01-11 13:26:00.
    const std::string part2 = Deliver("111", true, 0x08, static_cast<uint8_t>(ud2.size()), ud2, "12101131620023");
    const std::string listing = ListEntry(1, 1, part2) + ListEntry(2, 1, Ucs2Part("111", {6, 2, 1}, u"a"));
    ExpectRecords(ReadListing(listing), {{"111", "21-01-11 13:26:00", "ab"}}, "last part's time");
}

TEST(PhoneListing, ListingJudgeAndEntries)
{
    // whole: every listed entry was read whole and the listing reached its final result.
    struct Row {
        const char* what;
        std::string reply;
        int status;
        size_t records;
        bool whole;
    };
    const std::string entry = ListEntry(1, 1, Ucs2Single("10086", u"hi"));
    const std::string pdu = Ucs2Single("10010", u"yo");
    const std::string header2 = "+CMGL: 2,1,," + TpduLength(pdu) + "\r\n";
    const std::string cut = pdu.substr(0, pdu.size() - 2); // one octet short of its user data
    const Row rows[] = {
        {"empty storage", "\r\nOK\r\n", 0, 0, true},
        {"listing with OK", entry + "\r\nOK\r\n", 0, 1, true},
        {"OK not arrived yet: complete entries so far", entry + ListEntry(2, 1, Ucs2Single("10086", u"x")).substr(0, 30),
         2, 1, false},
        {"header without its PDU line", entry + header2, 2, 1, false},
        {"header without its PDU line, then OK", entry + header2 + "\r\nOK\r\n", 0, 1, false},
        {"header followed by the next header", header2 + entry + "\r\nOK\r\n", 0, 1, false},
        {"header without a comma gives no entry", "+CMGL: 3\r\n" + pdu + "\r\nOK\r\n", 0, 0, false},
        {"negative index gives no entry", "+CMGL: -1,1,," + TpduLength(pdu) + "\r\n" + pdu + "\r\nOK\r\n", 0, 0, false},
        {"index that is no number", "+CMGL: x,1,," + TpduLength(pdu) + "\r\n" + pdu + "\r\nOK\r\n", 0, 0, false},
        {"unknown status is not shown", ListEntry(4, 7, pdu) + "\r\nOK\r\n", 0, 0, false},
        {"PDU that decodes to nothing", "+CMGL: 4,1,,0\r\n00\r\n\r\nOK\r\n", 0, 0, false},
        {"PDU shorter than its user data length", "+CMGL: 2,1,," + TpduLength(cut) + "\r\n" + cut + "\r\n" + entry +
                                                       "\r\nOK\r\n",
         0, 1, false},
        {"PDU longer than its header's length", "+CMGL: 2,1,," + TpduLength(pdu) + "\r\n" + pdu + "00\r\n" + entry +
                                                     "\r\nOK\r\n",
         0, 1, false},
        {"8-bit data longer than one message holds", ListEntry(2, 1, Deliver("1", false, 4, 141, std::vector<uint8_t>(141))) +
                                                         entry + "\r\nOK\r\n", 0, 1, false},
        {"UCS2 with an odd octet", ListEntry(2, 1, Deliver("1", false, 8, 3, {0x4E, 0x2D, 0x41})) + entry + "\r\nOK\r\n", 0, 1, false},
        {"a header past the user data", ListEntry(2, 1, Deliver("1", true, 8, 4, {5, 0, 3, 1})) + entry + "\r\nOK\r\n", 0, 1, false},
        {"octets after the user data", ListEntry(2, 1, Deliver("1", false, 8, 2, {0x4E, 0x2D, 0, 0})) + entry + "\r\nOK\r\n", 0, 1, false},
        {"a header element past the header", ListEntry(2, 1, Deliver("1", true, 8, 6, {3, 0, 3, 1, 0x4E, 0x2D})) + entry + "\r\nOK\r\n", 0, 1, false},
        {"a language shift table", ListEntry(2, 1, Deliver("1", true, 0, 6, {3, 0x24, 1, 1, 8, 3})) + entry + "\r\nOK\r\n", 0, 1, false},
        // A 6-octet header takes 7 septets with its fill bit.
        {"7-bit header past a length of 6 septets", ListEntry(2, 1, Deliver("1", true, 0, 6, {5, 0, 3, 1, 1, 1})) + "\r\nOK\r\n", 0, 0, false},
        {"7-bit header filling 7 septets", ListEntry(2, 1, Deliver("1", true, 0, 7, {5, 0, 3, 1, 1, 1, 0})) + "\r\nOK\r\n", 0, 1, true},
        {"elements that only frame the text", ListEntry(2, 1, Deliver("1", true, 8, 33, {28, 1, 2, 0, 0, 4, 2, 0, 0, 6, 1, 0, 7, 1, 0,
            0x0A, 3, 0, 1, 0, 0x20, 1, 0, 0x21, 4, 0, 0, 0, 0, 0, 'h', 0, 'i'})) + "\r\nOK\r\n", 0, 1, true},
        {"a sound", ListEntry(2, 1, Deliver("1", true, 8, 6, {3, 0x0B, 1, 0, 0x4E, 0x2D})) + entry + "\r\nOK\r\n", 0, 1, false},
        {"a picture in an F5 entry", std::regex_replace(ReadReplyFixture("12-cmgr-26.txt"), std::regex("CMGR"), "CMGL"), 0, 0, false},
        {"length field that disagrees with the PDU", "+CMGL: 2,1,,99\r\n" + pdu + "\r\n" + entry + "\r\nOK\r\n", 0, 1,
         false},
        {"some modules end with SMS DONE", entry + "SMS DONE\r\n", 0, 1, false},
        {"echoed command is no header", "AT+CMGL=4\r\r\n" + entry + "\r\nOK\r\n", 0, 1, true},
        {"unsolicited lines between a header and its PDU",
         header2 + "RING\r\n\r\n+CMTI: \"SM\",3\r\n" + pdu + "\r\n" + entry + "\r\nOK\r\n", 0, 2, true},
        {"a status report with its own PDU line between a header and its PDU",
         header2 + "+CDS: 25\r\n" + Ucs2Single("10000", u"zz") + "\r\n" + pdu + "\r\n" + entry + "\r\nOK\r\n", 0, 2,
         true},
        {"OK and ERROR inside alpha fields end nothing",
         "+CMGL: 2,1,\"BOOKSHOP\"," + TpduLength(pdu) + "\r\n" + pdu + "\r\n+CMGL: 3,1,\"TERRORS\"," +
             TpduLength(pdu) + "\r\n" + pdu + "\r\n",
         2, 2, false},
        {"a report after the final result keeps nothing open", entry + "\r\nOK\r\n\r\n+CMTI: \"SM\",3\r\n", 0, 1, true},
    };
    for (const Row& row : rows) {
        CPhoneCardBase phone;
        EXPECT_EQ(phone.OnReadAllSmsCmdRsp(row.reply), row.status) << row.what;
        EXPECT_EQ(phone.GetReadSms().size(), row.records) << row.what;
        EXPECT_EQ(EveryEntryRead(phone), row.whole) << row.what;
    }
}

TEST(PhoneListing, StatusReportsShowTheirOutcome)
{
    // Reference 42, recipient 10086, both time stamps 21-01-11 13:25:42; the status follows.
    const std::string report = "00062A05810180F6" "12101131522423" "12101131522423";
    const std::string done = "status report: reference 42, status 00 (completed), discharged 21-01-11 13:25:42";
    const struct {
        const char* what;
        std::string entry;
        std::string text; // "" when the report is not whole
    } rows[] = {
        {"failed", ListEntry(1, 0, report + "45"), "status report: reference 42, status 45 (failed), discharged 21-01-11 13:25:42"},
        {"completed", ListEntry(1, 0, report + "00"), done},
        {"parameter indicator, PID, DCS, no user data", ListEntry(1, 0, report + "00" "07000000"), done},
        {"user data", ListEntry(1, 0, report + "00" "0403616263"), ""},
        {"a user data length that announces octets", ListEntry(1, 0, report + "00" "0403"), ""},
        {"an octet after what the indicator announces", ListEntry(1, 0, report + "00" "0400" "61"), ""},
        {"an extended parameter indicator", ListEntry(1, 0, report + "00" "80"), ""},
        {"cut after its recipient", ListEntry(1, 0, "00062A05810180F6"), ""},
        {"stored with status 3", ListEntry(1, 3, report + "00"), done},
    };
    for (const auto& row : rows) {
        CPhoneCardBase phone;
        ASSERT_EQ(phone.OnReadAllSmsCmdRsp(row.entry + "\r\nOK\r\n"), 0);
        EXPECT_EQ(EveryEntryRead(phone), !row.text.empty()) << row.what;
        if (!row.text.empty())
            ExpectRecords(phone.GetReadSms(), {{"10086", STAMP_TEXT, row.text}}, row.what);
    }
}

TEST(PhoneListing, ErrorKeepsTheLastListAndASecondListingReplacesIt)
{
    CPhoneCardBase phone;
    ASSERT_EQ(phone.OnReadAllSmsCmdRsp(ListEntry(1, 1, Ucs2Single("10086", u"me")) + "\r\nOK\r\n"), 0);
    ASSERT_EQ(phone.GetReadSms().size(), 1u);

    EXPECT_EQ(phone.OnReadAllSmsCmdRsp("\r\n+CMS ERROR: 321\r\n"), 1);
    EXPECT_EQ(phone.GetErrorMessage(), "+CMS ERROR: 321");
    EXPECT_EQ(phone.GetReadSms().size(), 1u);

    // The other storage, empty: nothing of the first one remains.
    EXPECT_EQ(phone.OnReadAllSmsCmdRsp("\r\nOK\r\n"), 0);
    EXPECT_TRUE(phone.GetReadSms().empty());
}

TEST(PhoneListing, StoredOutgoingMessageShowsItsDestination)
{
    // Stored SMS-SUBMIT: first octet 11, reference 00, destination 18300000000, PID 00,
    // DCS 08, validity AA, text "abc".
    const std::string submit = "0011000B818103000000F00008AA06006100620063";
    ExpectRecords(ReadListing(ListEntry(1, 2, submit)), {{"18300000000", "", "abc"}}, "status 2");
    ExpectRecords(ReadListing(ListEntry(1, 3, submit)), {{"18300000000", "", "abc"}}, "status 3");
}

TEST(PhoneListing, RealListings)
{
    // 25-cmgl-generic-3entries.txt: three received 7-bit entries, the last PDU line without
    // its line end and no final OK yet.
    const std::string generic = ReadReplyFixture("25-cmgl-generic-3entries.txt");
    ASSERT_FALSE(generic.empty());
    {
        CPhoneCardBase phone;
        EXPECT_EQ(phone.OnReadAllSmsCmdRsp(generic), 2);
        EXPECT_EQ(phone.GetReadSms().size(), 2u);
        EXPECT_EQ(phone.OnReadAllSmsCmdRsp(generic + "\r\n\r\nOK\r\n"), 0);
        const std::vector<SmsRecvStruct_t> records = phone.GetReadSms();
        ASSERT_EQ(records.size(), 3u);
        for (const SmsRecvStruct_t& r : records) {
            EXPECT_EQ(r.number, "22167");
            EXPECT_EQ(r.time, "13-03-19 16:19:13");
            EXPECT_EQ(r.text.compare(0, 23, "Bienvenido a Vodafone. "), 0) << r.text;
            EXPECT_EQ(r.text.size(), 149u);
        }
    }
    // 26-cmgl-pantech-4entries-truncated.txt: stored sent messages (status 3) whose PDUs hold
    // an odd number of hex digits, the fourth cut in the middle: none is whole, none is shown.
    const std::string pantech = ReadReplyFixture("26-cmgl-pantech-4entries-truncated.txt");
    ASSERT_FALSE(pantech.empty());
    {
        CPhoneCardBase phone;
        EXPECT_EQ(phone.OnReadAllSmsCmdRsp(pantech + "\r\nOK\r\n"), 0);
        EXPECT_TRUE(phone.GetReadSms().empty());
        EXPECT_TRUE(phone.GetReadResult().unreadable);
    }
}

TEST(PhoneListing, HeaderAndTimeStampParsing)
{
    struct ModeRow {
        std::string line;
        int index;
        int stat;
    } modes[] = {
        {"+CMGL: 3,1,,24\r", 3, 1},
        {"+CMGL: 17,3,35\r", 17, 3},
        {"+CMGL: 3\r", -1, -1},
        {"+CMGL: 3,1\r", 3, -1},
        {"+CMGL: -2,1,,9\r", -2, -1},
        {"no header", -1, -1},
    };
    for (const ModeRow& row : modes) {
        const SmsMode mode = CPhoneCardBase::StrToSmsMode(row.line);
        EXPECT_EQ(mode.nIndex, row.index) << row.line;
        EXPECT_EQ(mode.nStat, row.stat) << row.line;
    }
    EXPECT_EQ(CPhoneCardBase::ReceiveTimeToReadStr("21011113254232"), "21-01-11 13:25:42");
    EXPECT_EQ(CPhoneCardBase::ReceiveTimeToReadStr("2101111325423"), "21-01-11 13:25:42");
    EXPECT_EQ(CPhoneCardBase::ReceiveTimeToReadStr("210111132542"), "");
    EXPECT_EQ(CPhoneCardBase::ReceiveTimeToReadStr(""), "");
}
