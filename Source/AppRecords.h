#pragma once
#include <string>

#include "FixedText.h"
#include "PhoneTypes.h"

const int MAX_INPUT_TRY_COUNT = 3;
const int MAX_PHONE_LEN = 30;
const int KEY_VALUE_ENTER = 13;
const int KEY_VALUE_NUM_1 = 49;
const int KEY_VALUE_NUM_2 = 50;
const int KEY_VALUE_CHAR_Q = 113;
const int KEY_VALUE_CHAR_D = 100;
const int LINUX_SLEEP = 1000; // microseconds between two reads of a conversation

// Detection result of one port.
struct DeviceBaseComInfo {
    char portName[32];
    int baud;
    int phoneType;
    char smsNumber[64];
    char signal[64];
    char serial[64];
    char atiRsp[512];
    bool bAT;
    bool portOk;
    int modeConfig;
    int rssi;
    int ber;
    std::string cops;

    DeviceBaseComInfo();
    // Reads "%d,%d" from the start of `signal` into rssi and ber; returns rssi.
    int regetRssi();
};

// One port chosen for a send or read operation.
struct ComPortBaseInfo_t {
    std::string port;
    int baud = 9600;
    bool bAT = false;
    std::string sim;
    std::string signal;
    std::string serial;
    int phoneType = PHONE_TYPE_BASE;
    bool portExists = true;
};

// Result of sending one text to one number through one port.
struct SendSmsResult_t {
    std::string com;
    std::string number;
    std::string time;
    SMS_CODE_ENUM code;
    std::string message;
};

namespace Win32 {
// One row of the device table.
class CommInfo {
public:
    bool bAT = false;
    bool bUsable = false;
    std::string portName;
    std::string smsNumber;
    std::string baudText;
    std::string serial;
    std::string signal;
    std::string atiRsp;
    // The type detection found from the whole ATI reply; atiRsp may be cut or stop at a NUL
    // byte before the model's key.
    int phoneType = PHONE_TYPE_BASE;
};
} // namespace Win32
