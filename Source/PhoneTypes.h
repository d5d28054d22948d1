#pragma once
#include <string>

// Device type that identification assigns to a port. Records store it as an int, so any int
// must convert to it safely: a value without a class gets no driver and "TYPE_UNKNOWN".
enum PHONE_TYPE_t : int {
    PHONE_TYPE_UN_KNOWN = 0,
    PHONE_TYPE_BASE = 1,
    PHONE_TYPE_SORVIK = 2,
    PHONE_TYPE_TAMREL = 3,
    PHONE_TYPE_ULBRAN = 4,
    PHONE_TYPE_PELVANO = 5,
    PHONE_TYPE_QUIREL = 6,
    PHONE_TYPE_VENDIS = 7,
    PHONE_TYPE_WESCOR = 8,
    PHONE_TYPE_YARLEN = 9,
    PHONE_TYPE_ZEPHARO = 10,
    PHONE_TYPE_KALVOST = 11,
    PHONE_TYPE_LUMBREC = 12,
    PHONE_TYPE_NESBRAL = 13,
    PHONE_TYPE_MORVANTH = 14,
};

// Result code of one send or read; any int converts to it and has a text.
enum SMS_CODE_ENUM : int {
    SMS_CODE_SUCCEED = 0,
    SMS_CODE_FAILED = 1,
    SMS_CODE_DEVICE_NOT_AT = 2,
    SMS_CODE_NOT_KORVEL_DEVICE = 3,
    SMS_CODE_NO_SIM_CARD = 4,
    SMS_CODE_NO_SIGNAL = 5,
    SMS_CODE_NO_SUCH_PORT = 6,
    SMS_CODE_NOT_KORVEL_SMS_DEVICE = 7,
};

std::string PhoneTypeToString(PHONE_TYPE_t type);
std::string GetSmsCodeEnglishStr(SMS_CODE_ENUM code);
std::string GetSmsCodeChineseStr(SMS_CODE_ENUM code);
