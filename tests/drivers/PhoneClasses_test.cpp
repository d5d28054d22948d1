#include <gtest/gtest.h>

#include <memory>

#include "PhoneFactory.h"

namespace {

// An ATI reply as modules send it with echo off: identity lines, an empty line and OK.
std::string AtiReply(const std::string& lines) { return "\r\n" + lines + "\r\n\r\nOK\r\n"; }

// The device type an ATI reply names; the base type when no class accepts it.
PHONE_TYPE_t IdentifyPhoneType(const std::string& atiReply)
{
    const std::vector<std::unique_ptr<CPhoneCardBase>> candidates = MakeIdentificationCandidates();
    CPhoneCardBase* match = FindAtiMatch(candidates, atiReply);
    return match != nullptr ? match->GetPhoneType() : PHONE_TYPE_BASE;
}

TEST(PhoneIdentification, FirstClassInOrderWins)
{
    const struct {
        const char* what;
        std::string reply;
        PHONE_TYPE_t type;
    } cases[] = {
        {"M35", AtiReply("Pelvano_Ltd\r\nPelvano_M35\r\nRevision: M35FAR02A03"), PHONE_TYPE_PELVANO},
        {"maker name", AtiReply("Quirel Communication\r\nQL-610"), PHONE_TYPE_QUIREL},
        {"CLM920_NC5 with OK", AtiReply("Model: CLM920_NC5"), PHONE_TYPE_SORVIK},
        {"ME909s-821 also holds ME909", AtiReply("Model: ME909s-821\r\nRevision: 11.617"),
         PHONE_TYPE_YARLEN},
        {"MG301", AtiReply("Model: MG301"), PHONE_TYPE_ZEPHARO},
        {"WAVECOM", AtiReply("WAVECOM MODEM\r\nMULTIBAND  900E  1800"), PHONE_TYPE_KALVOST},
        {"MC323", AtiReply("Model: MC323\r\nESN: 0x80A1B2C3"), PHONE_TYPE_LUMBREC},
        {"Nesbral", AtiReply("Manufacturer: Nesbral"), PHONE_TYPE_NESBRAL},
        {"CLM920_RC3 with OK", AtiReply("Model: CLM920_RC3"), PHONE_TYPE_TAMREL},
        {"CLM920_RV3 with OK", AtiReply("Model: CLM920_RV3"), PHONE_TYPE_ULBRAN},
        {"other ME909", AtiReply("Model: ME909u-521"), PHONE_TYPE_VENDIS},
        {"ME901", AtiReply("Model: ME901"), PHONE_TYPE_WESCOR},
        {"A7600C1-SE with OK", AtiReply("Model: A7600C1-SE"), PHONE_TYPE_MORVANTH},
        {"M35 before MG301", AtiReply("Model: MG301\r\nBoard: M35"), PHONE_TYPE_PELVANO},
        {"M35 anywhere", AtiReply("Model: A7600C1-SE\r\nIMEI: 8613M3512"), PHONE_TYPE_PELVANO},
        {"echo of ATI does not matter", "ATI\r\r\nModel: MG301\r\n\r\nOK\r\n", PHONE_TYPE_ZEPHARO},
        // Keys with "OK" match only a complete reply.
        {"CLM920_NC5 before OK", "\r\nModel: CLM920_NC5\r\n", PHONE_TYPE_BASE},
        {"A7600C1-SE before OK", "\r\nModel: A7600C1-SE\r\n", PHONE_TYPE_BASE},
        {"keys are case-sensitive", AtiReply("wavecom modem\r\nme909s-821\r\nm35"), PHONE_TYPE_BASE},
        {"unknown module", AtiReply("Manufacturer: Generic\r\nModel: GX-800"), PHONE_TYPE_BASE},
        {"nothing", "", PHONE_TYPE_BASE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.type, IdentifyPhoneType(c.reply)) << c.what;
}

TEST(PhoneIdentification, CandidatesComeInOrderAndMatchIsOneOfThem)
{
    const PHONE_TYPE_t order[] = {
        PHONE_TYPE_PELVANO, PHONE_TYPE_QUIREL, PHONE_TYPE_SORVIK,  PHONE_TYPE_YARLEN,
        PHONE_TYPE_ZEPHARO, PHONE_TYPE_KALVOST, PHONE_TYPE_LUMBREC, PHONE_TYPE_NESBRAL,
        PHONE_TYPE_TAMREL,  PHONE_TYPE_ULBRAN,  PHONE_TYPE_VENDIS,  PHONE_TYPE_WESCOR,
        PHONE_TYPE_MORVANTH,
    };
    const std::vector<std::unique_ptr<CPhoneCardBase>> candidates = MakeIdentificationCandidates();
    ASSERT_EQ(std::size(order), candidates.size());
    for (size_t i = 0; i < candidates.size(); ++i) {
        ASSERT_NE(nullptr, candidates[i]);
        EXPECT_EQ(order[i], candidates[i]->GetPhoneType()) << "position " << i;
        // Each class knows its own module: its sample reply, completed, names it.
        EXPECT_EQ(order[i], IdentifyPhoneType(candidates[i]->Get_ATI_Rsp() + "\r\nOK\r\n"))
            << "sample of position " << i;
    }
    EXPECT_EQ(candidates[3].get(), FindAtiMatch(candidates, AtiReply("ME909s-821")));
    EXPECT_EQ(nullptr, FindAtiMatch(candidates, "\r\nERROR\r\n"));
}

TEST(PhoneFactory, BuildsTheClassOfEachType)
{
    for (int type = 2; type <= 14; ++type) {
        const std::unique_ptr<CPhoneCardBase> card(GetPhoneByType(static_cast<PHONE_TYPE_t>(type)));
        ASSERT_NE(nullptr, card) << type;
        EXPECT_EQ(type, card->GetPhoneType());
    }
    for (int type : {0, 1, 15, -1})
        EXPECT_EQ(nullptr, GetPhoneByType(static_cast<PHONE_TYPE_t>(type))) << type;
}

TEST(PhoneClasses, InitialisationLists)
{
    const std::vector<std::string> base = {"AT+CMEE=1\r\n", "AT+CPMS=\"SM\"\r\n", "ATE0\r\n"};
    std::vector<std::string> curc = base;
    curc.push_back("AT^CURC=0\r\n");
    std::vector<std::string> full = curc;
    for (const char* c : {"AT+CLIP=1\r\n", "AT+CSMS=1\r\n", "AT+CNMI=1,1,0,1,0\r\n",
                          "AT+CREG=0\r\n", "AT+CPMS=\"SM\",\"SM\",\"SM\"\r\n"})
        full.push_back(c);
    std::vector<std::string> cdma = base;
    cdma.push_back("AT^RSSIREP=0\r\n");

    const struct {
        PHONE_TYPE_t type;
        const std::vector<std::string>& commands;
    } cases[] = {
        {PHONE_TYPE_PELVANO, base}, {PHONE_TYPE_QUIREL, base},   {PHONE_TYPE_SORVIK, base},
        {PHONE_TYPE_ZEPHARO, base}, {PHONE_TYPE_KALVOST, base},  {PHONE_TYPE_TAMREL, base},
        {PHONE_TYPE_ULBRAN, base},  {PHONE_TYPE_MORVANTH, base}, {PHONE_TYPE_YARLEN, curc},
        {PHONE_TYPE_NESBRAL, curc}, {PHONE_TYPE_VENDIS, full},   {PHONE_TYPE_WESCOR, full},
        {PHONE_TYPE_LUMBREC, cdma},
    };
    for (const auto& c : cases) {
        const std::unique_ptr<CPhoneCardBase> card(GetPhoneByType(c.type));
        EXPECT_EQ(c.commands, card->GetInitAtCmd()) << PhoneTypeToString(c.type);
    }
}

TEST(PhoneClasses, CaretIccidGrammarOfTheThreeModules)
{
    const struct {
        const char* what;
        std::string reply;
        int status;
        std::string sim;
    } cases[] = {
        {"key line, empty line, OK", "\r\n^ICCID: 89860315208800123456\r\n\r\nOK\r\n", 0,
         "89860315208800123456"},
        {"OK is not awaited", "\r\n^ICCID: 89860315208800123456\r\n", 0, "89860315208800123456"},
        {"echo in front", "AT^ICCID?\r\r\n^ICCID: 8986031520880012345F\r\n\r\nOK\r\n", 0,
         "8986031520880012345F"},
        {"blanks trimmed", "^ICCID:  898603 \r\n", 0, "898603"},
        {"key line not complete yet", "\r\n^ICCID: 8986031520", 1, "<old>"},
        {"empty line and OK", "\r\nOK\r\n", 1, "<old>"},
        {"nothing yet", "", 2, "<old>"},
        {"SIM missing", "\r\n+CME ERROR: 10\r\n", 1, "<old>"},
    };
    for (PHONE_TYPE_t type : {PHONE_TYPE_YARLEN, PHONE_TYPE_VENDIS, PHONE_TYPE_NESBRAL}) {
        {
            SCOPED_TRACE(std::string(PhoneTypeToString(type)) + ": call commands");
            const std::unique_ptr<CPhoneCardBase> card(GetPhoneByType(type));
            EXPECT_EQ("ATD10086;\r\n", card->GetCallCmd("10086"));
            EXPECT_EQ("at+chup;\r\n", card->GetHungUpCmd());
            // Any answer at all ends a call command well, even an error.
            EXPECT_TRUE(card->OnCallCmdRsp("\r\nERROR\r\n"));
            EXPECT_TRUE(card->OnHungUpCmdRsp("x"));
            EXPECT_FALSE(card->OnCallCmdRsp(""));
            EXPECT_FALSE(card->OnHungUpCmdRsp(""));
        }
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(PhoneTypeToString(type)) + ": " + c.what);
            const std::unique_ptr<CPhoneCardBase> card(GetPhoneByType(type));
            EXPECT_EQ("AT^ICCID?\r\n", card->GetIMSI_Cmd());
            ASSERT_EQ(0, card->OnGetIMSI_CmdRsp("^ICCID: <old>\r\n"));
            EXPECT_EQ(c.status, card->OnGetIMSI_CmdRsp(c.reply));
            EXPECT_EQ(c.sim, card->GetSmsCardNumber());
            EXPECT_EQ("", card->GetErrorMessage()) << "an ERROR reply is no error text here";
        }
    }
}

} // namespace
