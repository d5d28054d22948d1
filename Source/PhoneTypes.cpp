#include "PhoneTypes.h"

std::string PhoneTypeToString(PHONE_TYPE_t type)
{
    // Types 1 (the base driver) and 13 have no name of their own.
    switch (static_cast<int>(type)) {
    case PHONE_TYPE_UN_KNOWN: return "PHONE_TYPE_UN_KNOWN";
    case PHONE_TYPE_SORVIK: return "Sorvik";
    case PHONE_TYPE_TAMREL: return "Tamrel";
    case PHONE_TYPE_ULBRAN: return "Ulbran";
    case PHONE_TYPE_PELVANO: return "Pelvano";
    case PHONE_TYPE_QUIREL: return "Quirel";
    case PHONE_TYPE_VENDIS: return "Vendis";
    case PHONE_TYPE_WESCOR: return "Wescor";
    case PHONE_TYPE_YARLEN: return "Yarlen";
    case PHONE_TYPE_ZEPHARO: return "Zepharo";
    case PHONE_TYPE_KALVOST: return "Kalvost";
    case PHONE_TYPE_LUMBREC: return "Lumbrec";
    case PHONE_TYPE_MORVANTH: return "Morvanth";
    default: return "TYPE_UNKNOWN";
    }
}

std::string GetSmsCodeEnglishStr(SMS_CODE_ENUM code)
{
    switch (static_cast<int>(code)) {
    case SMS_CODE_SUCCEED: return "Succeed";
    case SMS_CODE_FAILED: return "Failed Unknown Reason";
    case SMS_CODE_DEVICE_NOT_AT: return "Device Not AT";
    case SMS_CODE_NOT_KORVEL_DEVICE: return "Not Korvel Device";
    case SMS_CODE_NO_SIM_CARD: return "No SIM CARD In Device";
    case SMS_CODE_NO_SIGNAL: return "No Signal";
    case SMS_CODE_NO_SUCH_PORT: return "No Such Port";
    case SMS_CODE_NOT_KORVEL_SMS_DEVICE: return "Not Korvel Sms Device";
    default: return "Unknown reason";
    }
}

std::string GetSmsCodeChineseStr(SMS_CODE_ENUM code)
{
    // Code 1 has no Chinese text of its own: it shares the default with code 2.
    switch (static_cast<int>(code)) {
    case SMS_CODE_SUCCEED: return "成功";
    case SMS_CODE_NOT_KORVEL_DEVICE: return "不是Korvel短信设备";
    case SMS_CODE_NO_SIM_CARD: return "设备未插卡";
    case SMS_CODE_NO_SIGNAL: return "设备无信号";
    case SMS_CODE_NO_SUCH_PORT: return "没有此端口";
    case SMS_CODE_NOT_KORVEL_SMS_DEVICE: return "不是Korvel短信设备";
    default: return "设备不AT";
    }
}
