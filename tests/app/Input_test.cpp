// Operator input: number and port-id lists, the port chooser, quotes and the three dialogues.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CheckManager.h"
#include "ReadFlowSupport.h"

namespace {

Win32::CommInfo Row(const std::string& path, const std::string& baud, bool at, const std::string& sim,
                    const std::string& signal, const std::string& serial, int type)
{
    Win32::CommInfo row;
    row.bAT = at;
    row.bUsable = true;
    row.portName = path;
    row.baudText = baud;
    row.smsNumber = sim;
    row.signal = signal;
    row.serial = serial;
    row.phoneType = type;
    return row;
}

// A complete Pelvano module, a Yarlen module without SIM, and a port that does not answer.
std::vector<Win32::CommInfo> ThreeRows()
{
    return {Row("/dev/ttyUSB0", "115200", true, "89860000000000000001", " 23,99", "860000000000001",
                PHONE_TYPE_PELVANO),
            Row("/dev/ttyUSB3", "9600", true, "", " 18,99", "860000000000003", PHONE_TYPE_YARLEN),
            Row("/dev/ttyS0", "115200", false, "", "", "", PHONE_TYPE_BASE)};
}

struct ExpectedPort {
    std::string port;
    int baud;
    int phoneType;
    bool exists;
};

void ExpectPorts(const std::vector<ComPortBaseInfo_t>& got, const std::vector<ExpectedPort>& want,
                 const std::string& label)
{
    ASSERT_EQ(got.size(), want.size()) << label;
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].port, want[i].port) << label << " #" << i;
        EXPECT_EQ(got[i].baud, want[i].baud) << label << " #" << i;
        EXPECT_EQ(got[i].phoneType, want[i].phoneType) << label << " #" << i;
        EXPECT_EQ(got[i].portExists, want[i].exists) << label << " #" << i;
    }
}

std::string RemainingInput()
{
    std::string rest;
    std::getline(std::cin, rest, '\0');
    return rest;
}

} // namespace

TEST(Input, NumberCheckBoundsAndCharacters)
{
    const std::string digits29(29, '7');
    const struct {
        std::string number;
        bool valid;
    } cases[] = {
        {"12345", true},
        {"1234", false},
        {"+1234", true}, // the plus counts toward the five bytes
        {digits29, true},
        {digits29 + "7", false},
        {"+" + std::string(28, '1'), true},
        {"+" + digits29, false},
        {"1+2345", false},
        {"++12345", false},
        {"12a45", false},
        {"12 345", false},
        {"\xef\xbc\x91\xef\xbc\x92" "345", false}, // full-width digits are not digits
        {"", false},
    };
    CCheckManager manager;
    for (const auto& c : cases)
        EXPECT_EQ(manager.CheckReceiveNumber(c.number), c.valid) << c.number;
}

TEST(Input, NumberListSeparatorsAndRefusal)
{
    const std::vector<std::string> two = {"18300000000", "18500000000"};
    const struct {
        std::string text;
        std::vector<std::string> numbers;
    } cases[] = {
        {"18300000000,18500000000", two},
        {"18300000000 18500000000", two},
        {"18300000000;18500000000", two},
        {"18300000000; ,18500000000,", two},
        {",,18300000000,", {"18300000000"}},
        {"18300000000,18300000000", {"18300000000", "18300000000"}},
        {"18300000000,abc", {}},
        {"1234,18300000000", {}},
        {"", {}},
        {" ; , ", {}},
    };
    CCheckManager manager;
    for (const auto& c : cases)
        EXPECT_EQ(manager.SplitUserPhoneNumber(c.text), c.numbers) << "[" << c.text << "]";
}

