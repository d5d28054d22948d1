#pragma once
#include "PhoneCardBase.h"

// The driver's side of a whole read: the listing ended with its final result and every entry
// it named was read whole.
inline bool EveryEntryRead(const CPhoneCardBase& phone)
{
    return phone.GetReadResult().listed && !phone.GetReadResult().unreadable;
}
