// libFuzzer target for the PDU decoders and the whole-entry check. The input is the PDU as octets; the harness writes
// it as hex text (lower case for odd-sized inputs) followed by a listing line's CR.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "SmsCodec.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void CheckRecord(const SM_PARAM& p)
{
    Check(std::memchr(p.szText, '\0', sizeof p.szText) != nullptr);
    Check(std::memchr(p.szSmsc, '\0', sizeof p.szSmsc) != nullptr);
    Check(std::memchr(p.szPeer, '\0', sizeof p.szPeer) != nullptr);
    Check(std::memchr(p.szTimeStamp, '\0', sizeof p.szTimeStamp) != nullptr);
    if (p.bIsPart) {
        Check(p.nPartHexLen >= 0 && p.nPartHexLen % (p.bPartOctets ? 2 : 4) == 0);
        Check(static_cast<size_t>(p.nPartHexLen) < sizeof p.szPartHex);
        Check(std::strlen(p.szPartHex) == static_cast<size_t>(p.nPartHexLen));
        Check(p.nPartTotal >= 1 && p.nPartSeq >= 1 && p.nPartSeq <= p.nPartTotal);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* digits = size % 2 ? "0123456789abcdef" : "0123456789ABCDEF";
    std::string pdu;
    for (size_t i = 0; i < size; ++i) {
        pdu += digits[data[i] >> 4];
        pdu += digits[data[i] & 0x0F];
    }
    pdu += '\r';

    SM_PARAM p;
    std::memset(&p, 0, sizeof p);
    gsmDecodePdu(pdu.c_str(), &p);
    CheckRecord(p);

    std::memset(&p, 0, sizeof p);
    gsmDecodeSendPdu(pdu.c_str(), &p);
    CheckRecord(p);

    // The raw text too: the decoders must stop at whatever is not hex.
    const std::string raw(reinterpret_cast<const char*>(data), size);
    std::memset(&p, 0, sizeof p);
    gsmDecodePdu(raw.c_str(), &p);
    CheckRecord(p);

    // The whole-entry check walks the same layout and must stay inside the text too.
    for (int length : {0, static_cast<int>(size), static_cast<int>(size / 2)}) {
        gsmPduIsWhole(pdu.c_str(), length, true);
        gsmPduIsWhole(raw.c_str(), length, false);
    }
    // The length that matches the input, so that the check gets past its length test and walks
    // the user data and its header.
    if (size >= 1 && data[0] <= size - 1)
        gsmPduIsWhole(pdu.c_str(), static_cast<int>(size - 1 - data[0]), true);
    return 0;
}
