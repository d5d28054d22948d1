// The SMS report's port list and the PDU test mode (the rest runs end to end).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CheckManager.h"
#include "ReadFlowSupport.h"

namespace {

TEST(PduTestMode, InputNoSendWouldTakeGetsAReason)
{
    const struct {
        const char* number;
        std::string text;
        const char* reason;
    } cases[] = {
        {"abc", "abc", "号码无效，未生成PDU"},
        {"123", "abc", "号码无效，未生成PDU"},
        {"18300000000", "\xC3\x28", "短信内容不是有效的UTF-8编码，未生成PDU"},
        {"+1234567890123456789012345678901", "abc", "号码无效，未生成PDU"},
        {"123456789012345678901", "abc", "号码超过20位数字，未发送"},
    };
    for (const auto& c : cases) {
        CCheckManager manager;
        EXPECT_EQ(CaptureConsole([&] { manager.OnCmdPduTest(c.number, c.text); }),
                  std::string("\x1b[1m\x1b[31m") + c.reason + "\x1b[0m\n")
            << c.number;
    }
}

TEST(PduTestMode, PrintsCommandAndPduOfAShortText)
{
    // No SMS centre was queried, so the PDU starts with the empty SMSC octet 00.
    const struct {
        const char* number;
        const char* text;
        const char* printed;
    } cases[] = {
        {"18300000000", "abc", "AT+CMGS=20\r\n0011000B818103000000F00008AA06006100620063\n"},
        {"18300000000", "你好", "AT+CMGS=18\r\n0011000B818103000000F00008AA044F60597D\n"},
    };
    for (const auto& c : cases) {
        CCheckManager manager;
        EXPECT_EQ(CaptureConsole([&] { manager.OnCmdPduTest(c.number, c.text); }), c.printed) << c.text;
    }
}

Win32::CommInfo Row(const std::string& path, bool at, const std::string& sim, const std::string& signal,
                    const std::string& serial, const std::string& ati)
{
    Win32::CommInfo row;
    row.bAT = at;
    row.bUsable = true;
    row.portName = path;
    row.baudText = "115200";
    row.smsNumber = sim;
    row.signal = signal;
    row.serial = serial;
    row.atiRsp = ati;
    return row;
}

// Only rows that answered AT and have serial number, signal and SIM number are reported; the
// device type comes from the stored ATI reply, in identification order.
TEST(SmsReport, PortListTakesCompleteRowsAndIdentifiesThem)
{
    CCheckManager manager;
    manager.commInfoVec = {
        Row("/dev/ttyUSB0", true, "8986001", " 23,99", "8600001", "Manufacturer\r\nCLM920_NC5\r\n\r\nOK\r\n"),
        Row("/dev/ttyUSB1", true, "", " 23,99", "8600002", "Quirel\r\nOK\r\n"),
        Row("/dev/ttyUSB2", false, "8986003", " 23,99", "8600003", "Quirel\r\nOK\r\n"),
        Row("/dev/ttyUSB3", true, "8986004", "", "8600004", "Quirel\r\nOK\r\n"),
        Row("/dev/ttyUSB4", true, "8986005", " 9,0", "", "Quirel\r\nOK\r\n"),
        Row("/dev/ttyUSB5", true, "8986006", " 9,0", "8600006", "ME909s-821\r\nOK\r\n"),
        Row("/dev/ttyUSB6", true, "8986007", " 9,0", "8600007", "no known model\r\nOK\r\n"),
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

} // namespace
