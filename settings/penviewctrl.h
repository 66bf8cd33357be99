#pragma once

#include "settings/devicepagectrl.h"
#include "settings/keycuseditor.h"

namespace settings {

// The pen page of one device, from the model's layout (store::penViewXIBName).
class PenViewCtrl : public DevicePageCtrl
{
    Q_OBJECT
public:
    using DevicePageCtrl::DevicePageCtrl;

    // How the pen buttons' "change" entry opens the per-key action editor.
    void setKeyCusEditorFactory(KeyCusEditorFactory factory) { m_keyCusEditorFactory = std::move(factory); }

private:
    KeyCusEditorFactory m_keyCusEditorFactory;
};

} // namespace settings
