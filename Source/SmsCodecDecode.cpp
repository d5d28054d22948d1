// SMS-DELIVER and stored SMS-SUBMIT PDUs (3GPP TS 23.040). Every length octet is checked
// against the PDU text actually given and against the record's fields.
#include <cstdio>
#include <cstring>

#include "SmsCodec.h"
#include "SmsCodecInternal.h"

namespace {

// Reads octets from the leading run of hex characters; a listing line's CR ends it.
class PduReader {
public:
    explicit PduReader(const char* pdu) : text_(pdu ? pdu : "")
    {
        while (smscodec::HexValue(text_[length_]) >= 0)
            ++length_;
        odd_ = length_ % 2 != 0;
        length_ &= ~size_t{1};
    }

    size_t Remaining() const { return (length_ - pos_) / 2; }
    // A hex digit was left over after the last whole octet.
    bool Odd() const { return odd_; }

    bool Octet(uint8_t& value)
    {
        if (Remaining() == 0)
            return false;
        gsmString2Bytes(text_ + pos_, &value, 2);
        pos_ += 2;
        return true;
    }

    // Up to n octets, as many as there are.
    std::vector<uint8_t> Octets(size_t n)
    {
        std::vector<uint8_t> bytes(n < Remaining() ? n : Remaining());
        gsmString2Bytes(text_ + pos_, bytes.data(), static_cast<int>(2 * bytes.size()));
        pos_ += 2 * bytes.size();
        return bytes;
    }

    // Up to n octets of swapped semi-octets, back in reading order.
    std::string SemiOctets(size_t n)
    {
        const size_t chars = 2 * (n < Remaining() ? n : Remaining());
        std::string digits(chars + 1, '\0');
        digits.resize(gsmSerializeNumbers(text_ + pos_, &digits[0], static_cast<int>(chars)));
        pos_ += chars;
        return digits;
    }

