// The PDU test mode, the SMS report's port list and its check of standard output (the rest runs
// end to end).
#include <sys/socket.h>

#include <csignal>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CheckManager.h"
#include "ReadFlowSupport.h"
#include "ReportOutput.h"

namespace {

// Every number a PDU address can carry gets its PDU lines on standard output; anything else one
// plain line on standard error and nothing on standard output.
TEST(PduTestMode, PrintsThePduOrSaysWhyNot)
{
    const std::string twenty = "12345678901234567890";
    const std::string abc = "0008AA06006100620063\n";
    const std::string badNumber = "号码无效，未生成PDU\n";
    const std::string tooLong = "号码超过20位数字，未生成PDU\n";
    const struct {
        std::string number;
        std::string text;
        std::string out;
        std::string err;
    } cases[] = {
        // No SMS centre was queried, so every PDU starts with the empty SMSC octet 00.
        {"18300000000", "abc", "AT+CMGS=20\r\n0011000B818103000000F0" + abc, ""},
        {"18300000000", "你好", "AT+CMGS=18\r\n0011000B818103000000F00008AA044F60597D\n", ""},
        {"1008", "abc", "AT+CMGS=16\r\n00110004810180" + abc, ""},
        {"+1", "abc", "AT+CMGS=15\r\n0011000191F1" + abc, ""},
        {"+" + twenty, "abc", "AT+CMGS=24\r\n001100149121436587092143658709" + abc, ""},
        {"", "abc", "", badNumber},
        {"+", "abc", "", badNumber},
        {"abc", "abc", "", badNumber},
        {"1+2", "abc", "", badNumber},
        {twenty + "1", "abc", "", tooLong},
        {"+" + twenty + "1", "abc", "", tooLong},
        {"18300000000", "\xC3\x28", "", "短信内容不是有效的UTF-8编码，未生成PDU\n"},
    };
    for (const auto& c : cases) {
        CCheckManager manager;
        testing::internal::CaptureStderr();
        EXPECT_EQ(CaptureConsole([&] { manager.OnCmdPduTest(c.number, c.text); }), c.out) << c.number;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.err) << c.number;
    }
}

Win32::CommInfo Row(const std::string& path, bool at, const std::string& sim, const std::string& signal,
                    const std::string& serial, int type)
{
    Win32::CommInfo row;
    row.bAT = at;
    row.bUsable = true;
    row.portName = path;
    row.baudText = "115200";
    row.smsNumber = sim;
    row.signal = signal;
    row.serial = serial;
    row.phoneType = type;
    return row;
}

// Only rows that answered AT and have serial number, signal and SIM number are reported, each
// with the device type detection found.
TEST(SmsReport, PortListTakesCompleteRowsWithTheirDetectedType)
{
    CCheckManager manager;
    manager.commInfoVec = {
        Row("/dev/ttyUSB0", true, "8986001", " 23,99", "8600001", PHONE_TYPE_SORVIK),
        Row("/dev/ttyUSB1", true, "", " 23,99", "8600002", PHONE_TYPE_QUIREL),
        Row("/dev/ttyUSB2", false, "8986003", " 23,99", "8600003", PHONE_TYPE_QUIREL),
        Row("/dev/ttyUSB3", true, "8986004", "", "8600004", PHONE_TYPE_QUIREL),
        Row("/dev/ttyUSB4", true, "8986005", " 9,0", "", PHONE_TYPE_QUIREL),
        Row("/dev/ttyUSB5", true, "8986006", " 9,0", "8600006", PHONE_TYPE_YARLEN),
        Row("/dev/ttyUSB6", true, "8986007", " 9,0", "8600007", PHONE_TYPE_BASE),
    };
    manager.commInfoVec[5].baudText = "9600";

    std::vector<ComPortBaseInfo_t> ports = {ComPortBaseInfo_t()};
    manager.GetPortList(ports);

    const struct {
        const char* path;
        int baud;
        const char* sim;
        int type;
    } expected[] = {
        {"/dev/ttyUSB0", 115200, "8986001", PHONE_TYPE_SORVIK},
        {"/dev/ttyUSB5", 9600, "8986006", PHONE_TYPE_YARLEN},
        {"/dev/ttyUSB6", 115200, "8986007", PHONE_TYPE_BASE},
    };
    ASSERT_EQ(ports.size(), std::size(expected));
    for (size_t i = 0; i < ports.size(); ++i) {
        EXPECT_EQ(ports[i].port, expected[i].path);
        EXPECT_EQ(ports[i].baud, expected[i].baud);
        EXPECT_EQ(ports[i].sim, expected[i].sim);
        EXPECT_EQ(ports[i].phoneType, expected[i].type) << expected[i].path;
        EXPECT_TRUE(ports[i].bAT);
        EXPECT_TRUE(ports[i].portExists);
        EXPECT_EQ(ports[i].signal, manager.commInfoVec[i == 0 ? 0 : i + 4].signal);
        EXPECT_EQ(ports[i].serial, manager.commInfoVec[i == 0 ? 0 : i + 4].serial);
    }
}

// The check before a storage's deletes: a socket whose peer has closed hangs up without an
// error; a full one is fine, also when a signal every 20 us cuts polls short.
TEST(ReportOutput, TellsWhyTheReportCannotBeWritten)
{
    int closedPeer[2], full[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, closedPeer) | socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, full), 0);
    close(closedPeer[1]);
    while (write(full[1], "12345678", 8) > 0) {
    }
    const sighandler_t saved = signal(SIGALRM, [](int) {});
    ualarm(20, 20);
    for (const auto& row : {std::make_pair(closedPeer[0], EIO), std::make_pair(full[1], 0)}) {
        int other = 0;
        for (int i = 0; i < 10000; ++i)
            other += ReportOutputError(row.first) != row.second;
        EXPECT_EQ(other, 0) << "expected " << row.second;
    }
    ualarm(0, 0);
    signal(SIGALRM, saved);
    for (int fd : {closedPeer[0], full[0], full[1]})
        close(fd);
}

} // namespace
