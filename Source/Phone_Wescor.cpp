#include "Phone_Wescor.h"

std::string CPhone_Wescor::Get_ATI_Rsp()
{
    return "Manufacturer: Wescor\r\n"
           "Model: ME901\r\n"
           "Revision: 11.810.09.01.00\r\n"
           "IMEI: 861554021234567\r\n"
           "+GCAP: +CGSM,+DS,+ES\r\n";
}

bool CPhone_Wescor::IsATI_RspMatch(std::string reply) { return HasAllKeys(reply, {"ME901"}); }

std::vector<std::string> CPhone_Wescor::GetInitAtCmd()
{
    return GetReportingInitAtCmd();
}

PHONE_TYPE_t CPhone_Wescor::GetPhoneType() { return PHONE_TYPE_WESCOR; }
