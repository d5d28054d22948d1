#pragma once
#include <functional>
#include <string>
#include <vector>

#include "PhoneCardBase.h"

// A driver whose reply judges answer from a script and remember what they were shown, so
// tests see exactly how often and with which text the runner asked for a judgement.
class ScriptedCard : public CPhoneCardBase {
public:
    struct Call {
        std::string judge;
        std::string reply;
    };

    std::vector<int> script;          // status of each judgement in turn; then `fallback`
    int fallback = 2;                 // "read more"
    std::vector<std::string> initCmds{"AT+ONE\r\n", "AT+TWO\r\n", "AT+THREE\r\n"};
    std::function<void(size_t call)> onJudge; // runs after each judgement is recorded
    std::vector<Call> calls;

    int OnGetAtCmdRsp(std::string r) override { return Judge("OnGetAtCmdRsp", r); }
    int OnGetAtiCmdRsp(std::string r) override { return Judge("OnGetAtiCmdRsp", r); }
    int OnSetSmsPduModeCmdRsp(std::string r) override { return Judge("OnSetSmsPduModeCmdRsp", r); }
    int OnSendPduSmsContextCmdRsp(std::string r) override
    {
        return Judge("OnSendPduSmsContextCmdRsp", r);
    }
    int OnSendPduSmsLenCmdRsp(std::string r) override { return Judge("OnSendPduSmsLenCmdRsp", r); }
    int OnGetIMSI_CmdRsp(std::string r) override { return Judge("OnGetIMSI_CmdRsp", r); }
    int OnGetIMEI_Cmd(std::string r) override { return Judge("OnGetIMEI_Cmd", r); }
    int OnGetSignalStrengthCmdRsp(std::string r) override
    {
        return Judge("OnGetSignalStrengthCmdRsp", r);
    }
    int OnGetQuerySmsCenterCmdRsp(std::string r) override
    {
        return Judge("OnGetQuerySmsCenterCmdRsp", r);
    }
    int OnDelAllSmsCmdRsp(std::string r) override { return Judge("OnDelAllSmsCmdRsp", r); }
    int OnGetRecvSmsCompatibleModeCmdRsp(std::string r) override
    {
        return Judge("OnGetRecvSmsCompatibleModeCmdRsp", r);
    }
    int OnReadAllSmsCmdRsp(std::string r) override { return Judge("OnReadAllSmsCmdRsp", r); }
    int OnGetReadSmsOnMeCmd(std::string r) override { return Judge("OnGetReadSmsOnMeCmd", r); }
    int OnGetReadSmsOnSmCmd(std::string r) override { return Judge("OnGetReadSmsOnSmCmd", r); }
    int OnInitAtCmdRsp(std::string r) override { return Judge("OnInitAtCmdRsp", r); }
    std::vector<std::string> GetInitAtCmd() override { return initCmds; }

private:
    int Judge(const char* name, const std::string& reply)
    {
        size_t i = calls.size();
        calls.push_back({name, reply});
        if (onJudge)
            onJudge(i);
        return i < script.size() ? script[i] : fallback;
    }
};
