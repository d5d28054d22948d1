#pragma once
#include "PhoneCardBase.h"

// LTE module whose ATI reply names its maker, "Nesbral".
class CPhone_Nesbral : public CPhoneCardBase {
public:
    std::string Get_ATI_Rsp() override;
    bool IsATI_RspMatch(std::string reply) override;
    std::string GetHungUpCmd() override;
    bool OnCallCmdRsp(std::string reply) override;
    bool OnHungUpCmdRsp(std::string reply) override;
    std::string GetIMSI_Cmd() override;
    int OnGetIMSI_CmdRsp(std::string reply) override;
    std::vector<std::string> GetInitAtCmd() override;
    PHONE_TYPE_t GetPhoneType() override;
};
