#pragma once
#include <string>
#include <vector>

#include "PhoneCardBase.h"

// Reading for modules that list only the indexes in use ("AT+CMGD=?") and then give one
// message per "AT+CMGR=<index>". The device classes that read this way hold the state
// (indexes still to read, the index being read, entries read so far, what the read met)
// and call these.

// Judge of the index list, e.g. "+CMGD: (1,2,5),(0-4)" then OK. An accepted list starts
// a new read: indexes, entries, received messages and result are emptied, and the first
// parenthesised list becomes the indexes to read, each piece as the module wrote it but for
// ranges ("7-9" stands for 7, 8 and 9) and for pieces naming an index listed before.
int OnIndexListRsp(CPhoneCardBase& phone, const std::string& reply, std::vector<std::string>& indexList,
                   std::vector<SmsInfo>& smsInfoVec, std::vector<SmsRecvStruct_t>& recvSms,
                   SmsReadResult& result);

// "AT+CMGR=" with the next index, which leaves the list whatever its reply will be and
// becomes readingIndex; the empty text when no index is left.
std::string PopIndexReadCmd(std::vector<std::string>& indexList, std::string& readingIndex);

// Judge of the reply to reading readingIndex: 2 until it holds its final result, 1 for an
// error. On OK its entry, when whole, joins the entries read so far and the received messages
// are rebuilt from all of them, so a read cut short keeps what it got; result learns of an
// entry that could not be read and of an empty slot (a bare OK, or +CMS ERROR: 321 with no entry).
int OnIndexReadRsp(const std::string& reply, const std::string& readingIndex, std::vector<SmsInfo>& smsInfoVec,
                   std::vector<SmsRecvStruct_t>& recvSms, SmsReadResult& result);

// The index that a "+CMGW: " line announces, up to its carriage return; false without one.
bool TakeCmgwIndex(const std::string& reply, std::string& storedSmsText);
