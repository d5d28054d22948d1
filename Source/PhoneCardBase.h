#pragma once
#include <initializer_list>
#include <string>
#include <vector>

#include "PhoneTypes.h"
#include "SmsInfo.h"

// One received (and, for long messages, reassembled) SMS.
struct SmsRecvStruct_t {
    std::string number;
    std::string time;
    std::string text;
    // Storage indexes of its entries, one per part: what deleting exactly this message takes.
    std::vector<int> indexes;
};

// What the latest storage read met, from its listing on: the flow decides from it, with the
// storage's own count, whether everything stored was read.
struct SmsReadResult {
    unsigned wholeEntries = 0; // entries read whole and shown, each part of a long message once
    unsigned emptyReads = 0;   // listed indexes whose read answered a bare OK, or error 321 alone
    unsigned headerReads = 0;  // listed indexes whose read answered with an entry, whole or not
    bool unreadable = false;   // a listed entry could not be read or decoded whole
    bool listed = true;        // the listing ended with its final result code
    bool strayFinal = false;   // a read's reply held a final result of some other command
};

// What a "+CPMS:" line tells of the selected storage.
struct StorageCount {
    std::string name;   // as a storage check names it: "ME", "SM"
    unsigned used = 0;  // entries stored
    unsigned total = 0; // slots it has
};

// Verdict on a destination number: does it carry the country code 86?
struct CountryCode_t {
    int32_t nCode = 6; // always 6, nothing reads it
    bool bHasCountryCode = false;
};

// One SMS part to send: the line written first, then what follows the ">" prompt.
struct PDU_LONG_SMS_Base_t {
    std::string command;
    std::string body;
};

// Device model of one modem: builds AT command texts and judges replies.
// Reply judges answer 0 (done, success), 1 (done, failure; error text kept) or 2 (read more).
class CPhoneCardBase {
public:
    CPhoneCardBase();
    virtual ~CPhoneCardBase();

    virtual std::string GetATCmd();                                   // 1
    virtual int OnGetAtCmdRsp(std::string reply);                     // 2
    virtual std::string GetAtiCmd();                                  // 3
    virtual int OnGetAtiCmdRsp(std::string reply);                    // 4
    virtual std::string Get_ATI_Rsp();                                // 5
    virtual bool IsATI_RspMatch(std::string reply);                   // 6
    virtual std::string GetCCIDCmd();                                 // 7
    virtual bool OnCCIDCmdRsp(std::string reply);                     // 8
    virtual std::string GetCallCmd(std::string number);               // 9
    virtual bool OnCallCmdRsp(std::string reply);                     // 10
    virtual std::string GetHungUpCmd();                               // 11
    virtual bool OnHungUpCmdRsp(std::string reply);                   // 12
    virtual std::string SetSmsModeTextCmd();                          // 13
    virtual bool OnSetSmsModeTextCmdRsp(std::string reply);           // 14
    virtual std::string SetSmsPDUModeCmd();                           // 15
    virtual int OnSetSmsPduModeCmdRsp(std::string reply);             // 16
    virtual std::vector<PDU_LONG_SMS_Base_t> GetSendPduSmsCmdArray(std::string number,
                                                                   std::string text); // 17
    virtual int OnSendPduSmsContextCmdRsp(std::string reply);         // 18
    virtual int OnSendPduSmsLenCmdRsp(std::string reply);             // 19
    virtual std::string GetSendSMS_PhoneCmd(std::string number);      // 20
    virtual bool OnSendSMS_PhoneCmd(std::string reply);               // 21
    virtual std::string GetSendSMS_ContextCmd(std::string text);      // 22
    virtual bool OnSendSMS_ContextCmd(std::string reply);             // 23
    virtual std::string GetReceiveSmsCmd();                           // 24
    virtual bool OnReceiveSmsCmdRsp(std::string reply);               // 25
    virtual std::string GetSetReceiveSmsStoreCmd();                   // 26
    virtual bool OnSetReceiveSmsStoreCmdRsp(std::string reply);       // 27
    virtual std::string GetQueryReceiveSmsStoreCmd();                 // 28
    virtual bool OnQueryReceiveSmsStoreCmdRsp(std::string reply);     // 29
    virtual std::string GetIMSI_Cmd();                                // 30
    virtual int OnGetIMSI_CmdRsp(std::string reply);                  // 31
    virtual std::string GetIMEI_Cmd();                                // 32
    virtual int OnGetIMEI_Cmd(std::string reply);                     // 33
    virtual std::string GetSignalStrengthCmd();                       // 34
    virtual int OnGetSignalStrengthCmdRsp(std::string reply);         // 35
    virtual std::string GetQuerySmsCenterCmd();                       // 36
    virtual int OnGetQuerySmsCenterCmdRsp(std::string reply);         // 37
    virtual std::string GetDelAllSmsCmd();                            // 38
    virtual int OnDelAllSmsCmdRsp(std::string reply);                 // 39
    virtual std::string GetRecvSmsCompatibleModeCmd();                // 40
    virtual int OnGetRecvSmsCompatibleModeCmdRsp(std::string reply);  // 41
    virtual std::string GetReadAllSmsCmd();                           // 42
    virtual int OnReadAllSmsCmdRsp(std::string reply);                // 43
    virtual bool NotFinished();                                       // 44
    virtual std::string GetReadNextSmsCmd();                          // 45
    virtual int OnReadNextSmsCmdRsp(std::string reply);               // 46
    virtual PHONE_TYPE_t GetPhoneType();                              // 47
    virtual std::string GetSmsCardNumber();                           // 48
    virtual std::string GetSignalStrength();                          // 49
    virtual std::string GetSerialNumber();                            // 50
    virtual std::string GetErrorMessage();                            // 51
    virtual bool HasME();                                             // 52
    virtual std::string GetReadSmsOnMeCmd();                          // 53
    virtual int OnGetReadSmsOnMeCmd(std::string reply);               // 54
    virtual std::string GetReadSmsOnSmCmd();                          // 55
    virtual int OnGetReadSmsOnSmCmd(std::string reply);               // 56
    virtual std::vector<std::string> GetInitAtCmd();                  // 57
    virtual int OnInitAtCmdRsp(std::string reply);                    // 58
    virtual std::vector<PDU_LONG_SMS_Base_t> GetSendLongPduSmsCmd(std::string number,
                                                                  std::string text); // 59
    virtual std::vector<PDU_LONG_SMS_Base_t> GetSendSmsModePDUCmd(std::string number,
                                                                  std::string text); // 60

