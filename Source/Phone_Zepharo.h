#pragma once
#include "PhoneCardBase.h"

// GSM module MG301; its ATI reply holds "MG301".
class CPhone_Zepharo : public CPhoneCardBase {
public:
    std::string Get_ATI_Rsp() override;
    bool IsATI_RspMatch(std::string reply) override;
    PHONE_TYPE_t GetPhoneType() override;
};
