#include <termios.h>
#include <unistd.h>

#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "CheckManager.h"
#include "PtyPeer.h"

namespace {

Win32::CommInfo Row(bool usable, bool at, const char* port, const char* baud, const char* sim,
                    const char* signal, const char* serial)
{
    Win32::CommInfo row;
    row.bUsable = usable;
    row.bAT = at;
    row.portName = port;
    row.baudText = baud;
    row.smsNumber = sim;
    row.signal = signal;
    row.serial = serial;
    return row;
}

// The table below the title line, which holds the current time and is checked apart.
const char* const kHeader =
    "==========================================================================================\n"
    "端口号    波特率    AT标识          SMS卡号                信号强度   设备序列号\n";
const char* const kRowRule =
    "------------------------------------------------------------------------------------------\n";
const char* const kFooter =
    "==========================================================================================\n"
    "\n"
    "\t设备检测耗时: 1 秒\n";

std::string PrintTable(CCheckManager& manager, std::string* title)
{
    testing::internal::CaptureStdout();
    manager.PrintDeviceTable();
    std::string out = testing::internal::GetCapturedStdout();
    // Two line ends, then the title line.
    EXPECT_EQ(out.substr(0, 2), "\n\n");
    size_t titleEnd = out.find('\n', 2);
    *title = out.substr(2, titleEnd - 2);
    return out.substr(titleEnd + 1);
}

} // namespace

TEST(Menu, DeviceTableIsByteExact)
{
    CCheckManager manager;
    manager.scanTimeStr = "设备检测耗时: 1 秒";
    std::string title;

    // No port at all: title, rules, headers and the time line only.
    EXPECT_EQ(PrintTable(manager, &title), std::string(kHeader) + kFooter);
    // Title right-aligned in 45 bytes (31 bytes of text), a blank, then the local time.
    EXPECT_TRUE(std::regex_match(title, std::regex("^ {14}Korvel短信设备检测 V1\\.15  "
                                                   "[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}$")))
        << title;

    manager.commInfoVec = {
        Row(true, true, "/dev/ttyUSB0", "9600", "\" 89860012345678901234 \"", "\" 23,99\"", "866123456789012"),
        Row(true, false, "/dev/ttyS0", "115200", "", "", ""),
        Row(false, true, "/dev/ttyUSB1", "", "", "", ""),
        Row(true, true, "", "9600", "1234", " 5,0", "\" 35 \""),
    };
    std::string expected = std::string(kHeader) +
        kRowRule + "ttyUSB0   9600      OK              89860012345678901234   23,99       866123456789012\n" +
        kRowRule + "ttyS0     115200    不AT           未读卡                 无信号      无效序列号\n" +
        kRowRule + "ttyUSB1   unknow    端口不可用       未读卡                 无信号      无效序列号\n" +
        kRowRule + "unknow    9600      OK              1234                   5,0         35\n" +
        kFooter;
    EXPECT_EQ(PrintTable(manager, &title), expected);

    // The rows keep their cleaned texts for the port choosers.
    EXPECT_EQ(manager.commInfoVec[0].smsNumber, "89860012345678901234");
    EXPECT_EQ(manager.commInfoVec[0].signal, "23,99");
    EXPECT_EQ(manager.commInfoVec[3].serial, "35");
    // Printing again changes nothing more.
    EXPECT_EQ(PrintTable(manager, &title), expected);
}

TEST(Menu, PortIdIsThePathAfterTty)
{
    const std::pair<const char*, const char*> rows[] = {
        {"/dev/ttyUSB3", "USB3"}, {"/dev/ttyS0", "S0"},  {"/dev/ttyUSB10", "USB10"},
        {"ttyACM0", "ACM0"},      {"/dev/tty", ""},      {"/dev/null", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(GetPortId(row.first), row.second) << row.first;
}

TEST(Menu, KeyIsReadRawAndTheTerminalIsGivenBack)
{
    int savedStdin = dup(STDIN_FILENO);
    ASSERT_GE(savedStdin, 0);

    PtyPeer peer;
    ASSERT_TRUE(peer.Ok());
    int tty = open(peer.Path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(tty, 0);
    struct termios before;
    ASSERT_EQ(tcgetattr(tty, &before), 0);
    before.c_oflag |= OPOST; // something raw mode turns off, to see it come back
    before.c_cc[VMIN] = 1;
    ASSERT_EQ(tcsetattr(tty, TCSANOW, &before), 0);
    peer.Send("q");
    ASSERT_EQ(dup2(tty, STDIN_FILENO), STDIN_FILENO);
    EXPECT_EQ(getchLinux(), 'q');
    struct termios after;
    ASSERT_EQ(tcgetattr(tty, &after), 0);
    EXPECT_TRUE(after.c_oflag & OPOST);

    // A terminal whose far end has hung up has no key left to give either.
    peer.HangUp();
    clearerr(stdin);
    EXPECT_EQ(getchLinux(), -1);
    close(tty);

    // Standard input that is not a terminal gives no key.
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    close(pipeFds[1]);
    ASSERT_EQ(dup2(pipeFds[0], STDIN_FILENO), STDIN_FILENO);
    close(pipeFds[0]);
    EXPECT_EQ(getchLinux(), -1);

    dup2(savedStdin, STDIN_FILENO);
    close(savedStdin);
    clearerr(stdin);
}
