#include "Phone_Quirel.h"

std::string CPhone_Quirel::Get_ATI_Rsp()
{
    return "Manufacturer: Quirel Communication\r\n"
           "Model: QL-610\r\n"
           "Revision: QL610_V1.4.2\r\n"
           "IMEI: 867400021234567\r\n"
           "+GCAP: +CGSM,+DS,+ES\r\n";
}

bool CPhone_Quirel::IsATI_RspMatch(std::string reply) { return HasAllKeys(reply, {"Quirel"}); }

PHONE_TYPE_t CPhone_Quirel::GetPhoneType() { return PHONE_TYPE_QUIREL; }
