#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CheckManager.h"
#include "ComPortBase.h"
#include "PtyPeer.h"
#include "SimModem.h"

namespace {

// Detection's records in the shared list, taken under its lock.
std::vector<DeviceBaseComInfo> TakeDetected()
{
    pthread_mutex_lock(&vecLock);
    std::vector<DeviceBaseComInfo> out = CCheckManager::g_comVec;
    CCheckManager::g_comVec.clear();
    pthread_mutex_unlock(&vecLock);
    return out;
}

DeviceBaseComInfo MakeInfo(int type, const std::string& sim, const std::string& signal)
{
    DeviceBaseComInfo info;
    CopyToField(info.portName, "/dev/ttyUSB7");
    info.phoneType = type;
    CopyToField(info.smsNumber, sim);
    CopyToField(info.signal, signal);
    return info;
}

// Restores the trace switch whatever a test sets it to.
class ShowExtend {
public:
    explicit ShowExtend(bool on) : m_saved(g_bShowExtend) { g_bShowExtend = on; }
    ~ShowExtend() { g_bShowExtend = m_saved; }

private:
    bool m_saved;
};

} // namespace

TEST(Detect, ValueAfterKeyInAModemReply)
{
    struct Row {
        const char* src;
        const char* key;
        const char* value;
    };
    const Row rows[] = {
        {"\r\n+COPS: 0,0,\"CHINA TELECOM\",7\r\n\r\nOK\r\n", "+COPS", "0,0,\"CHINA TELECOM\",7"},
        {"\r\n^MODECONFIG: 22\r\n\r\nOK\r\n", "^MODECONFIG", "22"},
        {"AT+COPS?\r\r\n+COPS:\t 1 \t\r\n", "+COPS", "1"},
        {"+COPS: 0\n", "+COPS", "0"},          // ended by a line feed alone
        {"+COPS: 0", "+COPS", ""},             // no line end yet
        {"+COPS\r\n", "+COPS", ""},            // no colon after the key
        {"+COPS: 0\r\n", "+COPS: 0\r\n", ""},  // key as long as the reply
        {"+CO", "+COPS", ""},                  // key longer than the reply
        {"\r\nOK\r\n", "+COPS", ""},           // key absent
        {"+COPS:   \r\n", "+COPS", ""},        // only blanks
        {"", "+COPS", ""},
        {"+COPS: 1\r\n", "", ""},
        // The colon searched for is the first one after the key's first byte, even past a line end.
        {"+COPS\r\nX: 5\r\n", "+COPS", "5"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.src);
        EXPECT_EQ(CCheckManager::getRightString(row.src, row.key), row.value);
    }
    EXPECT_EQ(CCheckManager::getRightString(nullptr, "+COPS"), "");
    EXPECT_EQ(CCheckManager::getRightString("+COPS: 1\r\n", nullptr), "");
}

TEST(Detect, ShellOutputIsReturnedWhole)
{
    EXPECT_EQ(cmd_system("printf '/dev/ttyUSB0\\n/dev/ttyUSB1'"), "/dev/ttyUSB0\n/dev/ttyUSB1");
    EXPECT_EQ(cmd_system("true"), "");
    EXPECT_EQ(cmd_system("ls /nonexistent-quenlo-dir/ttyUSB* 2> /dev/null"), "");
    // Longer than one read chunk: nothing may be lost or repeated at the chunk seams.
    std::string expected;
    for (int i = 0; i < 700; ++i)
        expected += "/dev/ttyUSB" + std::to_string(i) + "\n";
    EXPECT_EQ(cmd_system("i=0; while [ $i -lt 700 ]; do echo /dev/ttyUSB$i; i=$((i+1)); done"),
              expected);
}

