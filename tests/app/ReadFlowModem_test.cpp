// Read flow against simulated modems: storages that cannot be read, and the per-index bounds.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CheckManager.h"
#include "ReadFlowSupport.h"
#include "SimModem.h"

namespace {

// A received message as modules list it: from +86 139 1234 5678, UCS2 "你好，世界".
const char* const PDU_UCS2 =
    "0891683108100005F0040D91683119325476F80008121011315224320A4F60597DFF0C4E16754C";

std::string Rule(const std::string& match, const std::string& reply, const std::string& options = "")
{
    return match + "\t" + reply + (options.empty() ? "" : "\t" + options) + "\n";
}

// Storage selection remembered by the module, so each listing answers for its own storage.
const std::string STORAGE_RULES = Rule("AT+CPMS=\"ME\"*", "+CPMS: 1,100,1,100,1,100", "set=mem:ME") +
                                  Rule("AT+CPMS=\"SM\"*", "+CPMS: 4,50,4,50,4,50", "set=mem:SM");

class ReadFlowModem : public testing::Test {
protected:
    void SetUp() override
    {
        // Short read windows: these tests are about the dialogue, not its timing.
        m_savedSet = g_nWinUserSet;
        m_savedWindow = g_nWinUserValue[0];
        g_nWinUserSet = 1;
        g_nWinUserValue[0] = 10;
    }
    void TearDown() override
    {
        g_nWinUserSet = m_savedSet;
        g_nWinUserValue[0] = m_savedWindow;
    }

    static sim::SimOptions Module(const std::string& rules)
    {
        sim::SimOptions options;
        options.baud = 115200;
        std::string error;
        EXPECT_TRUE(sim::AddRules(options, rules, &error)) << error;
        return options;
    }

