#include "PhoneCardBase.h"

#include "StringUtil.h"

// Lengths below are computed on size_t as the positions give them: when a key lies
// before where it is expected the length wraps and substr() takes the rest of the text,
// which never reads outside the reply.

CPhoneCardBase::CPhoneCardBase() : m_bSendPduSmsRetry(false) {}

CPhoneCardBase::~CPhoneCardBase() = default;

bool CPhoneCardBase::HasAllKeys(const std::string& reply, std::initializer_list<const char*> keys)
{
    for (const char* key : keys) {
        if (reply.find(key) == std::string::npos)
            return false;
    }
    return true;
}

std::string CPhoneCardBase::TrimInTurn(std::string text, const char* chars)
{
    for (; *chars != '\0'; ++chars)
        text = TrimAllChar(text, *chars);
    return text;
}

int CPhoneCardBase::OnOkErrorRsp(std::string reply)
{
    for (const std::string& line : SplitStringToArray(reply)) {
        if (line.find("OK") != std::string::npos)
            return 0;
        if (line.find("ERROR") != std::string::npos) {
            m_errorMessage = TrimInTurn(line, "\r\n\r\n\r\n");
            return 1;
        }
    }
    // A final "OK" may not have its line end yet.
    return reply.find("OK") != std::string::npos ? 0 : 2;
}

std::string CPhoneCardBase::GetATCmd() { return "AT\r\n"; }

int CPhoneCardBase::OnGetAtCmdRsp(std::string reply) { return OnOkErrorRsp(reply); }

std::string CPhoneCardBase::GetAtiCmd() { return "ATI\r\n"; }

int CPhoneCardBase::OnGetAtiCmdRsp(std::string reply)
{
    // Never 2: identification judges what the first read window brought.
    m_atiRsp = reply;
    return IsATI_RspMatch(reply) ? 0 : 1;
}

std::string CPhoneCardBase::Get_ATI_Rsp() { return ""; }

bool CPhoneCardBase::IsATI_RspMatch(std::string reply) { return HasAllKeys(reply, {"OK"}); }

std::string CPhoneCardBase::GetCCIDCmd() { return "ATI+CCID\r\n"; }

bool CPhoneCardBase::OnCCIDCmdRsp(std::string reply) { return OnOkErrorRsp(reply) == 0; }

std::string CPhoneCardBase::GetCallCmd(std::string number) { return "ATD" + number + ";\r\n"; }

bool CPhoneCardBase::OnCallCmdRsp(std::string reply) { return OnOkErrorRsp(reply) == 0; }

std::string CPhoneCardBase::GetHungUpCmd() { return "ATH\r\n"; }

bool CPhoneCardBase::OnHungUpCmdRsp(std::string reply) { return OnOkErrorRsp(reply) == 0; }

std::string CPhoneCardBase::SetSmsModeTextCmd() { return "at+cmgf=1\r\n"; }

bool CPhoneCardBase::OnSetSmsModeTextCmdRsp(std::string reply) { return OnOkErrorRsp(reply) == 0; }

std::string CPhoneCardBase::SetSmsPDUModeCmd() { return "at+cmgf=0\r\n"; }

int CPhoneCardBase::OnSetSmsPduModeCmdRsp(std::string reply) { return OnOkErrorRsp(reply); }

std::string CPhoneCardBase::GetSendSMS_PhoneCmd(std::string number)
{
    return "at+cmgs=\"" + number + "\"\r\n";
}

bool CPhoneCardBase::OnSendSMS_PhoneCmd(std::string reply) { return OnOkErrorRsp(reply) == 0; }

std::string CPhoneCardBase::GetSendSMS_ContextCmd(std::string text)
{
    return text + " " + PhoneTypeToString(GetPhoneType()) + "\r\x1A";
}

bool CPhoneCardBase::OnSendSMS_ContextCmd(std::string reply) { return OnOkErrorRsp(reply) == 0; }

std::string CPhoneCardBase::GetReceiveSmsCmd() { return "at+cmgr=1\r\n"; }

bool CPhoneCardBase::OnReceiveSmsCmdRsp(std::string reply) { return OnOkErrorRsp(reply) == 0; }

std::string CPhoneCardBase::GetSetReceiveSmsStoreCmd() { return "at+cpms=\"SM\"\r\n"; }

bool CPhoneCardBase::OnSetReceiveSmsStoreCmdRsp(std::string reply)
{
    return OnOkErrorRsp(reply) == 0;
}

std::string CPhoneCardBase::GetQueryReceiveSmsStoreCmd() { return "at + cpms?\r\n"; }

bool CPhoneCardBase::OnQueryReceiveSmsStoreCmdRsp(std::string reply)
{
    return OnOkErrorRsp(reply) == 0;
}

std::string CPhoneCardBase::GetIMSI_Cmd() { return "AT+CCID\r\n"; }

int CPhoneCardBase::OnGetIMSI_CmdRsp(std::string reply)
{
    if (reply.find("ERROR") != std::string::npos)
        return 1;
    return ParseCcidRsp(reply);
}

int CPhoneCardBase::ParseCcidRsp(const std::string& reply)
{
    const std::string::size_type q = reply.find("OK");
    if (q == std::string::npos || reply.empty())
        return 2;
    const std::string::size_type p = reply.find("+CCID:");
    if (p == std::string::npos) {
        m_smsCardNumber = "";
        return 1;
    }
    // Ends four bytes before "OK": the number's line end and the empty line.
    m_smsCardNumber = TrimInTurn(reply.substr(p + 6, q - p - 10), "\" \"");
    return 0;
}

