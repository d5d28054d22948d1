#include "Phone_Pelvano.h"

std::string CPhone_Pelvano::Get_ATI_Rsp()
{
    return "Pelvano\r\n"
           "M35\r\n"
           "Revision: M35FAR02A03\r\n"
           "IMEI: 862271030112233\r\n"
           "+GCAP: +CGSM\r\n";
}

bool CPhone_Pelvano::IsATI_RspMatch(std::string reply) { return HasAllKeys(reply, {"M35"}); }

PHONE_TYPE_t CPhone_Pelvano::GetPhoneType() { return PHONE_TYPE_PELVANO; }
