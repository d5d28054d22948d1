#pragma once
#include "PhoneCardBase.h"
#include "SmsInfo.h"

// CDMA module MC323: sends and reads through the maker's ^HCMGS/^HCMGL/^HCMGR commands with
// raw UCS2 text instead of GSM PDU mode.
class CPhone_Lumbrec : public CPhoneCardBase {
public:
    std::string Get_ATI_Rsp() override;
    bool IsATI_RspMatch(std::string reply) override;
    std::string GetCallCmd(std::string number) override;
    bool OnCallCmdRsp(std::string reply) override;
    std::string GetHungUpCmd() override;
    bool OnHungUpCmdRsp(std::string reply) override;
    std::string SetSmsPDUModeCmd() override;
    int OnSendPduSmsContextCmdRsp(std::string reply) override;
    std::string GetSendSMS_PhoneCmd(std::string number) override;
    bool OnSendSMS_PhoneCmd(std::string reply) override;
    std::string GetReceiveSmsCmd() override;
    bool OnReceiveSmsCmdRsp(std::string reply) override;
    int OnGetIMSI_CmdRsp(std::string reply) override;
    std::string GetQuerySmsCenterCmd() override;
    std::string GetReadAllSmsCmd() override;
    int OnReadAllSmsCmdRsp(std::string reply) override;
    bool NotFinished() override;
    std::string GetReadNextSmsCmd() override;
    int OnReadNextSmsCmdRsp(std::string reply) override;
    PHONE_TYPE_t GetPhoneType() override;
    std::vector<std::string> GetInitAtCmd() override;
    std::vector<PDU_LONG_SMS_Base_t> GetSendLongPduSmsCmd(std::string number,
                                                          std::string text) override;
    std::vector<PDU_LONG_SMS_Base_t> GetSendSmsModePDUCmd(std::string number,
                                                          std::string text) override;

private:
    std::string sendCmd;              // last single-part send command
    std::string sendBody;             // its raw UCS2 body
    std::vector<SmsMode> smsModeVec;  // listed entries still to read
    int readingIndex = -1;            // the index whose read was asked last
};
