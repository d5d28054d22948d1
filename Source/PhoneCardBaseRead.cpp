#include "PhoneCardBase.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "FixedText.h"
#include "ReplyEnd.h"
#include "StringUtil.h"

namespace {

struct LongMessage {
    size_t slot;                       // place of its record in the result
    std::vector<const SmsInfo*> parts;
};

bool SamePeer(const SM_PARAM& a, const SM_PARAM& b)
{
    return strncmp(a.szPeer, b.szPeer, sizeof(a.szPeer)) == 0;
}

// Stored outgoing entries (status 2 and 3) against received ones (0 and 1).
bool IsOutgoing(const SmsMode& mode)
{
    return mode.nStat == 2 || mode.nStat == 3;
}

// Parts belong together only when direction, number, reference and total agree, and a message
// never holds two parts with the same sequence number nor more parts than its total: different
// senders often pick the same 8-bit reference, and a reply to a sender may reuse its reference.
bool Accepts(const LongMessage& message, const SmsInfo& info)
{
    const SmsInfo& firstInfo = *message.parts.front();
    const SM_PARAM& first = firstInfo.param;
    const SM_PARAM& part = info.param;
    if (IsOutgoing(firstInfo.mode) != IsOutgoing(info.mode) || !SamePeer(first, part) ||
        first.nPartRef != part.nPartRef || first.nPartTotal != part.nPartTotal)
        return false;
    // A total of 0 is invalid: such a part stands alone.
    if (message.parts.size() >= std::max<size_t>(part.nPartTotal, 1))
        return false;
    for (const SmsInfo* p : message.parts) {
        if (p->param.nPartSeq == part.nPartSeq)
            return false;
    }
    return true;
}

// The part's hex payload: at most nPartHexLen characters, up to the first non-hex one.
void AppendPartHex(const SM_PARAM& part, std::string& hex)
{
    const int limit = std::min<int>(part.nPartHexLen, sizeof(part.szPartHex));
    for (int i = 0; i < limit && IsHexChar(part.szPartHex[i]); ++i)
        hex.push_back(part.szPartHex[i]);
}

std::string DecodeHexUcs2(const std::string& hex)
{
    std::vector<unsigned char> bytes(hex.size() / 2 + 1);
    // An odd last byte is dropped.
    const int n = gsmString2Bytes(hex.c_str(), bytes.data(), static_cast<int>(hex.size() & ~size_t(1)));
    return gsmDecodeNew2(bytes.data(), n);
}

// Parts join in order, each in its own form: text parts as UCS2 hex, joined before decoding so
// that a surrogate pair split across two parts still comes out whole; an 8-bit or compressed
// part as the hex of its octets, as it stands.
std::string JoinPartsText(const std::vector<const SmsInfo*>& parts)
{
    std::string text;
    std::string ucs2Hex;
    for (const SmsInfo* info : parts) {
        if (!info->param.bPartOctets) {
            AppendPartHex(info->param, ucs2Hex);
            continue;
        }
        text += DecodeHexUcs2(ucs2Hex);
        ucs2Hex.clear();
        AppendPartHex(info->param, text);
    }
    return text + DecodeHexUcs2(ucs2Hex);
}

} // namespace

bool IsHexChar(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

size_t FindPduLine(const std::vector<std::string>& lines, size_t from, const char* headerKey)
{
    for (size_t i = from; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.find(headerKey) != std::string::npos)
            break;
        if (IsTwoLineReport(line)) {
            ++i;
            continue;
        }
        if (IsPduLine(line))
            return i;
    }
    return lines.size();
}

bool ParseNumberField(const std::string& text, int& index)
{
    const size_t first = text.find_first_not_of(' ');
    const size_t last = text.find_last_not_of(' ');
    // Nine digits at most: every index a module can hold, and no overflow.
    if (first == std::string::npos || last - first >= 9)
        return false;
    for (size_t i = first; i <= last; ++i) {
        if (!isdigit(static_cast<unsigned char>(text[i])))
            return false;
    }
    index = atoi(text.c_str() + first);
    return true;
}

bool DecodeWholeEntry(SmsInfo& info, const std::string& header, const std::string& pdu)
{
    const int32_t stat = info.mode.nStat;
    if (stat < 0 || stat > 3)
        return false;
    // 3GPP TS 27.005 3.4.2: <length> is the last field, the PDU's octets without its SMSC field.
    const std::string::size_type comma = header.rfind(',');
    int length = 0;
    if (comma == std::string::npos ||
        !ParseNumberField(header.substr(comma + 1, header.find_last_not_of("\r\n") - comma), length))
        return false;
    const char* text = pdu.c_str() + std::min(pdu.find_first_not_of(' '), pdu.size());
    const bool received = stat <= 1;
    if (!gsmPduIsWhole(text, length, received))
        return false;
    if (received)
        gsmDecodePdu(text, &info.param);
    else
        gsmDecodeSendPdu(text, &info.param);
    const SM_PARAM& p = info.param;
    return p.szPeer[0] != '\0' || p.szTimeStamp[0] != '\0' || p.szText[0] != '\0' ||
           (p.bIsPart && p.nPartHexLen > 0);
}

bool lessSmsInfo(const SmsInfo& a, const SmsInfo& b)
{
    // References compare unsigned so that 16-bit references above 0x7FFF still sort
    // after the single messages (reference 0).
    if (a.param.nPartRef != b.param.nPartRef)
        return a.param.nPartRef < b.param.nPartRef;
    if (a.mode.nIndex != b.mode.nIndex)
        return a.mode.nIndex < b.mode.nIndex;
    return LessLongSms(a, b);
}