    static ComPortBaseInfo_t Record(const sim::SimModem& modem, int phoneType)
    {
        ComPortBaseInfo_t record;
        record.port = modem.SlavePath();
        record.baud = 115200;
        record.bAT = true;
        record.sim = "89860012345678901234";
        record.phoneType = phoneType;
        return record;
    }

private:
    int m_savedSet = 0;
    int m_savedWindow = 0;
};

// A storage that cannot be selected counts as not read; the other one is still read with the
// same driver, and when neither is read the module's own error line is the reason.
TEST_F(ReadFlowModem, RefusedStoragesAreLeftOut)
{
    const struct {
        const char* name;
        std::string rules;
        std::string shown;
    } cases[] = {
        {"device storage refused",
         Rule("AT+CPMS=\"ME\"*", "+CMS ERROR: 302") + STORAGE_RULES + Rule("AT+CMGL=4", "", "if=mem:SM"),
         Green("端口 ID 接收短信成功 共 0 条短信") + "\n" + Green("SIM卡中的短信共 0 条") + "\n" +
             std::string(50, '-') + "\n"},
        {"both storages empty", STORAGE_RULES,
         Green("端口 ID 接收短信成功 共 0 条短信") + "\n" + Green("SIM卡中的短信共 0 条") + "\n" +
             std::string(50, '-') + "\n" + Green("设备中的短信共 0 条") + "\n" + std::string(50, '-') + "\n"},
        {"both storages refused", Rule("AT+CPMS=\"ME\"*", "ERROR") + Rule("AT+CPMS=\"SM\"*", "+CMS ERROR: 310"),
         Red("端口 ID 接收短信失败") + Red("\t 失败原因: ") + Red("+CMS ERROR: 310") + "\n"},
        // The module's error line reaches the terminal without its control characters.
        {"error line holding an escape sequence",
         Rule("AT+CPMS=\"ME\"*", "ERROR") + Rule("AT+CPMS=\"SM\"*", "+CMS ERROR: \\x1B[2J310"),
         Red("端口 ID 接收短信失败") + Red("\t 失败原因: ") + Red("+CMS ERROR: ?[2J310") + "\n"},
    };
    for (const auto& c : cases) {
        sim::SimModem modem(Module(c.rules));
        ASSERT_TRUE(modem.Ok()) << modem.Error();
        CCheckManager manager;
        std::vector<ComPortBaseInfo_t> ports = {Record(modem, PHONE_TYPE_PELVANO)};
        std::string expected = c.shown;
        expected.replace(expected.find("ID"), 2, modem.SlavePath().substr(5));
        EXPECT_EQ(CaptureConsole([&] { manager.HandleReadAllSms(ports); }), expected) << c.name;
    }
}

// A module read one index at a time with 150 stored entries: exactly 100 per-index reads are
// written, the rest stay unread, and the storage still counts as read, though not whole.
TEST_F(ReadFlowModem, PerIndexReadingStopsAfterOneHundredPasses)
{
    std::string indexes;
    for (int i = 1; i <= 150; ++i)
        indexes += (i > 1 ? "," : "") + std::to_string(i);
    const std::string rules = STORAGE_RULES +
                              Rule("AT+CMGD=?", "+CMGD: (" + indexes + "),(0-4)", "if=mem:ME") +
                              Rule("AT+CMGD=?", "+CMGD: (),(0-4)", "if=mem:SM") +
                              Rule("AT+CMGR=*", std::string("+CMGR: 1,,30\\r\\n") + PDU_UCS2);
    sim::SimModem modem(Module(rules));
    ASSERT_TRUE(modem.Ok()) << modem.Error();
    CCheckManager manager;
    std::vector<SmsRecvStruct_t> meSms = {{"stale", "stale", "stale", {}}};
    std::vector<SmsRecvStruct_t> smSms = {{"stale", "stale", "stale", {}}};
    // Entries left unread: deleting this port's messages would lose them.
    EXPECT_FALSE(manager.GetPortSMS(Record(modem, PHONE_TYPE_MORVANTH), meSms, smSms).read);

    const std::string dialogue = modem.Received();
    size_t reads = 0;
    for (size_t at = dialogue.find("AT+CMGR="); at != std::string::npos; at = dialogue.find("AT+CMGR=", at + 1))
        ++reads;
    EXPECT_EQ(reads, 100u);
    EXPECT_NE(dialogue.find("AT+CMGR=100\r\n"), std::string::npos);
    EXPECT_EQ(dialogue.find("AT+CMGR=101\r\n"), std::string::npos);
    EXPECT_TRUE(smSms.empty()) << "an empty SIM storage replaces the caller's list";
    // Every entry read before the stop reaches the list.
    EXPECT_EQ(meSms.size(), 100u);
}

// An OK is no proof: the module's own count, in a check that answers nothing else, must say
// what is left, after a delete-all as after the deletes of what a storage showed.
TEST_F(ReadFlowModem, DeletesClearOnlyWhenTheModuleCountsThemGone)
{
    const std::string shown = Rule("AT+CPMS=\"ME\"*", "+CPMS: 1,100,1,100,1,100", "set=mem:ME") + Rule("AT+CMGD=1", "", "set=gone:1") +
                              Rule("AT+CPMS=\"SM\"*", "+CPMS: 0,50,0,50,0,50", "set=mem:SM") +
                              Rule("AT+CMGL=4", std::string("+CMGL: 1,1,,30\\r\\n") + PDU_UCS2, "if=mem:ME");
    const std::string twoFinals = "=\\r\\n+CPMS: \"ME\",0,100,\"ME\",0,100,\"ME\",0,100\\r\\n\\r\\nOK\\r\\n\\r\\nOK\\r\\n";
    const struct { const char* what; bool deletesShown; std::string rules; bool clear; } rows[] = {
        {"delete-all", false, "", true},
        {"delete-all answered OK, not done", false, Rule("AT+CMGD=0,4", "", "add=SM:5"), false},
        {"delete-all, then a bare OK", false, Rule("AT+CPMS?", ""), false},
        {"delete-all, then a second final result", false, Rule("AT+CPMS?", twoFinals), false},
        {"the shown entry deleted", true, shown, true},
        {"deleted, then a bare OK", true, Rule("AT+CPMS?", "", "if=gone:1") + shown, false},
        {"deleted, then a second final result", true, Rule("AT+CPMS?", twoFinals, "if=gone:1") + shown, false},
    };
    for (const auto& [what, deletesShown, rules, clear] : rows) { // deletesShown: read-then-clear, else a delete-all
        sim::SimModem modem(Module(rules));
        std::vector<SmsRecvStruct_t> meSms, smSms;
        const ComPortBaseInfo_t port = Record(modem, PHONE_TYPE_PELVANO);
        CCheckManager manager;
        EXPECT_EQ(deletesShown ? manager.GetPortSMS(port, meSms, smSms, true).clear : manager.DelPortSMS(port), clear) << what;
    }
}

} // namespace
