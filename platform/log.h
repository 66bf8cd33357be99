#pragma once

#include <QLoggingCategory>

// Lines the system prints on standard output (not through its log); the
// message handler of each program routes this category to stdout.
Q_DECLARE_LOGGING_CATEGORY(lcStdout)
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)

namespace platform {
// Installs the programs' message handler: lcStdout lines go to standard
// output, everything else to standard error, each as its plain text.
void installDefaultMessageHandler();
} // namespace platform
