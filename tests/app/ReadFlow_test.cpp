// Read and delete flows without a modem: failure reasons, the port dialogue, and ports that must
// never be opened.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CheckManager.h"
#include "ReadFlowSupport.h"

namespace {

ComPortBaseInfo_t Record(const std::string& path, int phoneType, const std::string& sim, bool exists)
{
    ComPortBaseInfo_t record;
    record.port = path;
    record.baud = 115200;
    record.sim = sim;
    record.phoneType = phoneType;
    record.portExists = exists;
    return record;
}

// A record the port chooser made for an id that matched nothing may name the operator's own
// terminal: no flow may open it, and the read still reports the missing SIM card.
TEST(ReadFlowUnmatchedPort, IsNeverOpenedAndReportsNoSimCard)
{
    IdlePty pty;
    ASSERT_FALSE(pty.Path().empty());
    CCheckManager manager;
    std::vector<ComPortBaseInfo_t> ports = {Record(pty.Path(), PHONE_TYPE_YARLEN, "", false)};

    const std::string shown = CaptureConsole([&] { manager.HandleReadAllSms(ports); });
    EXPECT_EQ(shown, Red("端口 " + pty.Path().substr(5) + " 接收短信失败") + Red("\t 失败原因: ") +
                         Red("设备未插卡") + "\n");

    std::vector<SmsRecvStruct_t> meSms = {{"1", "2", "kept", {}}};
    std::vector<SmsRecvStruct_t> smSms;
    manager.GetPortSMS(ports[0], meSms, smSms);
    ASSERT_EQ(meSms.size(), 1u);
    EXPECT_EQ(meSms[0].text, "kept");
    EXPECT_TRUE(smSms.empty());

    EXPECT_FALSE(manager.DelPortSMS(ports[0]));
    EXPECT_TRUE(pty.Untouched());
    EXPECT_EQ(pty.Written(), "");
}

// A detected port whose type has no device class: the chain of reasons picks the SIM card
// first, then the missing driver; nothing is written to the device.
TEST(ReadFlowNoDriver, FailureReasonsInOrderAndNoCommandWritten)
{
    IdlePty pty;
    ASSERT_FALSE(pty.Path().empty());
    const std::string id = pty.Path().substr(5);
    const struct {
        std::string sim;
        std::string reason;
    } cases[] = {
        {"", "设备未插卡"},
        {"89860000000000000001", "设备不AT"},
    };
    for (const auto& c : cases) {
        CCheckManager manager;
        std::vector<ComPortBaseInfo_t> ports = {Record(pty.Path(), PHONE_TYPE_BASE, c.sim, true)};
        const std::string shown = CaptureConsole([&] { manager.HandleReadAllSms(ports); });
        EXPECT_EQ(shown, Red("端口 " + id + " 接收短信失败") + Red("\t 失败原因: ") + Red(c.reason) + "\n")
            << c.sim;

        std::vector<SmsRecvStruct_t> meSms = {{"a", "b", "c", {}}};
        std::vector<SmsRecvStruct_t> smSms = {{"d", "e", "f", {}}, {"g", "h", "i", {}}};
        EXPECT_EQ(CaptureConsole([&] { manager.GetPortSMS(ports[0], meSms, smSms); }), "");
        EXPECT_EQ(meSms.size(), 1u);
        EXPECT_EQ(smSms.size(), 2u);
        EXPECT_FALSE(manager.DelPortSMS(ports[0]));
        EXPECT_EQ(pty.Written(), kPromptCancel + kPromptCancel + kPromptCancel) << "one per open, no command";
    }
}

// Every port of the list gets its turn, in order, whatever the one before it did.
TEST(ReadFlowPorts, FailingPortsDoNotStopTheList)
{
    CCheckManager manager;
    // The last id, as an operator typed it, holds an ESC: it shows as "?".
    std::vector<ComPortBaseInfo_t> ports = {Record("/dev/ttyUSB97", PHONE_TYPE_BASE, "", false),
                                            Record("/dev/ttyUSB98", PHONE_TYPE_BASE, "1", false),
                                            Record("/dev/ttyUSB\x1b[2J", PHONE_TYPE_BASE, "", false)};
    const std::string shown = CaptureConsole([&] { manager.HandleReadAllSms(ports); });
    EXPECT_EQ(shown, Red("端口 ttyUSB97 接收短信失败") + Red("\t 失败原因: ") + Red("设备未插卡") + "\n" +
                         Red("端口 ttyUSB98 接收短信失败") + Red("\t 失败原因: ") + Red("设备不AT") + "\n" +
                         Red("端口 ttyUSB?[2J 接收短信失败") + Red("\t 失败原因: ") + Red("设备未插卡") + "\n");
}

// Message fields reach the operator's terminal: control characters and bytes that are not
// UTF-8 must not arrive as escape sequences, while every printable character stays as it is.
// Sender and time are one line each, so a CR in them cannot overwrite what stands before it;
// only the text keeps its tabs and line breaks.
TEST(ReadFlowPrint, ControlCharactersNeverReachTheTerminal)
{
    const struct {
        const char* what;
        std::string field;
        std::string shownText;
        std::string shownLine;
    } cases[] = {
        {"plain Chinese, emoji, tab and line ends", "你好\t😀\r\nok", "你好\t😀\r\nok", "你好?😀??ok"},
        // A CR alone in a text ends its line: it cannot overwrite what the line shows.
        {"alphanumeric sender with a CR", "Bank\rEVIL", "Bank\nEVIL", "Bank?EVIL"},
        {"time with a tab", "2026-12-07\t10:00:00", "2026-12-07\t10:00:00", "2026-12-07?10:00:00"},
        {"ESC sequence from a UCS2 001B", "\x1b[2J\x1b]0;title\x07x", "?[2J?]0;title?x", "?[2J?]0;title?x"},
        {"C1 CSI and OSC encoded as UTF-8", "\xC2\x9B" "31m\xC2\x9D" "0;t", "?31m?0;t", "?31m?0;t"},
        {"Latin-1 letters after the C1 range stay", "\xC2\xA0\xC3\xA9", "\xC2\xA0\xC3\xA9", "\xC2\xA0\xC3\xA9"},
        {"raw 8-bit bytes", "a\x9B" "b\xFF\xE4\xB8", "a?b???", "a?b???"},
        {"DEL, backspace and NUL", std::string("a\x7F\x08\0b", 5), "a???b", "a???b"},
        {"surrogate and overlong forms", "\xED\xA0\x80\xC0\xAF", "?????", "?????"},
    };
    for (const auto& c : cases) {
        CCheckManager manager;
        const std::string shown = CaptureConsole([&] { manager.PrintRecvSms({{c.field, c.field, c.field, {}}}); });
        const std::string separator(50, '-');
        EXPECT_EQ(shown, separator + "\n 第 1 条短信\n发送号码: " + c.shownLine + "\n发送时间: " + c.shownLine +
                             "\n短信内容: " + c.shownText + "\n" + separator + "\n")
            << c.what;
    }
}

// Three refused port lines end the dialogue; the menu's read then reads nothing and neither
// reports an elapsed time nor pauses, and "d" never gets past the dialogue.
TEST(ReadFlowDialogue, ThreeRefusalsReturnToTheMenu)
{
    const std::string prompt = "\n" + Green("请输入设备端口号(例:选择/dev/ttyUSB0,请输入USB0):") + "\n";
    const std::string refusal = Red("您输入的设备端口号有误，请重新输入") + "\n";
    const std::string expected = prompt + refusal + prompt + refusal + prompt + refusal +
                                 Red("输入的错误次数过多，返回主界面") + "\n\n\n";

    CCheckManager manager;
    {
        ScopedInput input("USB9\nusb0\nS7\nUSB1\n");
        std::vector<ComPortBaseInfo_t> ports;
        bool chosen = true;
        EXPECT_EQ(CaptureConsole([&] { chosen = manager.InputReadAllSmsComPort(ports); }), expected);
        EXPECT_FALSE(chosen);
    }
    {
        ScopedInput input("USB9\nUSB9\nUSB9\n");
        EXPECT_EQ(CaptureConsole([&] { manager.OnReadAllSms(); }), expected);
    }
    {
        ScopedInput input("USB9\nUSB9\nUSB9\n");
        EXPECT_EQ(CaptureConsole([&] { manager.OnDelAllSms(); }), expected);
    }
}

} // namespace
