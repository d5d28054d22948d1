#include "CheckManager.h"

#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <iostream>
#include <memory>
#include <set>

#include "ColorCout.h"
#include "ComPortBase.h"
#include "ConsoleText.h"
#include "PhoneFactory.h"
#include "ReplyEnd.h"
#include "StopSignal.h"

namespace {

// Modules that are read one index at a time: at most this many entries per storage (answers that
// hold one), at most this many indexes asked where the storage's size is unknown, and at most
// this many read windows for the reply to one index, so a silent or chattering module cannot
// hold the flow.
const unsigned MAX_READ_ENTRIES = 100;
const unsigned MAX_READ_NEXT_PASSES = 100;
const int MAX_READ_NEXT_WINDOWS = 100;
// Index lists that name every slot are asked at most as many slots as the storage has, and
// never more than this.
const unsigned MAX_READ_SLOTS = 1000;
// Leaves the messages on screen for a moment before the menu redraws the device table.
const useconds_t READ_RESULT_PAUSE_USEC = 3000000;

const char* const MESSAGE_SEPARATOR = "--------------------------------------------------";

// One port's driver object and open device for the length of its turn. A record that matched no
// detected port gets neither: its path may name the operator's own terminal ("/dev/tty"), which
// opening would switch to raw mode.
struct PortTurn {
    explicit PortTurn(const ComPortBaseInfo_t& info)
    {
        if (!info.portExists)
            return;
        port.reset(new CComPortBase(info.port, info.baud));
        card.reset(GetPhoneByType(static_cast<PHONE_TYPE_t>(info.phoneType)));
    }

    std::unique_ptr<CComPortBase> port;
    std::unique_ptr<CPhoneCardBase> card; // declared last: deleted before the port closes
};

// One storage's part of a turn.
struct StorageRead {
    bool read = false;    // selected and listed: messages are this storage's
    bool whole = false;   // everything stored in it was read, or the module has no such storage
    bool counted = false; // its selection answered with the storage's count
    std::string name;     // as its selection command names it: "ME", "SM"
    std::vector<SmsRecvStruct_t> messages;
};

struct PortRead {
    StorageRead me;
    StorageRead sm;
    TurnLog log;

