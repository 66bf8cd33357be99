// Displays through Qt's screens, as in a session without RandR. On a private
// Xvfb server Qt's xcb platform names its screen after the RandR output, so
// both readings must give the display the same id; without Xvfb the offscreen
// platform's one screen is read.

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include "edidfixture.h"
#include "platform/linux/qscreendisplays.h"
#include "platform/linux/xrandrdisplays.h"
#include "platform/displayid.h"
#include "xvfbserver.h"

using platform::DisplayInfo;

class TestQScreenDisplays : public QObject
{
    Q_OBJECT

public:
    TestQScreenDisplays(QByteArray display, QString whyNoX)
        : m_display(std::move(display))
        , m_whyNoX(std::move(whyNoX))
    { }

private slots:
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral("."))); }
    void readsScreens();
    void rotationRefusedOnce();
    void sameIdsAsRandr();

private:
    // A drm folder where the screen's connector shows the monitor's EDID.
    bool fakeDrm(QTemporaryDir &drm, const QString &connector)
    {
        const QString card = QStringLiteral("card0-") + connector;
        if (!drm.isValid() || !QDir(drm.path()).mkpath(card))
            return false;
        QFile file(drm.filePath(card + QStringLiteral("/edid")));
        return file.open(QIODevice::WriteOnly) && file.write(monitorEdid()) == 128;
    }

    QByteArray m_display;
    QString m_whyNoX;
};

void TestQScreenDisplays::readsScreens()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    QVERIFY(screen);
    QTemporaryDir drm;
    const bool named = !screen->name().isEmpty() && fakeDrm(drm, screen->name());
    platform::native::QScreenDisplays displays(drm.path());
    const QList<DisplayInfo> list = displays.displays();
    QCOMPARE(list.size(), QGuiApplication::screens().size());
    QVERIFY(list.at(0).main);
    QCOMPARE(list.at(0).bounds, QRectF(QPointF(0, 0), QSizeF(screen->geometry().size())));
    QCOMPARE(list.at(0).rotation, 0);
    if (named) {
        QCOMPARE(list.at(0).productName, QStringLiteral("DELL U2415"));
        QCOMPARE(list.at(0).vendor, 0x10ACu);
        QCOMPARE(list.at(0).id, platform::displayIdFor(screen->name(), monitorEdid()));
    } else {
        QCOMPARE(list.at(0).productName, QString());
    }
}

void TestQScreenDisplays::rotationRefusedOnce()
{
    platform::native::QScreenDisplays displays;
    const quint32 id = displays.displays().value(0).id;
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("^cannot rotate display [0-9A-F]{8} to 90 degrees: "
                                                           "the display server offers no RandR$")));
    QVERIFY(!displays.setRotation(id, 90));
    // Said once: the settings reload asks at every change of the orientation.
    QVERIFY(!displays.setRotation(id, 180));
    QCOMPARE(displays.rotation(id), 0);
}

void TestQScreenDisplays::sameIdsAsRandr()
{
    if (m_display.isEmpty())
        QSKIP(qPrintable(m_whyNoX));
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("Qt's xcb platform plugin is not installed");
    QTemporaryDir drm;
    QVERIFY(fakeDrm(drm, QStringLiteral("screen")));
    QString why;
    auto randr = platform::native::XRandrDisplays::connect(m_display, &why);
    QVERIFY2(randr, qPrintable(why));
    int changes = 0;
    randr->onChanged([&changes] { ++changes; });

    // The X server shows the same EDID as the kernel does.
    xcb_connection_t *c = xcb_connect(m_display.constData(), nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    auto *res = xcb_randr_get_screen_resources_current_reply(c, xcb_randr_get_screen_resources_current(c, root), nullptr);
    auto *atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 4, "EDID"), nullptr);
    const QByteArray edid = monitorEdid();
    xcb_randr_change_output_property(c, xcb_randr_get_screen_resources_current_outputs(res)[0], atom->atom,
                                     XCB_ATOM_INTEGER, 8, XCB_PROP_MODE_REPLACE, uint32_t(edid.size()), edid.constData());
    xcb_flush(c);
    std::free(atom);
    std::free(res);
    QTRY_VERIFY_WITH_TIMEOUT(changes > 0, 10000);
    xcb_disconnect(c);

    platform::native::QScreenDisplays screens(drm.path());
    const QList<DisplayInfo> fromQt = screens.displays();
    const QList<DisplayInfo> fromRandr = randr->displays();
    QCOMPARE(fromQt.size(), 1);
    QCOMPARE(fromRandr.size(), 1);
    QCOMPARE(fromQt.at(0).id, fromRandr.at(0).id);
    QCOMPARE(fromQt.at(0).bounds, fromRandr.at(0).bounds);
    QCOMPARE(fromQt.at(0).productName, fromRandr.at(0).productName);
}

int main(int argc, char **argv)
{
    XvfbServer xvfb;
    QString why;
    const QByteArray display = xvfb.start(&why);
    if (!display.isEmpty()) {
        qputenv("DISPLAY", display);
        // Offscreen where Qt's xcb plugin is not installed.
        qputenv("QT_QPA_PLATFORM", "xcb;offscreen");
    }
    QGuiApplication app(argc, argv);
    TestQScreenDisplays test(display, why);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_displaysqscreen.moc"
