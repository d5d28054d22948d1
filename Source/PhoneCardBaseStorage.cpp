#include "PhoneCardBase.h"

#include "ReplyEnd.h"
#include "StringUtil.h"

namespace {

// Numbers of a "+CPMS:" line, when it holds only numbers (a storage check's line names its
// storages in quotes).
bool StorageNumbers(const std::string& line, std::vector<unsigned>& numbers)
{
    numbers.clear();
    for (const std::string& field : SplitStringByChar(line.substr(6), ',')) {
        int value = 0;
        if (!ParseNumberField(field, value))
            return false;
        numbers.push_back(static_cast<unsigned>(value));
    }
    return true;
}

} // namespace

std::string CPhoneCardBase::GetCheckStorageCmd() { return "AT+CPMS?\r\n"; }

int CPhoneCardBase::OnCheckStorageCmdRsp(std::string reply)
{
    const ReplyEnd end = FindReplyEnd(reply, {"+CPMS:"}, GetCheckStorageCmd());
    if (end.status == 1)
        m_errorMessage = end.finalLine;
    return end.status;
}

std::string CPhoneCardBase::GetDelSmsCmd(int index)
{
    m_delSmsCmd = "AT+CMGD=" + std::to_string(index) + "\r\n";
    return m_delSmsCmd;
}

int CPhoneCardBase::OnDelSmsCmdRsp(std::string reply)
{
    const ReplyEnd end = FindReplyEnd(reply, {}, m_delSmsCmd);
    if (end.status == 1)
        m_errorMessage = end.finalLine;
    return end.status;
}

std::string CPhoneCardBase::StorageLine(const std::string& reply)
{
    for (const std::string& line : SplitStringToArray(reply)) {
        if (line.compare(0, 6, "+CPMS:") == 0)
            return line.substr(0, line.find_last_not_of('\r') + 1);
    }
    return "";
}

bool CPhoneCardBase::ParseStorageCount(const std::string& reply, StorageCount& count)
{
    // 3GPP TS 27.005 3.2.2: <used1>,<total1>, then the same for the second and third storage.
    std::vector<unsigned> numbers;
    const std::string line = StorageLine(reply);
    if (line.empty() || !StorageNumbers(line, numbers) ||
        (numbers.size() != 2 && numbers.size() != 4 && numbers.size() != 6))
        return false;
    count.used = numbers[0];
    count.total = numbers[1];
    return true;
}

std::string CPhoneCardBase::FirstQuotedName(const std::string& text)
{
    const std::string::size_type open = text.find('"');
    const std::string::size_type close = open == std::string::npos ? open : text.find('"', open + 1);
    return close == std::string::npos ? "" : text.substr(open + 1, close - open - 1);
}
