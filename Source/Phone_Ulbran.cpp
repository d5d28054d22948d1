#include "Phone_Ulbran.h"

#include "ReadByIndex.h"

std::string CPhone_Ulbran::Get_ATI_Rsp()
{
    return "Manufacturer: Ulbran\r\n"
           "Model: CLM920_RV3\r\n"
           "Revision: RV3_V1.0.8\r\n"
           "IMEI: 864117060123456\r\n"
           "+GCAP: +CGSM,+DS,+ES\r\n";
}

bool CPhone_Ulbran::IsATI_RspMatch(std::string reply)
{
    return HasAllKeys(reply, {"CLM920_RV3", "OK"});
}

PHONE_TYPE_t CPhone_Ulbran::GetPhoneType() { return PHONE_TYPE_ULBRAN; }

bool CPhone_Ulbran::OnCallCmdRsp(std::string reply) { return !reply.empty(); }

std::string CPhone_Ulbran::GetHungUpCmd() { return "at+chup;\r\n"; }

bool CPhone_Ulbran::OnHungUpCmdRsp(std::string reply) { return !reply.empty(); }

int CPhone_Ulbran::OnSetSmsPduModeCmdRsp(std::string reply)
{
    // The module may answer "+CMGW: <index>" for a message it stored meanwhile.
    if (TakeCmgwIndex(reply, m_storedSmsText))
        return 0;
    return CPhoneCardBase::OnSetSmsPduModeCmdRsp(reply);
}

int CPhone_Ulbran::OnGetQuerySmsCenterCmdRsp(std::string reply)
{
    // Sending goes on without a centre (PDUs then leave the choice to the module),
    // so the query never fails and ends after the first read window.
    bSmsCenterOk = CPhoneCardBase::OnGetQuerySmsCenterCmdRsp(reply) == 0;
    return 0;
}

std::string CPhone_Ulbran::GetReadAllSmsCmd() { return "AT+CMGD=?\r\n"; }

int CPhone_Ulbran::OnReadAllSmsCmdRsp(std::string reply)
{
    return OnIndexListRsp(*this, reply, indexList, smsInfoVec, m_recvSmsVec, m_readResult);
}

bool CPhone_Ulbran::NotFinished() { return !indexList.empty(); }

std::string CPhone_Ulbran::GetReadNextSmsCmd() { return PopIndexReadCmd(indexList, readingIndex); }

int CPhone_Ulbran::OnReadNextSmsCmdRsp(std::string reply)
{
    return OnIndexReadRsp(reply, readingIndex, smsInfoVec, m_recvSmsVec, m_readResult);
}
