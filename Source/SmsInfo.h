#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "SmsCodec.h"

// Header of one stored entry: its index in the storage and its status
// (3GPP TS 27.005: 0 received unread, 1 received read, 2 stored unsent, 3 stored sent).
struct SmsMode {
    int32_t nIndex = -1;
    int32_t nStat = -1;
};

// One stored entry with its decoded PDU.
struct SmsInfo {
    bool bFlag = false;
    SmsMode mode;
    SM_PARAM param{}; // zero-filled: the decoders expect a clean record
};

// Singles (reference 0) first by index, then parts by reference, index and sequence.
bool lessSmsInfo(const SmsInfo& a, const SmsInfo& b);
// Parts of one long message by sequence number.
bool LessLongSms(const SmsInfo& a, const SmsInfo& b);
bool IsHexChar(char c);

// The PDU of a listed header is the next line that holds only hex digits: unsolicited lines
// such as "RING" or "+CMTI: ..." may come between, and a two-line report ("+CDS:", "+CMT:" or
// "+CBM:" with its own PDU line) is passed over whole. Looks from line `from` on and stops at
// the next line holding headerKey (that header has no PDU); lines.size() when there is none.
size_t FindPduLine(const std::vector<std::string>& lines, size_t from, const char* headerKey);
// A number as a reply field gives it (an index, a length, a count): digits, blanks around them
// allowed.
bool ParseNumberField(const std::string& text, int& index);
// Decodes a stored entry's PDU by its status: received (0, 1) as SMS-DELIVER, stored outgoing
// (2, 3) as SMS-SUBMIT. False when the entry is not whole: another status, a PDU that does not
// agree with the header's length field (its last field) or with its own user-data length, user
// data longer than one message holds, octets its text does not account for (see gsmPduIsWhole),
// or one that gives no number, time or text.
bool DecodeWholeEntry(SmsInfo& info, const std::string& header, const std::string& pdu);
