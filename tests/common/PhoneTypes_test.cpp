#include <gtest/gtest.h>

#include "PhoneTypes.h"

TEST(PhoneTypes, EveryTypeHasItsText)
{
    const struct {
        int type;
        const char* text;
    } rows[] = {
        {-1, "TYPE_UNKNOWN"}, {0, "PHONE_TYPE_UN_KNOWN"}, {1, "TYPE_UNKNOWN"}, {2, "Sorvik"},
        {3, "Tamrel"},        {4, "Ulbran"},              {5, "Pelvano"},      {6, "Quirel"},
        {7, "Vendis"},        {8, "Wescor"},              {9, "Yarlen"},       {10, "Zepharo"},
        {11, "Kalvost"},      {12, "Lumbrec"},            {13, "TYPE_UNKNOWN"}, {14, "Morvanth"},
        {15, "TYPE_UNKNOWN"}, {1000, "TYPE_UNKNOWN"}, {-1000, "TYPE_UNKNOWN"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(PhoneTypeToString(static_cast<PHONE_TYPE_t>(row.type)), row.text) << row.type;
}

TEST(PhoneTypes, ResultCodeTexts)
{
    const struct {
        int code;
        const char* english;
        const char* chinese;
    } rows[] = {
        {-1, "Unknown reason", "设备不AT"},
        {0, "Succeed", "成功"},
        {1, "Failed Unknown Reason", "设备不AT"},
        {2, "Device Not AT", "设备不AT"},
        {3, "Not Korvel Device", "不是Korvel短信设备"},
        {4, "No SIM CARD In Device", "设备未插卡"},
        {5, "No Signal", "设备无信号"},
        {6, "No Such Port", "没有此端口"},
        {7, "Not Korvel Sms Device", "不是Korvel短信设备"},
        {8, "Unknown reason", "设备不AT"},
        {1000, "Unknown reason", "设备不AT"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(GetSmsCodeEnglishStr(static_cast<SMS_CODE_ENUM>(row.code)), row.english) << row.code;
        EXPECT_EQ(GetSmsCodeChineseStr(static_cast<SMS_CODE_ENUM>(row.code)), row.chinese) << row.code;
    }
}