    bool Whole() const { return log.inStep && me.whole && sm.whole; }
};

// A read found all its storage's count says it holds. A bare OK for a listed index is an empty
// slot only when the entries read make up the count (modules whose list names every slot).
bool ReadCoversCount(const SmsReadResult& result, unsigned count)
{
    return result.listed && !result.unreadable && result.wholeEntries >= count &&
           (result.emptyReads == 0 || result.wholeEntries == count);
}

// A list that has named an empty slot names every slot: once the entries read make up the
// storage's count, the slots left hold nothing.
bool ReachedCount(const SmsReadResult& result, const StorageCount& count)
{
    return result.emptyReads > 0 && result.headerReads >= count.used;
}

bool SelectStorage(CCheckManager& manager, CPhoneCardBase* card, CComPortBase* port, bool deviceStorage,
                   TurnLog& log)
{
    return deviceStorage ? manager.RunComCmdReadME_Sms(card, port, &log)
                         : manager.RunComCmdReadSM_Sms(card, port, &log);
}

// One storage: selected, then read.
StorageRead ReadStorage(CCheckManager& manager, CPhoneCardBase* card, CComPortBase* port, bool deviceStorage,
                        TurnLog& log)
{
    StorageRead storage;
    storage.name = CPhoneCardBase::FirstQuotedName(deviceStorage ? card->GetReadSmsOnMeCmd()
                                                                 : card->GetReadSmsOnSmCmd());
    if (!SelectStorage(manager, card, port, deviceStorage, log)) {
        // A module without such a storage holds nothing there; any other refusal, or silence,
        // may hide messages.
        storage.whole = log.lastStatus == 1 &&
                        IsAbsentStorageRefusal(FindReplyEnd(log.lastReply, {"+CPMS:"}).finalLine);
        return storage;
    }
    StorageCount count;
    storage.counted = CPhoneCardBase::ParseStorageCount(log.lastReply, count);
    if (!manager.ReadAllSmsByPhoneSM(card, port, &log, storage.counted ? &count : nullptr))
        return storage;
    storage.read = true;
    storage.messages = card->GetReadSms();
    const SmsReadResult& result = card->GetReadResult();
    storage.whole = storage.counted && (!card->NotFinished() || ReachedCount(result, count)) &&
                    ReadCoversCount(result, count.used);
    return storage;
}

// Device storage first, then SIM storage, with the same driver object.
PortRead ReadStorages(CCheckManager& manager, PortTurn& turn)
{
    PortRead read;
    CPhoneCardBase* card = turn.card.get();
    CComPortBase* port = turn.port.get();
    if (port)
        port->Open();
    CCheckManager::RunComCmdInitPhone(card, port, &read.log);
    if (!card)
        return read;
    read.me = ReadStorage(manager, card, port, true, read.log);
    read.sm = ReadStorage(manager, card, port, false, read.log);
    return read;
}

// Deletes in one storage every entry behind the messages it showed, each index once: selected
// again as the read selected it, the selection confirmed by a storage check (a stale reply
// cannot name the storage just selected), then one delete per index, the highest first: a
// module that renumbers its entries after a delete moves only those above it. True when every
// delete was confirmed. Nothing is deleted where the read never learnt the storage's count, nor
// once a reply has answered some other command: it might have paired one entry's text with
// another's index. lastDeleted becomes the storage's name once a delete has been written there.
bool ClearShown(CCheckManager& manager, CPhoneCardBase* card, CComPortBase* port, bool deviceStorage,
                const StorageRead& storage, TurnLog& log, std::string& lastDeleted)
{
    std::set<int> indexes;
    for (const SmsRecvStruct_t& message : storage.messages)
        indexes.insert(message.indexes.begin(), message.indexes.end());
    if (indexes.empty())
        return true;
    if (!storage.counted || !log.inStep || storage.name.empty() ||
        !SelectStorage(manager, card, port, deviceStorage, log) ||
        !CCheckManager::RunComCmdCheckStorage(card, port, &log) ||
        CPhoneCardBase::FirstQuotedName(CPhoneCardBase::StorageLine(log.lastReply)) != storage.name)
        return false;
    bool confirmed = true;
    for (auto index = indexes.rbegin(); index != indexes.rend(); ++index) {
        // A delete left without its final result stops the deletes; an error answer does not.
        if (!log.inStep)
            return false;
        lastDeleted = storage.name;
        if (!CCheckManager::RunComCmdDelSms(card, port, *index, &log))
            confirmed = false;
    }
    return confirmed && log.inStep;
}

// One more command ends the turn, so that a late or stray answer to the last one shows: its
// reply must be the storage check's own, in step, and after deletes name the storage they were
// made in. True when it names that storage, or nothing was deleted.
bool CloseTurn(CPhoneCardBase* card, CComPortBase* port, TurnLog& log, const std::string& lastDeleted)
{
    const bool answered = CCheckManager::RunComCmdCheckStorage(card, port, &log);
    const std::string line = CPhoneCardBase::StorageLine(log.lastReply);
    if (!answered || line.empty())
        log.inStep = false;
    return lastDeleted.empty() || CPhoneCardBase::FirstQuotedName(line) == lastDeleted;
}

// The first reason that applies, most specific first.
std::string ReadFailureReason(const ComPortBaseInfo_t& info, const PortTurn& turn)
{
    if (info.sim.empty())
        return GetSmsCodeChineseStr(SMS_CODE_NO_SIM_CARD);
    if (!turn.card)
        return GetSmsCodeChineseStr(SMS_CODE_DEVICE_NOT_AT);
    return DialogueFailureReason(turn.card.get(), turn.port.get());
}

std::string CountText(size_t count)
{
    return std::to_string(static_cast<unsigned>(count));
}

// Reads the reply to one per-index read until the driver finds its final result, at most
// MAX_READ_NEXT_WINDOWS windows; the driver's last answer, 2 when it never had one.
int ReadNextReply(CPhoneCardBase& card, CComPortBase& port, std::string& reply)
{
    int status = 2;
    for (int window = 0; window < MAX_READ_NEXT_WINDOWS && status == 2; ++window) {
        if (!port.ReadAll(reply))
            break;
        status = card.OnReadNextSmsCmdRsp(reply);
        if (StopRequested())
            break;
    }
    return status;
}

} // namespace

std::string PortDisplayName(const std::string& portName)
{
    return portName.size() > 5 ? portName.substr(5) : "";
}

void CCheckManager::OnReadAllSms()
{
    std::vector<ComPortBaseInfo_t> ports;
    if (!InputReadAllSmsComPort(ports))
        return;
    const time_t start = time(nullptr);
    HandleReadAllSms(ports);
    const time_t end = time(nullptr);
    std::cout << "读取短信耗时: " << (end - start + 1) << " 秒" << "\n";
    std::cout.flush();
    usleep(READ_RESULT_PAUSE_USEC);
}

void CCheckManager::OnDelAllSms()
{
    // The key only asks for ports: no device is contacted.
    std::vector<ComPortBaseInfo_t> ports;
    InputReadAllSmsComPort(ports);
}

bool CCheckManager::InputReadAllSmsComPort(std::vector<ComPortBaseInfo_t>& ports)
{
    // The read flow asks for ports exactly as the send flow does.
    return InputCheckSendPduSmsComPorts(ports);
}

