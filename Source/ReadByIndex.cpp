#include "ReadByIndex.h"

#include <algorithm>
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
size_t FindHeader(const std::vector<std::string>& lines)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find("CMGR") != std::string::npos && lines[i].compare(0, 2, "AT") != 0)
            return i;
    }
    return lines.size();
}

// A storage holds a few hundred entries at most and the read stops after 100; a longer list
// is cut here, so a range such as "1-4000000000" costs nothing and still leaves indexes unread.
const size_t MAX_LISTED_INDEXES = 1000;

// Bounds of a range piece "a-b" (blanks allowed around the numbers); false for any other piece.
bool RangeBounds(const std::string& piece, unsigned long& low, unsigned long& high)
{
    const std::string::size_type dash = piece.find('-');
    if (dash == std::string::npos)
        return false;
    auto number = [](const std::string& text, unsigned long& value) {
        const std::string::size_type first = text.find_first_not_of(' ');
        const std::string::size_type last = text.find_last_not_of(' ');
        if (first == std::string::npos || last - first >= 9)
            return false;
        for (std::string::size_type i = first; i <= last; ++i) {
            if (!isdigit(static_cast<unsigned char>(text[i])))
                return false;
        }
        value = strtoul(text.c_str() + first, nullptr, 10);
        return true;
    };
    if (!number(piece.substr(0, dash), low) || !number(piece.substr(dash + 1), high))
        return false;
    if (low > high)
        std::swap(low, high);
    return true;
}

// List syntax of 3GPP TS 27.007: "1-3" is a range. Each index is read once, in the order listed.
std::vector<std::string> ExpandIndexPieces(const std::vector<std::string>& pieces)
{
    std::vector<std::string> indexes;
    auto add = [&indexes](const std::string& index) {
        if (indexes.size() < MAX_LISTED_INDEXES &&
            std::find(indexes.begin(), indexes.end(), index) == indexes.end())
            indexes.push_back(index);
    };
    for (const std::string& piece : pieces) {
        unsigned long low = 0;
        unsigned long high = 0;
        if (!RangeBounds(piece, low, high)) {
            add(piece);
            continue;
        }
        for (unsigned long i = low; i <= high && indexes.size() < MAX_LISTED_INDEXES; ++i)
            add(std::to_string(i));
    }
    return indexes;
}

} // namespace

int OnIndexListRsp(CPhoneCardBase& phone, const std::string& reply, std::vector<std::string>& indexList,
                   std::vector<SmsInfo>& smsInfoVec, std::vector<SmsRecvStruct_t>& recvSms,
                   bool& readWhole)
{
    if (reply.find("OK") == std::string::npos)
        return phone.OnOkErrorRsp(reply);
    // Indexes left from the other storage's read must not be read in this one.
    indexList.clear();
    smsInfoVec.clear();
    recvSms.clear();
    readWhole = true;
    const std::string::size_type open = reply.find('(');
    const std::string::size_type close = open == std::string::npos ? open : reply.find(')', open);
    // Pieces stay as listed (blanks too) but for ranges.
    if (close != std::string::npos)
        indexList = ExpandIndexPieces(SplitStringByChar(reply.substr(open + 1, close - open - 1), ','));
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
                   std::vector<SmsRecvStruct_t>& recvSms, bool& readWhole)
{
    if (reply.find("OK") == std::string::npos)
        return reply.find("ERROR") == std::string::npos ? 2 : 1;
    const std::vector<std::string> lines = SplitStringToArray(reply);
    const size_t header = FindHeader(lines);
    if (header < lines.size()) {
        const size_t pdu = FindPduLine(lines, header + 1, "+CMGR:");
        if (pdu < lines.size()) {
            SmsInfo info;
            info.mode.nIndex = 1;
            info.mode.nStat = HeaderStatus(lines[header]);
            DecodeEntry(info, lines[pdu]);
            if (IsEmptyEntry(info))
                readWhole = false;
            smsInfoVec.push_back(info);
        } else {
            readWhole = false;
        }
    }
    recvSms = CPhoneCardBase::SmsInfoVecToSmsRecvStructVec(smsInfoVec);
    return 0;
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
