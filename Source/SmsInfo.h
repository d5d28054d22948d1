#pragma once
#include <cstdint>

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
