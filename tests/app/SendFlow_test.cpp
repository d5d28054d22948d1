// Send flow without a modem: time stamps, escapes, UTF-8 refusal, result codes, result lines,
// and the ports that must never be opened.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CheckManager.h"
#include "ReadFlowSupport.h"
#include "SmsCodec.h"

namespace {

ComPortBaseInfo_t Record(const std::string& path, int phoneType, const std::string& sim, bool exists = true)
{
    ComPortBaseInfo_t record;
    record.port = path;
    record.baud = 115200;
    record.bAT = true;
    record.sim = sim;
    record.signal = " 23,99";
    record.serial = "860000000000001";
    record.phoneType = phoneType;
    record.portExists = exists;
    return record;
}

SendSmsResult_t Result(const std::string& com, const std::string& number, SMS_CODE_ENUM code,
                       const std::string& message)
{
    SendSmsResult_t result;
    result.com = com;
    result.number = number;
    result.time = "2024-01-02 03:04:05";
    result.code = code;
    result.message = message;
    return result;
}

} // namespace

TEST(SendFlow, TimeStampSparesFiveByteNumbers)
{
    const std::string time = "2024-05-06 07:08:09";
    const struct {
        std::string number;
        bool stamped;
    } cases[] = {
        {"10086", false}, {"10010", false}, {"95588", false}, {"+1008", false},
        {"+10086", true}, {"18300000000", true}, {"123456", true},
    };
    CCheckManager manager;
    for (const auto& c : cases) {
        const std::string out = manager.AddTimeStampToSmsContextByPhoneNum("hi", c.number, time);
        EXPECT_EQ(out, c.stamped ? "hi " + time : "hi") << c.number;
    }
}

TEST(SendFlow, EscapedLineEnds)
{
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"a\\nb", "a\nb"},
        {"a\\rb", "a\rb"},
        {"x\\r\\ny", "x\r\ny"},
        {"a\\tb\\", "a\\tb\\"},
        {"\\\\n", "\\\n"},
        {"", ""},
    };
    for (const auto& c : cases) {
        std::string text = c.in;
        ReplaceEscapedLineEnds(text);
        EXPECT_EQ(text, c.out) << c.in;
    }
}

