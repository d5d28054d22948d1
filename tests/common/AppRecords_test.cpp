#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <filesystem>

#include "AppGlobals.h"
#include "AppRecords.h"
#include "CheckManager.h"
#include "ColorCout.h"

TEST(AppRecords, DefaultsMatchTheirRoles)
{
    DeviceBaseComInfo info;
    EXPECT_EQ(info.phoneType, 1);
    EXPECT_EQ(info.rssi, 99);
    EXPECT_EQ(info.ber, 0);
    EXPECT_FALSE(info.bAT);
    EXPECT_EQ(info.portName[0], '\0');

    ComPortBaseInfo_t port;
    EXPECT_EQ(port.baud, 9600);
    EXPECT_EQ(port.phoneType, 1);
    EXPECT_TRUE(port.portExists);

    CCheckManager manager;
    EXPECT_TRUE(manager.bPlainText);
}

TEST(AppRecords, RegetRssiParsesSignalText)
{
    const struct {
        const char* signal;
        int rssi;
        int ber;
    } rows[] = {
        {" 31,0", 31, 0}, {"99,99", 99, 99}, {" 23,99", 23, 99}, {"", 99, 0}, {"abc", 99, 0},
    };
    for (const auto& row : rows) {
        DeviceBaseComInfo info;
        CopyToField(info.signal, row.signal);
        EXPECT_EQ(info.regetRssi(), row.rssi) << row.signal;
        EXPECT_EQ(info.ber, row.ber) << row.signal;
    }
}

TEST(AppRecords, TextFieldsAreCutToFitAndCopiedWhole)
{
    DeviceBaseComInfo info;
    CopyToField(info.atiRsp, std::string(600, 'x'));
    EXPECT_EQ(std::string(info.atiRsp), std::string(511, 'x'));
    CopyToField(info.portName, "/dev/ttyUSB0");

    DeviceBaseComInfo copy = info;
    EXPECT_EQ(std::string(copy.atiRsp), std::string(511, 'x'));
    EXPECT_EQ(copy.atiRsp[511], '\0');
    EXPECT_STREQ(copy.portName, "/dev/ttyUSB0");
}

TEST(ColorCout, WrapsMessageInEscapes)
{
    testing::internal::CaptureStdout();
    CColorCout::CoutRedMessage("");
    CColorCout::CoutGreenMessage("成功");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\x1b[1m\x1b[31m\x1b[0m\x1b[1m\x1b[32m成功\x1b[0m");
}

namespace {

// Runs loadSetting in a scratch directory holding the given set.ini (none when empty).
void LoadSettingsFrom(const std::string& ini)
{
    namespace fs = std::filesystem;
    const fs::path old = fs::current_path();
    char tmpl[] = "/tmp/quenlo-settings-XXXXXX";
    const fs::path dir = mkdtemp(tmpl);
    if (!ini.empty())
        std::ofstream(dir / "set.ini") << ini;
    fs::current_path(dir);
    g_nWinUserSet = 0;
    for (int& v : g_nWinUserValue)
        v = 0;
    CCheckManager().loadSetting();
    fs::current_path(old);
    fs::remove_all(dir);
}

} // namespace

TEST(Settings, OnlyDefOneSwitchesTheUserValuesOn)
{
    LoadSettingsFrom("[comm]\ndef=1\ntime1=600\ntime10=7\n");
    EXPECT_EQ(g_nWinUserSet, 1);
    EXPECT_EQ(g_nWinUserValue[0], 600);
    EXPECT_EQ(g_nWinUserValue[9], 7);

    LoadSettingsFrom("[comm]\ndef=2\ntime1=600\n");
    EXPECT_EQ(g_nWinUserSet, 2);
    EXPECT_EQ(g_nWinUserValue[0], 0);

    LoadSettingsFrom("");
    EXPECT_EQ(g_nWinUserSet, 0);
    EXPECT_EQ(g_nWinUserValue[0], 0);

    // Names ignore case; numbers may be hexadecimal; junk reads as the default.
    LoadSettingsFrom("[COMM]\nDEF=1\nTime1=0x20\ntime2=abc\n");
    EXPECT_EQ(g_nWinUserValue[0], 32);
    EXPECT_EQ(g_nWinUserValue[1], 0);

    // Values past an int count as the longest window, not as what a cast leaves of them.
    LoadSettingsFrom("[comm]\ndef=1\ntime1=4294967297\n");
    EXPECT_EQ(g_nWinUserValue[0], 20000);
    g_nWinUserSet = 0;
    g_nWinUserValue[0] = 0;
}
