#include "CheckManager.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <iostream>
#include <memory>

#include <json/json.h>

#include "JsonText.h"
#include "ComPortBase.h"
#include "PhoneFactory.h"
#include "ReportOutput.h"
#include "SmsCodec.h"
#include "StopSignal.h"

namespace {

enum class ReportMode { None, Read, Clear, ReadClear };

struct ReportWord {
    const char* word;
    ReportMode mode;
    bool oneLine;
};

// The "s" forms print the same document on one line for scripts.
const ReportWord REPORT_WORDS[] = {
    {"read", ReportMode::Read, false},
    {"clear", ReportMode::Clear, false},
    {"readclear", ReportMode::ReadClear, false},
    {"sread", ReportMode::Read, true},
    {"sclear", ReportMode::Clear, true},
    {"sreadclear", ReportMode::ReadClear, true},
};

ReportWord RecogniseReportWord(const std::string& word)
{
    for (const ReportWord& known : REPORT_WORDS)
        if (word == known.word)
            return known;
    return {"", ReportMode::None, false};
}

void AppendMessages(Json::Value& portEntry, const std::vector<SmsRecvStruct_t>& messages,
                    const char* storage)
{
    for (const SmsRecvStruct_t& message : messages) {
        Json::Value entry;
        entry["time"] = message.time;
        entry["from"] = message.number;
        entry["text"] = message.text;
        entry["storage"] = storage;
        portEntry["msgs"].append(entry);
    }
}

// 3GPP TS 23.040 9.1.2.5: a PDU address carries 1 to 20 digits, written after an optional "+".
const size_t MAX_PDU_ADDRESS_DIGITS = 20;

// Why no PDU can be built for the number and the text, which must convert to UCS2; null when
// both are fine.
const char* PduTestRefusal(const std::string& number, const std::string& text)
{
    const std::string digits = number.compare(0, 1, "+") == 0 ? number.substr(1) : number;
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos)
        return "号码无效，未生成PDU";
    if (digits.size() > MAX_PDU_ADDRESS_DIGITS)
        return "号码超过20位数字，未生成PDU";
    if (!IsValidUtf8(text))
        return "短信内容不是有效的UTF-8编码，未生成PDU";
    return nullptr;
}

} // namespace

int CCheckManager::OnCmdSMS(const std::string& word, bool reportWritable)
{
    // Detection stays quiet so the document is all this mode prints.
    g_bShowExtend = false;
    // A pipe whose reader has gone, or a file past its size limit, must not end the run between
    // one port's deletes and the report that records them: the failed write says so instead.
    signal(SIGPIPE, SIG_IGN);
    signal(SIGXFSZ, SIG_IGN);
    const ReportWord recognised = RecogniseReportWord(word);
    // Nothing is deleted for a report that cannot be written.
    if (recognised.mode == ReportMode::ReadClear && !reportWritable)
        return ReportWriteFailed(EBADF);
    const time_t start = time(nullptr);

    Json::Value root;
    root["type"] = word;
    root["check"] = recognised.mode == ReportMode::None ? 0 : 1;
    // Why the report can no longer go to standard output (an errno value), and whether a delete
    // was sent, so that the report must reach standard error instead.
    int reportError = 0;
    bool deleted = false;

    if (recognised.mode != ReportMode::None) {
        OnScanPort();
        std::vector<ComPortBaseInfo_t> ports;
        GetPortList(ports);
        root["portcount"] = static_cast<Json::UInt>(ports.size());
        CComPortBase::ResetPortWaits();
        // From the first turn on, the report is the only record of what was deleted: a stop
        // signal ends the run after the turn in progress, with the report printed.
        if (!ports.empty())
            CatchStopSignals();
        for (const ComPortBaseInfo_t& port : ports) {
            if (StopRequested() || reportError != 0)
                break;
            Json::Value entry;
            entry["name"] = PortDisplayName(port.port);
            if (recognised.mode == ReportMode::Clear) {
                entry["clear"] = DelPortSMS(port);
            } else {
                // Read-then-clear deletes, in the same turn, exactly the entries this document
                // shows; "read" tells a script whether anything stored stayed unseen.
                std::vector<SmsRecvStruct_t> meSms;
                std::vector<SmsRecvStruct_t> smSms;
                const bool clear = recognised.mode == ReportMode::ReadClear;
                const PortSmsOutcome outcome = GetPortSMS(port, meSms, smSms, clear);
                reportError = outcome.reportError;
                deleted = deleted || outcome.deleted;
                entry["msgcount"] = static_cast<Json::UInt>(smSms.size() + meSms.size());
                AppendMessages(entry, smSms, "SIM");
                AppendMessages(entry, meSms, "DEV");
                entry["read"] = outcome.read;
                if (clear)
                    entry["clear"] = outcome.clear;
            }
            root["ports"].append(entry);
        }
    }
    root["seconds"] = static_cast<Json::Int64>(time(nullptr) - start);

    // The report may be the only record of what was deleted: losing it is no success.
    const std::string report = (recognised.oneLine ? OneLineJsonText(root) : StyledJsonText(root)) + "\n";
    if (reportError == 0) {
        errno = 0;
        std::cout << report;
        std::cout.flush();
        if (std::cout)
            return StopExitStatus();
        reportError = errno;
    }
    return ReportWriteFailed(reportError, deleted ? report : "");
}

void CCheckManager::GetPortList(std::vector<ComPortBaseInfo_t>& ports)
{
    ports.clear();
    // Ports without a SIM card or without signal cannot hold or take messages.
    for (const Win32::CommInfo& row : commInfoVec) {
        if (IsSmsReadyRow(row))
            ports.push_back(RecordFromRow(row, true));
    }
}

void CCheckManager::OnCmdPduTest(const std::string& number, const std::string& text)
{
    // The commands a Yarlen module would be sent; no SMS centre has been queried, so the PDUs
    // leave the choice of centre to the modem.
    std::unique_ptr<CPhoneCardBase> card(GetPhoneByType(PHONE_TYPE_YARLEN));
    std::vector<PDU_LONG_SMS_Base_t> parts;
    const char* refusal = PduTestRefusal(number, text);
    // With number and text accepted, only a text too long for 255 parts gives none.
    if (refusal == nullptr && (parts = card->GetSendPduSmsCmdArray(number, text)).empty())
        refusal = "短信内容过长，未生成PDU";
    if (refusal != nullptr) {
        // Scripts read the PDU lines from standard output: a refusal leaves it empty.
        std::cerr << refusal << "\n";
        return;
    }
    for (const PDU_LONG_SMS_Base_t& part : parts) {
        std::cout << part.command << "\n";
        // Every body ends in Ctrl-Z, which is not shown.
        std::cout << part.body.substr(0, part.body.size() - 1) << "\n";
    }
    std::cout.flush();
}
