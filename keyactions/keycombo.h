#pragma once

#include <QMetaType>
#include <QtGlobal>

namespace keyactions {

// One recorded key combination: mac event flags and a mac key code; code -1
// is no combination.
struct KeyCombo
{
    quint64 flags = 0;
    qint64 code = -1;

    friend bool operator==(const KeyCombo &, const KeyCombo &) = default;
};

} // namespace keyactions

Q_DECLARE_METATYPE(keyactions::KeyCombo)
