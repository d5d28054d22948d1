#include "CheckManager.h"

#include <unistd.h>

#include <ctime>
#include <iostream>
#include <memory>
#include <optional>

#include "ColorCout.h"
#include "ComPortBase.h"
#include "ConsoleText.h"
#include "PhoneFactory.h"
#include "SmsCodec.h"
#include "StringUtil.h"

namespace {

// Sends per number; more only while the modem rejects bodies with 500..600.
const int kMaxSendAttempts = 3;
// Pause after a menu send, so the operator can read the result lines before the table redraws.
const useconds_t kMenuResultPauseUs = 3000000;
const char* const kInvalidTextReason = "短信内容不是有效的UTF-8编码，未发送";

} // namespace

std::string DialogueFailureReason(CPhoneCardBase* card, CComPortBase* port)
{
    const std::string modemError = card->GetErrorMessage();
    if (!modemError.empty())
        return modemError;
    if (port && port->IsComError())
        return port->GetErrorMsg();
    return GetSmsCodeChineseStr(SMS_CODE_DEVICE_NOT_AT);
}

void ReplaceEscapedLineEnds(std::string& text)
{
    StringReplace(text, "\\n", "\n");
    StringReplace(text, "\\r", "\r");
}

void CCheckManager::OnSendPDUSms()
{
    std::vector<std::string> numbers;
    if (!InputCheckSendPduSmsPhoneNumbers(numbers))
        return;
    std::vector<ComPortBaseInfo_t> ports;
    if (!InputCheckSendPduSmsComPorts(ports))
        return;
    std::string text;
    if (!InputCheckSendPduSmsContext(text))
        return;
    ReplaceEscapedLineEnds(text);

    const time_t start = time(nullptr);
    HandleSendPduSmsProcess(ports, numbers, text);
    const time_t end = time(nullptr);
    std::cout << "发送短信耗时: " << (end - start + 1) << " 秒" << "\n";
    std::cout.flush();
    usleep(kMenuResultPauseUs);
}

void CCheckManager::HandleSendPduSmsProcess(const std::vector<ComPortBaseInfo_t>& ports,
                                            const std::vector<std::string>& numbers,
                                            const std::string& text)
{
    sendResultVec.clear();
    CComPortBase::ResetPortWaits();
    const bool textValid = IsValidUtf8(text);
    for (const ComPortBaseInfo_t& record : ports) {
        // An unmatched id names "/dev/tty" plus the id, for an empty id the operator's own
        // terminal: opening it would leave that device raw. A refused text contacts no modem.
        std::optional<CComPortBase> portObject;
        if (record.portExists && textValid)
            portObject.emplace(record.port, record.baud);
        CComPortBase* port = portObject ? &*portObject : nullptr;
        std::unique_ptr<CPhoneCardBase> card(GetPhoneByType(static_cast<PHONE_TYPE_t>(record.phoneType)));

        for (const std::string& number : numbers) {
            SendSmsResult_t result;
            result.com = record.port;
            result.number = number;
            result.time = GetCurTimeStr();
            if (record.sim.empty()) {
                result.code = SMS_CODE_NO_SIM_CARD;
            } else if (!card) {
                // Without a driver nothing was sent: a record that looks complete is no success.
                const SMS_CODE_ENUM code = GetSmsErrorCode(record);
                result.code = code == SMS_CODE_SUCCEED ? SMS_CODE_FAILED : code;
                result.message = GetSmsCodeChineseStr(SMS_CODE_DEVICE_NOT_AT);
            } else if (!textValid) {
                result.code = SMS_CODE_FAILED;
                result.message = kInvalidTextReason;
            } else {
                const std::string body = AddTimeStampToSmsContextByPhoneNum(text, number, result.time);
                // The driver outlives this number; its reason must come from this number's dialogue.
                card->ClearErrorMessage();
                RunComCmdInitPhone(card.get(), port);
                bool sent = false;
                int attempts = 0;
                do {
                    sent = SendPduSmsByPhone(card.get(), port, number, body);
                    ++attempts;
                } while (card->IsSendPduSmsRetry() && attempts < kMaxSendAttempts);
                result.code = sent ? SMS_CODE_SUCCEED : SMS_CODE_FAILED;
                result.message = DialogueFailureReason(card.get(), port);
            }
            HandleSendSmsResultByMode(result);
        }
    }
}

bool CCheckManager::SendPduSmsByPhone(CPhoneCardBase* card, CComPortBase* port, std::string number,
                                      std::string text)
{
    if (!card || !port || !port->Open())
        return false;
    if (!RunComCmdQuerySMSC(card, port) || !RunComCmdSetPduMode(card, port))
        return false;
    // Built afresh per attempt: the SMS centre just queried goes into the PDUs.
    const std::vector<PDU_LONG_SMS_Base_t> parts = card->GetSendPduSmsCmdArray(number, text);
    if (parts.empty())
        return false;
    for (const PDU_LONG_SMS_Base_t& part : parts) {
        if (!RunComCmdSendPduLen(card, port, part.command) ||
            !RunComCmdSendPduContext(card, port, part.body)) {
            // The module may still wait for a body: the port's next command, or the next run's,
            // would become message text.
            port->CancelPendingPrompt();
            return false;
        }
    }
    return true;
}

std::string CCheckManager::AddTimeStampToSmsContextByPhoneNum(std::string text, std::string number,
                                                              std::string time)
{
    // Operator service numbers (five digits) answer texts as commands: no stamp for them.
    if (number == "10086" || number == "10010" || number.size() == 5)
        return text;
    return text + " " + time;
}

SMS_CODE_ENUM CCheckManager::GetSmsErrorCode(ComPortBaseInfo_t port)
{
    if (!port.portExists)
        return SMS_CODE_NO_SUCH_PORT;
    if (!port.bAT)
        return SMS_CODE_DEVICE_NOT_AT;
    if (port.serial.empty())
        return SMS_CODE_NOT_KORVEL_SMS_DEVICE;
    if (port.sim.empty())
        return SMS_CODE_NO_SIM_CARD;
    if (port.signal.empty())
        return SMS_CODE_NO_SIGNAL;
    return SMS_CODE_SUCCEED;
}

void CCheckManager::HandleSendSmsResultByMode(SendSmsResult_t result)
{
    if (!bPlainText) {
        sendResultVec.push_back(result);
        return;
    }
    if (result.message.empty())
        result.message = GetSmsCodeChineseStr(result.code);
    PrintOneSendSmsResultPlainText(result);
}

void CCheckManager::PrintOneSendSmsResultPlainText(const SendSmsResult_t& result)
{
    const std::string portId = ConsoleLine(PortDisplayName(result.com));
    if (result.code == SMS_CODE_SUCCEED) {
        CColorCout::CoutGreenMessage("(T)端口 ");
        CColorCout::CoutGreenMessage(portId);
        CColorCout::CoutGreenMessage(" 发送到 ");
        CColorCout::CoutGreenMessage(result.number);
        CColorCout::CoutGreenMessage(" 的短信发送成功");
    } else {
        CColorCout::CoutRedMessage("(T)端口 ");
        CColorCout::CoutGreenMessage(portId);
        CColorCout::CoutRedMessage(" 发送到 ");
        CColorCout::CoutRedMessage(result.number);
        CColorCout::CoutRedMessage(" 的短信发送失败,失败原因: ");
        CColorCout::CoutRedMessage(ConsoleLine(result.message));
    }
    std::cout << "\n";
    std::cout.flush();
}
