#include "ReadByIndex.h"

#include <cctype>
#include <cstdlib>

#include "StringUtil.h"

namespace {

// Status from a "+CMGR: <stat>,[<alpha>],<length>" header; 1 (received, read) when the
// header does not start with a number.
int32_t HeaderStatus(const std::string& header)
{
    const std::string::size_type colon = header.find("CMGR:");
    if (colon == std::string::npos)
        return 1;
    std::string::size_type p = colon + 5;
    while (p < header.size() && header[p] == ' ')
        ++p;
    if (p >= header.size() || !isdigit(static_cast<unsigned char>(header[p])))
        return 1;
    return atoi(header.c_str() + p);
}

// The header line of a reply; an echoed "AT+CMGR=" command is not one.
std::vector<std::string>::const_iterator FindHeader(const std::vector<std::string>& lines)
{
    for (auto it = lines.begin(); it != lines.end(); ++it) {
        if (it->find("CMGR") != std::string::npos && it->compare(0, 2, "AT") != 0)
            return it;
    }
    return lines.end();
}

} // namespace

int OnIndexListRsp(CPhoneCardBase& phone, const std::string& reply, std::vector<std::string>& indexList,
                   std::vector<SmsInfo>& smsInfoVec, std::vector<SmsRecvStruct_t>& recvSms)
{
    if (reply.find("OK") == std::string::npos)
        return phone.OnOkErrorRsp(reply);
    smsInfoVec.clear();
    recvSms.clear();
    const std::string::size_type open = reply.find('(');
    const std::string::size_type close = open == std::string::npos ? open : reply.find(')', open);
    // Pieces stay as listed: no blank trimmed, no range such as 1-3 expanded.
    if (close != std::string::npos)
        indexList = SplitStringByChar(reply.substr(open + 1, close - open - 1), ',');
    return 0;
}

std::string PopIndexReadCmd(std::vector<std::string>& indexList)
{
    if (indexList.empty())
        return "";
    const std::string index = indexList.front();
    indexList.erase(indexList.begin());
    return "AT+CMGR=" + index + "\r\n";
}

int OnIndexReadRsp(const std::string& reply, std::vector<SmsInfo>& smsInfoVec,
                   std::vector<SmsRecvStruct_t>& recvSms)
{
    if (reply.find("OK") == std::string::npos)
        return 0;
    const std::vector<std::string> lines = SplitStringToArray(reply);
    const auto header = FindHeader(lines);
    if (header != lines.end() && header + 1 != lines.end()) {
        SmsInfo info;
        info.mode.nIndex = 1;
        info.mode.nStat = HeaderStatus(*header);
        // A stored outgoing message holds an SMS-SUBMIT, not an SMS-DELIVER.
        if (info.mode.nStat == 2 || info.mode.nStat == 3)
            gsmDecodeSendPdu((header + 1)->c_str(), &info.param);
        else
            gsmDecodePdu((header + 1)->c_str(), &info.param);
        smsInfoVec.push_back(info);
    }
    recvSms = CPhoneCardBase::SmsInfoVecToSmsRecvStructVec(smsInfoVec);
    return 1;
}

bool TakeCmgwIndex(const std::string& reply, std::string& storedSmsText)
{
    const std::string::size_type p = reply.find("+CMGW: ");
    if (p == std::string::npos)
        return false;
    const std::string::size_type q = reply.find('\r', p);
    if (q == std::string::npos)
        return false;
    storedSmsText = reply.substr(p + 7, q - p - 7);
    return true;
}