void CCheckManager::HandleReadAllSms(std::vector<ComPortBaseInfo_t>& ports)
{
    CComPortBase::ResetPortWaits();
    for (const ComPortBaseInfo_t& info : ports) {
        PortTurn turn(info);
        const PortRead read = ReadStorages(*this, turn);
        const std::vector<SmsRecvStruct_t>& meSms = read.me.messages;
        const std::vector<SmsRecvStruct_t>& smSms = read.sm.messages;
        const std::string portId = ConsoleLine(PortDisplayName(info.port));

        if (!read.me.read && !read.sm.read) {
            CColorCout::CoutRedMessage("端口 " + portId + " 接收短信失败");
            CColorCout::CoutRedMessage("\t 失败原因: ");
            CColorCout::CoutRedMessage(ConsoleLine(ReadFailureReason(info, turn)));
            std::cout << "\n";
            continue;
        }
        CColorCout::CoutGreenMessage("端口 " + portId + " 接收短信成功 共 " +
                                     CountText(smSms.size() + meSms.size()) + " 条短信");
        std::cout << "\n";
        if (read.sm.read) {
            CColorCout::CoutGreenMessage("SIM卡中的短信共 " + CountText(smSms.size()) + " 条");
            std::cout << "\n";
            PrintRecvSms(smSms);
        }
        if (read.me.read) {
            CColorCout::CoutGreenMessage("设备中的短信共 " + CountText(meSms.size()) + " 条");
            std::cout << "\n";
            PrintRecvSms(meSms);
        }
    }
}

bool CCheckManager::ReadAllSmsByPhoneSM(CPhoneCardBase* card, CComPortBase* port, TurnLog* log,
                                        const StorageCount* count)
{
    if (!card || !port || !port->Open())
        return false;
    if (!RunComCmdSetPduMode(card, port, log) || !RunComCmdSetRecvSmsCompatibleMode(card, port, log) ||
        !RunComCmdReadAllSmsToPhone(card, port, log))
        return false;
    const unsigned maxAsked = count ? std::min(count->total, MAX_READ_SLOTS) : MAX_READ_NEXT_PASSES;
    // Drivers that list the whole storage in one reply are finished at once.
    for (unsigned asked = 0; card->NotFinished() && asked < maxAsked; ++asked) {
        const SmsReadResult& result = card->GetReadResult();
        if ((count && ReachedCount(result, *count)) || result.headerReads >= MAX_READ_ENTRIES)
            break;
        if (StopRequested()) {
            if (log)
                log->inStep = false;
            break;
        }
        const std::string dropped = port->DiscardInput();
        const std::string command = card->GetReadNextSmsCmd();
        port->Write(command);
        std::string reply;
        const int status = ReadNextReply(*card, *port, reply);
        // A message text may hold lines such as "OK": the driver tells a second final result.
        if (log)
            log->Note(status, reply, dropped, false, command);
    }
    if (log && card->GetReadResult().strayFinal)
        log->inStep = false;
    return true;
}

void CCheckManager::PrintRecvSms(std::vector<SmsRecvStruct_t> messages)
{
    for (size_t i = 0; i < messages.size(); ++i) {
        std::cout << MESSAGE_SEPARATOR << "\n";
        std::cout << " 第 " << i + 1 << " 条短信" << "\n";
        // Sender and time are one line each; only the text keeps its line breaks.
        std::cout << "发送号码: " << ConsoleLine(messages[i].number) << "\n";
        std::cout << "发送时间: " << ConsoleLine(messages[i].time) << "\n";
        std::cout << "短信内容: " << ConsoleText(messages[i].text) << "\n";
    }
    std::cout << MESSAGE_SEPARATOR << "\n";
}

PortSmsOutcome CCheckManager::GetPortSMS(ComPortBaseInfo_t port, std::vector<SmsRecvStruct_t>& meSms,
                                         std::vector<SmsRecvStruct_t>& smSms, bool clearShown)
{
    PortTurn turn(port);
    PortRead read = ReadStorages(*this, turn);
    if (read.me.read)
        meSms = read.me.messages;
    if (read.sm.read)
        smSms = read.sm.messages;
    PortSmsOutcome outcome;
    if (!turn.card)
        return outcome;
    // Still the same turn: no other run has used the port since the read. Each storage is
    // cleared of what it showed, also when the other could not be.
    std::string lastDeleted;
    bool cleared = clearShown;
    if (clearShown) {
        const bool meCleared =
            ClearShown(*this, turn.card.get(), turn.port.get(), true, read.me, read.log, lastDeleted);
        const bool smCleared =
            ClearShown(*this, turn.card.get(), turn.port.get(), false, read.sm, read.log, lastDeleted);
        cleared = meCleared && smCleared;
    }
    const bool named = CloseTurn(turn.card.get(), turn.port.get(), read.log, lastDeleted);
    outcome.read = read.Whole();
    outcome.clear = outcome.read && cleared && named;
    return outcome;
}

bool CCheckManager::DelPortSMS(ComPortBaseInfo_t port)
{
    // No storage is selected first: the delete-all command acts on whichever storage the
    // module has selected.
    PortTurn turn(port);
    if (!turn.card || !turn.port || !turn.port->Open())
        return false;
    const bool deleted = RunComCmdDelAllSms(turn.card.get(), turn.port.get());
    turn.port->Close();
    return deleted;
}
