#include "ReadByIndex.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>

#include "ReplyEnd.h"
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
// is cut here, so a range such as "1-999999999" costs nothing and still leaves indexes unread.
const size_t MAX_LISTED_INDEXES = 1000;

// Bounds of a range piece "a-b" (blanks allowed around the numbers); false for any other piece.
bool RangeBounds(const std::string& piece, int& low, int& high)
{
    const std::string::size_type dash = piece.find('-');
    if (dash == std::string::npos || !ParseNumberField(piece.substr(0, dash), low) ||
        !ParseNumberField(piece.substr(dash + 1), high))
        return false;
    if (low > high)
        std::swap(low, high);
    return true;
}

// List syntax of 3GPP TS 27.007: "1-3" is a range. Each index is read once, in the order listed:
// "004" and " 4" are both index 4. Pieces that name no index stay, once each, as they are.
std::vector<std::string> ExpandIndexPieces(const std::vector<std::string>& pieces)
{
    std::vector<std::string> indexes;
    std::set<int> listed;
    std::set<std::string> others;
    for (const std::string& piece : pieces) {
        int low = 0;
        int high = 0;
        if (ParseNumberField(piece, low)) {
            if (indexes.size() < MAX_LISTED_INDEXES && listed.insert(low).second)
                indexes.push_back(piece);
        } else if (RangeBounds(piece, low, high)) {
            for (int i = low; i <= high && indexes.size() < MAX_LISTED_INDEXES; ++i) {
                if (listed.insert(i).second)
                    indexes.push_back(std::to_string(i));
            }
        } else if (indexes.size() < MAX_LISTED_INDEXES && others.insert(piece).second) {
            indexes.push_back(piece);
        }
    }
    return indexes;
}

} // namespace

int OnIndexListRsp(CPhoneCardBase& phone, const std::string& reply, std::vector<std::string>& indexList,
                   std::vector<SmsInfo>& smsInfoVec, std::vector<SmsRecvStruct_t>& recvSms,
                   SmsReadResult& result)
{
    const ReplyEnd end = FindReplyEnd(reply, {"+CMGD:"}, phone.GetReadAllSmsCmd());
    // The error line, as a complete line, becomes the driver's error text.
    if (end.status == 1)
        return phone.OnOkErrorRsp(end.finalLine + "\n");
    if (end.status != 0)
        return 2;
    // Indexes left from the other storage's read must not be read in this one.
    indexList.clear();
    smsInfoVec.clear();
    recvSms.clear();
    result = SmsReadResult();
    const std::string::size_type open = reply.find('(');
    const std::string::size_type close = open == std::string::npos ? open : reply.find(')', open);
    // Pieces stay as listed (blanks too) but for ranges.
    if (close != std::string::npos)
        indexList = ExpandIndexPieces(SplitStringByChar(reply.substr(open + 1, close - open - 1), ','));
    return 0;
}

std::string PopIndexReadCmd(std::vector<std::string>& indexList, std::string& readingIndex)
{
    if (indexList.empty())
        return "";
    readingIndex = indexList.front();
    indexList.erase(indexList.begin());
    return "AT+CMGR=" + readingIndex + "\r\n";
}

int OnIndexReadRsp(const std::string& reply, const std::string& readingIndex, std::vector<SmsInfo>& smsInfoVec,
                   std::vector<SmsRecvStruct_t>& recvSms, SmsReadResult& result)
{
    const ReplyEnd end = FindReplyEnd(reply, {"+CMGR:"}, "AT+CMGR=" + readingIndex);
    if (end.status == 2)
        return 2;
    if (CountFinalResults(reply) > 1)
        result.strayFinal = true;
    const std::vector<std::string> lines = SplitStringToArray(reply.substr(0, end.finalStart));
    const size_t header = FindHeader(lines);
    // Error 321 says the slot is empty only when no entry came with it.
    if (end.status == 1 && !(IsInvalidIndexRefusal(end.finalLine) && header == lines.size())) {
        // Listed, yet not read: what it holds is unknown.
        result.unreadable = true;
        return 1;
    }
    int index = -1;
    if (header == lines.size()) {
        // Nothing stored there: modules that list every slot answer so.
        ++result.emptyReads;
    } else {
        ++result.headerReads;
        SmsInfo info;
        info.mode.nStat = HeaderStatus(lines[header]);
        const size_t pdu = FindPduLine(lines, header + 1, "+CMGR:");
        if (ParseNumberField(readingIndex, index) && pdu < lines.size() &&
            DecodeWholeEntry(info, lines[header], lines[pdu])) {
            info.mode.nIndex = index;
            smsInfoVec.push_back(info);
        } else {
            result.unreadable = true;
        }
    }
    result.wholeEntries = static_cast<unsigned>(smsInfoVec.size());
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