    void Skip(size_t n) { pos_ += 2 * (n < Remaining() ? n : Remaining()); }

private:
    const char* text_;
    size_t length_ = 0;
    size_t pos_ = 0;
    bool odd_ = false;
};

// Octets: 8-bit data, and compressed data in any alphabet, which nothing here can expand. Both
// are shown as their octets in hex, so that nothing is cut at a zero octet or garbled.
enum class Alphabet { Gsm7, Octets, Ucs2 };

// Coding groups of 3GPP TS 23.038 4; reserved alphabets count as GSM 7-bit.
Alphabet AlphabetOf(uint8_t dcs)
{
    if ((dcs & 0x80) == 0) {
        if (dcs & 0x20)
            return Alphabet::Octets; // compressed
        switch ((dcs >> 2) & 0x03) {
        case 1:
            return Alphabet::Octets;
        case 2:
            return Alphabet::Ucs2;
        default:
            return Alphabet::Gsm7;
        }
    }
    if ((dcs & 0xF0) == 0xE0)
        return Alphabet::Ucs2;
    if ((dcs & 0xF0) == 0xF0 && (dcs & 0x04))
        return Alphabet::Octets; // F4 to F7, a WAP push (F5) among them
    return Alphabet::Gsm7;
}

// 3GPP TS 23.040 9.2.3.16: user data holds at most 140 octets, 160 septets. A longer one
// cannot be shown whole in the text field.
bool FitsOneMessage(Alphabet alphabet, size_t udl)
{
    return udl <= (alphabet == Alphabet::Gsm7 ? 160u : 140u);
}

// Copies whole UTF-8 characters only, so that a cut never leaves half a character.
size_t CopyText(const std::string& text, char* field, size_t size)
{
    size_t n = text.size() < size ? text.size() : size - 1;
    if (n < text.size()) {
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
            --n;
    }
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
    return n;
}

const uint8_t kDeliver = 0;
const uint8_t kSubmit = 1;
const uint8_t kStatusReport = 2;
const uint8_t kUdhi = 0x40;
const uint8_t kTypeOfNumberMask = 0x70;
const uint8_t kAlphanumeric = 0x50;

std::string ReadAddress(PduReader& reader)
{
    uint8_t digits = 0;
    uint8_t type = 0;
    if (!reader.Octet(digits) || !reader.Octet(type))
        return std::string();
    const size_t octets = (digits + 1) / 2;
    if ((type & kTypeOfNumberMask) != kAlphanumeric)
        return reader.SemiOctets(octets);
    // 3GPP TS 23.040 9.1.2.5: an alphanumeric address is GSM 7-bit text; its length counts
    // semi-octets, so the septets are the whole ones those nibbles hold (a 7-character name
    // leaves fill bits that must not show as "@").
    const std::vector<uint8_t> packed = reader.Octets(octets);
    return smscodec::GsmSeptetsToUtf8(
        smscodec::UnpackSeptets(packed.data(), packed.size(), 0, digits * 4u / 7));
}

// TP-VP length by TP-VPF (bits 3-4 of an SMS-SUBMIT's first octet).
size_t ValidityOctets(uint8_t firstOctet)
{
    switch ((firstOctet >> 3) & 0x03) {
    case 2:
        return 1;
    case 0:
        return 0;
    default:
        return 7;
    }
}

struct Concatenation {
    bool found = false;
    uint16_t ref = 0;
    uint8_t total = 0;
    uint8_t seq = 0;
};

// Walks the information elements of a user data header; IEI 00 and 08 mark a part.
Concatenation ReadConcatenation(const std::vector<uint8_t>& ud, size_t headerEnd)
{
    Concatenation c;
    size_t i = 1;
    while (i + 2 <= headerEnd) {
        const uint8_t iei = ud[i];
        const size_t len = ud[i + 1];
        const size_t data = i + 2;
        if (data + len > headerEnd)
            break;
        // 3GPP TS 23.040 9.2.3.24.1: a total or a sequence of 0, or a sequence past the total,
        // voids the element.
        if (iei == 0x00 && len == 3 && ud[data + 1] != 0 && ud[data + 2] != 0 &&
            ud[data + 2] <= ud[data + 1]) {
            c = {true, ud[data], ud[data + 1], ud[data + 2]};
        } else if (iei == 0x08 && len == 4 && ud[data + 2] != 0 && ud[data + 3] != 0 &&
                   ud[data + 3] <= ud[data + 2]) {
            c = {true, static_cast<uint16_t>(ud[data] << 8 | ud[data + 1]), ud[data + 2],
                 ud[data + 3]};
        }
        i = data + len;
    }
    return c;
}

// 3GPP TS 23.040 9.2.3.24: elements that only frame or mark the text: concatenation (00, 08),
// special message indication (01), application ports (04, 05), SMSC control and source indicator
// (06, 07), text formatting (0A), an e-mail header (20), a hyperlink (21). Every other one carries
// content the text does not show (pictures, sounds, animations, a reply address) or changes how
// it reads (national-language shift tables), and reserved values are unknown.
bool FramesTextOnly(uint8_t iei)
{
    switch (iei) {
    case 0x00: case 0x01: case 0x04: case 0x05: case 0x06:
    case 0x07: case 0x08: case 0x0A: case 0x20: case 0x21:
        return true;
    default:
        return false;
    }
}

// Septets that a header of headerEnd octets takes in 7-bit text, its fill bits included: the text
// starts at the septet boundary after it.
size_t HeaderSeptets(size_t headerEnd)
{
    return (headerEnd * 8 + 6) / 7;
}

// The header ends inside the user data (for 7-bit data, in septets with its fill bits), and its
// elements, each one the text is shown around, fill it exactly.
bool HeaderFitsAndFramesText(const std::vector<uint8_t>& ud, size_t headerEnd, Alphabet alphabet, size_t udl)
{
    if ((alphabet == Alphabet::Gsm7 ? HeaderSeptets(headerEnd) : headerEnd) > udl)
        return false;
    size_t i = 1;
    while (i < headerEnd) {
        if (i + 2 > headerEnd || !FramesTextOnly(ud[i]))
            return false;
        i += 2 + ud[i + 1];
    }
    return i == headerEnd;
}

struct UserText {
    std::string utf8;
    // What a part joins by: the same text as big-endian UCS2, or for octets the octets.
    std::vector<uint8_t> partBytes;
    bool octets = false;
};

UserText DecodeUserText(Alphabet alphabet, const std::vector<uint8_t>& ud, size_t headerEnd,
                        size_t udl)
{
    UserText t;
    switch (alphabet) {
    case Alphabet::Gsm7: {
        const size_t first = HeaderSeptets(headerEnd);
        const size_t count = udl > first ? udl - first : 0;
        t.utf8 = smscodec::GsmSeptetsToUtf8(
            smscodec::UnpackSeptets(ud.data(), ud.size(), first, count));
        t.partBytes = smscodec::Utf8ToUcs2Bytes(t.utf8.data(), t.utf8.size());
        break;
    }
    case Alphabet::Octets: {
        t.octets = true;
        t.partBytes.assign(ud.begin() + headerEnd, ud.end());
        t.utf8 = smscodec::Hex(t.partBytes.data(), t.partBytes.size());
        break;
    }
    case Alphabet::Ucs2:
        t.partBytes.assign(ud.begin() + headerEnd, ud.end());
        t.partBytes.resize(t.partBytes.size() & ~size_t{1});
        t.utf8 = gsmDecodeNew2(t.partBytes.data(), static_cast<int>(t.partBytes.size()));
        break;
    }
    return t;
}

void StorePartHex(const UserText& text, SM_PARAM* p)
{
    const std::vector<uint8_t>& bytes = text.partBytes;
    const size_t capacity = (sizeof p->szPartHex - 1) / 4 * 2;
    size_t n = bytes.size() < capacity ? bytes.size() : capacity;
    // Do not leave half a surrogate pair at the cut.
    if (!text.octets && n < bytes.size() && n >= 2 && bytes[n - 2] >= 0xD8 && bytes[n - 2] <= 0xDB)
        n -= 2;
    p->nPartHexLen = gsmBytes2String(bytes.data(), p->szPartHex, static_cast<int>(n));
    p->bPartOctets = text.octets;
}

// 3GPP TS 23.040 9.2.3.15: the class of a report's status octet.
const char* StatusClass(uint8_t status)
{
    if (status < 0x20)
        return "completed";
    if (status < 0x40)
        return "pending";
    if (status < 0x80)
        return "failed";
    return "unknown";
}

// A report's outcome is all it carries, so it becomes its text: deleting a report shown without it
// would lose the outcome. The recipient and the centre's time stand where a message's sender and
// time do.
void DecodeStatusReport(PduReader& reader, SM_PARAM* p)
{
    uint8_t reference = 0;
    reader.Octet(reference);
    CopyText(ReadAddress(reader), p->szPeer, sizeof p->szPeer);
    CopyText(reader.SemiOctets(7), p->szTimeStamp, sizeof p->szTimeStamp);
    const std::string discharged = reader.SemiOctets(7);
    uint8_t status = 0;
    if (!reader.Octet(status))
        return;
    char text[96];
    snprintf(text, sizeof text, "status report: reference %u, status %02X (%s), discharged %s", reference, status,
             StatusClass(status), gsmTimeStampText(discharged.c_str()).c_str());
    CopyText(text, p->szText, sizeof p->szText);
}

// Whole when it holds its outcome and nothing that is not shown: reference, recipient, the two
// time stamps and the status, then at most a parameter indicator that announces no user data.
bool StatusReportIsWhole(PduReader& reader)
{
    uint8_t skip = 0;
    uint8_t digits = 0;
    if (!reader.Octet(skip) || !reader.Octet(digits) || !reader.Octet(skip))
        return false;
    const size_t fixed = (digits + 1u) / 2 + 7 + 7 + 1;
    if (reader.Remaining() < fixed)
        return false;
    reader.Skip(fixed);
    uint8_t indicator = 0;
    if (!reader.Octet(indicator))
        return true;
    // 3GPP TS 23.040 9.2.3.27: bit 7 extends the indicator with octets nothing here reads; bits 0
    // to 2 announce a PID, a DCS and a user data length, in that order.
    if (indicator & 0x80)
        return false;
    const size_t pidAndDcs = (indicator & 0x01) + ((indicator >> 1) & 0x01);
    if (reader.Remaining() < pidAndDcs)
        return false;
    reader.Skip(pidAndDcs);
    uint8_t udl = 0;
    if ((indicator & 0x04) && (!reader.Octet(udl) || udl != 0))
        return false;
    return reader.Remaining() == 0;
}

// TP-MTI: a module may list a stored SUBMIT or a status report where a DELIVER is expected, or
// the reverse; the reserved value keeps the layout asked for.
bool IsSubmit(uint8_t firstOctet, bool received)
{
    const uint8_t mti = firstOctet & 0x03;
    return mti == kSubmit || (mti != kDeliver && mti != kStatusReport && !received);
}

int DecodeSms(const char* pdu, SM_PARAM* p, bool received)
{
    std::memset(p->szText, 0, sizeof p->szText);
    p->bIsPart = false;
    PduReader reader(pdu);

    uint8_t smscLength = 0;
    if (!reader.Octet(smscLength))
        return 0;
    if (smscLength > 0) {
        reader.Skip(1); // type of address
        CopyText(reader.SemiOctets(smscLength - 1), p->szSmsc, sizeof p->szSmsc);
    }

    uint8_t firstOctet = 0;
    if (!reader.Octet(firstOctet))
        return 0;
    if ((firstOctet & 0x03) == kStatusReport) {
        DecodeStatusReport(reader, p);
        return static_cast<int>(std::strlen(p->szText));
    }
    const bool submit = IsSubmit(firstOctet, received);
    if (submit)
        reader.Skip(1); // message reference
    CopyText(ReadAddress(reader), p->szPeer, sizeof p->szPeer);
    if (!reader.Octet(p->nPid) || !reader.Octet(p->nDcs))
        return 0;
    if (submit)
        reader.Skip(ValidityOctets(firstOctet));
    else
        CopyText(reader.SemiOctets(7), p->szTimeStamp, sizeof p->szTimeStamp);

    uint8_t udl = 0;
    if (!reader.Octet(udl))
        return 0;
    const Alphabet alphabet = AlphabetOf(p->nDcs);
    const std::vector<uint8_t> ud =
        reader.Octets(alphabet == Alphabet::Gsm7 ? (udl * 7 + 7) / 8 : udl);

    size_t headerEnd = 0;
    Concatenation part;
    if ((firstOctet & kUdhi) && !ud.empty()) {
        headerEnd = ud[0] + 1u < ud.size() ? ud[0] + 1u : ud.size();
        part = ReadConcatenation(ud, headerEnd);
    }

    const UserText text = DecodeUserText(alphabet, ud, headerEnd, udl);
    if (part.found) {
        p->bIsPart = true;
        p->nPartRef = part.ref;
        p->nPartTotal = part.total;
        p->nPartSeq = part.seq;
        p->nUcs2PartRef = static_cast<uint8_t>(part.ref);
        p->nUcs2PartTotal = part.total;
        StorePartHex(text, p);
    }
    return static_cast<int>(CopyText(text.utf8, p->szText, sizeof p->szText));
}

} // namespace

