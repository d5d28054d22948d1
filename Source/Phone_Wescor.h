#pragma once
#include "PhoneCardBase.h"

// Module ME901; its ATI reply holds "ME901".
class CPhone_Wescor : public CPhoneCardBase {
public:
    std::string Get_ATI_Rsp() override;
    bool IsATI_RspMatch(std::string reply) override;
    std::vector<std::string> GetInitAtCmd() override;
    PHONE_TYPE_t GetPhoneType() override;
};
