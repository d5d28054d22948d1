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
#include "ReportOutput.h"

namespace {

// Modules that are read one index at a time: at most this many entries per storage (answers that
// hold one), and at most this many indexes asked where the storage's size is unknown.
const unsigned MAX_READ_ENTRIES = 100;
const unsigned MAX_READ_NEXT_PASSES = 100;
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

// A read found all its storage's count says it holds. A bare OK, or error 321 with no entry, for a
// listed index is an empty slot only when the entries read make up the count (modules whose list
// names every slot).
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

// A storage check answered with its own "+CPMS:" line, which gives the storage it names and
// its count; that storage must be the one named, when one is given. Anything else puts the turn
// out of step: a bare OK may be the late answer to the command before, and another storage may
// have been selected by a restart.
bool CheckStorage(CPhoneCardBase* card, CComPortBase* port, TurnLog& log, StorageCount& count,
                  const std::string& name = "")
{
    if (CCheckManager::RunComCmdCheckStorage(card, port, &log) &&
        CPhoneCardBase::ParseStorageCheck(log.lastReply, count) && (name.empty() || count.name == name))
        return true;
    log.inStep = false;
    return false;
}

// A storage check ends a stretch of commands, so that a late or stray answer to the last one
// shows; none is sent when the last command was one already. name as for CheckStorage.
void EndWithStorageCheck(CPhoneCardBase* card, CComPortBase* port, TurnLog& log, const std::string& name = "")
{
    StorageCount count;
    if (log.lastCommand != card->GetCheckStorageCmd())
        CheckStorage(card, port, log, count, name);
}

// One storage: selected, then read. confirm: the reads end with a check that the storage is
// still selected (the report modes, which judge it; the menu's read does not).
StorageRead ReadStorage(CCheckManager& manager, CPhoneCardBase* card, CComPortBase* port, bool deviceStorage,
                        TurnLog& log, bool confirm)
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
    count.name = storage.name;
    storage.counted = CPhoneCardBase::ParseStorageCount(log.lastReply, count);
    if (!manager.ReadAllSmsByPhoneSM(card, port, &log, storage.counted ? &count : nullptr))
        return storage;
    storage.read = true;
    storage.messages = card->GetReadSms();
    // The module must still have this storage selected, or a quiet restart or a selection
    // answered but not applied had another storage's entries read as this one's. An every-slot
    // list's count check, when it came last, has named it already.
    if (confirm && log.inStep)
        EndWithStorageCheck(card, port, log, storage.name);
    const SmsReadResult& result = card->GetReadResult();
    storage.whole = storage.counted && (!card->NotFinished() || ReachedCount(result, count)) &&
                    ReadCoversCount(result, count.used);
    return storage;
}

// Device storage first, then SIM storage, with the same driver object. confirm as for
// ReadStorage.
PortRead ReadStorages(CCheckManager& manager, PortTurn& turn, bool confirm)
{
    PortRead read;
    CPhoneCardBase* card = turn.card.get();
    CComPortBase* port = turn.port.get();
    if (port)
        port->Open();
    CCheckManager::RunComCmdInitPhone(card, port, &read.log);
    if (!card)
        return read;
    read.me = ReadStorage(manager, card, port, true, read.log, confirm);
    read.sm = ReadStorage(manager, card, port, false, read.log, confirm);
    return read;
}

// The reads reached the storage's count: asks the count again, so that a message that arrived
// during the reads cannot leave a part unread. True when it grew: the reads go on to the new
// count. A lower count ends the reads short of it, so the read is not whole.
bool CountGrew(CPhoneCardBase* card, CComPortBase* port, TurnLog& log, StorageCount& count)
{
    StorageCount now;
    if (!CheckStorage(card, port, log, now, count.name))
        return false;
    const bool grew = now.used > count.used;
    count.used = now.used;
    return grew;
}