bool LessLongSms(const SmsInfo& a, const SmsInfo& b)
{
    return static_cast<int16_t>(a.param.nPartSeq) < static_cast<int16_t>(b.param.nPartSeq);
}

int CPhoneCardBase::OnReadAllSmsCmdRsp(std::string reply)
{
    const ReplyEnd end = FindReplyEnd(reply, {"+CMGL:"}, GetReadAllSmsCmd());
    if (end.status == 1) {
        m_errorMessage = TrimInTurn(reply, "\r\n\r\n");
        return 1;
    }
    // Rebuilt from the whole reply on every call: the list always matches the latest text.
    m_readResult = SmsReadResult();
    const std::vector<SmsInfo> entries = SmsRspToSmsInfoVec(reply, &m_readResult);
    m_readResult.wholeEntries = static_cast<unsigned>(entries.size());
    m_recvSmsVec = SmsInfoVecToSmsRecvStructVec(entries);
    if (end.status == 0) {
        m_errorMessage = TrimInTurn(reply, "\r\n\r\n");
        return 0;
    }
    // Some modules end a listing with these instead of a final result: it may be cut short.
    m_readResult.listed = false;
    if (reply.find("SMS DONE") != std::string::npos) {
        m_errorMessage = TrimInTurn(reply, "\r\n\r\n");
        return 0;
    }
    if (reply.find("SMS FULL") != std::string::npos) {
        m_errorMessage = TrimInTurn(m_errorMessage, "\r\n\r\n");
        return 0;
    }
    return 2;
}

std::vector<SmsInfo> CPhoneCardBase::SmsRspToSmsInfoVec(const std::string& reply, SmsReadResult* result)
{
    std::vector<SmsInfo> infos;
    const std::vector<std::string> lines = SplitStringToArray(reply);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string::size_type p = lines[i].find("+CMGL: ");
        if (p == std::string::npos)
            continue;
        SmsInfo info;
        info.mode = StrToSmsMode(lines[i]);
        // Deleting an entry takes its index as a number: an index field that is none makes
        // the entry unreadable.
        const std::string::size_type comma = lines[i].find(',', p);
        int index = -1;
        const bool indexed =
            comma != std::string::npos && ParseNumberField(lines[i].substr(p + 7, comma - p - 7), index);
        const size_t pdu = FindPduLine(lines, i + 1, "+CMGL: ");
        if (indexed && pdu < lines.size() && DecodeWholeEntry(info, lines[i], lines[pdu])) {
            info.mode.nIndex = index;
            infos.push_back(info);
        } else if (result) {
            result->unreadable = true;
        }
        if (pdu < lines.size())
            i = pdu;
    }
    return infos;
}

SmsMode CPhoneCardBase::StrToSmsMode(std::string line)
{
    SmsMode mode;
    const std::string::size_type p = line.find("+CMGL: ");
    if (p == std::string::npos)
        return mode;
    const std::string::size_type c = line.find(',', p + 6);
    if (c == std::string::npos)
        return mode;
    // The blank after the colon is included; atoi skips it.
    mode.nIndex = atoi(line.substr(p + 6, c - p - 6).c_str());
    if (mode.nIndex < 0)
        return mode;
    const std::string::size_type c2 = line.find(',', c + 1);
    if (c2 != std::string::npos)
        mode.nStat = atoi(line.substr(c + 1, c2 - c - 1).c_str());
    return mode;
}

std::string CPhoneCardBase::ReceiveTimeToReadStr(const char* timeStamp)
{
    return gsmTimeStampText(timeStamp);
}

std::vector<SmsRecvStruct_t> CPhoneCardBase::SmsInfoVecToSmsRecvStructVec(const std::vector<SmsInfo>& infos)
{
    std::vector<SmsInfo> sorted(infos);
    // Stable, so entries equal in every key keep the order in which they were read.
    std::stable_sort(sorted.begin(), sorted.end(), lessSmsInfo);

    std::vector<SmsRecvStruct_t> records;
    std::vector<LongMessage> messages;
    for (const SmsInfo& info : sorted) {
        const SM_PARAM& p = info.param;
        if (!p.bIsPart) {
            records.push_back({FieldText(p.szPeer), ReceiveTimeToReadStr(p.szTimeStamp), FieldText(p.szText),
                               {info.mode.nIndex}});
            continue;
        }
        auto open = std::find_if(messages.begin(), messages.end(),
                                 [&info](const LongMessage& m) { return Accepts(m, info); });
        if (open == messages.end()) {
            messages.push_back({records.size(), {}});
            records.emplace_back();
            open = messages.end() - 1;
        }
        open->parts.push_back(&info);
    }
    for (LongMessage& message : messages) {
        std::stable_sort(message.parts.begin(), message.parts.end(),
                         [](const SmsInfo* a, const SmsInfo* b) { return LessLongSms(*a, *b); });
        // Number and time come from the part with the highest sequence number.
        const SM_PARAM& last = message.parts.back()->param;
        std::vector<int> indexes;
        for (const SmsInfo* part : message.parts)
            indexes.push_back(part->mode.nIndex);
        records[message.slot] = {FieldText(last.szPeer), ReceiveTimeToReadStr(last.szTimeStamp),
                                 JoinPartsText(message.parts), indexes};
    }
    return records;
}
