#pragma once
#include "PhoneCardBase.h"

// Module whose ATI reply names its maker, "Quirel".
class CPhone_Quirel : public CPhoneCardBase {
public:
    std::string Get_ATI_Rsp() override;
    bool IsATI_RspMatch(std::string reply) override;
    PHONE_TYPE_t GetPhoneType() override;
};
