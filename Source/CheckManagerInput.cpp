#include "CheckManager.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>

#include "ColorCout.h"
#include "StringUtil.h"

namespace {

const char* const kDefaultSmsText = " 北京Korvel短信为您服务 ";
// Baud rate given to a port id that matched no detected port.
const int kUnknownPortBaud = 115200;

// One operator line without its line feed; false at end of input with no line begun, which
// means the operator is done: the dialogue is cancelled, never answered with a default.
bool ReadOperatorLine(std::string& line)
{
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    std::cin.clear();
    // glibc keeps a terminal's Ctrl-D as a sticky end of file on stdin, which cin reads
    // through: without this every later prompt and menu key would see it again at once.
    clearerr(stdin);
    std::cout << "\n";
    return read;
}

void PrintTooManyTries()
{
    CColorCout::CoutRedMessage("输入的错误次数过多，返回主界面");
    std::cout << "\n\n\n";
}

// Operators separate numbers and port ids by blanks, semicolons or commas alike.
std::vector<std::string> SplitOperatorItems(const std::string& text)
{
    return SplitStringByChar(StringReplaceChar(StringReplaceChar(text, ' ', ','), ';', ','), ',');
}

} // namespace

bool IsSmsReadyRow(const Win32::CommInfo& row)
{
    return row.bAT && !row.serial.empty() && !row.signal.empty() && !row.smsNumber.empty();
}

ComPortBaseInfo_t RecordFromRow(const Win32::CommInfo& row, bool typed)
{
    ComPortBaseInfo_t record;
    record.port = row.portName;
    record.baud = atoi(row.baudText.c_str());
    record.bAT = row.bAT;
    record.sim = row.smsNumber;
    record.signal = row.signal;
    record.serial = row.serial;
    if (typed)
        record.phoneType = row.phoneType;
    return record;
}

bool CCheckManager::InputCheckSendPduSmsPhoneNumbers(std::vector<std::string>& numbers)
{
    numbers.clear();
    for (int attempt = 0; attempt < MAX_INPUT_TRY_COUNT; ++attempt) {
        std::cout << "\n";
        CColorCout::CoutGreenMessage("请输入接收短信的号码: ");
        std::string line;
        if (!ReadOperatorLine(line))
            return false;
        numbers = SplitUserPhoneNumber(line);
        if (!numbers.empty())
            return true;
        CColorCout::CoutRedMessage("您输入的号码有误，请重新输入");
        std::cout << "\n";
    }
    PrintTooManyTries();
    return false;
}

bool CCheckManager::InputCheckSendPduSmsComPorts(std::vector<ComPortBaseInfo_t>& ports)
{
    for (int attempt = 0; attempt < MAX_INPUT_TRY_COUNT; ++attempt) {
        ports.clear();
        std::cout << "\n";
        CColorCout::CoutGreenMessage("请输入设备端口号(例:选择/dev/ttyUSB0,请输入USB0):");
        std::string line;
        if (!ReadOperatorLine(line))
            return false;
        if (InputToSendPduSmsComPort(line, ports))
            return true;
        CColorCout::CoutRedMessage("您输入的设备端口号有误，请重新输入");
        std::cout << "\n";
    }
    PrintTooManyTries();
    return false;
}

bool CCheckManager::InputCheckSendPduSmsContext(std::string& text)
{
    std::cout << "\n";
    CColorCout::CoutGreenMessage("请输入短信内容:");
    if (!ReadOperatorLine(text))
        return false;
    return InputToSendPduSmsContext(text);
}

bool CCheckManager::InputToSendPduSmsContext(std::string& text)
{
    if (text.empty())
        text = kDefaultSmsText;
    return true;
}

bool CCheckManager::InputToSendPduSmsComPort(const std::string& portIds,
                                             std::vector<ComPortBaseInfo_t>& ports)
{
    ports.clear();
    if (portIds.empty()) {
        // No ids: prefer complete modems, then any that answers AT, then every port.
        auto choose = [&](const std::function<bool(const Win32::CommInfo&)>& accept, bool typed) {
            for (const Win32::CommInfo& row : commInfoVec)
                if (accept(row))
                    ports.push_back(RecordFromRow(row, typed));
        };
        choose(IsSmsReadyRow, true);
        if (ports.empty())
            choose([](const Win32::CommInfo& row) { return row.bAT; }, true);
        if (ports.empty())
            choose([](const Win32::CommInfo&) { return true; }, false);
        return true;
    }

    bool matched = false;
    for (const std::string& item : SplitOperatorItems(portIds)) {
        const Win32::CommInfo* found = nullptr;
        for (const Win32::CommInfo& row : commInfoVec) {
            if (GetPortId(row.portName) == item) {
                found = &row;
                break;
            }
        }
        if (found) {
            ports.push_back(RecordFromRow(*found, true));
            matched = true;
            continue;
        }
        ComPortBaseInfo_t unknown;
        unknown.port = "/dev/tty" + item;
        unknown.baud = kUnknownPortBaud;
        unknown.portExists = false;
        ports.push_back(unknown);
    }
    return matched;
}

std::vector<std::string> CCheckManager::SplitUserPhoneNumber(std::string text)
{
    std::vector<std::string> numbers;
    for (const std::string& item : SplitOperatorItems(text)) {
        if (item.empty())
            continue;
        if (!CheckReceiveNumber(item))
            return {};
        numbers.push_back(item);
    }
    return numbers;
}

bool CCheckManager::CheckReceiveNumber(std::string number)
{
    for (std::string::size_type i = 0; i < number.size(); ++i) {
        const char c = number[i];
        const bool digit = c >= '0' && c <= '9';
        if (!digit && !(i == 0 && c == '+'))
            return false;
    }
    return number.size() >= 5 && number.size() < static_cast<std::string::size_type>(MAX_PHONE_LEN);
}

std::string CCheckManager::RemoveDoubleQuotationMarksOfStringBothSide(std::string text)
{
    // Only quotes that wrap the whole text are the command line's; quotes anywhere else are part
    // of the message. A quoted word of three letters or fewer keeps its quotes.
    if (text.size() <= 5 || text.front() != '"' || text.back() != '"')
        return text;
    return text.substr(1, text.size() - 2);
}
