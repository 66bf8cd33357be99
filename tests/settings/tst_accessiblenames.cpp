// Every control the settings application shows on any page, for a tablet,
// a pen display and a tablet with a wheel, can be reached by an assistive
// technology: it has a role and a name.

#include <QAccessible>
#include <QTest>
#include <QWidget>

#include "settings/mainwindowctrl.h"
#include "settings/ovwindow.h"
#include "support_settingsapp.h"

using namespace store;

namespace {

const QList<platform::DisplayInfo> kDisplays {
    displayInfo(1, QRectF(0, 0, 1920, 1080), QStringLiteral("Built-in"), true, true),
};

// The controls of the window shown that take the keyboard focus, enabled
// or not, which an assistive technology cannot name.
QStringList unreachable(QWidget *window)
{
    QStringList faults;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(window) || widget->focusPolicy() == Qt::NoFocus)
            continue;
        QAccessibleInterface *node = QAccessible::queryAccessibleInterface(widget);
        const QString what = QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char(' ')
            + widget->objectName();
        if (!node) {
            faults << what + QLatin1String(": no accessible interface");
            continue;
        }
        if (node->role() == QAccessible::NoRole || node->role() == QAccessible::Client)
            faults << what + QLatin1String(": no role");
        // A tab strip is named by its tabs.
        if (node->role() == QAccessible::PageTabList) {
            for (int i = 0; i < node->childCount(); ++i) {
                if (node->child(i)->text(QAccessible::Name).trimmed().isEmpty())
                    faults << what + QStringLiteral(": tab %1 has no name").arg(i);
            }
        } else if (node->text(QAccessible::Name).trimmed().isEmpty()) {
            faults << what + QLatin1String(": no name");
        }
    }
    return faults;
}

} // namespace

Q_DECLARE_METATYPE(store::Model)

class TstAccessibleNames : public QObject
{
    Q_OBJECT
private slots:
    void everyPage_data()
    {
        QTest::addColumn<Model>("model");
        QTest::newRow("Tevra M") << Model::TevraM;
        QTest::newRow("Sorvi 16Pro") << Model::Sorvi16Pro;
        QTest::newRow("Tevra N4") << Model::TevraN4;
    }
    void everyPage()
    {
        QFETCH(Model, model);
        SettingsApp app({ model }, kDisplays);
        QWidget *window = app.delegate->window();
        for (const int tab : { settings::kTabPen, settings::kTabMonitor, settings::kTabTablet, settings::kTabBoard,
                 settings::kTabAbout }) {
            app.selectTab(tab);
            const QStringList faults = unreachable(window);
            QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("tab %1: ").arg(tab) + faults.join(QLatin1String("; "))));
        }
    }
};

QTEST_MAIN(TstAccessibleNames)
#include "tst_accessiblenames.moc"
