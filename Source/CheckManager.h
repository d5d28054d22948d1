#pragma once
#include <pthread.h>

#include <string>
#include <vector>

#include "AppGlobals.h"
#include "AppRecords.h"
#include "PhoneCardBase.h"

class CComPortBase;

// What the conversations of one port's read turn leave for it: the last one's final status (2
// when its tries ran out) and reply, and whether every reply answered the command it followed.
struct TurnLog {
    int lastStatus = 2;
    std::string lastReply;
    std::string lastCommand;
    bool inStep = true;
    bool echoOff = false;  // ATE0 was answered
    bool echoless = false; // and a reply has come without echo since

    // Records one conversation. From a reply left without its final result (it may still come
    // and answer a later command), a final result among the input dropped before a command, or
    // a second one in a reply made only of lines (lineReply), replies and commands may no
    // longer pair up. A module that echoes command again after it had stopped has restarted
    // with its power-on settings, its storage selection among them.
    void Note(int status, const std::string& reply, const std::string& dropped, bool lineReply,
              const std::string& command);
};

// What one port's turn of a report found: everything stored was read, and, for read-then-clear,
// every shown message was deleted with that confirmed.
struct PortSmsOutcome {
    bool read = false;
    bool clear = false;
    // Why the report could no longer be written (an errno value), found before a storage's
    // deletes: the run ends there, with no further command to any port. 0 while it can.
    int reportError = 0;
    // A delete was attempted (whether its command got out or not): from then on the report is
    // the only record of what may have gone.
    bool deleted = false;
};

// Guards CCheckManager::g_comVec and nothing else.
extern pthread_mutex_t vecLock;

// The application: start-up, detection, conversations, flows and command-line modes.
class CCheckManager {
public:
    CCheckManager();
    ~CCheckManager();

    // Start-up, settings and dispatch helpers
    static void InitLog();
    static void InitConsoleSize();
    void loadSetting();
    void PrintHelpInfo();
    void OnAbout();

    // Conversation runner. A read turn hands in its log, which every conversation updates.
    static bool RunComCmdAT(CPhoneCardBase* card, CComPortBase* port);
    static bool RunComCmdATI(CPhoneCardBase* card, CComPortBase* port);
    static void RunComCmdInitPhone(CPhoneCardBase* card, CComPortBase* port, TurnLog* log = nullptr);
    static bool RunComCmdGetSerialNumber(CPhoneCardBase* card, CComPortBase* port);
    static bool RunComCmdGetSmsCardNumber(CPhoneCardBase* card, CComPortBase* port);
    static bool RunComCmdGetSignalStrength(CPhoneCardBase* card, CComPortBase* port);
    static bool RunComCmdQuerySMSC(CPhoneCardBase* card, CComPortBase* port);
    static bool RunComCmdSetPduMode(CPhoneCardBase* card, CComPortBase* port, TurnLog* log = nullptr);
    static bool RunComCmdSendPduLen(CPhoneCardBase* card, CComPortBase* port, std::string command);
    static bool RunComCmdSendPduContext(CPhoneCardBase* card, CComPortBase* port, std::string body);
    static bool RunComCmdSetRecvSmsCompatibleMode(CPhoneCardBase* card, CComPortBase* port,
                                                  TurnLog* log = nullptr);
    static bool RunComCmdReadAllSmsToPhone(CPhoneCardBase* card, CComPortBase* port, TurnLog* log = nullptr);
    bool RunComCmdDelAllSms(CPhoneCardBase* card, CComPortBase* port);
    bool RunComCmdReadME_Sms(CPhoneCardBase* card, CComPortBase* port, TurnLog* log = nullptr);
    bool RunComCmdReadSM_Sms(CPhoneCardBase* card, CComPortBase* port, TurnLog* log = nullptr);
    // "AT+CPMS?", and "AT+CMGD=<index>" for one stored entry.
    static bool RunComCmdCheckStorage(CPhoneCardBase* card, CComPortBase* port, TurnLog* log = nullptr);
    static bool RunComCmdDelSms(CPhoneCardBase* card, CComPortBase* port, int index, TurnLog* log = nullptr);
    // The driver's read of its next stored entry ("AT+CMGR=<index>" and kin).
    static bool RunComCmdReadNextSms(CPhoneCardBase* card, CComPortBase* port, TurnLog* log = nullptr);

    // Device table and menu
    void Start();
    int PrintBaseMenu();
    void PrintAllDevice();
    void PrintDeviceTable(); // prints commInfoVec and scanTimeStr as they are, no rescan
    void OnScanPort();

    // Port discovery and detection
    std::vector<std::string> GetAllComPort();
    std::vector<DeviceBaseComInfo> DetectAllDevice();
    static void RunCommCmdGetModeConfig(CComPortBase* port, DeviceBaseComInfo* info);
    static void RunCommCmdGetCOPS(CComPortBase* port, DeviceBaseComInfo* info);
    static void RunCommCmdResetModeConfig(CComPortBase* port, DeviceBaseComInfo* info);
    static std::string getRightString(const char* src, const char* key);

