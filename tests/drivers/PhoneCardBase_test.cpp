#include <gtest/gtest.h>

#include <string>

#include "PhoneCardBase.h"
#include "../ReplyFixtures.h"

namespace {

// Exposes what the judges store but no accessor returns untouched.
class BaseProbe : public CPhoneCardBase {
public:
    std::string StoredError() const { return m_errorMessage; }
    std::string SmsCenter() const { return m_smsCenterNumber; }
};

const char kKept[] = "<kept>";

struct JudgeCase {
    const char* what;
    std::string reply;
    int status;
    std::string field; // value the judge leaves; kKept: untouched
};

TEST(BaseReplies, OkErrorJudgeDecidesOnCompleteLines)
{
    const JudgeCase cases[] = {
        {"empty line then OK", "\r\nOK\r\n", 0, kKept},
        {"echo of the command first", "AT+CMEE=1\r\r\nOK\r\n", 0, kKept},
        {"OK not yet followed by a line end", "\r\nOK", 0, kKept},
        {"nothing yet", "", 2, kKept},
        {"unfinished line without OK", "\r\n+CPMS: 3,50", 2, kKept},
        {"ERROR without its line end is not decided", "\r\nERROR", 2, kKept},
        {"plain ERROR", "\r\nERROR\r\n", 1, "ERROR"},
        {"30-error-02-cme-error-123.txt", ReadReplyFixture("30-error-02-cme-error-123.txt"), 1,
         "+CME ERROR: 123"},
        {"29-error-01-cme-error-raspberry.txt",
         ReadReplyFixture("29-error-01-cme-error-raspberry.txt"), 1, "+CME ERROR: raspberry"},
        {"31-error-05-cms-error-bananas.txt",
         ReadReplyFixture("31-error-05-cms-error-bananas.txt"), 1, "+CMS ERROR: bananas"},
        {"32-error-06-cms-error-456.txt", ReadReplyFixture("32-error-06-cms-error-456.txt"), 1,
         "+CMS ERROR: 456"},
        {"unsolicited report before the error", "\r\n^RSSI: 17\r\n\r\n+CMS ERROR: 500\r\n", 1,
         "+CMS ERROR: 500"},
        {"doubled CR before LF", "\r\n+CME ERROR: 10\r\r\n", 1, "+CME ERROR: 10"},
        {"a line with OK and ERROR counts as OK", "\r\n+CME ERROR: NOT OK\r\n", 0, kKept},
        {"first deciding line wins", "\r\nERROR\r\n\r\nOK\r\n", 1, "ERROR"},
    };
    for (const JudgeCase& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(c.reply.empty() && c.status != 2) << "fixture missing";
        BaseProbe card;
        EXPECT_EQ(c.status, card.OnOkErrorRsp(c.reply));
        EXPECT_EQ(c.field == kKept ? "" : c.field, card.StoredError());
        // The PDU-mode judge runs the same steps.
        BaseProbe pdu;
        EXPECT_EQ(c.status, pdu.OnSetSmsPduModeCmdRsp(c.reply));
    }
}

TEST(BaseReplies, SimNumberGrammar)
{
    const JudgeCase cases[] = {
        {"number, empty line, OK", "\r\n+CCID: 89860012345678901234\r\n\r\nOK\r\n", 0,
         "89860012345678901234"},
        {"echo in front", "AT+CCID\r\r\n+CCID: 89860012345678901234\r\n\r\nOK\r\n", 0,
         "89860012345678901234"},
        {"quoted number loses quotes and blank", "+CCID: \"8986001234567890123F\"\r\n\r\nOK\r\n",
         0, "8986001234567890123F"},
        // The length assumes an empty line before OK; without it two characters go.
        {"no empty line before OK", "+CCID: 89860012345678901234\r\nOK\r\n", 0,
         "898600123456789012"},
        // OK closer than ten characters: the length wraps and the rest of the reply is taken.
        {"OK right after the key", "+CCID:\r\nOK\r\n", 0, "\r\nOK\r\n"},
        {"OK without the key", "\r\nOK\r\n", 1, ""},
        {"no OK yet", "\r\n+CCID: 8986001234", 2, kKept},
        {"nothing yet", "", 2, kKept},
        {"SIM missing", "\r\n+CME ERROR: 10\r\n", 1, kKept},
    };
    for (const JudgeCase& c : cases) {
        SCOPED_TRACE(c.what);
        BaseProbe card;
        ASSERT_EQ(0, card.OnGetIMSI_CmdRsp("+CCID: 1111\r\n\r\nOK\r\n"));
        ASSERT_EQ("1111", card.GetSmsCardNumber());
        EXPECT_EQ(c.status, card.OnGetIMSI_CmdRsp(c.reply));
        EXPECT_EQ(c.field == kKept ? "1111" : c.field, card.GetSmsCardNumber());
        EXPECT_EQ("", card.StoredError()) << "the SIM judge never keeps an error";
    }
}

TEST(BaseReplies, SerialNumberGrammar)
{
    const JudgeCase cases[] = {
        // The six trims leave the CR of the digits' own line end.
        {"digits, empty line, OK", "354320081234567\r\n\r\nOK\r\n", 0, "354320081234567\r"},
        {"leading empty line", "\r\n354320081234567\r\n\r\nOK\r\n", 0, "354320081234567\r"},
        {"echo in front", "AT+CGSN\r\r\n354320081234567\r\n\r\nOK\r\n", 0, "354320081234567\r"},
        {"only the text after the echo counts", "junk\r\nAT+CGSN\r\r\n35432\r\n\r\nOK\r\n", 0,
         "35432\r"},
        {"no empty line before OK", "\r\n35432\r\nOK", 0, "35432"},
        {"no OK yet", "\r\n354320081234567\r\n", 2, kKept},
        {"error", "\r\n+CME ERROR: 100\r\n", 1, kKept},
    };
    for (const JudgeCase& c : cases) {
        SCOPED_TRACE(c.what);
        BaseProbe card;
        EXPECT_EQ(c.status, card.OnGetIMEI_Cmd(c.reply));
        EXPECT_EQ(c.field == kKept ? "" : c.field, card.GetSerialNumber());
    }
}

TEST(BaseReplies, SignalGrammar)
{
    const JudgeCase cases[] = {
        {"rssi and ber", "\r\n+CSQ: 23,99\r\n\r\nOK\r\n", 0, " 23,99"},
        {"echo in front", "at+csq\r\r\n+CSQ: 5,3\r\n\r\nOK\r\n", 0, " 5,3"},
        {"nothing yet", "", 2, kKept},
        {"no OK yet", "\r\n+CSQ: 23,99\r\n", 2, ""},
        {"an error is not recognised", "\r\nERROR\r\n", 2, ""},
        // OK too close: the length wraps and the rest of the reply is taken, nothing beyond.
        {"OK right after the key", "+CSQ:OK", 0, "OK"},
    };
    for (const JudgeCase& c : cases) {
        SCOPED_TRACE(c.what);
        BaseProbe card;
        ASSERT_EQ(0, card.OnGetSignalStrengthCmdRsp("+CSQ: 9,9\r\n\r\nOK\r\n"));
        EXPECT_EQ(c.status, card.OnGetSignalStrengthCmdRsp(c.reply));
        EXPECT_EQ(c.field == kKept ? " 9,9" : c.field, card.GetSignalStrength());
    }
}

TEST(BaseReplies, SmsCentreGrammar)
{
    const std::string csca01 = ReadReplyFixture("33-csca-01.txt");
    const std::string cscaEmpty = ReadReplyFixture("34-csca-empty-04.txt");
    ASSERT_FALSE(csca01.empty());
    ASSERT_FALSE(cscaEmpty.empty());
    struct Case {
        const char* what;
        std::string reply;
        int status;
        std::string centre;
        std::string error;
    };
    const Case cases[] = {
        {"quoted centre", "\r\n+CSCA: \"+8613800100500\",145\r\n\r\nOK\r\n", 0, "+8613800100500",
         ""},
        {"centre line not yet complete", "\r\n+CSCA: \"+8613800100500\",1", 0, "+8613800100500",
         ""},
        {"34-csca-empty-04.txt as stored", cscaEmpty, 0, "", ""},
        {"34-csca-empty-04.txt with CR LF", WithCrLf(cscaEmpty), 0, "", ""},
        // An unquoted (UCS2 hex) centre is no centre key: only the OK line counts.
        {"33-csca-01.txt as stored", csca01, 0, "<old>", ""},
        {"33-csca-01.txt with CR LF", WithCrLf(csca01), 0, "<old>", ""},
        // A centre line cut by the end of a read window is completed by the next one.
        {"key without comma yet", "\r\n+CSCA: \"+86138001005", 2, "", ""},
        {"complete line without comma", "\r\n+CSCA: \"+8613800100500\"\r\n\r\nOK\r\n", 1, "", ""},
        {"OK only", "\r\nOK\r\n", 0, "<old>", ""},
        {"OK without line end is not enough", "\r\nOK", 2, "<old>", ""},
        {"error line", "\r\n+CMS ERROR: 330\r\n", 1, "<old>", "+CMS ERROR: 330"},
        {"nothing yet", "", 2, "<old>", ""},
        // Comma right after the opening quote: the length wraps; the rest is taken safely.
        {"comma right after the quote", "+CSCA: \",145\r\n", 0, ",145\r\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BaseProbe card;
        ASSERT_EQ(0, card.OnGetQuerySmsCenterCmdRsp("+CSCA: \"<old>\",129\r\n\r\nOK\r\n"));
        EXPECT_EQ(c.status, card.OnGetQuerySmsCenterCmdRsp(c.reply));
        EXPECT_EQ(c.centre, card.SmsCenter());
        EXPECT_EQ(c.error, card.StoredError());
    }
}

TEST(BaseReplies, CompatibleModeKeepsWholeErrorReplyAndAccessorTrimsAgain)
{
    BaseProbe card;
    EXPECT_EQ(2, card.OnGetRecvSmsCompatibleModeCmdRsp("\r\n"));
    EXPECT_EQ(0, card.OnGetRecvSmsCompatibleModeCmdRsp("\r\nOK"));
    const std::string reply = "\r\n\r\n\r\nERROR\r\n\r\n\r\n";
    EXPECT_EQ(1, card.OnGetRecvSmsCompatibleModeCmdRsp(reply));
    EXPECT_EQ(reply, card.StoredError());
    // Four trims per call: line ends beyond them go on the next call.
    EXPECT_EQ("\r\nERROR\r\n\r", card.GetErrorMessage());
    EXPECT_EQ("ERROR", card.GetErrorMessage());
    // Success never clears the old failure.
    EXPECT_EQ(0, card.OnOkErrorRsp("\r\nOK\r\n"));
    EXPECT_EQ("ERROR", card.GetErrorMessage());
}

TEST(BaseCommands, EveryCommandTextIsExact)
{
    BaseProbe card;
    const std::pair<std::string, std::string> rows[] = {
        {card.GetATCmd(), "AT\r\n"},
        {card.GetAtiCmd(), "ATI\r\n"},
        {card.Get_ATI_Rsp(), ""},
        {card.GetCCIDCmd(), "ATI+CCID\r\n"},
        {card.GetCallCmd("10086"), "ATD10086;\r\n"},
        {card.GetHungUpCmd(), "ATH\r\n"},
        {card.SetSmsModeTextCmd(), "at+cmgf=1\r\n"},
        {card.SetSmsPDUModeCmd(), "at+cmgf=0\r\n"},
        {card.GetSendSMS_PhoneCmd("10086"), "at+cmgs=\"10086\"\r\n"},
        // The base type has no name row of its own.
        {card.GetSendSMS_ContextCmd("hi"), "hi TYPE_UNKNOWN\r\x1a"},
        {card.GetReceiveSmsCmd(), "at+cmgr=1\r\n"},
        {card.GetSetReceiveSmsStoreCmd(), "at+cpms=\"SM\"\r\n"},
        {card.GetQueryReceiveSmsStoreCmd(), "at + cpms?\r\n"},
        {card.GetIMSI_Cmd(), "AT+CCID\r\n"},
        {card.GetIMEI_Cmd(), "AT+CGSN\r\n"},
        {card.GetSignalStrengthCmd(), "at+csq\r\n"},
        {card.GetQuerySmsCenterCmd(), "AT+CSCA?\r\n"},
        {card.GetDelAllSmsCmd(), "AT+CMGD=0,4\r\n"},
        {card.GetRecvSmsCompatibleModeCmd(), "AT\r"},
        {card.GetReadAllSmsCmd(), "AT+CMGL=4\r\n"},
        {card.GetReadNextSmsCmd(), "AT\r\n"},
        {card.GetReadSmsOnMeCmd(), "AT+CPMS=\"ME\"\r\n"},
        {card.GetReadSmsOnSmCmd(), "AT+CPMS=\"SM\"\r\n"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.second, row.first);
    EXPECT_EQ(PHONE_TYPE_BASE, card.GetPhoneType());
    EXPECT_FALSE(card.NotFinished());
    EXPECT_FALSE(card.HasME());
    EXPECT_FALSE(card.IsSendPduSmsRetry());
    // The base driver reads nothing one by one: a non-empty answer gives 1, which no caller uses.
    EXPECT_EQ(0, card.OnReadNextSmsCmdRsp(""));
    EXPECT_EQ(1, card.OnReadNextSmsCmdRsp("\r\nOK\r\n"));
}

TEST(BaseReplies, BoolJudgesAreTheOkErrorJudge)
{
    using BoolJudge = bool (CPhoneCardBase::*)(std::string);
    const BoolJudge judges[] = {
        &CPhoneCardBase::OnCCIDCmdRsp,           &CPhoneCardBase::OnCallCmdRsp,
        &CPhoneCardBase::OnHungUpCmdRsp,         &CPhoneCardBase::OnSetSmsModeTextCmdRsp,
        &CPhoneCardBase::OnSendSMS_PhoneCmd,     &CPhoneCardBase::OnSendSMS_ContextCmd,
        &CPhoneCardBase::OnReceiveSmsCmdRsp,     &CPhoneCardBase::OnSetReceiveSmsStoreCmdRsp,
        &CPhoneCardBase::OnQueryReceiveSmsStoreCmdRsp,
    };
    int position = 0;
    for (BoolJudge judge : judges) {
        SCOPED_TRACE("judge " + std::to_string(position++));
        BaseProbe card;
        EXPECT_TRUE((card.*judge)("\r\nOK\r\n"));
        EXPECT_FALSE((card.*judge)("\r\n"));
        EXPECT_FALSE((card.*judge)("\r\n+CME ERROR: 3\r\n"));
        EXPECT_EQ("+CME ERROR: 3", card.StoredError()) << "an ERROR line still sets the error text";
    }
    // The int judges that are the generic judge as they stand.
    using IntJudge = int (CPhoneCardBase::*)(std::string);
    const IntJudge intJudges[] = {
        &CPhoneCardBase::OnGetAtCmdRsp,       &CPhoneCardBase::OnDelAllSmsCmdRsp,
        &CPhoneCardBase::OnGetReadSmsOnMeCmd, &CPhoneCardBase::OnGetReadSmsOnSmCmd,
        &CPhoneCardBase::OnInitAtCmdRsp,
    };
    position = 0;
    for (IntJudge judge : intJudges) {
        SCOPED_TRACE("int judge " + std::to_string(position++));
        BaseProbe card;
        EXPECT_EQ(0, (card.*judge)("\r\nOK"));
        EXPECT_EQ(2, (card.*judge)("\r\n+CPMS: 1"));
        EXPECT_EQ(1, (card.*judge)("\r\nERROR\r\n"));
        EXPECT_EQ("ERROR", card.StoredError());
    }
}

TEST(BaseReplies, AtiJudgeStoresEveryReplyAndNeverWaits)
{
    const struct {
        std::string reply;
        int status;
    } cases[] = {
        {"", 1},
        {"\r\nManufacturer: X\r\n", 1},
        {"\r\nManufacturer: X\r\n\r\nOK\r\n", 0},
    };
    for (const auto& c : cases) {
        BaseProbe card;
        EXPECT_EQ(c.status, card.OnGetAtiCmdRsp(c.reply)) << c.reply;
        EXPECT_EQ(c.reply, card.GetAtiRspString());
    }
}

} // namespace
