// The main window's content view reports the pressure of presses, drags and
// releases that no control took: the pen's own pressure, a mouse's 1.0 while
// pressed and 0.0 at release, each event once.

#include <QPointingDevice>
#include <QPushButton>
#include <QTabletEvent>
#include <QTest>
#include <QVBoxLayout>

#include "settings/ovcontentview.h"

using settings::OVContentView;

namespace {

class PressureDelegate : public QObject
{
    Q_OBJECT
public:
    Q_INVOKABLE void bezierPressureDidChanged(float pressure) { reports.append(pressure); }
    QList<float> reports;
};

enum class Source { Mouse, Pen };

// The content view with one button (a control) and a bare area below it.
struct Content
{
    Content()
    {
        view.resize(300, 200);
        auto *layout = new QVBoxLayout(&view);
        button = new QPushButton(QStringLiteral("Control"));
        layout->addWidget(button);
        layout->addStretch(1);
        view.setDelegate(&delegate);
        view.show();
    }

    // A pen sample as Qt delivers it: the tablet event first, then, since
    // nothing accepted it, the mouse event Qt makes of it, to the widget
    // under the pen.
    void pen(QEvent::Type mouseType, QWidget *target, QPoint at, qreal pressure)
    {
        const QEvent::Type tabletType = mouseType == QEvent::MouseButtonPress ? QEvent::TabletPress
            : mouseType == QEvent::MouseButtonRelease                         ? QEvent::TabletRelease
                                                                              : QEvent::TabletMove;
        const QPointF global = target->mapToGlobal(QPointF(at));
        // The tablet event bubbles up from the widget under the pen to the
        // content view, and stays unaccepted.
        QTabletEvent tablet(tabletType, &stylus, QPointF(at), global, pressure, 0, 0, 0, 0, 0, Qt::NoModifier,
            Qt::LeftButton, mouseType == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton);
        QApplication::sendEvent(target, &tablet);
        QVERIFY(!tablet.isAccepted());
        mouse(mouseType, target, at, &stylus);
    }

    // Sent to the widget under the pointer; the application passes it on to
    // the parents while nobody accepts it.
    void mouse(QEvent::Type type, QWidget *target, QPoint at, const QPointingDevice *device = nullptr)
    {
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), Qt::LeftButton, buttons,
            Qt::NoModifier, device ? device : QPointingDevice::primaryPointingDevice());
        QApplication::sendEvent(target, &event);
    }

    QPointingDevice stylus { QStringLiteral("stylus"), 7, QInputDevice::DeviceType::Stylus,
        QPointingDevice::PointerType::Pen,
        QInputDevice::Capability::Position | QInputDevice::Capability::Pressure, 1, 3 };
    OVContentView view;
    QPushButton *button = nullptr;
    PressureDelegate delegate;
};

} // namespace

Q_DECLARE_METATYPE(Source)

class TstOVContentView : public QObject
{
    Q_OBJECT
private slots:
    void reports_data();
    void reports();
    void delegateHeldWeakly();
};

void TstOVContentView::reports_data()
{
    QTest::addColumn<Source>("source");
    QTest::addColumn<bool>("onControl");
    QTest::addColumn<bool>("pressFirst");
    QTest::addColumn<QList<float>>("expected");

    QTest::newRow("mouse on the bare area")
        << Source::Mouse << false << true << QList<float> { 1.0f, 1.0f, 0.0f };
    QTest::newRow("pen on the bare area")
        << Source::Pen << false << true << QList<float> { 0.25f, 0.5f, 0.0f };
    QTest::newRow("mouse on a control") << Source::Mouse << true << true << QList<float> {};
    QTest::newRow("pen on a control") << Source::Pen << true << true << QList<float> {};
    QTest::newRow("drag and release without a press here")
        << Source::Mouse << false << false << QList<float> {};
}

void TstOVContentView::reports()
{
    QFETCH(Source, source);
    QFETCH(bool, onControl);
    QFETCH(bool, pressFirst);
    QFETCH(QList<float>, expected);

    Content c;
    QWidget *target = onControl ? static_cast<QWidget *>(c.button) : &c.view;
    const QPoint at = onControl ? c.button->rect().center() : QPoint(150, 180);
    const QList<std::pair<QEvent::Type, qreal>> samples { { QEvent::MouseButtonPress, 0.25 },
        { QEvent::MouseMove, 0.5 }, { QEvent::MouseButtonRelease, 0.0 } };
    for (const auto &[type, pressure] : samples) {
        if (type == QEvent::MouseButtonPress && !pressFirst)
            continue;
        if (source == Source::Pen)
            c.pen(type, target, at, pressure);
        else
            c.mouse(type, target, at);
    }
    QCOMPARE(c.delegate.reports, expected);
    QVERIFY(!c.view.mouseDowned());
}

void TstOVContentView::delegateHeldWeakly()
{
    Content c;
    auto *gone = new PressureDelegate;
    c.view.setDelegate(gone);
    delete gone;
    QVERIFY(!c.view.delegate());
    c.mouse(QEvent::MouseButtonPress, &c.view, QPoint(150, 180));
    QVERIFY(c.view.mouseDowned());
    QVERIFY(c.delegate.reports.isEmpty());
}

QTEST_MAIN(TstOVContentView)
#include "tst_ovcontentview.moc"
