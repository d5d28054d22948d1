#pragma once
#include "PhoneCardBase.h"

// GSM modem; its ATI reply holds "WAVECOM".
class CPhone_Kalvost : public CPhoneCardBase {
public:
    std::string Get_ATI_Rsp() override;
    bool IsATI_RspMatch(std::string reply) override;
    PHONE_TYPE_t GetPhoneType() override;
};
