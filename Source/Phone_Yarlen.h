#pragma once
#include "PhoneCardBase.h"

// LTE module ME909s-821; its ATI reply holds "ME909s-821".
class CPhone_Yarlen : public CPhoneCardBase {
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
