#pragma once

#include <QLoggingCategory>

// The one log category of store/.
Q_DECLARE_LOGGING_CATEGORY(lcStore)
