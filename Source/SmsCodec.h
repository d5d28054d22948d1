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
    char szText[161];
    char szPushUrl[129];
    uint8_t nUcs2PartRef;
    bool bNational;
    bool bFlash;
    char szPartHex[536];
    int32_t nPartHexLen;
    bool bIsPart;
    uint16_t nPartRef;
    uint16_t nPartTotal;
};

int gsmString2Bytes(const char* src, unsigned char* dst, int n);
int gsmBytes2String(const unsigned char* src, char* dst, int n);
int gsmInvertNumbers(const char* src, char* dst, int n);
int gsmSerializeNumbers(const char* src, char* dst, int n);
int gsmEncode7bit(const char* src, unsigned char* dst, int n);
int gsmDecode7bit(const unsigned char* src, char* dst, int n);
int gsmEncode8bit(const char* src, unsigned char* dst, int n);
int gsmDecode8bit(const unsigned char* src, char* dst, int n);
int gsmEncodeUcs2(const char* src, unsigned char* dst, int n);
int gsmDecodeUcs2(const unsigned char* src, char* dst, int n);
std::string gsmDecodeNew2(const unsigned char* src, int n);
std::string UnicodeToANSI(const std::wstring& text);
std::wstring ANSIToUnicode(const std::string& text);
int Utf8ToGBK(const char* src, char** out);

std::string gsmEncodePduNew(const SM_PARAM* p, std::string& cmd);
int GetSubmitPdu(const SM_PARAM* p, char* out);
void gsmLongSmsPdu(const SM_PARAM* p, std::vector<std::string>& parts, bool unused);

int gsmDecodePdu(const char* pdu, SM_PARAM* p);
int gsmDecodeSendPdu(const char* pdu, SM_PARAM* p);