TEST(Detect, ModeAndOperatorQueriesReadTheirValues)
{
    // Each query reads one window: long enough for an answer given once the query is written.
    ShortReadWindows shortWindows(400);
    struct Case {
        const char* name;
        int type;
        const char* modeReply;   // answers the mode query, "" for silence
        const char* copsReply;   // answers the operator query
        std::string written;
        int mode;
        std::string cops;
        std::string trace;
    };
    const Case cases[] = {
        {"answered", PHONE_TYPE_SORVIK, "\r\n^MODECONFIG: 22\r\n\r\nOK\r\n",
         "\r\n+COPS: 0,0,\"CHINA TELECOM\",7\r\n\r\nOK\r\n", "AT^MODECONFIG?\rAT+COPS?\r", 22,
         "0,0,\"CHINA TELECOM\",7",
         "/dev/ttyUSB7 > GET MODECONFIG = 22\n/dev/ttyUSB7 > GET COPS = 0,0,\"CHINA TELECOM\",7\n"},
        {"silent", PHONE_TYPE_SORVIK, "", "", "AT^MODECONFIG?\rAT+COPS?\r", 0, "",
         "/dev/ttyUSB7 > GET MODECONFIG = 0\n/dev/ttyUSB7 > GET COPS = \n"},
        // Only the Sorvik module has a network mode; the operator is asked of every type.
        {"other type", PHONE_TYPE_YARLEN, "", "\r\n+COPS: 0\r\n\r\nOK\r\n", "AT+COPS?\r", 7, "0",
         "/dev/ttyUSB7 > GET COPS = 0\n"},
    };
    for (bool show : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (show ? " traced" : " quiet"));
            ShowExtend showExtend(show);
            PtyPeer peer;
            ASSERT_TRUE(peer.Ok());
            CComPortBase port(peer.Path(), 9600);
            ASSERT_EQ(peer.Written(), kPromptCancel);
            DeviceBaseComInfo info = MakeInfo(c.type, "89860012345678901234", " 20,99");
            info.modeConfig = 7;
            testing::internal::CaptureStdout();
            // A stale line waiting before each query is not its answer.
            peer.Send("\r\n^MODECONFIG: 9\r\n+COPS: 9\r\n");
            if (*c.modeReply)
                peer.AnswerAfterWrite("AT^MODECONFIG?\r", c.modeReply);
            CCheckManager::RunCommCmdGetModeConfig(&port, &info);
            peer.Send("\r\n^MODECONFIG: 9\r\n+COPS: 9\r\n");
            if (*c.copsReply)
                peer.AnswerAfterWrite("AT+COPS?\r", c.copsReply);
            CCheckManager::RunCommCmdGetCOPS(&port, &info);
            std::string out = testing::internal::GetCapturedStdout();
            EXPECT_EQ(peer.Written(), c.written);
            EXPECT_EQ(info.modeConfig, c.mode);
            EXPECT_EQ(info.cops, c.cops);
            EXPECT_EQ(out, show ? c.trace : "");
        }
    }
}

TEST(Detect, ModeCorrectionFollowsModeSignalAndOperator)
{
    struct Case {
        const char* name;
        int type;
        const char* sim;
        int mode;
        const char* signal;
        const char* cops;
        const char* written; // "" when nothing is sent
    };
    const char* telecom = "0,0,\"CHINA TELECOM\",7";
    const Case cases[] = {
        {"22 without signal", PHONE_TYPE_SORVIK, "89860012345678901234", 22, " 99,99", "", "AT^MODECONFIG=2\r"},
        {"22 with signal", PHONE_TYPE_SORVIK, "89860012345678901234", 22, " 20,99", telecom, ""},
        {"22, signal unread", PHONE_TYPE_SORVIK, "89860012345678901234", 22, "", "", "AT^MODECONFIG=2\r"},
        {"2 on telecom", PHONE_TYPE_SORVIK, "89860012345678901234", 2, " 20,99", telecom, "AT^MODECONFIG=22\r"},
        {"2 on CT", PHONE_TYPE_SORVIK, "89860012345678901234", 2, " 0,0", "0,2,\"CHN-CT\",7", "AT^MODECONFIG=22\r"},
        {"2 on telecom, no signal", PHONE_TYPE_SORVIK, "89860012345678901234", 2, " 99,99", telecom, ""},
        {"2 on another operator", PHONE_TYPE_SORVIK, "89860012345678901234", 2, " 20,99", "0,0,\"CHINA MOBILE\",7", ""},
        {"2, name without quote", PHONE_TYPE_SORVIK, "89860012345678901234", 2, " 20,99", "TELECOM", ""},
        {"unanswered query", PHONE_TYPE_SORVIK, "89860012345678901234", 0, " 20,99", telecom, "AT^MODECONFIG=2\r"},
        {"other mode", PHONE_TYPE_SORVIK, "89860012345678901234", 5, " 20,99", "", "AT^MODECONFIG=2\r"},
        {"SIM of 5 bytes", PHONE_TYPE_SORVIK, "12345", 0, "", "", "AT^MODECONFIG=2\r"},
        {"SIM of 4 bytes", PHONE_TYPE_SORVIK, "1234", 0, "", "", ""},
        {"other type", PHONE_TYPE_YARLEN, "89860012345678901234", 0, "", "", ""},
    };
    for (bool show : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (show ? " traced" : " quiet"));
            ShowExtend showExtend(show);
            PtyPeer peer;
            ASSERT_TRUE(peer.Ok());
            CComPortBase port(peer.Path(), 9600);
            DeviceBaseComInfo info = MakeInfo(c.type, c.sim, c.signal);
            info.modeConfig = c.mode;
            info.cops = c.cops;
            testing::internal::CaptureStdout();
            CCheckManager::RunCommCmdResetModeConfig(&port, &info);
            std::string out = testing::internal::GetCapturedStdout();
            EXPECT_EQ(peer.Written(), kPromptCancel + c.written);
            std::string trace;
            if (show && *c.written)
                trace = std::string("/dev/ttyUSB7 > SET MODECONFIG=") +
                        (strstr(c.written, "22") ? "22" : "2") + "\n";
            EXPECT_EQ(out, trace);
        }
    }
}

