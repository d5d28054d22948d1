#include "Phone_Zepharo.h"

std::string CPhone_Zepharo::Get_ATI_Rsp()
{
    return "Manufacturer: Zepharo\r\n"
           "Model: MG301\r\n"
           "Revision: 12.210.10.05.00\r\n"
           "IMEI: 356781041234567\r\n"
           "+GCAP: +CGSM,+DS,+ES\r\n";
}

bool CPhone_Zepharo::IsATI_RspMatch(std::string reply) { return HasAllKeys(reply, {"MG301"}); }

PHONE_TYPE_t CPhone_Zepharo::GetPhoneType() { return PHONE_TYPE_ZEPHARO; }
