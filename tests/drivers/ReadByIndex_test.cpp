// Modules that list the indexes in use ("AT+CMGD=?") and give one message per "AT+CMGR=n".
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ReadResultCheck.h"
#include "DeliverPduBuilder.h"
#include "../ReplyFixtures.h"
#include "PhoneFactory.h"
#include "Phone_Sorvik.h"

using namespace testpdu;

namespace {

const PHONE_TYPE_t READ_BY_INDEX_TYPES[] = {PHONE_TYPE_SORVIK, PHONE_TYPE_TAMREL, PHONE_TYPE_ULBRAN,
                                            PHONE_TYPE_MORVANTH};
const PHONE_TYPE_t SORVIK_FAMILY[] = {PHONE_TYPE_SORVIK, PHONE_TYPE_TAMREL, PHONE_TYPE_ULBRAN};

std::unique_ptr<CPhoneCardBase> Make(PHONE_TYPE_t type)
{
    return std::unique_ptr<CPhoneCardBase>(GetPhoneByType(type));
}

// The commands one storage's read writes after the index list, as the read flow drives it
// (at most 100 passes), each answered by the reply the module keeps for that command.
std::vector<std::string> DrainCommands(CPhoneCardBase& phone, const std::vector<std::string>& replies = {})
{
    std::vector<std::string> commands;
    for (int pass = 0; pass < 100 && phone.NotFinished(); ++pass) {
        commands.push_back(phone.GetReadNextSmsCmd());
        phone.OnReadNextSmsCmdRsp(pass < static_cast<int>(replies.size()) ? replies[pass] : "\r\nOK\r\n");
    }
    return commands;
}

class SorvikProbe : public CPhone_Sorvik {
public:
    bool CentreOk() const { return bSmsCenterOk; }
    std::string StoredText() const { return m_storedSmsText; }
    std::string Centre() const { return m_smsCenterNumber; }
};

} // namespace

TEST(ReadByIndex, IndexListGivesOneReadCommandPerPieceAsListed)
{
    struct Row {
        std::string reply;
        int status;
        std::vector<std::string> commands;
    } rows[] = {
        {"\r\n+CMGD: (1,2,5),(0-4)\r\n\r\nOK\r\n", 0, {"AT+CMGR=1\r\n", "AT+CMGR=2\r\n", "AT+CMGR=5\r\n"}},
        {"\r\n+CMGD: (2, 4),(0-4)\r\n\r\nOK\r\n", 0, {"AT+CMGR=2\r\n", "AT+CMGR= 4\r\n"}},
        {"\r\n+CMGD: (1,,2),(0-4)\r\n\r\nOK\r\n", 0, {"AT+CMGR=1\r\n", "AT+CMGR=\r\n", "AT+CMGR=2\r\n"}},
        {"\r\n+CMGD: (1,2,),(0-4)\r\n\r\nOK\r\n", 0, {"AT+CMGR=1\r\n", "AT+CMGR=2\r\n"}},
        // Ranges stand for every index in them, each read once.
        {"\r\n+CMGD: (1-3),(0-4)\r\n\r\nOK\r\n", 0, {"AT+CMGR=1\r\n", "AT+CMGR=2\r\n", "AT+CMGR=3\r\n"}},
        {"\r\n+CMGD: (1-2,5,7-8),(0-4)\r\n\r\nOK\r\n", 0,
         {"AT+CMGR=1\r\n", "AT+CMGR=2\r\n", "AT+CMGR=5\r\n", "AT+CMGR=7\r\n", "AT+CMGR=8\r\n"}},
        {"\r\n+CMGD: (9, 3 - 1 ,2),(0-4)\r\n\r\nOK\r\n", 0,
         {"AT+CMGR=9\r\n", "AT+CMGR=1\r\n", "AT+CMGR=2\r\n", "AT+CMGR=3\r\n"}},
        {"\r\n+CMGD: (-1,4-x),(0-4)\r\n\r\nOK\r\n", 0, {"AT+CMGR=-1\r\n", "AT+CMGR=4-x\r\n"}},
        // An index listed twice is read once, whatever its spelling.
        {"\r\n+CMGD: (4,004, 4,3-5),(0-4)\r\n\r\nOK\r\n", 0, {"AT+CMGR=4\r\n", "AT+CMGR=3\r\n", "AT+CMGR=5\r\n"}},
        {"\r\n+CMGD: (),(0-4)\r\n\r\nOK\r\n", 0, {}},
        {"\r\nOK\r\n", 0, {}},
        {"\r\n+CMGD: (1,2", 2, {}},
        {"\r\n+CMS ERROR: 302\r\n", 1, {}},
    };
    for (PHONE_TYPE_t type : READ_BY_INDEX_TYPES) {
        for (const Row& row : rows) {
            std::unique_ptr<CPhoneCardBase> phone = Make(type);
            ASSERT_TRUE(phone);
            EXPECT_EQ(phone->GetReadAllSmsCmd(), "AT+CMGD=?\r\n");
            EXPECT_EQ(phone->OnReadAllSmsCmdRsp(row.reply), row.status) << type << row.reply;
            EXPECT_EQ(DrainCommands(*phone), row.commands) << type << row.reply;
            EXPECT_EQ(phone->GetReadNextSmsCmd(), "") << "nothing left to read";
        }
    }
}

