#pragma once

#include <QLoggingCategory>

// Our own lines of the firmware side ("<devKey>: cannot <verb> <object>:
// <why>"). The protocol's and the transfer's own lines go to lcStdout.
Q_DECLARE_LOGGING_CATEGORY(lcFirmware)
