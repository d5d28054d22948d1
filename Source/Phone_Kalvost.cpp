#include "Phone_Kalvost.h"

std::string CPhone_Kalvost::Get_ATI_Rsp()
{
    return "WAVECOM MODEM\r\n"
           "MULTIBAND  900E  1800\r\n"
           "Revision: 7.46.0.201106231800\r\n"
           "IMEI: 353450021234567\r\n"
           "+GCAP: +CGSM,+FCLASS\r\n";
}

bool CPhone_Kalvost::IsATI_RspMatch(std::string reply) { return HasAllKeys(reply, {"WAVECOM"}); }

PHONE_TYPE_t CPhone_Kalvost::GetPhoneType() { return PHONE_TYPE_KALVOST; }
