#include "Phone_Lumbrec.h"

#include <cstdio>
#include <cstdlib>

#include "ReplyEnd.h"
#include "SmsCodec.h"
#include "StringUtil.h"

namespace {

// A UCS2 Ctrl-Z ends every message body the module sends or receives.
const char kUcs2CtrlZ[] = {'\x00', '\x1A'};

// One message body may carry 140 bytes: text, "(i/n)" suffix and the UCS2 Ctrl-Z.
const int kMaxBodyBytes = 140;

// The maker's CDMA send command; the body follows once the module prompts for it.
std::string SendCommand(const std::string& number)
{
    return "AT^HCMGS=\"" + number + "\"\r";
}

std::string ToUcs2(const std::string& text)
{
    // At most one wide character per byte, two bytes each.
    std::vector<unsigned char> ucs2(2 * text.size() + 2);
    const int n = gsmEncodeUcs2(text.c_str(), ucs2.data(), static_cast<int>(text.size()));
    return std::string(ucs2.begin(), ucs2.begin() + n);
}

std::string PartSuffix(int index, int total)
{
    char suffix[32];
    snprintf(suffix, sizeof(suffix), "(%d/%d)", index, total);
    return suffix;
}

// Text bytes that part i of total may carry: the suffix is ASCII, two UCS2 bytes a character.
std::string::size_type PartRoom(int index, int total)
{
    return kMaxBodyBytes - 2 * PartSuffix(index, total).size() - sizeof(kUcs2CtrlZ);
}

// Length of the piece that starts at `start`: at most room bytes, one unit less where the cut
// would part a UTF-16 surrogate pair (the phone could show neither half).
std::string::size_type PieceLength(const std::string& ucs2, std::string::size_type start,
                                   std::string::size_type room)
{
    if (ucs2.size() - start <= room)
        return ucs2.size() - start;
    const unsigned char lastHigh = static_cast<unsigned char>(ucs2[start + room - 2]);
    return lastHigh >= 0xD8 && lastHigh <= 0xDB ? room - 2 : room;
}

// The smallest part count whose parts, each short by its own suffix, hold all the bytes.
int CountParts(const std::string& ucs2)
{
    // Each part holds at most 128 bytes, so fewer parts can never do.
    int total = static_cast<int>((ucs2.size() + 127) / 128);
    for (;; ++total) {
        std::string::size_type taken = 0;
        for (int i = 1; i <= total; ++i)
            taken += PieceLength(ucs2, taken, PartRoom(i, total));
        if (taken == ucs2.size())
            return total;
    }
}

// Where the message text that starts at `start` ends: at its Ctrl-Z, a UCS2 one (00 1A at an
// even offset) for format 6, the byte 1A for format 1. UCS2 data may hold 0A, 0D and the
// letters "OK" inside characters (U+4E0A, U+4F4B), and a format 1 text may hold line ends
// and "OK" typed by the sender, so neither is a boundary. npos without the terminator.
std::string::size_type FindTextEnd(const std::string& reply, std::string::size_type start,
                                   const std::string& format)
{
    if (format == "1")
        return reply.find('\x1A', start);
    for (std::string::size_type i = start; i + 1 < reply.size(); i += 2) {
        if (reply[i] == kUcs2CtrlZ[0] && reply[i + 1] == kUcs2CtrlZ[1])
            return i;
    }
    return std::string::npos;
}

// The header's sender and its six time fields are there: a header with them empty still gives a
// sender (the blank after the colon) and a time (its separators) that look filled.
bool SenderAndTimeThere(const std::vector<std::string>& fields)
{
    if (fields.size() < 7 || fields[0].find_first_not_of(' ') == std::string::npos)
        return false;
    int value = 0;
    for (size_t i = 1; i <= 6; ++i) {
        if (!ParseNumberField(fields[i], value))
            return false;
    }
    return true;
}

} // namespace

std::string CPhone_Lumbrec::Get_ATI_Rsp()
{
    return "Manufacturer: Lumbrec\r\n"
           "Model: MC323\r\n"
           "Revision: 11.608.03.00.00\r\n"
           "ESN: 0x80A1B2C3\r\n"
           "\r\n"
           "OK\r\n";
}

bool CPhone_Lumbrec::IsATI_RspMatch(std::string reply) { return HasAllKeys(reply, {"MC323"}); }

std::string CPhone_Lumbrec::GetCallCmd(std::string number) { return "AT+CDV" + number + "\r\n"; }

bool CPhone_Lumbrec::OnCallCmdRsp(std::string reply) { return !reply.empty(); }

std::string CPhone_Lumbrec::GetHungUpCmd() { return "AT+CHV\r\n"; }

bool CPhone_Lumbrec::OnHungUpCmdRsp(std::string reply) { return !reply.empty(); }

