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
    // No periodic status reports; caller id, phase 2+ messaging, new-message indications
    // announced by storage index, no registration reports, SIM storage for all three roles.
    std::vector<std::string> commands = CPhoneCardBase::GetInitAtCmd();
    commands.push_back("AT^CURC=0\r\n");
    commands.push_back("AT+CLIP=1\r\n");
    commands.push_back("AT+CSMS=1\r\n");
    commands.push_back("AT+CNMI=1,1,0,1,0\r\n");
    commands.push_back("AT+CREG=0\r\n");
    commands.push_back("AT+CPMS=\"SM\",\"SM\",\"SM\"\r\n");
    return commands;
}

PHONE_TYPE_t CPhone_Wescor::GetPhoneType() { return PHONE_TYPE_WESCOR; }
