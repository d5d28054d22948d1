#include "PhoneCardBase.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "FixedText.h"
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

// Parts belong together only when sender, reference and total agree, and a message never
// holds two parts with the same sequence number nor more parts than its total: different
// senders often pick the same 8-bit reference.
bool Accepts(const LongMessage& message, const SM_PARAM& part)
{
    const SM_PARAM& first = message.parts.front()->param;
    if (!SamePeer(first, part) || first.nPartRef != part.nPartRef || first.nPartTotal != part.nPartTotal)
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

// The part's UCS2 hex payload: at most nPartHexLen characters, up to the first non-hex one.
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

// The decoder leaves every part's text as UCS2 hex whatever its alphabet, so parts join as
// hex and a surrogate pair split across two parts still comes out whole.
std::string JoinPartsText(const std::vector<const SmsInfo*>& parts)
{
    std::string hex;
    for (const SmsInfo* info : parts)
        AppendPartHex(info->param, hex);
    std::string text = DecodeHexUcs2(hex);
    if (!text.empty() || hex.empty())
        return text;
    // Half a surrogate pair whose other half is in a missing part makes the whole text
    // undecodable: keep what the parts hold on their own.
    for (const SmsInfo* info : parts) {
        std::string partHex;
        AppendPartHex(info->param, partHex);
        text += DecodeHexUcs2(partHex);
    }
    return text;
}

} // namespace

bool IsHexChar(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
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
    if (reply.find("ERROR") != std::string::npos) {
        m_errorMessage = TrimInTurn(reply, "\r\n\r\n");
        return 1;
    }
    // Rebuilt from the whole reply on every call: the list always matches the latest text.
    m_recvSmsVec = SmsInfoVecToSmsRecvStructVec(SmsRspToSmsInfoVec(reply));
    if (reply.find("OK") != std::string::npos || reply.find("SMS DONE") != std::string::npos) {
        m_errorMessage = TrimInTurn(reply, "\r\n\r\n");
        return 0;
    }
    if (reply.find("SMS FULL") != std::string::npos) {
        m_errorMessage = TrimInTurn(m_errorMessage, "\r\n\r\n");
        return 0;
    }
    return 2;
}

std::vector<SmsInfo> CPhoneCardBase::SmsRspToSmsInfoVec(const std::string& reply)
{
    std::vector<SmsInfo> infos;
    const std::vector<std::string> lines = SplitStringToArray(reply);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find("+CMGL: ") == std::string::npos)
            continue;
        const SmsMode mode = StrToSmsMode(lines[i]);
        if (mode.nIndex < 0 || i + 1 >= lines.size())
            continue;
        SmsInfo info;
        info.mode = mode;
        const std::string& pdu = lines[++i];
        if (mode.nStat == 0 || mode.nStat == 1)
            gsmDecodePdu(pdu.c_str(), &info.param);
        else if (mode.nStat == 2 || mode.nStat == 3)
            gsmDecodeSendPdu(pdu.c_str(), &info.param);
        infos.push_back(info);
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
    const std::string t(timeStamp);
    if (t.size() < 13)
        return "";
    // YYMMDDhhmmss followed by the time zone, which is not shown.
    return t.substr(0, 2) + "-" + t.substr(2, 2) + "-" + t.substr(4, 2) + " " + t.substr(6, 2) + ":" +
           t.substr(8, 2) + ":" + t.substr(10, 2);
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
            records.push_back({FieldText(p.szPeer), ReceiveTimeToReadStr(p.szTimeStamp), FieldText(p.szText)});
            continue;
        }
        auto open = std::find_if(messages.begin(), messages.end(),
                                 [&p](const LongMessage& m) { return Accepts(m, p); });
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
        records[message.slot] = {FieldText(last.szPeer), ReceiveTimeToReadStr(last.szTimeStamp),
                                 JoinPartsText(message.parts)};
    }
    return records;
}
