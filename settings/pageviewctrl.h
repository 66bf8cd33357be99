#pragma once

#include <cstddef>

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace settings {

// How a device's page is built (the pen page, PenViewCtrl, is the example to
// follow; DevicePageCtrl holds the shared parts):
//  1. The delegate makes the page when the device connects, from the layout
//     name its store gives, with a PageContext: the platform, the keyed
//     forwarders (PageDelegate, the main window) and the page's own device
//     key. The page never asks "which device is selected now" to find its
//     store: it reads and writes its own device through queryCFG/updateCFG.
//  2. viewDidLoad() builds the controls (one builder per layout variant, one
//     controller for all of them) and schedules the page's initialisers with
//     after(0, ...); the same initialisers re-run on the local
//     "OVCFGNotification" that an import posts.
//  3. Values are typed on the way in (unsignedCFG, truthCFG, realCFG with its
//     range, dictionaryCFG; store/plistvalue.h underneath): a wrong type is
//     absent, a non-finite or out-of-range number is absent, and the page
//     shows its default, so no imported file can crash it or put NaN in a
//     control.
//  4. A page of a device that is not shown does nothing visible and writes
//     nothing (updateCFG checks isDeviceShown()); what goes to "the page
//     shown" (the live pressure, open menus) is looked up when it happens.
//  5. Every control has an accessible name, the text of its label
//     (labelFor(), or the control's own title), so that assistive
//     technologies and automation find it by role and name.
//  6. Modal editors and alerts run through runModal(): the device's objects
//     are parked, not freed, until the run ends, and a run that outlived its
//     device writes nothing.
//  7. The page is rendered offscreen to PNG in its test, per layout variant.

// A page of the main window, named after its layout. The view is made on
// first access, which also runs the page's own set-up, so a page costs
// nothing until its tab is first shown for its device. Deleting the
// controller deletes its view, wherever the view is attached.
class PageViewCtrl : public QObject
{
    Q_OBJECT
public:
    explicit PageViewCtrl(const QString &nibName, QObject *parent = nullptr);
    ~PageViewCtrl() override;

    QString nibName() const { return m_nibName; }
    bool isViewLoaded() const { return !m_view.isNull(); }
    QWidget *view();

protected:
    // Builds the page's widgets into the empty view (named after the layout).
    virtual void viewDidLoad(QWidget *view);

private:
    QString m_nibName;
    QPointer<QWidget> m_view;
};

// A page's layout variant by its layout name, from the page's table of
// variants (each with a `nibName`); an unknown name gets the first.
template <class Layout, size_t N>
const Layout &layoutNamed(const Layout (&layouts)[N], const QString &nibName)
{
    for (const Layout &layout : layouts) {
        if (nibName == QLatin1String(layout.nibName))
            return layout;
    }
    return layouts[0];
}

} // namespace settings
