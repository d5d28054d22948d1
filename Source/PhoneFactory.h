#pragma once
#include <memory>
#include <string>
#include <vector>

#include "PhoneCardBase.h"

// A new driver of the type's class; null for a type without one (0, 1 and anything above 14).
CPhoneCardBase* GetPhoneByType(PHONE_TYPE_t type);

// One driver of each device class, in identification order: where keys overlap
// (an "ME909s-821" reply also holds "ME909") the earlier class wins.
std::vector<std::unique_ptr<CPhoneCardBase>> MakeIdentificationCandidates();
// The first candidate that accepts the ATI reply, or null.
CPhoneCardBase* FindAtiMatch(const std::vector<std::unique_ptr<CPhoneCardBase>>& candidates,
                             const std::string& atiReply);