TEST(Input, QuotesAroundCommandLineText)
{
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"\"hello world\"", "hello world"},
        {"\"abc\"", "\"abc\""}, // five bytes or fewer stay as they are
        {"\"a \"b\" c\"", "a \"b\" c"},
        // Quotes that do not wrap the whole text are the message's own.
        {"He said \"yes\" to me", "He said \"yes\" to me"},
        {"price 5\" tall", "price 5\" tall"},
        {"\"open only", "\"open only"},
        {"closed only\"", "closed only\""},
        {"no quotes here", "no quotes here"},
        {"", ""},
    };
    CCheckManager manager;
    for (const auto& c : cases)
        EXPECT_EQ(manager.RemoveDoubleQuotationMarksOfStringBothSide(c.in), c.out) << c.in;
}

TEST(Input, DefaultTextOnlyForEmptyText)
{
    CCheckManager manager;
    std::string empty;
    EXPECT_TRUE(manager.InputToSendPduSmsContext(empty));
    EXPECT_EQ(empty, " 北京Korvel短信为您服务 ");
    std::string blank = " ";
    EXPECT_TRUE(manager.InputToSendPduSmsContext(blank));
    EXPECT_EQ(blank, " ");
}

TEST(Input, PortChooserByIds)
{
    const ExpectedPort usb3 = {"/dev/ttyUSB3", 9600, PHONE_TYPE_YARLEN, true};
    const struct {
        std::string ids;
        bool result;
        std::vector<ExpectedPort> ports;
    } cases[] = {
        {"USB3", true, {usb3}},
        {"usb3", false, {{"/dev/ttyusb3", 115200, PHONE_TYPE_BASE, false}}},
        {"USB3,USB9", true, {usb3, {"/dev/ttyUSB9", 115200, PHONE_TYPE_BASE, false}}},
        {"USB9", false, {{"/dev/ttyUSB9", 115200, PHONE_TYPE_BASE, false}}},
        {" ", false, {{"/dev/tty", 115200, PHONE_TYPE_BASE, false}}},
        {" USB3", true, {{"/dev/tty", 115200, PHONE_TYPE_BASE, false}, usb3}},
        {"USB3 ", true, {usb3}},
        {"S0;USB0", true,
         {{"/dev/ttyS0", 115200, PHONE_TYPE_BASE, true}, {"/dev/ttyUSB0", 115200, PHONE_TYPE_PELVANO, true}}},
        {",", false, {{"/dev/tty", 115200, PHONE_TYPE_BASE, false}}},
    };
    CCheckManager manager;
    manager.commInfoVec = ThreeRows();
    for (const auto& c : cases) {
        std::vector<ComPortBaseInfo_t> ports(3); // replaced, not appended to
        EXPECT_EQ(manager.InputToSendPduSmsComPort(c.ids, ports), c.result) << c.ids;
        ExpectPorts(ports, c.ports, "[" + c.ids + "]");
    }

    // An unmatched id carries nothing that could let the flows treat it as a device.
    std::vector<ComPortBaseInfo_t> ports;
    manager.InputToSendPduSmsComPort("USB9", ports);
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_TRUE(ports[0].sim.empty() && ports[0].signal.empty() && ports[0].serial.empty());
    EXPECT_FALSE(ports[0].bAT);
}

TEST(Input, PortChooserWithoutIdsPrefersCompleteModems)
{
    const std::vector<Win32::CommInfo> rows = ThreeRows();
    const struct {
        std::string label;
        std::vector<Win32::CommInfo> table;
        std::vector<ExpectedPort> ports;
    } cases[] = {
        {"complete row wins", rows, {{"/dev/ttyUSB0", 115200, PHONE_TYPE_PELVANO, true}}},
        {"then rows answering AT", {rows[1], rows[2]}, {{"/dev/ttyUSB3", 9600, PHONE_TYPE_YARLEN, true}}},
        // Nothing answers AT: every row, none given a driver type even when its row holds one.
        {"then every row",
         {rows[2], Row("/dev/ttyUSB7", "9600", false, "", "", "", PHONE_TYPE_PELVANO)},
         {{"/dev/ttyS0", 115200, PHONE_TYPE_BASE, true}, {"/dev/ttyUSB7", 9600, PHONE_TYPE_BASE, true}}},
        {"empty table", {}, {}},
    };
    for (const auto& c : cases) {
        CCheckManager manager;
        manager.commInfoVec = c.table;
        std::vector<ComPortBaseInfo_t> ports;
        EXPECT_TRUE(manager.InputToSendPduSmsComPort("", ports)) << c.label;
        ExpectPorts(ports, c.ports, c.label);
    }
}