TEST(SendFlow, Utf8Validity)
{
    const struct {
        std::string text;
        bool valid;
    } cases[] = {
        {"", true},
        {"plain ascii", true},
        {"北京Korvel短信", true},
        {"\xc2\x80", true},
        {"\xdf\xbf", true},
        {"\xef\xbf\xbf", true},
        {"\xf0\x9f\x98\x80", true},     // U+1F600
        {"\xf4\x8f\xbf\xbf", true},     // U+10FFFF
        {"\xb1\xb1\xbe\xa9", false},    // GBK bytes of a Chinese word
        {"\xc0\xaf", false},            // overlong "/"
        {"\xe0\x80\xaf", false},        // overlong
        {"\xf0\x8f\xbf\xbf", false},    // overlong
        {"\xed\xa0\x80", false},        // surrogate
        {"\xf4\x90\x80\x80", false},    // above U+10FFFF
        {"\xf5\x80\x80\x80", false},
        {"\xff", false},
        {"\x80", false},                // lone continuation byte
        {"abc\xe5\x8c", false},         // cut at the end
        {"\xe5\x8c" "a", false},        // cut before an ASCII byte
        {std::string("a\0b", 3), true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidUtf8(c.text), c.valid) << testing::PrintToString(c.text);
}

TEST(SendFlow, ResultLinesByteExact)
{
    CCheckManager manager;
    const std::string ok = CaptureConsole([&] {
        manager.PrintOneSendSmsResultPlainText(Result("/dev/ttyUSB3", "18300000000", SMS_CODE_SUCCEED, "ignored"));
    });
    EXPECT_EQ(ok, Green("(T)端口 ") + Green("ttyUSB3") + Green(" 发送到 ") + Green("18300000000") +
                      Green(" 的短信发送成功") + "\n");
    const std::string failed = CaptureConsole([&] {
        manager.PrintOneSendSmsResultPlainText(
            Result("/dev/ttyUSB3", "18300000000", SMS_CODE_FAILED, "+CMS ERROR: 330"));
    });
    EXPECT_EQ(failed, Red("(T)端口 ") + Green("ttyUSB3") + Red(" 发送到 ") + Red("18300000000") +
                          Red(" 的短信发送失败,失败原因: ") + Red("+CMS ERROR: 330") + "\n");
    // A port id as the operator typed it, control characters included.
    const std::string typed = CaptureConsole([&] {
        manager.PrintOneSendSmsResultPlainText(Result("/dev/ttyUSB\x1b[2J\t", "10086", SMS_CODE_NO_SIM_CARD, "x"));
    });
    EXPECT_EQ(typed, Red("(T)端口 ") + Green("ttyUSB?[2J?") + Red(" 发送到 ") + Red("10086") +
                         Red(" 的短信发送失败,失败原因: ") + Red("x") + "\n");
}

TEST(SendFlow, ResultsOrderedPortByPortWithoutOpeningUnknownPorts)
{
    IdlePty unknown;
    IdlePty noSim;
    ASSERT_FALSE(unknown.Path().empty());
    CCheckManager manager;
    manager.bPlainText = false;
    manager.sendResultVec.push_back(Result("old", "old", SMS_CODE_SUCCEED, ""));
    // An unmatched id that happens to name a real device: the flow must leave it alone.
    const std::vector<ComPortBaseInfo_t> ports = {
        Record(unknown.Path(), PHONE_TYPE_BASE, "", false),
        Record(noSim.Path(), PHONE_TYPE_PELVANO, ""),
    };
    manager.HandleSendPduSmsProcess(ports, {"18300000000", "10086"}, "text");

    ASSERT_EQ(manager.sendResultVec.size(), 4u);
    const char* const order[][2] = {{"unknown", "18300000000"}, {"unknown", "10086"},
                                    {"noSim", "18300000000"}, {"noSim", "10086"}};
    for (size_t i = 0; i < 4; ++i) {
        const SendSmsResult_t& r = manager.sendResultVec[i];
        EXPECT_EQ(r.com, std::string(order[i][0]) == "unknown" ? unknown.Path() : noSim.Path()) << i;
        EXPECT_EQ(r.number, order[i][1]) << i;
        EXPECT_EQ(r.code, SMS_CODE_NO_SIM_CARD) << i;
        EXPECT_EQ(r.message, "") << i;
        EXPECT_EQ(r.time.size(), 19u) << i;
    }
    EXPECT_TRUE(unknown.Untouched());
    EXPECT_EQ(unknown.Written(), "");
    EXPECT_EQ(noSim.Written(), kPromptCancel);
}

TEST(SendFlow, NoDriverOrInvalidTextContactsNoModem)
{
    const std::string refused = "短信内容不是有效的UTF-8编码，未发送";
    const struct {
        const char* label;
        int phoneType;
        bool at;
        std::string text;
        SMS_CODE_ENUM code;
        std::string message;
    } cases[] = {
        // Nothing can be sent without a driver, however complete the record looks.
        {"unrecognised module", PHONE_TYPE_BASE, true, "hello", SMS_CODE_FAILED, "设备不AT"},
        {"type without class", 15, true, "hello", SMS_CODE_FAILED, "设备不AT"},
        {"silent port", PHONE_TYPE_BASE, false, "hello", SMS_CODE_DEVICE_NOT_AT, "设备不AT"},
        {"GBK text", PHONE_TYPE_PELVANO, true, "\xb1\xb1\xbe\xa9", SMS_CODE_FAILED, refused},
        {"text cut inside a character", PHONE_TYPE_YARLEN, true, "北京\xe7\x9f", SMS_CODE_FAILED, refused},
    };
    for (const auto& c : cases) {
        IdlePty modem;
        CCheckManager manager;
        manager.bPlainText = false;
        ComPortBaseInfo_t record = Record(modem.Path(), c.phoneType, "8986");
        record.bAT = c.at;
        manager.HandleSendPduSmsProcess({record}, {"18300000000"}, c.text);
        ASSERT_EQ(manager.sendResultVec.size(), 1u) << c.label;
        EXPECT_EQ(manager.sendResultVec[0].code, c.code) << c.label;
        EXPECT_EQ(manager.sendResultVec[0].message, c.message) << c.label;
        EXPECT_EQ(modem.Written(), c.message == refused ? "" : kPromptCancel) << c.label;
    }

    // Refused text: the port is not even opened.
    IdlePty modem;
    CCheckManager manager;
    manager.bPlainText = false;
    manager.HandleSendPduSmsProcess({Record(modem.Path(), PHONE_TYPE_PELVANO, "8986")}, {"18300000000"}, "\xff");
    EXPECT_TRUE(modem.Untouched());
}
