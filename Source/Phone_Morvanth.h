#pragma once
#include "PhoneCardBase.h"

// LTE module A7600C1-SE; its ATI reply holds "A7600C1-SE" and "OK".
class CPhone_Morvanth : public CPhoneCardBase {
public:
    std::string Get_ATI_Rsp() override;
    bool IsATI_RspMatch(std::string reply) override;
    PHONE_TYPE_t GetPhoneType() override;

    // Stored messages are read index by index: "AT+CMGD=?" lists the indexes in use.
    std::string GetReadAllSmsCmd() override;
    int OnReadAllSmsCmdRsp(std::string reply) override;
    bool NotFinished() override;
    std::string GetReadNextSmsCmd() override;
    int OnReadNextSmsCmdRsp(std::string reply) override;

protected:
    std::vector<std::string> indexList; // indexes still to read, as the module listed them
    std::string readingIndex;           // the index whose read was asked last
    std::vector<SmsInfo> smsInfoVec;    // entries read since the last accepted index list
};