TEST(ReadByIndex, IndexListErrorKeepsStateAndReportsTheLine)
{
    std::unique_ptr<CPhoneCardBase> phone = Make(PHONE_TYPE_MORVANTH);
    ASSERT_EQ(phone->OnReadAllSmsCmdRsp("+CMGD: (4,6)\r\nOK\r\n"), 0);
    EXPECT_EQ(phone->OnReadAllSmsCmdRsp("\r\n+CMS ERROR: 302\r\n"), 1);
    EXPECT_EQ(phone->GetErrorMessage(), "+CMS ERROR: 302");
    EXPECT_EQ(DrainCommands(*phone), (std::vector<std::string>{"AT+CMGR=4\r\n", "AT+CMGR=6\r\n"}));

    // Every accepted list starts a new read: indexes left from the other storage are dropped,
    // a list without parentheses reads nothing.
    ASSERT_EQ(phone->OnReadAllSmsCmdRsp("+CMGD: (4,6)\r\nOK\r\n"), 0);
    EXPECT_EQ(phone->GetReadNextSmsCmd(), "AT+CMGR=4\r\n");
    phone->OnReadNextSmsCmdRsp(ReadReply(1, Ucs2Single("10086", u"four")));
    ASSERT_EQ(phone->GetReadSms().size(), 1u);
    EXPECT_EQ(phone->OnReadAllSmsCmdRsp("\r\nOK\r\n"), 0);
    EXPECT_TRUE(phone->GetReadSms().empty());
    EXPECT_FALSE(phone->NotFinished());

    // A range too long for any storage is cut, and the read still ends with indexes left.
    ASSERT_EQ(phone->OnReadAllSmsCmdRsp("+CMGD: (1-999999999)\r\nOK\r\n"), 0);
    const std::vector<std::string> commands = DrainCommands(*phone);
    ASSERT_EQ(commands.size(), 100u);
    EXPECT_EQ(commands.back(), "AT+CMGR=100\r\n");
    EXPECT_TRUE(phone->NotFinished());
}

