#include "ModuleTypes.h"

namespace sim {

namespace {

// A module that answers the standard commands and whose ATI names no supported model.
const char* const kGenericRules =
    "AT\t\n"
    "ATE0\t\n"
    "ATE1\t\n"
    "ATE\t\n"
    "ATI\tManufacturer: Generic\\r\\nModel: GSM Modem\\r\\nRevision: 1.0\n"
    "AT+CMEE=1\t\n"
    "AT+CPMS=*\t+CPMS: 0,50,0,50,0,50\n"
    // The storage check names the storage selected last (rules that select set mem), with the
    // entries it holds.
    "AT+CPMS?\t+CPMS: \"ME\",{ME},100,\"ME\",{ME},100,\"ME\",{ME},100\tif=mem:ME\n"
    "AT+CPMS?\t+CPMS: \"SM\",{SM},50,\"SM\",{SM},50,\"SM\",{SM},50\n"
    "AT+CCID\t+CCID: 89860012345678901234\n"
    "AT+CGSN\t860000000000001\n"
    "AT+CSQ\t+CSQ: 20,99\n"
    "AT+CSCA?\t+CSCA: \"+8613800100500\",145\n"
    "AT+CMGF=*\t\n"
    "AT+CMGS=*\t>\n"
    "<body>*\t+CMGS: 1\n"
    "AT+CMGL=4\t\n"
    "AT+CMGD=?\t+CMGD: (),(0-4)\n"
    "AT+CMGD=*\t\n"
    "AT+CMGR=*\t\n"
    "AT^MODECONFIG?\t^MODECONFIG: 2\n"
    "AT^MODECONFIG=*\t\n"
    "AT+COPS?\t+COPS: 0,0,\"CHINA MOBILE\",7\n";

struct ModuleType {
    const char* name;
    const char* rules; // ahead of the generic rules
};

// One row per simulated module type.
const ModuleType kTypes[] = {
    {"generic", ""},
};

} // namespace

bool RulesForType(const std::string& type, std::vector<SimRule>& rules, std::string& error)
{
    for (const ModuleType& t : kTypes) {
        if (type == t.name) {
            return ParseRules(t.rules, rules, error) && ParseRules(kGenericRules, rules, error);
        }
    }
    error = "unknown module type \"" + type + "\"";
    return false;
}

std::vector<std::string> ModuleTypeNames()
{
    std::vector<std::string> names;
    for (const ModuleType& t : kTypes) {
        names.push_back(t.name);
    }
    return names;
}

} // namespace sim
