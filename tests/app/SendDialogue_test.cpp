// Send flow against a simulated modem: the exact dialogue, retries, reasons, long texts, and
// the CDMA module's own send commands.
#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../Ucs2Text.h"
#include "CheckManager.h"
#include "PtyPeer.h"
#include "SimModem.h"
#include "SmsCodec.h"

namespace {

const std::string kInitAndCentre = kPromptCancel + "AT+CMEE=1\r\nAT+CPMS=\"SM\"\r\nATE0\r\nAT+CSCA?\r\nat+cmgf=0\r\n";

struct Part {
    int length;
    std::string pdu;
};

struct SendRun {
    std::vector<SendSmsResult_t> results;
    std::string written;
};

// Every "AT+CMGS=n\r" the tool wrote, each with the body that followed it.
std::vector<Part> PartsOf(const std::string& written)
{
    std::vector<Part> parts;
    std::string::size_type at = 0;
    while ((at = written.find("AT+CMGS=", at)) != std::string::npos) {
        const std::string::size_type cr = written.find('\r', at);
        const std::string::size_type end = written.find('\x1a', cr);
        if (cr == std::string::npos || end == std::string::npos)
            break;
        parts.push_back({std::stoi(written.substr(at + 8, cr - at - 8)), written.substr(cr + 1, end - cr - 1)});
        at = end;
    }
    return parts;
}

size_t Count(const std::string& text, const std::string& needle)
{
    size_t n = 0;
    for (std::string::size_type at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++n;
    return n;
}

// The CDMA module (MC323): its own SMS settings instead of PDU mode, "OK" to a body first and
// the send report a moment later.
const char* const kCdmaRules = "AT^RSSIREP=0\t\n"
                               "AT^HSMSSS=0,0,6,0\t\n"
                               "AT^HCMGS=*\t>\tbody=ucs2\n"
                               "<body>*\t=\\r\\nOK\\r\\n\\p\\r\\n^HCMGSS: 7\\r\\n\n";

// One port with a base-command module (type M35 unless told) in front of a simulated modem.
SendRun SendThrough(const std::string& rules, const std::vector<std::string>& numbers, const std::string& text,
                    int phoneType = PHONE_TYPE_PELVANO, const std::string& lastWritten = "\x1a")
{
    sim::SimOptions options;
    std::string error;
    EXPECT_TRUE(sim::AddRules(options, rules, &error)) << error;
    sim::SimModem modem(options);
    EXPECT_TRUE(modem.Ok()) << modem.Error();
    ShortReadWindows windows(5);

    ComPortBaseInfo_t record;
    record.port = modem.SlavePath();
    record.baud = 9600;
    record.bAT = true;
    record.sim = "89860012345678901234";
    record.signal = " 20,99";
    record.serial = "860000000000001";
    record.phoneType = phoneType;

    CCheckManager manager;
    manager.bPlainText = false;
    manager.HandleSendPduSmsProcess({record}, numbers, text);
    // The port is closed by now; the modem's thread may still be filing the last bytes.
    modem.WaitReceived(lastWritten, std::chrono::milliseconds(2000));
    return {manager.sendResultVec, modem.Received()};
}

} // namespace

TEST(SendDialogue, SinglePartGoesOutAfterCentreAndMode)
{
    const struct {
        std::string number;
        bool stamped;
    } cases[] = {{"10086", false}, {"18300000000", true}};
    for (const auto& c : cases) {
        const SendRun run = SendThrough("", {c.number}, "hi");
        ASSERT_EQ(run.results.size(), 1u);
        EXPECT_EQ(run.results[0].code, SMS_CODE_SUCCEED) << run.results[0].message;
        const std::vector<Part> parts = PartsOf(run.written);
        ASSERT_EQ(parts.size(), 1u) << run.written;
        EXPECT_EQ(run.written.rfind(kInitAndCentre, 0), 0u) << run.written;
        EXPECT_EQ(run.written, kInitAndCentre + ("AT+CMGS=" + std::to_string(parts[0].length) + "\r") +
                                   parts[0].pdu + "\x1a");

        SM_PARAM decoded{};
        gsmDecodeSendPdu(parts[0].pdu.c_str(), &decoded);
        EXPECT_EQ(std::string(decoded.szPeer), c.number);
        EXPECT_EQ(std::string(decoded.szText), c.stamped ? "hi " + run.results[0].time : "hi");
        // The centre the modem named goes into the PDU ("+8613800100500", international).
        EXPECT_EQ(parts[0].pdu.substr(0, 16), "0891683108100005");
    }
}

TEST(SendDialogue, RetriesOnlyWhileTheModemAsksForIt)
{
    const struct {
        const char* bodyRule;
        size_t attempts;
        SMS_CODE_ENUM code;
        std::string message;
    } cases[] = {
        {"<body>*\t+CMS ERROR: 500", 3, SMS_CODE_FAILED, "+CMS ERROR: 500"},
        {"<body>*\t+CMS ERROR: 600", 3, SMS_CODE_FAILED, "+CMS ERROR: 600"},
        {"<body>*\t+CMS ERROR: 330", 1, SMS_CODE_FAILED, "+CMS ERROR: 330"},
        {"<body>*\t+CMS ERROR: 499", 1, SMS_CODE_FAILED, "+CMS ERROR: 499"},
        {"<body>*\tERROR", 1, SMS_CODE_FAILED, "ERROR"},
        {"<body>*\t+CMS ERROR: 512\ttimes=1", 2, SMS_CODE_SUCCEED, "+CMS ERROR: 512"},
    };
    for (const auto& c : cases) {
        const SendRun run = SendThrough(c.bodyRule, {"10086"}, "retry me");
        ASSERT_EQ(run.results.size(), 1u) << c.bodyRule;
        EXPECT_EQ(run.results[0].code, c.code) << c.bodyRule;
        EXPECT_EQ(run.results[0].message, c.message) << c.bodyRule;
        // Every attempt starts again from the centre query; the init list runs once.
        EXPECT_EQ(Count(run.written, "AT+CSCA?\r\n"), c.attempts) << c.bodyRule;
        EXPECT_EQ(Count(run.written, "AT+CMGS="), c.attempts) << c.bodyRule;
        EXPECT_EQ(Count(run.written, "AT+CMEE=1\r\n"), 1u) << c.bodyRule;
    }
}

TEST(SendDialogue, EachNumberReportsItsOwnFailure)
{
    // First number: body refused with 330. Second number: the centre answer lacks its comma,
    // a failure that leaves no modem error text.
    const SendRun run = SendThrough("<body>*\t+CMS ERROR: 330\tset=n:2\n"
                                    "AT+CSCA?\t+CSCA: \"+8613800100500\"\tif=n:2\n",
                                    {"10086", "10010"}, "x");
    ASSERT_EQ(run.results.size(), 2u);
    EXPECT_EQ(run.results[0].number, "10086");
    EXPECT_EQ(run.results[0].message, "+CMS ERROR: 330");
    EXPECT_EQ(run.results[1].number, "10010");
    EXPECT_EQ(run.results[1].code, SMS_CODE_FAILED);
    EXPECT_EQ(run.results[1].message, "设备不AT");
    // No length command follows a failed centre query.
    EXPECT_EQ(Count(run.written, "AT+CMGS="), 1u);
    EXPECT_EQ(Count(run.written, "AT+CMEE=1\r\n"), 2u);
}

TEST(SendDialogue, NumberNoAddressCanHoldFailsWithItsOwnReason)
{
    // 25 digits pass the number check, but an SMS address holds 20: no length command goes
    // out, and the reason names the number rather than the device.
    const SendRun run = SendThrough("", {std::string(25, '1')}, "x", PHONE_TYPE_PELVANO, "at+cmgf=0\r\n");
    ASSERT_EQ(run.results.size(), 1u);
    EXPECT_EQ(run.results[0].code, SMS_CODE_FAILED);
    EXPECT_EQ(run.results[0].message, "号码超过20位数字，未发送");
    EXPECT_EQ(Count(run.written, "AT+CSCA?\r\n"), 1u);
    EXPECT_EQ(Count(run.written, "AT+CMGS="), 0u);
}

TEST(SendDialogue, LongTextGoesOutAsPartsThatDecodeBack)
{
    std::string text;
    for (int i = 0; i < 50; ++i)
        text += "北京短信";
    text += "👍"; // a pair of UTF-16 units
    const SendRun run = SendThrough("", {"18300000000"}, text);
    ASSERT_EQ(run.results.size(), 1u);
    EXPECT_EQ(run.results[0].code, SMS_CODE_SUCCEED) << run.results[0].message;

    const std::vector<Part> parts = PartsOf(run.written);
    ASSERT_EQ(parts.size(), 4u) << run.written; // 202 characters and the stamp's 20 in 67-unit parts
    SM_PARAM first{};
    gsmDecodeSendPdu(parts[0].pdu.c_str(), &first);
    std::string hex;
    for (size_t i = 0; i < parts.size(); ++i) {
        SM_PARAM decoded{};
        gsmDecodeSendPdu(parts[i].pdu.c_str(), &decoded);
        EXPECT_TRUE(decoded.bIsPart) << i;
        EXPECT_EQ(decoded.nPartTotal, parts.size()) << i;
        EXPECT_EQ(decoded.nPartSeq, i + 1) << i;
        EXPECT_EQ(decoded.nPartRef, first.nPartRef) << i;
        EXPECT_EQ(std::string(decoded.szPeer), "18300000000") << i;
        hex += std::string(decoded.szPartHex, static_cast<size_t>(decoded.nPartHexLen));
    }
    std::vector<unsigned char> ucs2(hex.size() / 2);
    gsmString2Bytes(hex.c_str(), ucs2.data(), static_cast<int>(hex.size()));
    EXPECT_EQ(gsmDecodeNew2(ucs2.data(), static_cast<int>(ucs2.size())), text + " " + run.results[0].time);
}

TEST(SendDialogue, RefusedMiddlePartStopsTheAttempt)
{
    // Every second body is refused with a retry number: each attempt announces two of the
    // three parts, and each new attempt starts again with the first part.
    const SendRun run = SendThrough("<body>*\t+CMS ERROR: 500\tif=p:1 set=p:0\n"
                                    "<body>*\t+CMGS: 7\tset=p:1\n",
                                    {"10086"}, std::string(150, 'a'));
    ASSERT_EQ(run.results.size(), 1u);
    EXPECT_EQ(run.results[0].code, SMS_CODE_FAILED);
    EXPECT_EQ(run.results[0].message, "+CMS ERROR: 500");
    const std::vector<Part> parts = PartsOf(run.written);
    ASSERT_EQ(parts.size(), 6u) << run.written;
    for (size_t i = 0; i < parts.size(); ++i) {
        SM_PARAM decoded{};
        gsmDecodeSendPdu(parts[i].pdu.c_str(), &decoded);
        EXPECT_EQ(decoded.nPartTotal, 3) << i;
        EXPECT_EQ(decoded.nPartSeq, i % 2 + 1) << i;
    }
}

TEST(SendDialogue, CdmaModuleGetsRawUcs2ThroughItsOwnCommands)
{
    const std::string init = "AT+CMEE=1\r\nAT+CPMS=\"SM\"\r\nATE0\r\nAT^RSSIREP=0\r\n";
    // No centre query on CDMA: a bare "AT" keeps the conversation's shape.
    const std::string centreAndMode = "AT\rAT^HSMSSS=0,0,6,0\r\n";
    const std::string ctrlZ("\x00\x1A", 2);
    const std::string long141 = std::string(64, 'x') + std::string(64, 'y') + std::string(13, 'z');
    const struct {
        const char* what;
        std::string rules;
        std::string number;
        std::string text;
        bool stamped;
        SMS_CODE_ENUM code;
        std::string message;
        std::vector<std::string> bodies; // UCS2 text of each part, suffix included
    } cases[] = {
        {"single part", kCdmaRules, "10086", "hi", false, SMS_CODE_SUCCEED, "", {AsciiUcs2("hi")}},
        {"stamped, number as given", kCdmaRules, "+8618300000000", "hi", true, SMS_CODE_SUCCEED, "", {}},
        {"long text: suffixed parts, one command", kCdmaRules, "10086", long141, false, SMS_CODE_SUCCEED, "",
         {AsciiUcs2(long141.substr(0, 64) + "(1/3)"), AsciiUcs2(long141.substr(64, 64) + "(2/3)"),
          AsciiUcs2(long141.substr(128) + "(3/3)")}},
        {"send report of a failure", std::string("<body>*\t=\\r\\n^HCMGSF: 98\\r\\n\n") + kCdmaRules, "10086", "hi",
         false, SMS_CODE_FAILED, "^HCMGSF: 98", {AsciiUcs2("hi")}},
        // The module's error numbers never make the flow send again.
        {"500 is not retried", std::string("<body>*\t+CMS ERROR: 500\n") + kCdmaRules, "10086", "hi", false,
         SMS_CODE_FAILED, "+CMS ERROR: 500", {AsciiUcs2("hi")}},
    };
    for (const auto& c : cases) {
        // A failed send cancels the prompt the module may still wait in.
        const std::string cancel = c.code == SMS_CODE_SUCCEED ? "" : kPromptCancel;
        const SendRun run = SendThrough(c.rules, {c.number}, c.text, PHONE_TYPE_LUMBREC, ctrlZ + cancel);
        ASSERT_EQ(run.results.size(), 1u) << c.what;
        EXPECT_EQ(run.results[0].code, c.code) << c.what << ": " << run.results[0].message;
        if (c.code != SMS_CODE_SUCCEED) {
            EXPECT_EQ(run.results[0].message, c.message) << c.what;
        }
        std::vector<std::string> bodies = c.bodies;
        if (c.stamped)
            bodies = {AsciiUcs2(c.text + " " + run.results[0].time)};
        std::string expected = kPromptCancel + init + centreAndMode;
        for (const std::string& body : bodies)
            expected += "AT^HCMGS=\"" + c.number + "\"\r" + body + ctrlZ;
        EXPECT_EQ(run.written, expected + cancel) << c.what;
    }
}