std::string CPhoneCardBase::GetIMEI_Cmd() { return "AT+CGSN\r\n"; }

int CPhoneCardBase::OnGetIMEI_Cmd(std::string reply)
{
    if (reply.find("ERROR") != std::string::npos)
        return 1;
    const std::string::size_type p = reply.find("AT+CGSN");
    const std::string::size_type q = reply.find("OK");
    std::string serial;
    if (p != std::string::npos && q != std::string::npos)
        serial = reply.substr(p + 7, q - p - 7);
    else if (q == std::string::npos)
        return 2;
    else
        serial = reply.substr(0, q);
    m_serialNumber = TrimInTurn(serial, " \r\n \r\n");
    return 0;
}

std::string CPhoneCardBase::GetSignalStrengthCmd() { return "at+csq\r\n"; }

int CPhoneCardBase::OnGetSignalStrengthCmdRsp(std::string reply)
{
    if (reply.empty())
        return 2;
    const std::string::size_type p = reply.find("+CSQ:");
    const std::string::size_type q = reply.find("OK");
    if (p == std::string::npos || q == std::string::npos) {
        // An ERROR reply is not recognised: the runner reads until its tries are spent.
        m_signalStrength = "";
        return 2;
    }
    m_signalStrength = reply.substr(p + 5, q - p - 9);
    return 0;
}

std::string CPhoneCardBase::GetQuerySmsCenterCmd() { return "AT+CSCA?\r\n"; }

int CPhoneCardBase::OnGetQuerySmsCenterCmdRsp(std::string reply)
{
    const std::string::size_type p = reply.find("+CSCA: \"");
    if (!reply.empty() && p != std::string::npos) {
        const std::string::size_type c = reply.find(',', p);
        if (c == std::string::npos) {
            m_smsCenterNumber = "";
            // A line cut by the end of a read window gets its comma in the next one.
            return reply.find('\n', p) == std::string::npos ? 2 : 1;
        }
        // Between the quotes: the closing quote stands just before the comma.
        m_smsCenterNumber = reply.substr(p + 8, c - p - 9);
        return 0;
    }
    // Some modules give the centre unquoted (UCS2 hex): only the final line counts then.
    for (const std::string& line : SplitStringToArray(reply)) {
        if (line.find("OK") != std::string::npos)
            return 0;
        if (line.find("ERROR") != std::string::npos) {
            m_errorMessage = TrimInTurn(line, "\r\n\r\n");
            return 1;
        }
    }
    return 2;
}

std::string CPhoneCardBase::GetDelAllSmsCmd() { return "AT+CMGD=0,4\r\n"; }

int CPhoneCardBase::OnDelAllSmsCmdRsp(std::string reply) { return OnOkErrorRsp(reply); }

std::string CPhoneCardBase::GetRecvSmsCompatibleModeCmd() { return "AT\r"; }

int CPhoneCardBase::OnGetRecvSmsCompatibleModeCmdRsp(std::string reply)
{
    if (reply.find("OK") != std::string::npos)
        return 0;
    if (reply.find("ERROR") != std::string::npos) {
        m_errorMessage = reply;
        return 1;
    }
    return 2;
}

std::string CPhoneCardBase::GetReadAllSmsCmd() { return "AT+CMGL=4\r\n"; }

bool CPhoneCardBase::NotFinished() { return false; }

std::string CPhoneCardBase::GetReadNextSmsCmd() { return "AT\r\n"; }

int CPhoneCardBase::OnReadNextSmsCmdRsp(std::string reply) { return reply.empty() ? 0 : 1; }

PHONE_TYPE_t CPhoneCardBase::GetPhoneType() { return PHONE_TYPE_BASE; }

std::string CPhoneCardBase::GetSmsCardNumber() { return m_smsCardNumber; }

std::string CPhoneCardBase::GetSignalStrength() { return m_signalStrength; }

std::string CPhoneCardBase::GetSerialNumber() { return m_serialNumber; }

std::string CPhoneCardBase::GetErrorMessage()
{
    m_errorMessage = TrimInTurn(m_errorMessage, "\r\n\r\n");
    return m_errorMessage;
}

bool CPhoneCardBase::HasME() { return false; }

std::string CPhoneCardBase::GetReadSmsOnMeCmd() { return "AT+CPMS=\"ME\"\r\n"; }

int CPhoneCardBase::OnGetReadSmsOnMeCmd(std::string reply) { return OnOkErrorRsp(reply); }

std::string CPhoneCardBase::GetReadSmsOnSmCmd() { return "AT+CPMS=\"SM\"\r\n"; }

int CPhoneCardBase::OnGetReadSmsOnSmCmd(std::string reply) { return OnOkErrorRsp(reply); }

std::vector<std::string> CPhoneCardBase::GetInitAtCmd()
{
    // Numeric +CME ERROR reports, SIM storage for reading, no echo.
    return {"AT+CMEE=1\r\n", "AT+CPMS=\"SM\"\r\n", "ATE0\r\n"};
}

int CPhoneCardBase::OnInitAtCmdRsp(std::string reply) { return OnOkErrorRsp(reply); }

int CPhoneCardBase::OnCaretIccidRsp(const std::string& reply)
{
    if (reply.empty())
        return 2;
    // The number is taken as soon as its line is complete; "OK" is not awaited.
    for (const std::string& line : SplitStringToArray(reply)) {
        if (line.find("^ICCID: ") != std::string::npos) {
            m_smsCardNumber = TrimInTurn(line.substr(8), " \r\n \r\n");
            return 0;
        }
    }
    return 1;
}

std::vector<std::string> CPhoneCardBase::GetReportingInitAtCmd()
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
