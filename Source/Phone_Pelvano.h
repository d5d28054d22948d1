#pragma once
#include "PhoneCardBase.h"

// GSM module M35; tried first, so any ATI reply holding "M35" is this one.
class CPhone_Pelvano : public CPhoneCardBase {
public:
    std::string Get_ATI_Rsp() override;
    bool IsATI_RspMatch(std::string reply) override;
    PHONE_TYPE_t GetPhoneType() override;
};
