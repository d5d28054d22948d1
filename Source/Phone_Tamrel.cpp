#include "Phone_Tamrel.h"

#include "ReadByIndex.h"

std::string CPhone_Tamrel::Get_ATI_Rsp()
{
    return "Manufacturer: Tamrel\r\n"
           "Model: CLM920_RC3\r\n"
           "Revision: RC3_V1.3.5\r\n"
           "IMEI: 864117050123456\r\n"
           "+GCAP: +CGSM,+DS,+ES\r\n";
}

bool CPhone_Tamrel::IsATI_RspMatch(std::string reply)
{
    return HasAllKeys(reply, {"CLM920_RC3", "OK"});
}

PHONE_TYPE_t CPhone_Tamrel::GetPhoneType() { return PHONE_TYPE_TAMREL; }

bool CPhone_Tamrel::OnCallCmdRsp(std::string reply) { return !reply.empty(); }

std::string CPhone_Tamrel::GetHungUpCmd() { return "at+chup;\r\n"; }

bool CPhone_Tamrel::OnHungUpCmdRsp(std::string reply) { return !reply.empty(); }

int CPhone_Tamrel::OnSetSmsPduModeCmdRsp(std::string reply)
{
    // The module may answer "+CMGW: <index>" for a message it stored meanwhile.
    if (TakeCmgwIndex(reply, m_storedSmsText))
        return 0;
    return CPhoneCardBase::OnSetSmsPduModeCmdRsp(reply);
}

int CPhone_Tamrel::OnGetQuerySmsCenterCmdRsp(std::string reply)
{
    // Sending goes on without a centre (PDUs then leave the choice to the module),
    // so the query never fails and ends after the first read window.
    bSmsCenterOk = CPhoneCardBase::OnGetQuerySmsCenterCmdRsp(reply) == 0;
    return 0;
}

std::string CPhone_Tamrel::GetReadAllSmsCmd() { return "AT+CMGD=?\r\n"; }

int CPhone_Tamrel::OnReadAllSmsCmdRsp(std::string reply)
{
    return OnIndexListRsp(*this, reply, indexList, smsInfoVec, m_recvSmsVec, m_readResult);
}

bool CPhone_Tamrel::NotFinished() { return !indexList.empty(); }

std::string CPhone_Tamrel::GetReadNextSmsCmd() { return PopIndexReadCmd(indexList, readingIndex); }

int CPhone_Tamrel::OnReadNextSmsCmdRsp(std::string reply)
{
    return OnIndexReadRsp(reply, readingIndex, smsInfoVec, m_recvSmsVec, m_readResult);
}
