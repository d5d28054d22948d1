#include "PhoneCardBase.h"

#include "ReplyEnd.h"
#include "StringUtil.h"

namespace {

bool IsQuotedName(const std::string& field)
{
    const size_t first = field.find_first_not_of(' ');
    const size_t last = field.find_last_not_of(' ');
    return first != std::string::npos && last > first && field[first] == '"' && field[last] == '"';
}

// 3GPP TS 27.005 3.2.2: for each of one to three storages, its quoted name when named (a
// check's answer; a selection's has none), then <used>,<total>. The first storage's go to count.
bool ParseStorageLine(const std::string& reply, bool named, StorageCount& count)
{
    const std::string line = CPhoneCardBase::StorageLine(reply);
    if (line.empty())
        return false;
    const std::vector<std::string> fields = SplitStringByChar(line.substr(6), ',');
    const size_t width = named ? 3 : 2;
    if (fields.empty() || fields.size() % width != 0 || fields.size() > 3 * width)
        return false;
    for (size_t i = 0; i < fields.size(); i += width) {
        int used = 0;
        int total = 0;
        if ((named && !IsQuotedName(fields[i])) || !ParseNumberField(fields[i + width - 2], used) ||
            !ParseNumberField(fields[i + width - 1], total))
            return false;
        if (i == 0) {
            count.used = static_cast<unsigned>(used);
            count.total = static_cast<unsigned>(total);
        }
    }
    if (named)
        count.name = CPhoneCardBase::FirstQuotedName(line);
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
    return ParseStorageLine(reply, false, count);
}

bool CPhoneCardBase::ParseStorageCheck(const std::string& reply, StorageCount& count)
{
    return ParseStorageLine(reply, true, count);
}

std::string CPhoneCardBase::FirstQuotedName(const std::string& text)
{
    const std::string::size_type open = text.find('"');
    const std::string::size_type close = open == std::string::npos ? open : text.find('"', open + 1);
    return close == std::string::npos ? "" : text.substr(open + 1, close - open - 1);
}
