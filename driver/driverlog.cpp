#include "driverlog.h"

Q_LOGGING_CATEGORY(lcDriver, "ov.driver")
