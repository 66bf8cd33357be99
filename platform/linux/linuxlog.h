#pragma once

#include <QLoggingCategory>

// The Linux platform services: session bus, processes, settings, dialogs.
Q_DECLARE_LOGGING_CATEGORY(lcLinux)
