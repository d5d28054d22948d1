#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "CheckManager.h"
#include "ConsoleText.h"
#include "StringUtil.h"

namespace {

const int CHOICE_NONE = 0;
const int CHOICE_RESCAN = 1;
const int CHOICE_SEND = 4;
const int CHOICE_READ = 7;
const int CHOICE_ASK_PORTS = 8;
const int CHOICE_QUIT = 10;

const int TABLE_WIDTH = 90;

void PrintRule(char c)
{
    printf("%s\n", std::string(TABLE_WIDTH, c).c_str());
}

// Quoted AT answers come with quotes and blanks around the value; strip them for display.
std::string CleanText(std::string text, bool quoteAgain)
{
    text = TrimAllChar(text, '"');
    text = TrimAllChar(text, ' ');
    if (quoteAgain)
        text = TrimAllChar(text, '"');
    return text;
}

} // namespace

void CCheckManager::Start()
{
    for (;;) {
        switch (PrintBaseMenu()) {
        case CHOICE_RESCAN:
            OnScanPort();
            break;
        case CHOICE_SEND:
            OnSendPDUSms();
            break;
        case CHOICE_READ:
            OnReadAllSms();
            break;
        case CHOICE_ASK_PORTS:
            OnDelAllSms();
            break;
        case CHOICE_QUIT:
            return;
        default:
            break;
        }
    }
}

int CCheckManager::PrintBaseMenu()
{
    PrintAllDevice();
    printf("回车键刷新 1发送短信 2接收短信 q退出\n");
    fflush(stdout);
    switch (int key = getchLinux()) {
    case KEY_VALUE_NUM_2:
        return CHOICE_READ;
    case KEY_VALUE_ENTER:
        return CHOICE_RESCAN;
    case KEY_VALUE_NUM_1:
        return CHOICE_SEND;
    case KEY_VALUE_CHAR_D:
        return CHOICE_ASK_PORTS;
    case KEY_VALUE_CHAR_Q:
        return CHOICE_QUIT;
    default:
        // No key can ever come from a closed input or one that is not a terminal:
        // quit instead of rescanning forever.
        if (key == -1)
            return CHOICE_QUIT;
        getchLinux();
        return CHOICE_NONE;
    }
}

void CCheckManager::PrintAllDevice()
{
    OnScanPort();
    PrintDeviceTable();
}

void CCheckManager::PrintDeviceTable()
{
    printf("\n\n");
    printf("%*s %s\n", 45, "Korvel短信设备检测 V1.15 ", GetCurTimeStr().c_str());
    PrintRule('=');
    printf("%-*s", 13, "端口号");
    printf("%-*s", 13, "波特率");
    printf("%-*s", 18, "AT标识");
    printf("%-*s", 25, "SMS卡号");
    printf("%-*s", 15, "信号强度");
    printf("%s\n", "设备序列号");
    for (Win32::CommInfo& row : commInfoVec) {
        PrintRule('-');
        // Texts from modems and device names are printed safe for the terminal and on one line;
        // the rows keep them as they are for the flows.
        const std::string port = ConsoleLine(PortDisplayName(row.portName));
        printf("%-*s", 10, row.portName.empty() ? "unknow" : port.c_str());
        printf("%-*s", 10, row.baudText.empty() ? "unknow" : row.baudText.c_str());
        if (!row.bUsable)
            printf("%-*s", 22, "端口不可用");
        else
            printf("%-*s", 16, row.bAT ? "OK" : "不AT");
        for (int pass = 0; pass < 3; ++pass) {
            row.smsNumber = CleanText(row.smsNumber, true);
            row.signal = CleanText(row.signal, false);
            row.serial = CleanText(row.serial, false);
        }
        if (row.smsNumber.empty())
            printf("%-*s", 26, "未读卡");
        else
            printf("%-*s", 23, ConsoleLine(row.smsNumber).c_str());
        if (row.signal.empty())
            printf("%-*s", 15, "无信号");
        else
            printf("%-*s", 12, ConsoleLine(row.signal).c_str());
        printf("%s\n", row.serial.empty() ? "无效序列号" : ConsoleLine(row.serial).c_str());
    }
    PrintRule('=');
    printf("\n");
    printf("\t%s\n", scanTimeStr.c_str());
    fflush(stdout);
}

void CCheckManager::OnScanPort()
{
    commInfoVec.clear();
    time_t t0 = time(nullptr);
    std::vector<DeviceBaseComInfo> devices = DetectAllDevice();
    time_t t1 = time(nullptr);
    for (const DeviceBaseComInfo& device : devices) {
        Win32::CommInfo row;
        row.bAT = device.bAT;
        row.bUsable = device.portOk;
        row.portName = FieldText(device.portName);
        row.smsNumber = FieldText(device.smsNumber);
        row.serial = FieldText(device.serial);
        row.signal = FieldText(device.signal);
        row.atiRsp = FieldText(device.atiRsp);
        row.phoneType = device.phoneType;
        row.baudText = std::to_string(device.baud);
        commInfoVec.push_back(row);
    }
    scanTimeStr = "设备检测耗时: " + std::to_string(static_cast<long>(t1 - t0 + 1)) + " 秒";
}

int getchLinux()
{
    struct termios saved;
    if (tcgetattr(STDIN_FILENO, &saved) != 0)
        return -1;
    struct termios raw = saved;
    cfmakeraw(&raw);
    if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0)
        return -1;
    int c = getchar();
    if (tcsetattr(STDIN_FILENO, TCSANOW, &saved) != 0)
        return -1;
    return c;
}

std::string GetPortId(std::string portName)
{
    size_t at = portName.find("tty");
    return at == std::string::npos ? "" : portName.substr(at + 3);
}