// Deletes in one storage every entry behind the messages it showed, each index once: selected
// again as the read selected it, the selection confirmed by a storage check (a stale reply
// cannot name the storage just selected), then one delete per index, the highest first: a
// module that renumbers its entries after a delete moves only those above it. A second check
// ends the deletes. True when every delete was answered OK and the module's own count dropped
// by as many: one answered but not done, an entry moved into a deleted slot or a message that
// arrived during the deletes leaves it higher. Nothing is deleted where the read never learnt
// the storage's count, nor once a reply has answered some other command: it might have paired
// one entry's text with another's index; a second check naming another storage, as after a
// restart, stops the deletes on the port. outcome: why the report can no longer be written,
// when that stopped the deletes before any was sent; whether a delete was sent.
bool ClearShown(CCheckManager& manager, CPhoneCardBase* card, CComPortBase* port, bool deviceStorage,
                const StorageRead& storage, TurnLog& log, PortSmsOutcome& outcome)
{
    std::set<int> indexes;
    for (const SmsRecvStruct_t& message : storage.messages)
        indexes.insert(message.indexes.begin(), message.indexes.end());
    if (indexes.empty())
        return true;
    // The report is the only record of these deletes: none goes out once it has nowhere to go.
    outcome.reportError = ReportOutputError(STDOUT_FILENO);
    if (outcome.reportError != 0)
        return false;
    StorageCount before;
    // A selection the check does not confirm may not have taken: nothing is deleted there.
    if (!storage.counted || !log.inStep || storage.name.empty() ||
        !SelectStorage(manager, card, port, deviceStorage, log) || !CheckStorage(card, port, log, before) ||
        before.name != storage.name)
        return false;
    long long confirmed = 0;
    bool refused = false;
    for (auto index = indexes.rbegin(); index != indexes.rend(); ++index) {
        // A delete left without its final result stops the deletes; an error answer does not.
        if (!log.inStep)
            return false;
        outcome.deleted = true;
        if (CCheckManager::RunComCmdDelSms(card, port, *index, &log))
            ++confirmed;
        else
            refused = true;
    }
    StorageCount after;
    if (!log.inStep || !CheckStorage(card, port, log, after, storage.name))
        return false;
    return !refused && static_cast<long long>(after.used) + confirmed <= static_cast<long long>(before.used);
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
        const PortRead read = ReadStorages(*this, turn, false);
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
                                        StorageCount* count)
{
    if (!card || !port || !port->Open())
        return false;
    if (!RunComCmdSetPduMode(card, port, log) || !RunComCmdSetRecvSmsCompatibleMode(card, port, log) ||
        !RunComCmdReadAllSmsToPhone(card, port, log))
        return false;
    const unsigned maxAsked = count ? std::min(count->total, MAX_READ_SLOTS) : MAX_READ_NEXT_PASSES;
    // Drivers that list the whole storage in one reply are finished at once.
    for (unsigned asked = 0; card->NotFinished() && asked < maxAsked; ++asked) {
        // Once a reply has answered some other command, a slot's text may be paired with another
        // slot, and a silent module would cost the tries of every slot left: ask no more.
        if (log && !log->inStep)
            break;
        const SmsReadResult& result = card->GetReadResult();
        if (result.headerReads >= MAX_READ_ENTRIES ||
            (count && ReachedCount(result, *count) && !(log && CountGrew(card, port, *log, *count))))
            break;
        RunComCmdReadNextSms(card, port, log);
        // A message text may hold lines such as "OK": the driver tells a second final result.
        if (log && card->GetReadResult().strayFinal)
            log->inStep = false;
    }
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
    PortRead read = ReadStorages(*this, turn, true);
    if (read.me.read)
        meSms = read.me.messages;
    if (read.sm.read)
        smSms = read.sm.messages;
    PortSmsOutcome outcome;
    if (!turn.card)
        return outcome;
    // Still the same turn: no other run has used the port since the read. Each storage is
    // cleared of what it showed, also when the other could not be.
    CPhoneCardBase* card = turn.card.get();
    CComPortBase* portObject = turn.port.get();
    bool cleared = clearShown;
    if (clearShown) {
        const bool meCleared = ClearShown(*this, card, portObject, true, read.me, read.log, outcome);
        if (outcome.reportError != 0)
            return outcome;
        const bool smCleared = ClearShown(*this, card, portObject, false, read.sm, read.log, outcome);
        if (outcome.reportError != 0)
            return outcome;
        cleared = meCleared && smCleared;
    }
    // One more command ends the turn, so that a late or stray answer to the last one shows; it is
    // sent also when the turn is out of step, and names no storage.
    EndWithStorageCheck(card, portObject, read.log);
    outcome.read = read.Whole();
    outcome.clear = outcome.read && cleared;
    return outcome;
}

bool CCheckManager::DelPortSMS(ComPortBaseInfo_t port)
{
    // No storage is selected first: the delete-all command acts on whichever storage the
    // module has selected.
    PortTurn turn(port);
    if (!turn.card || !turn.port || !turn.port->Open())
        return false;
    // An OK is no proof: the module's own count, in its own reply to a check that answers
    // nothing else, must say the storage is empty.
    TurnLog log;
    StorageCount left;
    const bool cleared = RunComCmdDelAllSms(turn.card.get(), turn.port.get()) &&
                         CheckStorage(turn.card.get(), turn.port.get(), log, left) && log.inStep && left.used == 0;
    turn.port->Close();
    return cleared;
}