    int OnOkErrorRsp(std::string reply);
    std::string GetAtiRspString() { return m_atiRsp; }
    bool IsSendPduSmsRetry() const { return m_bSendPduSmsRetry; }
    // The send flow reuses one driver for every number of a port; each number's failure
    // reason must come from its own dialogue.
    void ClearErrorMessage() { m_errorMessage.clear(); }
    std::vector<SmsRecvStruct_t> GetReadSms() { return m_recvSmsVec; }
    const SmsReadResult& GetReadResult() const { return m_readResult; }

    // Storage check and per-index delete, the same commands for every module: "+CPMS:" with
    // the selected storages, and "AT+CMGD=<index>" for one stored entry, judged on the
    // delete built last.
    std::string GetCheckStorageCmd();
    int OnCheckStorageCmdRsp(std::string reply);
    std::string GetDelSmsCmd(int index);
    int OnDelSmsCmdRsp(std::string reply);
    // The reply's "+CPMS:" line without its line end; "" without one.
    static std::string StorageLine(const std::string& reply);
    // <used1> and <total1> of the "+CPMS: <used1>,<total1>[,...]" line that answers a storage
    // selection.
    static bool ParseStorageCount(const std::string& reply, StorageCount& count);
    // <mem1>, <used1> and <total1> of the "+CPMS: <mem1>,<used1>,<total1>[,...]" line that
    // answers a storage check.
    static bool ParseStorageCheck(const std::string& reply, StorageCount& count);
    // The first quoted name in a text: the storage a selection command names, or the first
    // memory of a storage check's "+CPMS:" line; "" without one.
    static std::string FirstQuotedName(const std::string& text);

    // Sending: more than 140 bytes or 70 UTF-16 units goes as a concatenated message.
    bool IsLongSms(std::string text) const;
    CountryCode_t JudgePhoneCountryCode(const std::string& number) const;
    std::string ModifyPhoneCode(const std::string& number, bool hasCountryCode) const;

    // Reading: "+CMGL:" listings into entries, entries into messages with long ones joined.
    // Only whole entries are returned; result, when given, learns of the others.
    static std::vector<SmsInfo> SmsRspToSmsInfoVec(const std::string& reply, SmsReadResult* result = nullptr);
    static SmsMode StrToSmsMode(std::string line);
    static std::string ReceiveTimeToReadStr(const char* timeStamp);
    static std::vector<SmsRecvStruct_t> SmsInfoVecToSmsRecvStructVec(const std::vector<SmsInfo>& infos);

protected:
    // True when every key occurs in the reply (case-sensitive).
    static bool HasAllKeys(const std::string& reply, std::initializer_list<const char*> keys);
    // TrimAllChar by each character of chars, in turn.
    static std::string TrimInTurn(std::string text, const char* chars);
    // SIM number from the "^ICCID: " line that some modules answer "AT^ICCID?" with.
    int OnCaretIccidRsp(const std::string& reply);
    // SIM number from a "+CCID:" reply already known to hold no final "ERROR".
    int ParseCcidRsp(const std::string& reply);
    // The base list, then the reporting and storage settings that the ME90x modules share.
    std::vector<std::string> GetReportingInitAtCmd();

    bool m_bSendPduSmsRetry;
    std::string m_smsCardNumber;     // ICCID
    std::string m_signalStrength;    // text after "+CSQ:"
    std::string m_serialNumber;      // IMEI
    std::string m_smsCenterNumber;   // as the modem gives it, may begin with "+"
    std::string m_lastSendCmd;       // length command of the last single-part PDU
    std::string m_storedSmsText;
    std::vector<SmsRecvStruct_t> m_recvSmsVec;
    std::string m_errorMessage;      // never cleared on success
    std::string m_delSmsCmd;         // the last per-index delete built, whose echo its reply may hold
    SmsReadResult m_readResult;
    std::string m_atiRsp;
};