TEST(Input, NumberDialogue)
{
    const std::string prompt = "\n" + Green("请输入接收短信的号码: ") + "\n";
    const std::string refusal = Red("您输入的号码有误，请重新输入") + "\n";
    const struct {
        std::string input;
        std::vector<std::string> numbers;
        std::string out;
        std::string left; // each attempt reads exactly one line
    } cases[] = {
        {"18300000000,x\n18300000000;18500000000\nnext\n", {"18300000000", "18500000000"},
         prompt + refusal + prompt, "next\n"},
        {"abc\n1234\n\n", {}, prompt + refusal + prompt + refusal + prompt + refusal +
                                 Red("输入的错误次数过多，返回主界面") + "\n\n\n", ""},
        // End of input cancels the dialogue at once: the operator is done.
        {"abc\n", {}, prompt + refusal + prompt, ""},
    };
    for (const auto& c : cases) {
        CCheckManager manager;
        ScopedInput input(c.input);
        std::vector<std::string> numbers = {"stale"};
        bool ok = c.numbers.empty();
        const std::string out = CaptureConsole([&] { ok = manager.InputCheckSendPduSmsPhoneNumbers(numbers); });
        EXPECT_EQ(ok, !c.numbers.empty()) << c.input;
        EXPECT_EQ(numbers, c.numbers) << c.input;
        EXPECT_EQ(out, c.out) << c.input;
        EXPECT_EQ(RemainingInput(), c.left) << c.input;
    }
}

TEST(Input, PortDialogue)
{
    const std::string prompt = "\n" + Green("请输入设备端口号(例:选择/dev/ttyUSB0,请输入USB0):") + "\n";
    const std::string refusal = Red("您输入的设备端口号有误，请重新输入") + "\n";
    const struct {
        std::string input;
        bool ok;
        size_t ports;
        std::string out;
    } cases[] = {
        {"USB9\nusb3\nUSB3\n", true, 1, prompt + refusal + prompt + refusal + prompt},
        // An empty line is never refused: the chooser picks the ports.
        {"\n", true, 1, prompt},
        {"USB9\n \nS9\nUSB3\n", false, 0,
         prompt + refusal + prompt + refusal + prompt + refusal + Red("输入的错误次数过多，返回主界面") + "\n\n\n"},
    };
    for (const auto& c : cases) {
        CCheckManager manager;
        manager.commInfoVec = ThreeRows();
        ScopedInput input(c.input);
        std::vector<ComPortBaseInfo_t> ports;
        bool ok = !c.ok;
        const std::string out = CaptureConsole([&] { ok = manager.InputCheckSendPduSmsComPorts(ports); });
        EXPECT_EQ(ok, c.ok) << c.input;
        if (c.ok) {
            EXPECT_EQ(ports.size(), c.ports) << c.input;
        }
        EXPECT_EQ(out, c.out) << c.input;
    }
}

TEST(Input, TextDialogue)
{
    const struct {
        std::string input;
        std::string text;
    } cases[] = {
        {"a\\nb\n", "a\\nb"}, // escapes are the send flow's business
        {"\n", " 北京Korvel短信为您服务 "},
        {" \n", " "},
        // End of input sends nothing, not the default text.
        {"", ""},
    };
    for (const auto& c : cases) {
        CCheckManager manager;
        ScopedInput input(c.input);
        std::string text = "stale";
        bool ok = false;
        const std::string out = CaptureConsole([&] { ok = manager.InputCheckSendPduSmsContext(text); });
        EXPECT_EQ(ok, !c.input.empty()) << c.input;
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(out, "\n" + Green("请输入短信内容:") + "\n");
    }
}
