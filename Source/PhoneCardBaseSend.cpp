#include "PhoneCardBase.h"

#include <cstdio>
#include <cstdlib>

#include "FixedText.h"
#include "SmsCodec.h"
#include "StringUtil.h"

namespace {

const char CTRL_Z = 0x1A;
// One UCS2 PDU carries 140 octets of user data: 70 UTF-16 units.
const size_t MAX_SINGLE_SMS_BYTES = 140;
const int MAX_SINGLE_SMS_UNITS = 70;
const size_t MAX_SINGLE_TEXT_BYTES = 160;
// 3GPP TS 23.040 9.1.2.5: an address field holds 20 digits at most; the codec builds no PDU
// for a longer destination, nor for a text that would need more than 255 parts.
const size_t MAX_ADDRESS_DIGITS = 20;
// ITU-T E.164: an international number, a service centre's too, has at most 15 digits, which
// szSmsc holds without the "+".
const size_t MAX_SMSC_DIGITS = 15;
const char* const NUMBER_TOO_LONG_REASON = "号码超过20位数字，未发送";
const char* const TEXT_TOO_LONG_REASON = "短信内容过长，未发送";

// A number written with a leading "+" is international whatever its digits; networks
// route it wrongly as a national number with the country code inside.
void SetDestination(const CPhoneCardBase& phone, const std::string& number, SM_PARAM& param)
{
    if (!number.empty() && number[0] == '+') {
        param.bNational = false;
        CopyToField(param.szPeer, number);
        return;
    }
    const CountryCode_t code = phone.JudgePhoneCountryCode(number);
    param.bNational = !code.bHasCountryCode;
    CopyToField(param.szPeer, phone.ModifyPhoneCode(number, code.bHasCountryCode));
}

std::string WithoutPlus(const std::string& number)
{
    return !number.empty() && number[0] == '+' ? number.substr(1) : number;
}

// The centre both kinds of PDU carry: the stored number without its "+" when it can be an
// address. Anything else (a UCS2-hex answer, a runaway line) goes as the empty centre, so the
// module uses its own rather than a cut or garbage address.
std::string SmscDigits(const std::string& stored)
{
    const std::string digits = WithoutPlus(stored);
    if (digits.empty() || digits.size() > MAX_SMSC_DIGITS ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return "";
    return digits;
}

// Why the codec gave no PDU: the operator would otherwise read "设备不AT".
std::string UnencodableReason(const SM_PARAM& param)
{
    const std::string digits = WithoutPlus(FieldText(param.szPeer));
    return digits.size() > MAX_ADDRESS_DIGITS ? NUMBER_TOO_LONG_REASON : TEXT_TOO_LONG_REASON;
}

} // namespace

bool CPhoneCardBase::IsLongSms(std::string text) const
{
    return text.size() > MAX_SINGLE_SMS_BYTES || gsmCountUcs2Units(text) > MAX_SINGLE_SMS_UNITS;
}

CountryCode_t CPhoneCardBase::JudgePhoneCountryCode(const std::string& number) const
{
    CountryCode_t code;
    code.bHasCountryCode = (number.compare(0, 4, "0086") == 0 && number.size() == 15) ||
                           (number.compare(0, 2, "86") == 0 && number.size() == 13);
    return code;
}

std::string CPhoneCardBase::ModifyPhoneCode(const std::string& number, bool hasCountryCode) const
{
    if (hasCountryCode && number.size() >= 3 && number.compare(0, 2, "00") == 0)
        return number.substr(2);
    return number;
}

std::vector<PDU_LONG_SMS_Base_t> CPhoneCardBase::GetSendPduSmsCmdArray(std::string number, std::string text)
{
    // Text that is not UTF-8 converts to no UCS2 at all: send nothing rather than an
    // empty SMS that the modem would accept.
    if (!text.empty() && gsmCountUcs2Units(text) <= 0)
        return {};
    if (IsLongSms(text))
        return GetSendLongPduSmsCmd(number, text);
    return GetSendSmsModePDUCmd(number, text);
}

std::vector<PDU_LONG_SMS_Base_t> CPhoneCardBase::GetSendSmsModePDUCmd(std::string number, std::string text)
{
    SM_PARAM param{};
    CopyToField(param.szSmsc, SmscDigits(m_smsCenterNumber));
    SetDestination(*this, number, param);
    param.nDcs = 8;
    CopyToField(param.szText, text.substr(0, MAX_SINGLE_TEXT_BYTES));
    // The encoder ends the body with Ctrl-Z and fills in the length command; it gives
    // nothing for a destination it cannot address, which must not go out as a part.
    const std::string body = gsmEncodePduNew(&param, m_lastSendCmd);
    if (body.empty()) {
        m_errorMessage = UnencodableReason(param);
        return {};
    }
    return {{m_lastSendCmd, body}};
}

std::vector<PDU_LONG_SMS_Base_t> CPhoneCardBase::GetSendLongPduSmsCmd(std::string number, std::string text)
{
    SM_PARAM param{};
    CopyToField(param.szSmsc, SmscDigits(m_smsCenterNumber));
    SetDestination(*this, number, param);
    param.nDcs = 8;
    param.pLongText = text.c_str();

    std::vector<std::string> parts;
    gsmLongSmsPdu(&param, parts, true);

    std::vector<PDU_LONG_SMS_Base_t> commands;
    for (const std::string& part : parts) {
        if (part.size() < 2)
            continue;
        // The length counts the TPDU only: everything after the SMSC length octet and the
        // octets it announces.
        unsigned char smscLen = 0;
        gsmString2Bytes(part.c_str(), &smscLen, 2);
        char command[32];
        snprintf(command, sizeof(command), "AT+CMGS=%d\r",
                 static_cast<int>(part.size() / 2) - (smscLen + 1));
        commands.push_back({command, part + CTRL_Z});
    }
    if (commands.empty() && !text.empty())
        m_errorMessage = UnencodableReason(param);
    return commands;
}

int CPhoneCardBase::OnSendPduSmsLenCmdRsp(std::string reply)
{
    if (reply.find('>') != std::string::npos)
        return 0;
    if (reply.empty() || reply.find("ERROR") == std::string::npos)
        return 2;
    m_errorMessage = TrimInTurn(reply, "\r\r\n\r\n");
    return 1;
}

int CPhoneCardBase::OnSendPduSmsContextCmdRsp(std::string reply)
{
    m_bSendPduSmsRetry = false;
    for (const std::string& line : SplitStringToArray(reply)) {
        if (line.find("OK") != std::string::npos)
            return 0;
        if (line.find("ERROR") == std::string::npos)
            continue;
        // 3GPP TS 27.005 error causes 500 and above are the module's own (unknown error,
        // SIM busy, ...); such a body is worth sending again.
        for (const std::string& piece : SplitStringByChar(line, ' ')) {
            const int cause = atoi(piece.c_str());
            if (cause >= 500 && cause <= 600)
                m_bSendPduSmsRetry = true;
        }
        m_errorMessage = TrimInTurn(line, "\r\n\r\n");
        return 1;
    }
    return 2;
}