std::string CPhone_Lumbrec::SetSmsPDUModeCmd()
{
    // No PDU mode on CDMA: choose the maker's SMS settings with UCS2 text (format 6) instead.
    return "AT^HSMSSS=0,0,6,0\r\n";
}

int CPhone_Lumbrec::OnSendPduSmsContextCmdRsp(std::string reply)
{
    // "^HCMGSS" reports a sent message, "^HCMGSF" a failed one; the retry flag stays clear.
    for (const std::string& line : SplitStringToArray(reply)) {
        if (line.find("HCMGSS") != std::string::npos)
            return 0;
        if (line.find("ERROR") != std::string::npos || line.find("HCMGSF") != std::string::npos) {
            m_errorMessage = TrimInTurn(line, "\r\n\r\n");
            return 1;
        }
    }
    return 2;
}

std::string CPhone_Lumbrec::GetSendSMS_PhoneCmd(std::string number)
{
    return "AT^HCMGS=\"" + number + "\"\r\n";
}

bool CPhone_Lumbrec::OnSendSMS_PhoneCmd(std::string reply) { return !reply.empty(); }

std::string CPhone_Lumbrec::GetReceiveSmsCmd() { return "at^hcmgr=1\r\n"; }

bool CPhone_Lumbrec::OnReceiveSmsCmdRsp(std::string reply) { return !reply.empty(); }

int CPhone_Lumbrec::OnGetIMSI_CmdRsp(std::string reply)
{
    // An "ERROR" counts only once its line is complete.
    if (reply.find("ERROR") != std::string::npos && reply.back() == '\n')
        return 1;
    return ParseCcidRsp(reply);
}

std::string CPhone_Lumbrec::GetQuerySmsCenterCmd()
{
    // The module keeps its own centre; a bare "AT" keeps the conversation's shape.
    return "AT\r";
}

std::string CPhone_Lumbrec::GetReadAllSmsCmd() { return "AT^HCMGL=4\r\n"; }

int CPhone_Lumbrec::OnReadAllSmsCmdRsp(std::string reply)
{
    // A full storage takes more than one read window to list at 9600 baud: wait for the
    // final result code, or the entries of later windows would never be read.
    const ReplyEnd end = FindReplyEnd(reply, {"^HCMGL:"}, GetReadAllSmsCmd());
    if (end.status == 2)
        return 2;
    m_recvSmsVec.clear();
    // Each listing starts the storage over: indexes left unread in the other storage are
    // not this one's.
    smsModeVec.clear();
    m_readResult = SmsReadResult();
    // A refused listing shows nothing, but the storage may still hold messages.
    m_readResult.listed = end.status == 0;
    for (const std::string& line : SplitStringToArray(reply.substr(0, end.finalStart))) {
        const std::string::size_type p = line.find("^HCMGL:");
        if (p == std::string::npos)
            continue;
        const std::string::size_type c = line.find(',', p + 6);
        if (c == std::string::npos)
            continue;
        // An entry is read, and deleted, by its index: one that is no number cannot be.
        SmsMode mode;
        if (!ParseNumberField(line.substr(p + 7, c - p - 7), mode.nIndex)) {
            m_readResult.unreadable = true;
            continue;
        }
        mode.nStat = atoi(line.substr(c + 1, 1).c_str());
        smsModeVec.push_back(mode);
    }
    return 0;
}

bool CPhone_Lumbrec::NotFinished() { return !smsModeVec.empty(); }

std::string CPhone_Lumbrec::GetReadNextSmsCmd()
{
    if (!NotFinished())
        return "";
    readingIndex = smsModeVec.front().nIndex;
    smsModeVec.erase(smsModeVec.begin());
    return "AT^HCMGR=" + std::to_string(readingIndex) + "\r\n";
}

