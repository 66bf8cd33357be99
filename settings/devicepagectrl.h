#pragma once

#include <array>
#include <functional>
#include <optional>

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include "settings/pageviewctrl.h"

class QAbstractButton;
class QLabel;

namespace controls {
class OrvanePopUpButton;
}

namespace platform {
class ModalRuns;
struct Desktop;
struct Notification;
} // namespace platform

namespace settings {

class PageDelegate;

// What a device's page is made with: the platform, the delegate's keyed
// forwarders and the page's own device key.
using ModalRuns = platform::ModalRuns;

struct PageContext
{
    platform::Desktop *platform = nullptr;
    PageDelegate *delegate = nullptr;
    QString devKey;
    // The delegate's tracker of modal runs: a page's modal run parks the
    // per-device objects the delegate would drop meanwhile.
    ModalRuns *modalRuns = nullptr;
};

// A page of one connected device (pen, monitor, tablet, express keys). The
// pattern every such page follows is described in pageviewctrl.h; this class
// holds what they share:
//  - reads and writes go to the page's own device through the keyed
//    forwarders, never to "whichever device is selected now";
//  - a write is made only while the page's device is the one shown and
//    connected, so a page left behind writes nothing;
//  - values are typed on the way in (store/plistvalue.h): a wrong type reads
//    as absent, a non-finite or out-of-range real as absent too, so the
//    caller's default applies;
//  - run-loop steps and notice observers end with the page and stop once its
//    device has gone;
//  - a modal run keeps the device's objects parked (never freed) until it
//    ends, and tells the page whether its device is still there.
class DevicePageCtrl : public PageViewCtrl
{
    Q_OBJECT
public:
    DevicePageCtrl(const QString &nibName, const PageContext &context, QObject *parent = nullptr);
    ~DevicePageCtrl() override;

    QString devKey() const { return m_devKey; }
    // The page's device is connected and selected in the device pop-up.
    bool isDeviceShown() const;
    // The delegate dropped the device (its disconnect, or the application's
    // end): from now on the page writes nothing and its steps do not run. A
    // page that has something to end first (a run with the driver) does so
    // in its override, then calls this.
    virtual void deviceDidDisconnect();
    bool isDisconnected() const { return m_disconnected; }

protected:
    platform::Desktop &platform() const { return *m_platform; }
    PageDelegate &delegate() const { return *m_delegate; }
    // The text of that key in the application's string tables.
    QString text(const QString &key) const;

    // The raw value of the page's own device; invalid = nil.
    QVariant queryCFG(const QString &category, const QString &key) const;
    std::optional<quint64> unsignedCFG(const QString &category, const QString &key) const;
    // A Boolean, or a number by its truth, as the driver reads its switches.
    std::optional<bool> truthCFG(const QString &category, const QString &key) const;
    // A finite number within [minValue, maxValue].
    std::optional<double> realCFG(
        const QString &category, const QString &key, double minValue, double maxValue) const;
    std::optional<QVariantMap> dictionaryCFG(const QString &category, const QString &key) const;
    // Writes to the page's own device (an invalid value removes the key), only
    // while the device is shown; answers whether it wrote.
    bool updateCFG(const QString &category, const QString &key, const QVariant &value);

    // The four orientation buttons of a page, for 0, 90, 180 and 270 degrees
    // (the pen page and the tablet page both have them).
    using DegreeButtons = std::array<QAbstractButton *, 4>;
    // Shows "OVCFGDegree" of "OVCFGPenKey" on them, quietly: absent or
    // unreadable is 0, and a number past 3 turns every button off.
    void showDegree(const DegreeButtons &buttons, bool enabled);
    // One of them was pressed while the device is shown: it alone is on,
    // also when the click would have turned it off, and its orientation is
    // written and announced to the other pages.
    void chooseDegree(const DegreeButtons &buttons, QAbstractButton *sender);

    // Tells the other pages of a change that they show too (the orientation
    // is on the pen page and on the tablet page): the local
    // "OVCFGNotification" with {device key: [key]}, on which every page
    // re-reads its own device, as the driver's services do on theirs.
    void announceChange(const QString &key);

    // fn runs after `seconds` (0: the next turn), unless the page or its
    // device has gone by then.
    void after(double seconds, std::function<void()> fn);
    // fn runs every `seconds` until the page or its device has gone.
    void repeat(double seconds, std::function<void()> fn);
    // A modal editor or alert of this application is running now: a page's
    // periodic checks wait meanwhile.
    bool isModalRunActive() const;
    // Notices for the page's lifetime (local, or distributed between the
    // two programs); none is delivered once the device has gone.
    void observeLocal(const QString &name, std::function<void(const platform::Notification &)> handler);
    void observeDistributed(const QString &name, std::function<void(const platform::Notification &)> handler);
    // The local "OVCFGNotification" (an import) runs reload; the hide notice
    // runs hide, posted locally by the delegate while the device still
    // exists and brought again by the bus later.
    void observeReloadAndHide(std::function<void()> reload, std::function<void()> hide);

    // Runs a modal editor or alert of the page. The delegate parks the
    // device's objects, this page included, until the run ends. Answers
    // whether the device is still connected afterwards; when it is not, the
    // caller drops the run's result.
    bool runModal(const std::function<void()> &run);

    // A label for a control: its text is also the control's accessible name,
    // so that assistive technologies find the control by it.
    static QLabel *labelFor(QWidget *control, const QString &text, QWidget *parent = nullptr);
    // A pop-up's custom-action entry: titled and shown, or hidden (none).
    static void setCustomItem(controls::OrvanePopUpButton *popup, int row, const std::optional<QString> &title);

private:
    platform::Desktop *m_platform;
    PageDelegate *m_delegate;
    QString m_devKey;
    ModalRuns *m_modalRuns = nullptr;
    bool m_disconnected = false;
};

} // namespace settings