    // Operator input. The three dialogues answer false at end of input, which cancels them.
    bool InputCheckSendPduSmsPhoneNumbers(std::vector<std::string>& numbers);
    bool InputCheckSendPduSmsComPorts(std::vector<ComPortBaseInfo_t>& ports);
    bool InputCheckSendPduSmsContext(std::string& text);
    bool InputToSendPduSmsContext(std::string& text);
    bool InputToSendPduSmsComPort(const std::string& portIds, std::vector<ComPortBaseInfo_t>& ports);
    std::vector<std::string> SplitUserPhoneNumber(std::string text);
    bool CheckReceiveNumber(std::string number);
    std::string RemoveDoubleQuotationMarksOfStringBothSide(std::string text);

    // Send flow
    void OnSendPDUSms();
    void HandleSendPduSmsProcess(const std::vector<ComPortBaseInfo_t>& ports,
                                 const std::vector<std::string>& numbers, const std::string& text);
    bool SendPduSmsByPhone(CPhoneCardBase* card, CComPortBase* port, std::string number,
                           std::string text);
    std::string AddTimeStampToSmsContextByPhoneNum(std::string text, std::string number,
                                                   std::string time);
    SMS_CODE_ENUM GetSmsErrorCode(ComPortBaseInfo_t port);
    void HandleSendSmsResultByMode(SendSmsResult_t result);
    void PrintOneSendSmsResultPlainText(const SendSmsResult_t& result);

    // Read and delete flows
    void OnReadAllSms();
    void OnDelAllSms();
    bool InputReadAllSmsComPort(std::vector<ComPortBaseInfo_t>& ports);
    void HandleReadAllSms(std::vector<ComPortBaseInfo_t>& ports);
    // count, when the storage's selection gave it, ends the reads of an every-slot index list
    // once the entries it holds are read, as a storage check confirms (it becomes the count the
    // check gives), and bounds the slots asked.
    bool ReadAllSmsByPhoneSM(CPhoneCardBase* card, CComPortBase* port, TurnLog* log = nullptr,
                             StorageCount* count = nullptr);
    void PrintRecvSms(std::vector<SmsRecvStruct_t> messages);
    // clearShown: in the same turn, delete every stored entry behind the messages read.
    PortSmsOutcome GetPortSMS(ComPortBaseInfo_t port, std::vector<SmsRecvStruct_t>& meSms,
                              std::vector<SmsRecvStruct_t>& smSms, bool clearShown = false);
    bool DelPortSMS(ComPortBaseInfo_t port);

    // Command-line send mode
    void OnCmdParams(int argc, char** argv);
    int HandleCmdParams(int argc, char** argv);
    void PrintSendPduSmsResultAsJson();

    // Command-line SMS report and PDU test
    // The process's exit status: EX_IOERR when the report could not be written, or could not
    // be before a storage's deletes, or (read-then-clear) standard output was not open for
    // writing when the run began (reportWritable); else 128 + a stop signal that ended the run
    // early, else 0. A read-then-clear report that standard output cannot take once a delete
    // has been sent goes to standard error.
    int OnCmdSMS(const std::string& word, bool reportWritable = true);
    void GetPortList(std::vector<ComPortBaseInfo_t>& ports);
    void OnCmdPduTest(const std::string& number, const std::string& text);

    static std::vector<DeviceBaseComInfo> g_comVec;

    std::vector<Win32::CommInfo> commInfoVec;
    std::string scanTimeStr;
    std::vector<SendSmsResult_t> sendResultVec;
    bool bPlainText;
};

unsigned long long time_usec2();
int usleep_until2(unsigned long long target);
int getchLinux();
std::string GetPortId(std::string portName);
// The device path as console lines and JSON answers show it: without "/dev/" ("ttyUSB0").
std::string PortDisplayName(const std::string& portName);
// A device-table row a message can go through: it answers AT and has a serial number, a SIM
// card and signal.
bool IsSmsReadyRow(const Win32::CommInfo& row);
// The record a flow works on for a row; typed gives it the device type detection found, else
// it keeps the base type, which has no driver.
ComPortBaseInfo_t RecordFromRow(const Win32::CommInfo& row, bool typed);
std::string cmd_system(const char* command);
void* ThreadFunc(void* arg);
void GetInfoOnPort(const char* port);
bool LessDeviceBaseComInfo(const DeviceBaseComInfo& a, const DeviceBaseComInfo& b);
// Why a modem dialogue failed: the driver's last error line, else the port's setup error, else
// the device-not-AT text.
std::string DialogueFailureReason(CPhoneCardBase* card, CComPortBase* port);
// Operators type line ends in SMS text as the two characters \n and \r.
void ReplaceEscapedLineEnds(std::string& text);
