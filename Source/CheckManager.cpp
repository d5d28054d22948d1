#include "CheckManager.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include <INIReader.h>

#include "ColorCout.h"
#include "ComPortBase.h"

namespace {

// A value as read (a long) made an int: above the longest read window counts as that window, below
// 0 as unset. A cast alone would turn 4294967297 into 1.
int SettingValue(long value)
{
    return value < 0 ? 0 : static_cast<int>(std::min<long>(value, MAX_WINDOW_PASSES));
}

bool IsRegularFile(const char* path)
{
    struct stat status;
    return stat(path, &status) == 0 && S_ISREG(status.st_mode);
}

} // namespace

CCheckManager::CCheckManager() : bPlainText(true) {}

CCheckManager::~CCheckManager() = default;

void CCheckManager::InitLog() {}

void CCheckManager::InitConsoleSize()
{
    if (geteuid() == 0) {
        CComPortBase::ResetAllComPort();
        return;
    }
    std::cout << "\n";
    CColorCout::CoutRedMessage("此程序必须以root权限运行");
    std::cout << "\n";
    std::cout.flush();
    exit(1);
}

void CCheckManager::loadSetting()
{
    // A FIFO or a device (a link to /dev/zero) would hold every mode, version included, for ever:
    // only a regular file is read, anything else counts as missing.
    if (!IsRegularFile("set.ini"))
        return;
    INIReader reader("set.ini");
    g_nWinUserSet = SettingValue(reader.GetInteger("comm", "def", 0));
    if (g_nWinUserSet != 1)
        return;
    for (int i = 0; i < 10; ++i)
        g_nWinUserValue[i] = SettingValue(reader.GetInteger("comm", "time" + std::to_string(i + 1), 0));
}

void CCheckManager::PrintHelpInfo()
{
    CColorCout::CoutGreenMessage("Quenlo 使用说明");
    std::cout << "\n\n";
    static const char* const lines[] = {
        "1. 执行Korvel检测工具  执行Quenlo ",
        "2. 查看帮助信息  执行Quenlo help 可以输出本帮助信息 ",
        "3. 通过所有串口设备发送短信 执行 Quenlo [空格]手机号1,手机号2...[空格]\"短信内容 \"",
        "4. 通过指定串口设备发送短信 执行 Quenlo [空格]串口号1,串口号2...[空格]手机号1,手机号2，...[空格]\"短信内容 \"",
        "注意: 如果短信内容中有空格，需要用双引号(\")括起来，短信内容中的双引号(\")需要转义为\\\" ",
        "例1: 通过端口/dev/ttyUSB3给1830000000发送内容为 \"北京Korvel短信 欢迎使用\" 的短信则输入",
        "命令1: Quenlo USB3 18300000000 \"北京Korvel短信 欢迎使用\"",
        "例2: 通过端口/dev/ttyUSB3,/dev/ttyUSB4 给1830000000,18500000000 发送内容为 \"北京Korvel短信 欢迎使用\" 的短信则输入",
        "命令2: Quenlo USB3,USB4 18300000000,18500000000 \"北京Korvel短信 欢迎使用\"",
    };
    for (const char* line : lines)
        std::cout << line << "\n";
    std::cout.flush();
}

void CCheckManager::OnAbout()
{
    std::cout << "1.14 版本 编译时间  " << __DATE__ << " " << __TIME__ << " " << __VERSION__ << "\n";
    std::cout.flush();
}
