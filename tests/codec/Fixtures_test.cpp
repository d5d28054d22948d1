// Real PDUs as modules listed them, from the files under tests/fixtures/replies.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "../ReplyFixtures.h"
#include "SmsCodec.h"

namespace {

// The PDU of every listed entry: the line after a "+CMGR:"/"+CMGL:" header, or the last word
// of a header that a module printed on one line with it.
std::vector<std::string> PdusOf(const std::string& file)
{
    std::stringstream all(ReadReplyFixture(file));
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(all, line))
        lines.push_back(line.substr(0, line.find('\r')));
    std::vector<std::string> pdus;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find("+CMGR:") == std::string::npos &&
            lines[i].find("+CMGL:") == std::string::npos)
            continue;
        const size_t space = lines[i].rfind(' ');
        if (lines[i].size() - space > 20)
            pdus.push_back(lines[i].substr(space + 1));
        else if (i + 1 < lines.size())
            pdus.push_back(lines[i + 1]);
    }
    return pdus;
}

SM_PARAM Decode(const std::string& pdu, bool stored)
{
    SM_PARAM p;
    std::memset(&p, 0, sizeof p);
    if (stored)
        gsmDecodeSendPdu(pdu.c_str(), &p);
    else
        gsmDecodePdu(pdu.c_str(), &p);
    return p;
}

} // namespace

TEST(CodecFixtures, ListedPdusDecodeToTheirTexts)
{
    struct Row {
        const char* file;
        bool stored; // listed with status 2 or 3
        const char* smsc;
        const char* peer;
        const char* time;
        const char* text;
    } rows[] = {
        {"01-cmgr-02.txt", true, "639170000130", "639193770523", "", "May salary na ba?"},
        {"02-cmgr-04.txt", false, "447802000332", nullptr, "06111908263400",
         "O2: You now have your Text Anytime 300 UK texts & 1MB of data to use this mth. "
         "Remember to top-up  10 or more before 171206 to get your free allowance next mth"},
        {"03-cmgr-06.txt", false, "85290260314", "5036710", "07070910540000",
         "For your ease to browse content after handset changed, you will receive a service "
         "setting soon. Simply save as default."},
        {"04-cmgr-08.txt", false, "32475161616", "32478746863", "02010721083304", "TEST -@@-"},
        {"05-cmgr-10.txt", false, "32475161616", "32478746863", "02013020540504", "Tèätrc @ £."},
        {"06-cmgr-12.txt", false, "622192600421", "622291320408", "07101912283528", "aa cakep deh"},
        // A stored SUBMIT listed with status 1: its first octet says how to read it.
        {"08-cmgr-16.txt", false, "420800123456", "1234", "", "123456"},
        {"11-cmgr-24.txt", false, "", "3381449402", "", "inserisci qui il messaggio...."},
        // WAP pushes: the user data after the header in hex; here the header fills it.
        {"12-cmgr-26.txt", false, "351911616161", "351916165705", "04021310465400", ""},
        {"19-cmgr-40.txt", false, "32475161616", "11476124010", "17032909432608",
         "4F06226170706C69636174696F6E2F766E642E7761702E6D6D732D6D65737361676500AF848C829838313436"
         "30343934406D6D7331008D928918802B33333333333439333231312F545950453D504C4D4E0096008F818681"
         "8A808E03017A598805810303F48083687474703A2F2F6D74732F3F69643D383134363034393400"},
        {"13-cmgr-28.txt", false, "15149931123", "14168777438", "",
         "nu-i nimic. Numai incerc sa vad de primesc errori."},
        // Status reports: the recipient, the centre's time, and the outcome as the text.
        {"14-cmgr-30.txt", false, "420603052000", "666666666666", "09090716482208",
         "status report: reference 232, status 00 (completed), discharged 09-09-07 16:48:26"},
        {"15-cmgr-32.txt", true, "420602909909", "604865888", "09070815375708",
         "status report: reference 171, status 00 (completed), discharged 09-07-08 15:38:10"},
        {"20-cmgr-42.txt", false, "9477000003", "94774705017", "19080508093522",
         "1917812300     22:30   RATTHI"},
        {"28-cmgr-telit-he910.txt", false, "16363848829", "16122001127", "150915144622A0",
         "Darmok! Darmok and Jalad at Tanagra"},
    };
    for (const Row& r : rows) {
        const std::vector<std::string> pdus = PdusOf(r.file);
        ASSERT_EQ(pdus.size(), 1u) << r.file;
        const SM_PARAM p = Decode(pdus[0], r.stored);
        EXPECT_STREQ(p.szSmsc, r.smsc) << r.file;
        if (r.peer != nullptr) {
            EXPECT_STREQ(p.szPeer, r.peer) << r.file;
        }
        EXPECT_STREQ(p.szTimeStamp, r.time) << r.file;
        EXPECT_STREQ(p.szText, r.text) << r.file;
        EXPECT_FALSE(p.bIsPart) << r.file;
    }
}

TEST(CodecFixtures, ListingsAndParts)
{
    const std::string vodafone = "Bienvenido a Vodafone. Gracias por elegirnos. Recuerda que puedes "
                                 "gestionar todos tus servicios de forma rapida y comoda en \"Mi "
                                 "Vodafone\" www.mivf.es";
    for (const char* file : {"25-cmgl-generic-3entries.txt", "27-cmgr-generic-space.txt"}) {
        for (const std::string& pdu : PdusOf(file)) {
            const SM_PARAM p = Decode(pdu, false);
            EXPECT_STREQ(p.szPeer, "22167") << file;
            EXPECT_EQ(p.szText, vodafone) << file;
        }
    }
    EXPECT_EQ(PdusOf("25-cmgl-generic-3entries.txt").size(), 3u);

    // First of two GSM 7-bit parts: the header is not text, and the part's hex is UCS2.
    const SM_PARAM part = Decode(PdusOf("10-cmgr-22.txt").at(0), false);
    EXPECT_TRUE(part.bIsPart);
    EXPECT_EQ(part.nPartRef, 1);
    EXPECT_EQ(part.nPartTotal, 2);
    EXPECT_EQ(part.nPartSeq, 1);
    EXPECT_EQ(std::string(part.szText).rfind("Ahoj pavle, tak me vcera", 0), 0u);
    EXPECT_EQ(part.nPartHexLen, 153 * 4);
    EXPECT_EQ(std::string(part.szPartHex, 8), "00410068");
}

TEST(CodecFixtures, MalformedPdusDecodeWithoutHarm)
{
    for (const char* file : {"07-cmgr-14.txt", "09-cmgr-20.txt", "21-cmgr-invalid-01.txt",
                             "22-cmgr-invalid-17.txt", "23-cmgr-invalid-25.txt",
                             "24-cmgr-invalid-35.txt", "26-cmgl-pantech-4entries-truncated.txt"}) {
        const std::vector<std::string> pdus = PdusOf(file);
        ASSERT_FALSE(pdus.empty()) << file;
        for (const std::string& pdu : pdus) {
            for (bool stored : {false, true}) {
                const SM_PARAM p = Decode(pdu, stored);
                EXPECT_LT(std::strlen(p.szText), sizeof p.szText) << file;
                EXPECT_LT(std::strlen(p.szPeer), sizeof p.szPeer) << file;
                EXPECT_TRUE(p.szText[0] == '\0' || !ANSIToUnicode(p.szText).empty()) << file;
            }
        }
    }
}
