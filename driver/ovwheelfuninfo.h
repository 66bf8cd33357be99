#pragma once

#include <array>
#include <memory>

#include <QRectF>
#include <QString>

#include "platform/runloop.h"

class QLabel;

namespace platform {
struct Platform;
}

namespace driver {

class OVHUDWin;
class OVManager;
class OVService;

// The three layouts of the wheel-function panel and the express-key fields
// each device fills.
struct WheelFunLayout
{
    const char *name; // "OVWheelFunInfo", "OVWheelFunInfoKalverinM", "OVWheelFunInfoKalverinS"
    int keyFields; // key fields the layout has (K1..K8 or K1..K6)
    bool twoColumns; // wheel slots and keys side by side, else one column
    bool keysFirst; // the keys' column (or rows) before the wheel's
};
const WheelFunLayout &wheelFunLayoutFor(const QString &devKey);
// K1..K8 on the Kalverin M and the Sorvi 13/16, K1..K6 on every other device.
int wheelFunKeyCount(const QString &devKey);

// The wheel-function panel: what the six wheel slots and the express keys do
// for the front application, as the configuration stands when it opens (it
// does not follow later changes). Floats beside the current screen's left
// edge and closes itself 5 s after it is shown. Main thread only.
class OVWheelFunInfo
{
public:
    static constexpr int kSlots = 6;
    static constexpr int kKeys = 8;
    static constexpr double kDismissSeconds = 5.0;
    static constexpr double kLeftGap = 60; // points from the screen's left edge

    // The layout is chosen by the device key.
    // The notice's screen look-up places it; the manager's observers hear of
    // it shown and hidden.
    OVWheelFunInfo(platform::Platform &platform, const QString &devKey, OVManager &manager);
    ~OVWheelFunInfo();
    OVWheelFunInfo(const OVWheelFunInfo &) = delete;
    OVWheelFunInfo &operator=(const OVWheelFunInfo &) = delete;

    // Shows and places the panel, fills its fields and (re)starts the 5 s.
    void showWindow();
    // Fills the fields through the delegate; without one they keep their
    // initial texts.
    void prepareKey();
    void dismiss();

    // The service that opened the panel; it clears itself before it goes.
    OVService *delegate() const { return m_delegate; }
    void setDelegate(OVService *delegate) { m_delegate = delegate; }

    // The name the panel's window is reported under.
    static QString windowName();
    const WheelFunLayout &layout() const { return m_layout; }
    bool isShown() const { return m_shown; }
    // The frame-space frame of the last showWindow().
    QRectF frame() const { return m_frame; }
    // Texts of the fields: slots 1..6, keys 1..8 (unused keys of a device are
    // hidden and keep their initial text) and the ninth label.
    QString slotText(int slot) const { return m_rTexts.at(slot - 1); }
    QString keyText(int key) const { return m_kTexts.at(key - 1); }
    QString k9Text() const { return m_k9Text; }
    // nullptr without widgets (a test without a QApplication).
    OVHUDWin *window() const { return m_window.get(); }

private:
    void windowDidLoad();
    void setText(QLabel *label, QString &store, const QString &text);

    platform::Platform &m_platform;
    OVManager &m_manager;
    QString m_devKey;
    const WheelFunLayout &m_layout;
    OVService *m_delegate = nullptr;
    std::unique_ptr<OVHUDWin> m_window;
    std::array<QLabel *, kSlots> m_ibRTF {};
    std::array<QLabel *, kKeys> m_ibKTF {};
    QLabel *m_ibK9TF = nullptr;
    std::array<QString, kSlots> m_rTexts;
    std::array<QString, kKeys> m_kTexts;
    QString m_k9Text;
    platform::RunLoop::TimerId m_atimer = 0;
    QRectF m_frame;
    bool m_shown = false;
};

} // namespace driver
