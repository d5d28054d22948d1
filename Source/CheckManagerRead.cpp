#include "CheckManager.h"

#include <unistd.h>

#include <ctime>
#include <iostream>
#include <memory>

#include "ColorCout.h"
#include "ComPortBase.h"
#include "ConsoleText.h"
#include "PhoneFactory.h"

namespace {

// Modules that are read one index at a time: at most this many indexes per storage, and at most
// this many read windows for the reply to one index, so a silent or chattering module cannot hold
// the flow.
const int MAX_READ_NEXT_PASSES = 100;
const int MAX_READ_NEXT_WINDOWS = 100;
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

struct StoragesRead {
    bool me = false;
    bool sm = false;
    bool whole = false; // both storages read whole, or absent from the module
};

// One storage: selected, then read. A module that refuses the selection has no such storage,
// which hides nothing; one that does not answer in time may hold anything.
bool ReadStorage(CCheckManager& manager, CPhoneCardBase* card, CComPortBase* port, bool deviceStorage,
                 std::vector<SmsRecvStruct_t>& messages, bool& whole)
{
    bool refused = false;
    const bool selected = deviceStorage ? manager.RunComCmdReadME_Sms(card, port, &refused)
                                        : manager.RunComCmdReadSM_Sms(card, port, &refused);
    whole = refused;
    if (!selected || !manager.ReadAllSmsByPhoneSM(card, port, &whole))
        return false;
    messages = card->GetReadSms();
    return true;
}

// Device storage first, then SIM storage, with the same driver object. A list is replaced only
// when its storage was read.
StoragesRead ReadStorages(CCheckManager& manager, PortTurn& turn, std::vector<SmsRecvStruct_t>& meSms,
                          std::vector<SmsRecvStruct_t>& smSms)
{
    CPhoneCardBase* card = turn.card.get();
    CComPortBase* port = turn.port.get();
    if (port)
        port->Open();
    CCheckManager::RunComCmdInitPhone(card, port);

    StoragesRead read;
    if (!card)
        return read;
    bool meWhole = false;
    bool smWhole = false;
    read.me = ReadStorage(manager, card, port, true, meSms, meWhole);
    read.sm = ReadStorage(manager, card, port, false, smSms, smWhole);
    read.whole = meWhole && smWhole;
    return read;
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
int ReadNextReply(CPhoneCardBase& card, CComPortBase& port)
{
    std::string reply;
    int status = 2;
    for (int window = 0; window < MAX_READ_NEXT_WINDOWS && status == 2; ++window) {
        if (!port.ReadAll(reply))
            break;
        status = card.OnReadNextSmsCmdRsp(reply);
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
    for (const ComPortBaseInfo_t& info : ports) {
        PortTurn turn(info);
        std::vector<SmsRecvStruct_t> meSms;
        std::vector<SmsRecvStruct_t> smSms;
        const StoragesRead read = ReadStorages(*this, turn, meSms, smSms);
        const std::string portId = ConsoleLine(PortDisplayName(info.port));

        if (!read.me && !read.sm) {
            CColorCout::CoutRedMessage("端口 " + portId + " 接收短信失败");
            CColorCout::CoutRedMessage("\t 失败原因: ");
            CColorCout::CoutRedMessage(ConsoleLine(ReadFailureReason(info, turn)));
            std::cout << "\n";
            continue;
        }
        CColorCout::CoutGreenMessage("端口 " + portId + " 接收短信成功 共 " +
                                     CountText(smSms.size() + meSms.size()) + " 条短信");
        std::cout << "\n";
        if (read.sm) {
            CColorCout::CoutGreenMessage("SIM卡中的短信共 " + CountText(smSms.size()) + " 条");
            std::cout << "\n";
            PrintRecvSms(smSms);
        }
        if (read.me) {
            CColorCout::CoutGreenMessage("设备中的短信共 " + CountText(meSms.size()) + " 条");
            std::cout << "\n";
            PrintRecvSms(meSms);
        }
    }
}

bool CCheckManager::ReadAllSmsByPhoneSM(CPhoneCardBase* card, CComPortBase* port, bool* whole)
{
    if (whole)
        *whole = false;
    if (!card || !port || !port->Open())
        return false;
    if (!RunComCmdSetPduMode(card, port) || !RunComCmdSetRecvSmsCompatibleMode(card, port) ||
        !RunComCmdReadAllSmsToPhone(card, port))
        return false;
    // Drivers that list the whole storage in one reply are finished at once.
    bool everyIndexRead = true;
    for (int pass = 0; pass < MAX_READ_NEXT_PASSES && card->NotFinished(); ++pass) {
        port->DiscardInput();
        port->Write(card->GetReadNextSmsCmd());
        if (ReadNextReply(*card, *port) != 0)
            everyIndexRead = false;
    }
    if (whole)
        *whole = everyIndexRead && !card->NotFinished() && card->IsReadWhole();
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

bool CCheckManager::GetPortSMS(ComPortBaseInfo_t port, std::vector<SmsRecvStruct_t>& meSms,
                               std::vector<SmsRecvStruct_t>& smSms)
{
    PortTurn turn(port);
    return ReadStorages(*this, turn, meSms, smSms).whole;
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
