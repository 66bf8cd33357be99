#include "linuxlog.h"

Q_LOGGING_CATEGORY(lcLinux, "ov.platform.linux")