TEST(ReadByIndex, EveryEntryReadReachesTheReceivedList)
{
    const std::string one = ReadReply(1, Ucs2Single("10086", u"one"));
    const std::string two = ReadReply(0, Ucs2Single("10010", u"two"));
    for (PHONE_TYPE_t type : READ_BY_INDEX_TYPES) {
        std::unique_ptr<CPhoneCardBase> phone = Make(type);
        ASSERT_EQ(phone->OnReadAllSmsCmdRsp("+CMGD: (1,2,3),(0-4)\r\n\r\nOK\r\n"), 0);
        EXPECT_EQ(phone->GetReadNextSmsCmd(), "AT+CMGR=1\r\n");
        EXPECT_EQ(phone->OnReadNextSmsCmdRsp(one), 0);
        // The conversation may stop here (pass limit, a reply cut short): what was read stays.
        ASSERT_EQ(phone->GetReadSms().size(), 1u) << type;
        EXPECT_EQ(phone->GetReadSms()[0].text, "one");

        phone->GetReadNextSmsCmd();
        EXPECT_EQ(phone->OnReadNextSmsCmdRsp("\r\n+CMS ERROR: 500\r\n"), 1) << "an error: no entry";
        phone->GetReadNextSmsCmd();
        EXPECT_EQ(phone->OnReadNextSmsCmdRsp(two), 0);
        EXPECT_FALSE(phone->NotFinished());
        const std::vector<SmsRecvStruct_t> records = phone->GetReadSms();
        ASSERT_EQ(records.size(), 2u) << type;
        // Read order is kept for single messages.
        EXPECT_EQ(records[0].number, "10086");
        EXPECT_EQ(records[0].time, "21-01-11 13:25:42");
        EXPECT_EQ(records[1].number, "10010");
        EXPECT_EQ(records[1].text, "two");
    }
}

TEST(ReadByIndex, LongMessageJoinsAcrossReadsAndStoragesStaySeparate)
{
    const Concat p1{0x31, 2, 1}, p2{0x31, 2, 2};
    for (PHONE_TYPE_t type : READ_BY_INDEX_TYPES) {
        std::unique_ptr<CPhoneCardBase> phone = Make(type);
        // Device storage: the two parts, second part first.
        ASSERT_EQ(phone->OnReadAllSmsCmdRsp("+CMGD: (3,4),(0-4)\r\nOK\r\n"), 0);
        DrainCommands(*phone, {ReadReply(1, Ucs2Part("139", p2, u" part two")),
                               ReadReply(1, Ucs2Part("139", p1, u"part one"))});
        const std::vector<SmsRecvStruct_t> device = phone->GetReadSms();
        ASSERT_EQ(device.size(), 1u) << type;
        EXPECT_EQ(device[0].text, "part one part two");

        // SIM storage, empty: nothing of the device storage remains.
        ASSERT_EQ(phone->OnReadAllSmsCmdRsp("+CMGD: (),(0-4)\r\nOK\r\n"), 0);
        EXPECT_FALSE(phone->NotFinished());
        EXPECT_TRUE(phone->GetReadSms().empty()) << type;
        EXPECT_EQ(device.size(), 1u);
    }
}

TEST(ReadByIndex, ReadRepliesFromRealModules)
{
    struct Row {
        const char* file;
        std::string tail; // what the module sends after the captured text
        SmsRecvStruct_t record;
    } rows[] = {
        // Echo on; a stored sent message (status 3): its PDU is an SMS-SUBMIT, no time stamp.
        {"01-cmgr-02.txt", "", {"639193770523", "", "May salary na ba?", {}}},
        // Received, international originator, GSM 7-bit text; captured without the final OK.
        {"28-cmgr-telit-he910.txt", "\r\n\r\nOK\r\n",
         {"16122001127", "15-09-15 14:46:22", "Darmok! Darmok and Jalad at Tanagra", {}}},
    };
    for (const Row& row : rows) {
        const std::string raw = ReadReplyFixture(row.file) + row.tail;
        ASSERT_GT(raw.size(), row.tail.size()) << row.file;
        for (const std::string& reply : {raw, WithCrLf(raw)}) {
            std::unique_ptr<CPhoneCardBase> phone = Make(PHONE_TYPE_MORVANTH);
            ASSERT_EQ(phone->OnReadAllSmsCmdRsp("+CMGD: (1),(0-4)\r\nOK\r\n"), 0);
            phone->GetReadNextSmsCmd();
            EXPECT_EQ(phone->OnReadNextSmsCmdRsp(reply), 0) << row.file;
            const std::vector<SmsRecvStruct_t> records = phone->GetReadSms();
            ASSERT_EQ(records.size(), 1u) << row.file;
            EXPECT_EQ(records[0].number, row.record.number) << row.file;
            EXPECT_EQ(records[0].time, row.record.time) << row.file;
            EXPECT_EQ(records[0].text, row.record.text) << row.file;
        }
    }
}

