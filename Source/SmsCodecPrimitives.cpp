#include "SmsCodec.h"
