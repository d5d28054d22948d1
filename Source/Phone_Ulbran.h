#pragma once
#include "PhoneCardBase.h"

// LTE module of the CLM920 family (RV3 variant); its ATI reply holds "CLM920_RV3" and "OK".
class CPhone_Ulbran : public CPhoneCardBase {
public:
    std::string Get_ATI_Rsp() override;
    bool IsATI_RspMatch(std::string reply) override;
    PHONE_TYPE_t GetPhoneType() override;

    // Call, PDU-mode and SMS-centre replies of this module family.
    bool OnCallCmdRsp(std::string reply) override;
    std::string GetHungUpCmd() override;
    bool OnHungUpCmdRsp(std::string reply) override;
    int OnSetSmsPduModeCmdRsp(std::string reply) override;
    int OnGetQuerySmsCenterCmdRsp(std::string reply) override;

    // Stored messages are read index by index: "AT+CMGD=?" lists the indexes in use.
    std::string GetReadAllSmsCmd() override;
    int OnReadAllSmsCmdRsp(std::string reply) override;
    bool NotFinished() override;
    std::string GetReadNextSmsCmd() override;
    int OnReadNextSmsCmdRsp(std::string reply) override;

protected:
    bool bSmsCenterOk = false;          // the last SMS-centre reply succeeded
    std::vector<std::string> indexList; // indexes still to read, as the module listed them
    std::string readingIndex;           // the index whose read was asked last
    std::vector<SmsInfo> smsInfoVec;    // entries read since the last accepted index list
};