int CPhone_Lumbrec::OnReadNextSmsCmdRsp(std::string reply)
{
    const std::string command = "AT^HCMGR=" + std::to_string(readingIndex);
    const std::string::size_type header = reply.find("^HCMGR:");
    const std::string::size_type lineEnd = header == std::string::npos ? header : reply.find('\n', header);
    if (header == std::string::npos) {
        // No message at that index: a bare OK, or an error.
        const ReplyEnd end = FindReplyEnd(reply, {"^HCMGR:"}, command);
        if (end.status == 0)
            ++m_readResult.emptyReads;
        else if (end.status == 1)
            m_readResult.unreadable = true;
        if (end.status != 2 && CountFinalResults(reply) > 1)
            m_readResult.strayFinal = true;
        return end.status;
    }
    if (lineEnd == std::string::npos)
        return 2;

    SmsRecvStruct_t message;
    std::string format;
    int length = -1;
    // callerID,year,month,day,hour,minute,second,lang,format,length,...
    const std::vector<std::string> fields =
        SplitStringByChar(reply.substr(header + 7, lineEnd + 1 - header - 7), ',');
    if (fields.size() > 8) {
        message.number = fields[0];
        message.time = fields[1] + "-" + fields[2] + "-" + fields[3] + " " + fields[4] + ":" +
                       fields[5] + ":" + fields[6];
        format = fields[8];
    }
    if (fields.size() > 9 && !ParseNumberField(fields[9], length))
        length = -1;
    const std::string::size_type start = lineEnd + 1;
    const bool known = format == "1" || format == "6";
    // No final result is looked for inside the text: it ends at its Ctrl-Z, or, sent without
    // one, after the bytes its header counts.
    std::string::size_type end = known ? FindTextEnd(reply, start, format) : std::string::npos;
    std::string::size_type after = end;
    bool whole = false;
    bool counted = false; // sent without a Ctrl-Z, its end known from its count
    if (end != std::string::npos) {
        after = end + (format == "1" ? 1 : sizeof(kUcs2CtrlZ));
        whole = length >= 0 && static_cast<size_t>(length) == end - start;
    } else if (known && length >= 0) {
        if (reply.size() - start < static_cast<size_t>(length))
            return 2;
        end = after = start + static_cast<size_t>(length);
        counted = true;
    }
    ReplyEnd replyEnd;
    if (after != std::string::npos) {
        replyEnd = FindReplyEnd(reply, {"^HCMGR:"}, command, after);
        // Past the text every final result is one: more than the reply's own answer another command.
        if (CountFinalResults(reply, after) > 1)
            m_readResult.strayFinal = true;
    } else {
        // A text of unknown form or length cannot be shown; its reply still ends at its final result.
        replyEnd = FindReplyEnd(reply, {"^HCMGR:"}, command, start);
        end = replyEnd.finalStart;
    }
    if (replyEnd.status == 2)
        return 2;
    // A text sent without its Ctrl-Z is whole only when nothing but line ends stands between its
    // counted bytes and the final result: a count shorter than the text would cut it. A UCS2 count
    // must be whole units, or its last byte would be dropped.
    if (counted) {
        const std::string gap = reply.substr(after, replyEnd.finalStart - after);
        whole = !gap.empty() && gap.find_first_not_of("\r\n") == std::string::npos &&
                (format != "6" || length % 2 == 0);
    }
    ++m_readResult.headerReads;
    if (format == "1")
        message.text = reply.substr(start, end - start);
    else if (format == "6")
        message.text = gsmDecodeNew2(reinterpret_cast<const unsigned char*>(reply.data() + start),
                                     static_cast<int>(end - start));
    message.indexes = {readingIndex};
    // A message is shown, and so deleted, only when it arrived whole with its sender and time; its
    // text may be empty.
    if (replyEnd.status == 0 && whole && SenderAndTimeThere(fields)) {
        m_recvSmsVec.push_back(message);
        ++m_readResult.wholeEntries;
    } else {
        m_readResult.unreadable = true;
    }
    return replyEnd.status;
}

PHONE_TYPE_t CPhone_Lumbrec::GetPhoneType() { return PHONE_TYPE_LUMBREC; }

std::vector<std::string> CPhone_Lumbrec::GetInitAtCmd()
{
    // Unsolicited ^RSSI reports would interleave with replies.
    std::vector<std::string> commands = CPhoneCardBase::GetInitAtCmd();
    commands.push_back("AT^RSSIREP=0\r\n");
    return commands;
}

std::vector<PDU_LONG_SMS_Base_t> CPhone_Lumbrec::GetSendLongPduSmsCmd(std::string number,
                                                                      std::string text)
{
    const std::string command = SendCommand(number);
    const std::string ucs2 = ToUcs2(text);
    const int total = CountParts(ucs2);
    std::vector<PDU_LONG_SMS_Base_t> parts;
    std::string::size_type start = 0;
    for (int i = 1; start < ucs2.size(); ++i) {
        // Rooms are even, so no character is split between parts.
        const std::string::size_type length = PieceLength(ucs2, start, PartRoom(i, total));
        parts.push_back({command, ucs2.substr(start, length) + ToUcs2(PartSuffix(i, total)) +
                                      std::string(kUcs2CtrlZ, sizeof(kUcs2CtrlZ))});
        start += length;
    }
    return parts;
}

std::vector<PDU_LONG_SMS_Base_t> CPhone_Lumbrec::GetSendSmsModePDUCmd(std::string number,
                                                                      std::string text)
{
    sendCmd = SendCommand(number);
    sendBody = ToUcs2(text) + std::string(kUcs2CtrlZ, sizeof(kUcs2CtrlZ));
    return {{sendCmd, sendBody}};
}
