#include "PhoneFactory.h"

#include "Phone_Kalvost.h"
#include "Phone_Lumbrec.h"
#include "Phone_Morvanth.h"
#include "Phone_Nesbral.h"
#include "Phone_Pelvano.h"
#include "Phone_Quirel.h"
#include "Phone_Sorvik.h"
#include "Phone_Tamrel.h"
#include "Phone_Ulbran.h"
#include "Phone_Vendis.h"
#include "Phone_Wescor.h"
#include "Phone_Yarlen.h"
#include "Phone_Zepharo.h"

namespace {

const PHONE_TYPE_t kIdentificationOrder[] = {
    PHONE_TYPE_PELVANO, PHONE_TYPE_QUIREL, PHONE_TYPE_SORVIK,  PHONE_TYPE_YARLEN,
    PHONE_TYPE_ZEPHARO, PHONE_TYPE_KALVOST, PHONE_TYPE_LUMBREC, PHONE_TYPE_NESBRAL,
    PHONE_TYPE_TAMREL,  PHONE_TYPE_ULBRAN,  PHONE_TYPE_VENDIS,  PHONE_TYPE_WESCOR,
    PHONE_TYPE_MORVANTH,
};

} // namespace

CPhoneCardBase* GetPhoneByType(PHONE_TYPE_t type)
{
    switch (static_cast<int>(type)) {
    case PHONE_TYPE_SORVIK: return new CPhone_Sorvik;
    case PHONE_TYPE_TAMREL: return new CPhone_Tamrel;
    case PHONE_TYPE_ULBRAN: return new CPhone_Ulbran;
    case PHONE_TYPE_PELVANO: return new CPhone_Pelvano;
    case PHONE_TYPE_QUIREL: return new CPhone_Quirel;
    case PHONE_TYPE_VENDIS: return new CPhone_Vendis;
    case PHONE_TYPE_WESCOR: return new CPhone_Wescor;
    case PHONE_TYPE_YARLEN: return new CPhone_Yarlen;
    case PHONE_TYPE_ZEPHARO: return new CPhone_Zepharo;
    case PHONE_TYPE_KALVOST: return new CPhone_Kalvost;
    case PHONE_TYPE_LUMBREC: return new CPhone_Lumbrec;
    case PHONE_TYPE_NESBRAL: return new CPhone_Nesbral;
    case PHONE_TYPE_MORVANTH: return new CPhone_Morvanth;
    default: return nullptr;
    }
}

std::vector<std::unique_ptr<CPhoneCardBase>> MakeIdentificationCandidates()
{
    std::vector<std::unique_ptr<CPhoneCardBase>> candidates;
    for (PHONE_TYPE_t type : kIdentificationOrder)
        candidates.emplace_back(GetPhoneByType(type));
    return candidates;
}

CPhoneCardBase* FindAtiMatch(const std::vector<std::unique_ptr<CPhoneCardBase>>& candidates,
                             const std::string& atiReply)
{
    for (const std::unique_ptr<CPhoneCardBase>& candidate : candidates) {
        if (candidate->IsATI_RspMatch(atiReply))
            return candidate.get();
    }
    return nullptr;
}
