#include "firmwarelog.h"

Q_LOGGING_CATEGORY(lcFirmware, "ov.firmware")