int gsmDecodePdu(const char* pdu, SM_PARAM* p)
{
    return DecodeSms(pdu, p, true);
}

int gsmDecodeSendPdu(const char* pdu, SM_PARAM* p)
{
    return DecodeSms(pdu, p, false);
}

bool gsmPduIsWhole(const char* pdu, int tpduOctets, bool received)
{
    PduReader reader(pdu);
    uint8_t smscLength = 0;
    if (reader.Odd() || !reader.Octet(smscLength) || reader.Remaining() < smscLength)
        return false;
    reader.Skip(smscLength);
    uint8_t firstOctet = 0;
    if (tpduOctets < 0 || reader.Remaining() != static_cast<size_t>(tpduOctets) || !reader.Octet(firstOctet))
        return false;
    if ((firstOctet & 0x03) == kStatusReport)
        return StatusReportIsWhole(reader);
    const bool submit = IsSubmit(firstOctet, received);
    uint8_t digits = 0;
    uint8_t skip = 0;
    if ((submit && !reader.Octet(skip)) || !reader.Octet(digits) || !reader.Octet(skip))
        return false;
    // Address digits, then PID and DCS.
    size_t before = (digits + 1u) / 2;
    if (reader.Remaining() < before + 2)
        return false;
    reader.Skip(before);
    uint8_t dcs = 0;
    reader.Octet(skip);
    reader.Octet(dcs);
    // Validity period, or the service-centre time stamp.
    before = submit ? ValidityOctets(firstOctet) : 7;
    uint8_t udl = 0;
    if (reader.Remaining() < before + 1)
        return false;
    reader.Skip(before);
    reader.Octet(udl);
    const Alphabet alphabet = AlphabetOf(dcs);
    const size_t udOctets = alphabet == Alphabet::Gsm7 ? (udl * 7u + 7) / 8 : udl;
    // Octets after the user data would be shown nowhere.
    if (!FitsOneMessage(alphabet, udl) || reader.Remaining() != udOctets)
        return false;
    const std::vector<uint8_t> ud = reader.Octets(udOctets);
    const size_t headerEnd = (firstOctet & kUdhi) && udl > 0 ? ud[0] + 1u : 0;
    if (headerEnd > 0 && !HeaderFitsAndFramesText(ud, headerEnd, alphabet, udl))
        return false;
    // UCS2 units are two octets: an odd one left over would be dropped.
    return alphabet != Alphabet::Ucs2 || (udl - headerEnd) % 2 == 0;
}

std::string gsmTimeStampText(const char* timeStamp)
{
    const std::string t(timeStamp);
    if (t.size() < 13)
        return "";
    // YYMMDDhhmmss followed by the time zone, which is not shown.
    return t.substr(0, 2) + "-" + t.substr(2, 2) + "-" + t.substr(4, 2) + " " + t.substr(6, 2) + ":" +
           t.substr(8, 2) + ":" + t.substr(10, 2);
}
