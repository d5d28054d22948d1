#pragma once
#include <string>
#include <vector>

#include "PhoneCardBase.h"

// Reading for modules that list only the indexes in use ("AT+CMGD=?") and then give one
// message per "AT+CMGR=<index>". The device classes that read this way hold the state
// (indexes still to read, entries read so far) and call these.

// Judge of the index list, e.g. "+CMGD: (1,2,5),(0-4)" then OK. An accepted list starts
// a new read: entries and received messages are emptied, the first parenthesised list
// becomes the indexes to read, each piece exactly as the module wrote it.
int OnIndexListRsp(CPhoneCardBase& phone, const std::string& reply, std::vector<std::string>& indexList,
                   std::vector<SmsInfo>& smsInfoVec, std::vector<SmsRecvStruct_t>& recvSms);

// "AT+CMGR=" with the next index, which leaves the list whatever its reply will be;
// the empty text when no index is left.
std::string PopIndexReadCmd(std::vector<std::string>& indexList);

// Judge of one "AT+CMGR=" reply: its entry joins the entries read so far, and the received
// messages are rebuilt from all of them, so a read cut short keeps what it got.
int OnIndexReadRsp(const std::string& reply, std::vector<SmsInfo>& smsInfoVec,
                   std::vector<SmsRecvStruct_t>& recvSms);

// The index that a "+CMGW: " line announces, up to its carriage return; false without one.
bool TakeCmgwIndex(const std::string& reply, std::string& storedSmsText);