TEST(Detect, PortWithoutAModemGetsTheNoMatchRecord)
{
    ShortReadWindows shortWindows;
    TakeDetected();

    PtyPeer silent;
    ASSERT_TRUE(silent.Ok());
    GetInfoOnPort(silent.Path().c_str());
    // Longer than the record's path field: cut to fit, never written past it. Kept out of /dev,
    // so no device of the host is ever opened.
    const std::string longPath = "/nonexistent-quenlo/ttyUSB-no-such-device-with-a-long-name";
    GetInfoOnPort(longPath.c_str());

    std::vector<DeviceBaseComInfo> records = TakeDetected();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(std::string(records[0].portName), silent.Path());
    EXPECT_EQ(std::string(records[1].portName), longPath.substr(0, sizeof(records[1].portName) - 1));
    for (const DeviceBaseComInfo& r : records) {
        SCOPED_TRACE(r.portName);
        EXPECT_EQ(r.baud, 115200);
        EXPECT_FALSE(r.bAT);
        EXPECT_TRUE(r.portOk);
        EXPECT_EQ(r.phoneType, PHONE_TYPE_BASE);
        EXPECT_STREQ(r.smsNumber, "");
        EXPECT_STREQ(r.signal, "");
        EXPECT_STREQ(r.serial, "");
        EXPECT_STREQ(r.atiRsp, "");
    }
    // The cancel of a pending prompt, echo off, then one AT probe, at each of the two rates.
    EXPECT_EQ(silent.Written(), kPromptCancel + "ATE0\r\nAT\r\n" + kPromptCancel + "ATE0\r\nAT\r\n");
}

TEST(Detect, RecognisedModuleFillsTheRecordWithTextsCutToFit)
{
    // The probe gets ten windows and the operator query one: wide enough for a modem that
    // answers late, as on a busy machine under a sanitizer.
    ShortReadWindows shortWindows(400);
    ShowExtend quiet(false);
    TakeDetected();
    const std::string filler(600, 'x');
    const std::string longSim(80, '8');
    struct Case {
        const char* name;
        std::string ati;
        int baud;
        std::string rules;
        int type;
        std::string sim;
        int modeConfig;
        std::string cops;
    };
    const Case cases[] = {
        // An ATI reply longer than the record's field: kept cut, identified from the whole text.
        {"long ATI", "Pelvano\\r\\nM35\\r\\n" + filler, 9600, "", PHONE_TYPE_PELVANO,
         "89860012345678901234", 0, "0,0,\"CHINA MOBILE\",7"},
        {"long SIM number", "Model: ME901", 9600, "AT+CCID\t+CCID: " + longSim, PHONE_TYPE_WESCOR,
         longSim.substr(0, 63), 0, "0,0,\"CHINA MOBILE\",7"},
        {"short SIM number: no operator query", "Model: ME901", 9600, "AT+CCID\t+CCID: 123",
         PHONE_TYPE_WESCOR, "123", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::SimOptions options;
        options.baud = c.baud;
        ASSERT_TRUE(sim::AddRules(options, "ATI\t" + c.ati + "\n" + c.rules));
        sim::SimModem modem(options);
        ASSERT_TRUE(modem.Ok()) << modem.Error();
        GetInfoOnPort(modem.SlavePath().c_str());
        std::vector<DeviceBaseComInfo> records = TakeDetected();
        ASSERT_EQ(records.size(), 1u);
        const DeviceBaseComInfo& r = records[0];
        EXPECT_EQ(std::string(r.portName), modem.SlavePath());
        EXPECT_EQ(r.baud, c.baud);
        EXPECT_EQ(r.phoneType, c.type);
        EXPECT_TRUE(r.bAT);
        EXPECT_TRUE(r.portOk);
        EXPECT_EQ(std::string(r.smsNumber), c.sim);
        EXPECT_STREQ(r.signal, " 20,99");
        EXPECT_STREQ(r.serial, "860000000000001\r");
        EXPECT_EQ(r.modeConfig, c.modeConfig);
        EXPECT_EQ(r.cops, c.cops);
        const std::string ati = r.atiRsp;
        EXPECT_NE(ati.find(c.ati.substr(0, 5)), std::string::npos) << ati;
        if (c.ati.size() > sizeof(r.atiRsp)) {
            EXPECT_EQ(ati.size(), sizeof(r.atiRsp) - 1);
        }
    }
}