TEST(ReadByIndex, ReadJudgeWaitsForTheFinalResultAndTellsWhatCouldNotBeRead)
{
    const std::string pdu = Ucs2Single("10086", u"hi");
    const std::string cut = pdu.substr(0, pdu.size() - 2);
    struct Row {
        const char* what;
        std::string reply;
        int status;
        size_t records;
        bool whole;
        unsigned empty; // bare OK answers
    } rows[] = {
        {"a message", ReadReply(1, pdu), 0, 1, true, 0},
        {"final result not arrived yet", "\r\n+CMGR: 1,,20\r\n" + pdu.substr(0, 20), 2, 0, true, 0},
        // Listed, yet not read: what the index holds is unknown.
        {"an error answer", "\r\n+CMS ERROR: 500\r\n", 1, 0, false, 0},
        {"an empty slot answered 321, invalid index", "\r\n+CMS ERROR: 321\r\n", 0, 0, true, 1},
        {"321 after an entry", ReadReply(1, pdu).substr(0, ReadReply(1, pdu).size() - 4) + "+CMS ERROR: 321\r\n", 1, 0, false, 0},
        {"+CME ERROR: 321 is no empty slot", "\r\n+CME ERROR: 321\r\n", 1, 0, false, 0},
        {"nothing stored at the index", "\r\nOK\r\n", 0, 0, true, 1},
        {"unsolicited lines before the PDU", "\r\n+CMGR: 1,,20\r\nRING\r\n\r\n+CMTI: \"SM\",3\r\n" + pdu +
                                                 "\r\n\r\nOK\r\n",
         0, 1, true, 0},
        {"a status report and its PDU line before the PDU",
         "\r\n+CMGR: 1,,20\r\n+CDS: 25\r\n" + Ucs2Single("10000", u"zz") + "\r\n" + pdu + "\r\n\r\nOK\r\n", 0, 1,
         true, 0},
        {"header without a PDU", "\r\n+CMGR: 1,,20\r\n\r\nOK\r\n", 0, 0, false, 0},
        {"PDU that decodes to nothing", ReadReply(1, "00"), 0, 0, false, 0},
        {"PDU short of its user data", ReadReply(1, cut), 0, 0, false, 0},
    };
    for (const Row& row : rows) {
        std::unique_ptr<CPhoneCardBase> phone = Make(PHONE_TYPE_TAMREL);
        ASSERT_EQ(phone->OnReadAllSmsCmdRsp("+CMGD: (1),(0-4)\r\nOK\r\n"), 0);
        phone->GetReadNextSmsCmd();
        EXPECT_EQ(phone->OnReadNextSmsCmdRsp(row.reply), row.status) << row.what;
        EXPECT_EQ(phone->GetReadSms().size(), row.records) << row.what;
        EXPECT_EQ(EveryEntryRead(*phone), row.whole) << row.what;
        EXPECT_EQ(phone->GetReadResult().emptyReads, row.empty) << row.what;
        // The next accepted list starts whole again.
        ASSERT_EQ(phone->OnReadAllSmsCmdRsp("+CMGD: (),(0-4)\r\nOK\r\n"), 0);
        EXPECT_TRUE(EveryEntryRead(*phone));
    }
}

TEST(ReadByIndex, MalformedAndShortRepliesNeverBreakTheRead)
{
    // cmgr-invalid-*: malformed PDUs that must decode without crashing.
    const char* const files[] = {"21-cmgr-invalid-01.txt", "22-cmgr-invalid-17.txt", "23-cmgr-invalid-25.txt",
                                 "24-cmgr-invalid-35.txt", "27-cmgr-generic-space.txt"};
    std::unique_ptr<CPhoneCardBase> phone = Make(PHONE_TYPE_SORVIK);
    ASSERT_EQ(phone->OnReadAllSmsCmdRsp("+CMGD: (1,2,3,4,5,6,7),(0-4)\r\nOK\r\n"), 0);
    for (const char* file : files) {
        phone->GetReadNextSmsCmd();
        phone->OnReadNextSmsCmdRsp(WithCrLf(ReadReplyFixture(file)) + "\r\nOK\r\n");
    }
    // A header that is the reply's last line has no PDU: no entry.
    phone->GetReadNextSmsCmd();
    phone->OnReadNextSmsCmdRsp("OK\r\n+CMGR: 1,,20\r\n");
    phone->GetReadNextSmsCmd();
    phone->OnReadNextSmsCmdRsp(ReadReply(1, Ucs2Single("10086", u"last")));
    EXPECT_FALSE(phone->NotFinished());
    const std::vector<SmsRecvStruct_t> records = phone->GetReadSms();
    ASSERT_GE(records.size(), 1u);
    EXPECT_LE(records.size(), 6u);
    EXPECT_EQ(records.back().text, "last");
}

