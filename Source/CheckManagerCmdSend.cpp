#include "CheckManager.h"

#include <iostream>

#include "JsonText.h"

namespace {

// Outcomes of the argument handling; the first three index kErrorAnswers.
const int kOutcomePortError = 0;
const int kOutcomeNumberError = 1;
const int kOutcomeParamCountError = 2;
const int kOutcomeSent = 3;

const char* const kErrorAnswers[] = {
    R"({"code": 1, "message": "com port error", "result": []})",
    R"({"code": 2, "message": "phone number error", "result": []})",
    R"({"code": 3, "message": "param count error", "result": []})",
};

void WriteAnswer(const Json::Value& answer)
{
    std::cout << StyledJsonText(answer) << "\n";
    std::cout.flush();
}

} // namespace

void CCheckManager::OnCmdParams(int argc, char** argv)
{
    // Detection stays quiet so the answer is all this mode prints: scripts parse it whole.
    g_bShowExtend = false;
    bPlainText = false;
    const int outcome = HandleCmdParams(argc, argv);
    if (outcome >= kOutcomePortError && outcome <= kOutcomeParamCountError) {
        Json::Value answer;
        Json::Reader reader;
        reader.parse(kErrorAnswers[outcome], answer);
        WriteAnswer(answer);
        return;
    }
    PrintSendPduSmsResultAsJson();
}

int CCheckManager::HandleCmdParams(int argc, char** argv)
{
    std::string portIds;
    std::string numberText;
    std::string text;
    if (argc == 3) {
        numberText = argv[1];
        text = RemoveDoubleQuotationMarksOfStringBothSide(argv[2]);
    } else if (argc == 4) {
        portIds = argv[1];
        numberText = argv[2];
        text = RemoveDoubleQuotationMarksOfStringBothSide(argv[3]);
    } else {
        return kOutcomeParamCountError;
    }
    ReplaceEscapedLineEnds(text);

    OnScanPort();
    const std::vector<std::string> numbers = SplitUserPhoneNumber(numberText);
    if (numbers.empty())
        return kOutcomeNumberError;
    std::vector<ComPortBaseInfo_t> ports;
    if (!InputToSendPduSmsComPort(portIds, ports))
        return kOutcomePortError;
    InputToSendPduSmsContext(text);
    HandleSendPduSmsProcess(ports, numbers, text);
    return kOutcomeSent;
}

void CCheckManager::PrintSendPduSmsResultAsJson()
{
    Json::Value root;
    for (Json::ArrayIndex i = 0; i < sendResultVec.size(); ++i) {
        const SendSmsResult_t& entry = sendResultVec[i];
        Json::Value item;
        item["com"] = PortDisplayName(entry.com);
        item["number"] = entry.number;
        item["time"] = entry.time;
        item["code"] = static_cast<int>(entry.code);
        // Only a failure carries its own reason; every other code speaks for itself.
        item["message"] = entry.code == SMS_CODE_FAILED ? entry.message : GetSmsCodeEnglishStr(entry.code);
        root["result"][i] = item;
    }
    root["code"] = 0;
    root["message"] = "param is ok";
    WriteAnswer(root);
}
