#include "PhoneCardBase.h"