TEST(ReadByIndex, ModuleFamilyCommandsAndReplies)
{
    for (PHONE_TYPE_t type : SORVIK_FAMILY) {
        std::unique_ptr<CPhoneCardBase> phone = Make(type);
        EXPECT_EQ(phone->GetHungUpCmd(), "at+chup;\r\n");
        EXPECT_EQ(phone->GetCallCmd("10086"), "ATD10086;\r\n");
        EXPECT_TRUE(phone->OnCallCmdRsp("x"));
        EXPECT_FALSE(phone->OnHungUpCmdRsp(""));
        EXPECT_EQ(phone->GetRecvSmsCompatibleModeCmd(), type == PHONE_TYPE_SORVIK ? "AT+ATVER=1\r" : "AT\r");
        EXPECT_EQ(phone->OnSetSmsPduModeCmdRsp("\r\n+CMGW: 5\r\n"), 0);
        EXPECT_EQ(phone->OnSetSmsPduModeCmdRsp("\r\nERROR\r\n"), 1);
        EXPECT_EQ(phone->OnSetSmsPduModeCmdRsp("\r\nOK\r\n"), 0);
        EXPECT_EQ(phone->OnSetSmsPduModeCmdRsp("\r\n"), 2);
        // The centre query never fails, and a stored centre reaches the PDUs.
        EXPECT_EQ(phone->OnGetQuerySmsCenterCmdRsp("\r\nERROR\r\n"), 0);
        EXPECT_EQ(phone->OnGetQuerySmsCenterCmdRsp(""), 0);
        EXPECT_EQ(phone->OnGetQuerySmsCenterCmdRsp("+CSCA: \"+18500000000\",145\r\n\r\nOK\r\n"), 0);
        const std::vector<PDU_LONG_SMS_Base_t> parts = phone->GetSendPduSmsCmdArray("18300000000", "abc");
        ASSERT_EQ(parts.size(), 1u);
        EXPECT_EQ(parts[0].body.compare(0, 16, "07918105000000F0"), 0);
    }
    std::unique_ptr<CPhoneCardBase> morvanth = Make(PHONE_TYPE_MORVANTH);
    EXPECT_EQ(morvanth->GetRecvSmsCompatibleModeCmd(), "AT\r");
    EXPECT_EQ(morvanth->GetHungUpCmd(), "ATH\r\n");
    EXPECT_EQ(morvanth->OnGetQuerySmsCenterCmdRsp("\r\nERROR\r\n"), 1);
}

TEST(ReadByIndex, StoredMessageIndexAndCentreVerdict)
{
    SorvikProbe phone;
    EXPECT_EQ(phone.OnSetSmsPduModeCmdRsp("\r\n+CMGW: 5\r\n"), 0);
    EXPECT_EQ(phone.StoredText(), "5");
    EXPECT_EQ(phone.OnSetSmsPduModeCmdRsp("\r\n+CMGW: 7"), 2) << "index line not complete";
    EXPECT_EQ(phone.StoredText(), "5");

    EXPECT_EQ(phone.OnGetQuerySmsCenterCmdRsp("+CSCA: \"+18500000000\",145\r\n\r\nOK\r\n"), 0);
    EXPECT_TRUE(phone.CentreOk());
    EXPECT_EQ(phone.Centre(), "+18500000000");
    EXPECT_EQ(phone.OnGetQuerySmsCenterCmdRsp("\r\nERROR\r\n"), 0);
    EXPECT_FALSE(phone.CentreOk());
    EXPECT_EQ(phone.Centre(), "+18500000000");
}
