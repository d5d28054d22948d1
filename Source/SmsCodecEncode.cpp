// SMS-SUBMIT PDUs (3GPP TS 23.040), single and concatenated, always UCS2.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>

#include "FixedText.h"
#include "SmsCodec.h"
#include "SmsCodecInternal.h"

namespace {

// 3GPP TS 23.040 9.1.2.5: an address holds at most 10 octets of semi-octets.
const size_t kMaxAddressDigits = 20;
const size_t kSingleMaxOctets = 140;
const size_t kPartMaxOctets = 134;
const size_t kMaxParts = 255;
const char kCtrlZ = 0x1A;

// Concatenation reference last handed out, seeded once from the clock.
int16_t g_sSplitIndex = 5;
bool bInitSplitIndex = false;
std::mutex g_splitIndexLock;

int NextSplitIndex()
{
    std::lock_guard<std::mutex> lock(g_splitIndexLock);
    if (!bInitSplitIndex) {
        bInitSplitIndex = true;
        g_sSplitIndex = static_cast<int16_t>(std::time(nullptr) % 255);
    }
    if (g_sSplitIndex > 254)
        g_sSplitIndex = 1;
    else
        ++g_sSplitIndex;
    return g_sSplitIndex;
}

std::string HexOctet(unsigned value)
{
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

// A number field's digits, without a leading "+".
std::string Digits(std::string digits)
{
    if (!digits.empty() && digits[0] == '+')
        digits.erase(0, 1);
    return digits;
}

std::string SemiOctets(const std::string& digits)
{
    std::string text(digits.size() + 2, '\0');
    text.resize(gsmInvertNumbers(digits.data(), &text[0], static_cast<int>(digits.size())));
    return text;
}

// The SMSC address always goes as international ("91"); an empty one leaves the choice to
// the modem.
std::string SmscPart(const SM_PARAM* p)
{
    const std::string digits = Digits(FieldText(p->szSmsc));
    if (digits.empty())
        return "00";
    return HexOctet((digits.size() + 1) / 2 + 1) + "91" + SemiOctets(digits);
}

bool AddressFits(const SM_PARAM* p)
{
    return Digits(FieldText(p->szPeer)).size() <= kMaxAddressDigits;
}

std::string DestinationAddress(const SM_PARAM* p, const char* nationalType)
{
    const std::string digits = Digits(FieldText(p->szPeer));
    return HexOctet(digits.size()) + (p->bNational ? nationalType : "91") + SemiOctets(digits);
}

// Relative validity period, 3GPP TS 23.040 9.2.3.12.1: 0-143 in 5-minute steps, 144-167 in
// half hours after 12 hours, 168 on in days.
unsigned ValidityOctet(int32_t minutes)
{
    if (minutes <= 0)
        return 0xA7;
    if (minutes <= 720)
        return minutes < 5 ? 0 : minutes / 5 - 1;
    if (minutes <= 1440)
        return (minutes - 720) / 30 + 143;
    if (minutes <= 2880)
        return 0xA8;
    return 0xFF;
}

unsigned DcsOctet(const SM_PARAM* p)
{
    if (!p->bFlash)
        return p->nDcs;
    return p->nDcs == 8 ? 0x18 : 0x10;
}

std::string SubmitHeader(const SM_PARAM* p)
{
    return SmscPart(p) + "5100" + DestinationAddress(p, "A1") + HexOctet(p->nPid) +
           HexOctet(DcsOctet(p)) + HexOctet(ValidityOctet(p->nValidityMinutes));
}

bool IsHighSurrogateAt(const std::vector<uint8_t>& ucs2, size_t offset)
{
    return offset + 1 < ucs2.size() && ucs2[offset] >= 0xD8 && ucs2[offset] <= 0xDB;
}

// Offsets where each part's payload ends: 134 octets (67 units), one unit less where the
// boundary would split a surrogate pair.
std::vector<size_t> PartEnds(const std::vector<uint8_t>& ucs2)
{
    std::vector<size_t> ends;
    size_t start = 0;
    while (start < ucs2.size()) {
        size_t end = start + kPartMaxOctets;
        if (end >= ucs2.size())
            end = ucs2.size();
        else if (IsHighSurrogateAt(ucs2, end - 2))
            end -= 2;
        ends.push_back(end);
        start = end;
    }
    return ends;
}

} // namespace

std::string gsmEncodePduNew(const SM_PARAM* p, std::string& cmd)
{
    const std::vector<uint8_t> ucs2 =
        smscodec::Utf8ToUcs2Bytes(p->szText, strnlen(p->szText, sizeof p->szText));
    if (ucs2.size() > kSingleMaxOctets || !AddressFits(p)) {
        cmd.clear();
        return std::string();
    }
    const std::string tpdu = "1100" + DestinationAddress(p, "81") + "0008AA" +
                             HexOctet(ucs2.size()) + smscodec::Hex(ucs2.data(), ucs2.size());
    cmd = "AT+CMGS=" + std::to_string(tpdu.size() / 2) + "\r";
    return SmscPart(p) + tpdu + kCtrlZ;
}

int GetSubmitPdu(const SM_PARAM* p, char* out)
{
    const std::string header = AddressFits(p) ? SubmitHeader(p) : std::string();
    std::memcpy(out, header.c_str(), header.size() + 1);
    return static_cast<int>(header.size());
}

void gsmLongSmsPdu(const SM_PARAM* p, std::vector<std::string>& parts, bool)
{
    const int reference = NextSplitIndex();
    if (p->pLongText == nullptr || !AddressFits(p))
        return;
    const std::vector<uint8_t> ucs2 =
        smscodec::Utf8ToUcs2Bytes(p->pLongText, std::strlen(p->pLongText));
    const std::vector<size_t> ends = PartEnds(ucs2);
    if (ends.size() > kMaxParts)
        return;
    const std::string header = SubmitHeader(p);
    size_t start = 0;
    for (size_t i = 0; i < ends.size(); ++i) {
        const size_t octets = ends[i] - start;
        // User data header 05 00 03: concatenated message with an 8-bit reference.
        parts.push_back(header + HexOctet(octets + 6) + "050003" + HexOctet(reference) +
                        HexOctet(ends.size()) + HexOctet(i + 1) + smscodec::Hex(&ucs2[start], octets));
        start = ends[i];
    }
}
