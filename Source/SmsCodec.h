#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One SMS as the codec sees it. No constructor: every user zero-fills it.
struct SM_PARAM {
    uint16_t nPartSeq;
    uint16_t nUcs2PartTotal;
    int32_t nValidityMinutes;
    char szSmsc[16];
    char szPeer[32];
    uint8_t nPid;
    uint8_t nDcs;
    char szTimeStamp[16];
    const char* pLongText;
    // 160 septets of GSM text need up to 320 bytes of UTF-8 (70 UCS2 units need at most 210,
    // 140 octets shown as hex 280).
    char szText[321];
    char szPushUrl[129];
    uint8_t nUcs2PartRef;
    bool bNational;
    bool bFlash;
    // A received part's user data after its header, as hex: for 8-bit and compressed data its
    // octets as they stand, two characters each (bPartOctets); for text, the text as big-endian
    // UCS2, four characters a unit (up to 160), so that text parts join by concatenating hex.
    char szPartHex[641];
    int32_t nPartHexLen;
    bool bPartOctets;
    bool bIsPart;
    uint16_t nPartRef;
    uint16_t nPartTotal;
};

// Hex text, high nibble first; upper- and lower-case letters are read alike.
int gsmString2Bytes(const char* src, unsigned char* dst, int n);
int gsmBytes2String(const unsigned char* src, char* dst, int n);
// Semi-octet numbers: dst holds n + 2 characters.
int gsmInvertNumbers(const char* src, char* dst, int n);
int gsmSerializeNumbers(const char* src, char* dst, int n);
// Packs the low 7 bits of n characters; writes (7n + 7) / 8 octets.
int gsmEncode7bit(const char* src, unsigned char* dst, int n);
// Unpacks n octets (n + n/7 septets) through the GSM default alphabet into UTF-8;
// dst holds 2 * (n + n/7) + 1 bytes.
int gsmDecode7bit(const unsigned char* src, char* dst, int n);
int gsmEncode8bit(const char* src, unsigned char* dst, int n);
int gsmDecode8bit(const unsigned char* src, char* dst, int n);
// n bytes of UTF-8 to big-endian UTF-16 (characters above U+FFFF as surrogate pairs);
// dst holds 2n bytes. Invalid UTF-8 writes nothing.
int gsmEncodeUcs2(const char* src, unsigned char* dst, int n);
// n bytes of big-endian UTF-16 to UTF-8, no terminator; dst holds 3 * (n / 2) bytes.
// A lone surrogate or a U+0000 unit gives U+FFFD.
int gsmDecodeUcs2(const unsigned char* src, char* dst, int n);
std::string gsmDecodeNew2(const unsigned char* src, int n);
// UTF-16 units of a UTF-8 text (two for a character above U+FFFF); 0 when it is not UTF-8.
// One UCS2 SMS holds 70 units, each part of a long one 67.
int gsmCountUcs2Units(const std::string& text);
// UTF-8 <-> code points without any locale; invalid input gives an empty result.
std::string UnicodeToANSI(const std::wstring& text);
std::wstring ANSIToUnicode(const std::string& text);
int Utf8ToGBK(const char* src, char** out);
// Strict UTF-8 (RFC 3629): the length of the character that starts at i, 0 when malformed.
size_t Utf8CharLength(const std::string& text, size_t i);
bool IsValidUtf8(const std::string& text);
void AppendUtf8(char32_t cp, std::string& out);

// One UCS2 PDU for at most 70 units of szText; a longer text or a destination of more than
// 20 digits gives "" and an empty cmd.
std::string gsmEncodePduNew(const SM_PARAM* p, std::string& cmd);
// out holds 64 characters; 0 (and "") for a destination of more than 20 digits.
int GetSubmitPdu(const SM_PARAM* p, char* out);
// Parts of 67 units at most, a surrogate pair never split; no parts for an empty or invalid
// text, an unaddressable destination, or a text needing more than 255 parts.
void gsmLongSmsPdu(const SM_PARAM* p, std::vector<std::string>& parts, bool unused);

// Decoders stop at the first character that is not hex and never read past it. 8-bit and
// compressed user data is shown as its octets in upper-case hex, zero octets included.
// Both return the number of bytes of text decoded into szText.
// A status report (message type 2, whichever decoder is asked) decodes to its recipient, the
// centre's time stamp and, as its text, "status report: reference <R>, status <SS> (<class>),
// discharged <YY-MM-DD hh:mm:ss>".
int gsmDecodePdu(const char* pdu, SM_PARAM* p);
int gsmDecodeSendPdu(const char* pdu, SM_PARAM* p);
// True when the TPDU (the octets after the SMSC field) is exactly tpduOctets long, as a listing
// header gives it, and the text accounts for every octet of it: the user data is exactly what its
// length octet announces, no more than one message holds (140 octets, 160 septets); a header lies
// inside it and holds only elements that frame the text; UCS2 text is whole units. A status report
// holds its fields up to the status, then at most a parameter indicator (bit 7 clear) with the PID
// and DCS it announces and an announced user data length of 0. Anything else (a cut PDU, octets
// shown nowhere, a picture or a language table in the header, a report's user data) is no whole
// message. received picks the layout as for the decoders.
bool gsmPduIsWhole(const char* pdu, int tpduOctets, bool received);
// "YY-MM-DD hh:mm:ss" from a time stamp's digits in reading order (the zone is not shown); "" when
// fewer than 13 digits stand.
std::string gsmTimeStampText(const char* timeStamp);
