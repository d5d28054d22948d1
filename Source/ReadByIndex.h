#pragma once
#include <string>
#include <vector>

#include "PhoneCardBase.h"

// Reading for modules that list only the indexes in use ("AT+CMGD=?") and then give one
// message per "AT+CMGR=<index>". The device classes that read this way hold the state
// (indexes still to read, entries read so far, whether every entry read) and call these.

// Judge of the index list, e.g. "+CMGD: (1,2,5),(0-4)" then OK. An accepted list starts
// a new read: indexes, entries and received messages are emptied, and the first
// parenthesised list becomes the indexes to read, each piece as the module wrote it but for
// ranges: "7-9" stands for 7, 8 and 9.
int OnIndexListRsp(CPhoneCardBase& phone, const std::string& reply, std::vector<std::string>& indexList,
                   std::vector<SmsInfo>& smsInfoVec, std::vector<SmsRecvStruct_t>& recvSms,
                   bool& readWhole);

// "AT+CMGR=" with the next index, which leaves the list whatever its reply will be;
// the empty text when no index is left.
std::string PopIndexReadCmd(std::vector<std::string>& indexList);

// Judge of one "AT+CMGR=" reply: 2 until it holds its final result, 1 for an error. On OK
// its entry joins the entries read so far and the received messages are rebuilt from all of
// them, so a read cut short keeps what it got; an entry that cannot be read clears readWhole.
int OnIndexReadRsp(const std::string& reply, std::vector<SmsInfo>& smsInfoVec,
                   std::vector<SmsRecvStruct_t>& recvSms, bool& readWhole);

// The index that a "+CMGW: " line announces, up to its carriage return; false without one.
bool TakeCmgwIndex(const std::string& reply, std::string& storedSmsText);
