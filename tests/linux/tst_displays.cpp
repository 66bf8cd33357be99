// Display reading: the outputs-to-displays rules as a table, the kernel's
// EDID files over a fake sysfs tree, and RandR on a private Xvfb server
// (skipped where Xvfb is not installed).

#include <bit>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include "edidfixture.h"
#include "platform/linux/desktopdisplays.h"
#include "platform/linux/displayoutput.h"
#include "platform/linux/xrandrdisplays.h"
#include "platform/displayid.h"
#include "xvfbserver.h"

using platform::DisplayInfo;
using platform::native::DisplayOutput;

Q_DECLARE_METATYPE(QList<DisplayOutput>)

namespace {

DisplayOutput output(const QString &connector, QRect geometry, bool primary = false, QByteArray edid = {},
                     int rotation = 0)
{
    return DisplayOutput { connector, edid, geometry, rotation, primary };
}

// "Name@x,y,w,h" per display, the main one marked with a star.
QStringList summary(const QList<DisplayInfo> &displays)
{
    QStringList lines;
    for (const DisplayInfo &d : displays) {
        lines << QStringLiteral("%1%2@%3,%4,%5,%6%7")
                     .arg(d.main ? QStringLiteral("*") : QString(), d.productName)
                     .arg(d.bounds.x())
                     .arg(d.bounds.y())
                     .arg(d.bounds.width())
                     .arg(d.bounds.height())
                     .arg(d.builtin ? QStringLiteral(" builtin") : QString());
    }
    return lines;
}

// Outputs and properties of the Xvfb server, changed the way another client
// (a display settings tool) would.
struct XClient
{
    explicit XClient(const QByteArray &display)
        : c(xcb_connect(display.constData(), nullptr))
    {
        root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    }
    ~XClient() { xcb_disconnect(c); }

    xcb_randr_output_t firstOutput()
    {
        auto *res = xcb_randr_get_screen_resources_current_reply(c, xcb_randr_get_screen_resources_current(c, root),
                                                                 nullptr);
        const xcb_randr_output_t output = res ? xcb_randr_get_screen_resources_current_outputs(res)[0] : 0;
        std::free(res);
        return output;
    }

    void setEdid(const QByteArray &edid)
    {
        auto *atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 4, "EDID"), nullptr);
        xcb_randr_change_output_property(c, firstOutput(), atom->atom, XCB_ATOM_INTEGER, 8, XCB_PROP_MODE_REPLACE,
                                         uint32_t(edid.size()), edid.constData());
        std::free(atom);
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // a round trip: done
    }

    void warpPointer(int x, int y)
    {
        xcb_warp_pointer(c, XCB_NONE, root, 0, 0, 0, 0, int16_t(x), int16_t(y));
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // a round trip: done
    }

    xcb_connection_t *c;
    xcb_window_t root;
};

} // namespace

class TestDisplays : public QObject
{
    Q_OBJECT

private slots:
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral("."))); }
    void fromOutputs_data();
    void fromOutputs();
    void idsFollowTheDisplay();
    void builtin_data();
    void builtin();
    void rotationWords_data();
    void rotationWords();
    void screenAfterTurn_data();
    void screenAfterTurn();
    void connectorEdid();
    void waylandPlatform_data();
    void waylandPlatform();
    void xrandr();
};

void TestDisplays::fromOutputs_data()
{
    QTest::addColumn<QList<DisplayOutput>>("outputs");
    QTest::addColumn<QStringList>("expected");

    const QByteArray edid = monitorEdid();
    QTest::newRow("none") << QList<DisplayOutput>() << QStringList();
    QTest::newRow("one monitor") << QList { output("DP-1", { 0, 0, 1920, 1200 }, true, edid) }
                                 << QStringList { "*DELL U2415@0,0,1920,1200" };
    // The primary output is the main display wherever the server put it, and
    // comes first; the others are moved with it.
    QTest::newRow("primary laptop panel right of a monitor")
        << QList { output("HDMI-1", { 0, 0, 1920, 1200 }, false, edid), output("eDP-1", { 1920, 300, 1440, 900 }, true) }
        << QStringList { "*@0,0,1440,900 builtin", "DELL U2415@-1920,-300,1920,1200" };
    QTest::newRow("no primary: the one at the origin")
        << QList { output("DP-2", { 1920, 0, 1280, 1024 }), output("DP-1", { 0, 0, 1920, 1080 }) }
        << QStringList { "*@0,0,1920,1080", "@1920,0,1280,1024" };
    QTest::newRow("no primary, nobody at the origin: the first")
        << QList { output("DP-2", { 100, 50, 1280, 1024 }), output("DP-1", { 1380, 50, 1920, 1080 }) }
        << QStringList { "*@0,0,1280,1024", "@1280,0,1920,1080" };
    QTest::newRow("EDID that does not read has no name")
        << QList { output("DP-1", { 0, 0, 800, 600 }, true, edid.left(100)) } << QStringList { "*@0,0,800,600" };
}

void TestDisplays::fromOutputs()
{
    QFETCH(QList<DisplayOutput>, outputs);
    QFETCH(QStringList, expected);
    QCOMPARE(summary(platform::native::displaysFromOutputs(outputs)), expected);
}

// The id is what "OVCFGMonitorNumber" keeps across runs and what the settings
// application shows: the shared display id of connector and EDID, unmoved by
// the display's place, primary flag or rotation.
void TestDisplays::idsFollowTheDisplay()
{
    const QByteArray edid = monitorEdid();
    const QList<DisplayInfo> before = platform::native::displaysFromOutputs(
        { output("eDP-1", { 0, 0, 1440, 900 }, true), output("DP-1", { 1440, 0, 1920, 1200 }, false, edid) });
    const QList<DisplayInfo> after = platform::native::displaysFromOutputs(
        { output("eDP-1", { 1200, 0, 1440, 900 }), output("DP-1", { 0, 0, 1200, 1920 }, true, edid, 90) });
    QCOMPARE(before.size(), 2);
    QCOMPARE(after.size(), 2);
    QCOMPARE(before.at(1).id, platform::displayIdFor(QStringLiteral("DP-1"), edid));
    QCOMPARE(before.at(0).id, platform::displayIdFor(QStringLiteral("eDP-1"), QByteArray()));
    QCOMPARE(after.at(0).id, before.at(1).id);
    QCOMPARE(after.at(1).id, before.at(0).id);
    QCOMPARE(after.at(0).rotation, 90);
    QCOMPARE(after.at(0).vendor, 0x10ACu);
    // A second monitor of the same model on another connector is another display.
    const auto twin = platform::native::displaysFromOutputs({ output("DP-2", { 0, 0, 1920, 1200 }, true, edid) });
    QVERIFY(twin.at(0).id != before.at(1).id);
    // A broken EDID counts as none, so the id does not change with its garbage.
    const auto broken = platform::native::displaysFromOutputs(
        { output("eDP-1", { 0, 0, 1440, 900 }, true, QByteArray(128, '\x33')) });
    QCOMPARE(broken.at(0).id, before.at(0).id);
}

void TestDisplays::builtin_data()
{
    QTest::addColumn<QString>("connector");
    QTest::addColumn<bool>("builtin");
    QTest::newRow("eDP") << "eDP-1" << true;
    QTest::newRow("eDP, another driver's spelling") << "EDP-1" << true;
    QTest::newRow("LVDS") << "LVDS1" << true;
    QTest::newRow("DSI") << "DSI-1" << true;
    QTest::newRow("DisplayPort") << "DP-1" << false;
    QTest::newRow("DVI is no DSI") << "DVI-D-0" << false;
    QTest::newRow("HDMI") << "HDMI-A-1" << false;
    QTest::newRow("amdgpu's DisplayPort") << "DisplayPort-0" << false;
}

void TestDisplays::builtin()
{
    QFETCH(QString, connector);
    QFETCH(bool, builtin);
    QCOMPARE(platform::native::isBuiltinConnector(connector), builtin);
}

void TestDisplays::rotationWords_data()
{
    QTest::addColumn<int>("word");
    QTest::addColumn<int>("degrees");
    QTest::addColumn<QString>("corner");
    // The corner of the picture that the pen display's top-left corner (the
    // pen's X and Y minimum) must show, as the mapping places the pen for
    // each orientation; RandR turns the picture counter-clockwise, "left"
    // (Rotate_90) by a quarter turn.
    QTest::newRow("normal") << int(XCB_RANDR_ROTATION_ROTATE_0) << 0 << "top-left";
    QTest::newRow("90: left") << int(XCB_RANDR_ROTATION_ROTATE_90) << 90 << "top-right";
    QTest::newRow("180: inverted") << int(XCB_RANDR_ROTATION_ROTATE_180) << 180 << "bottom-right";
    QTest::newRow("270: right") << int(XCB_RANDR_ROTATION_ROTATE_270) << 270 << "bottom-left";
}

void TestDisplays::rotationWords()
{
    QFETCH(int, word);
    QFETCH(int, degrees);
    QFETCH(QString, corner);
    QCOMPARE(platform::native::degreesFromRandrRotation(quint16(word)), degrees);
    QCOMPARE(platform::native::degreesFromRandrRotation(quint16(word | XCB_RANDR_ROTATION_REFLECT_X)), degrees);
    const auto chosen = platform::native::randrRotationFromDegrees(degrees);
    QCOMPARE(chosen, std::optional<quint16>(quint16(word)));
    // Each counter-clockwise quarter turn brings the next corner, clockwise
    // round the picture, to the panel's top-left.
    const QStringList corners { "top-left", "top-right", "bottom-right", "bottom-left" };
    QCOMPARE(corners.value(std::countr_zero(unsigned(*chosen))), corner);
    QCOMPARE(platform::native::randrRotationFromDegrees(degrees + 45), std::nullopt);
}

void TestDisplays::screenAfterTurn_data()
{
    QTest::addColumn<QList<QRect>>("crtcs");
    QTest::addColumn<int>("turning");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QSize>("screen");

    const int normal = XCB_RANDR_ROTATION_ROTATE_0;
    const int right = XCB_RANDR_ROTATION_ROTATE_270;
    const int left = XCB_RANDR_ROTATION_ROTATE_90;
    const int inverted = XCB_RANDR_ROTATION_ROTATE_180;
    QTest::newRow("one display to portrait") << QList<QRect> { { 0, 0, 1920, 1080 } } << 0 << normal << right
                                             << QSize(1080, 1920);
    QTest::newRow("pen display right of the main one, to portrait")
        << QList<QRect> { { 0, 0, 1920, 1080 }, { 1920, 0, 1920, 1080 } } << 1 << normal << left << QSize(3000, 1920);
    QTest::newRow("back from portrait: the screen shrinks")
        << QList<QRect> { { 0, 0, 1920, 1080 }, { 1920, 0, 1080, 1920 } } << 1 << right << normal << QSize(3840, 1080);
    QTest::newRow("portrait to the other portrait: no change")
        << QList<QRect> { { 0, 0, 1080, 1920 } } << 0 << left << right << QSize(1080, 1920);
    QTest::newRow("upside down: no change") << QList<QRect> { { 0, 0, 1920, 1080 }, { 0, 1080, 1280, 800 } } << 1
                                            << normal << inverted << QSize(1920, 1880);
    // Reflection bits ride along in the same word and change nothing.
    QTest::newRow("reflected") << QList<QRect> { { 0, 0, 1920, 1080 } } << 0
                               << int(normal | XCB_RANDR_ROTATION_REFLECT_X) << right << QSize(1080, 1920);
}

void TestDisplays::screenAfterTurn()
{
    QFETCH(QList<QRect>, crtcs);
    QFETCH(int, turning);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QSize, screen);
    QCOMPARE(platform::native::screenSizeAfterTurn(crtcs, turning, quint16(from), quint16(to)), screen);
}

void TestDisplays::connectorEdid()
{
    QTemporaryDir drm;
    QVERIFY(drm.isValid());
    auto put = [&](const QString &card, const QByteArray &edid) {
        QVERIFY(QDir(drm.path()).mkpath(card));
        QFile file(drm.filePath(card + QStringLiteral("/edid")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(edid);
    };
    put(QStringLiteral("card0-eDP-1"), QByteArray("panel"));
    put(QStringLiteral("card1-DP-1"), monitorEdid());
    put(QStringLiteral("card1-HDMI-A-1"), QByteArray()); // nothing plugged in
    QVERIFY(QDir(drm.path()).mkpath(QStringLiteral("card1")));

    using platform::native::connectorEdid;
    QCOMPARE(connectorEdid(drm.path(), QStringLiteral("DP-1")), monitorEdid());
    QCOMPARE(connectorEdid(drm.path(), QStringLiteral("eDP-1")), QByteArray("panel"));
    QCOMPARE(connectorEdid(drm.path(), QStringLiteral("HDMI-A-1")), QByteArray());
    QCOMPARE(connectorEdid(drm.path(), QStringLiteral("DP-2")), QByteArray());
    QCOMPARE(connectorEdid(drm.path(), QStringLiteral("../card1-DP-1")), QByteArray());
    QCOMPARE(connectorEdid(drm.path(), QString()), QByteArray());
}

// In a Wayland session the displays come from Qt's screens whichever of Qt's
// Wayland plugins draws, never from Xwayland's RandR.
void TestDisplays::waylandPlatform_data()
{
    QTest::addColumn<QString>("platformName");
    QTest::addColumn<bool>("wayland");
    QTest::newRow("wayland") << "wayland" << true;
    QTest::newRow("wayland-egl") << "wayland-egl" << true;
    QTest::newRow("wayland-xcomposite-glx") << "wayland-xcomposite-glx" << true;
    QTest::newRow("xcb") << "xcb" << false;
    QTest::newRow("offscreen") << "offscreen" << false;
    QTest::newRow("a plugin of another name") << "waylandish" << false;
}

void TestDisplays::waylandPlatform()
{
    QFETCH(QString, platformName);
    QFETCH(bool, wayland);
    QCOMPARE(platform::native::isWaylandPlatform(platformName), wayland);
}

void TestDisplays::xrandr()
{
    XvfbServer xvfb;
    QString why;
    const QByteArray display = xvfb.start(&why);
    if (display.isEmpty())
        QSKIP(qPrintable(why));

    auto displays = platform::native::XRandrDisplays::connect(display, &why);
    QVERIFY2(displays, qPrintable(why));
    int changes = 0;
    displays->onChanged([&changes] { ++changes; });

    // Xvfb has one output, "screen", as large as its screen, and no EDID.
    QList<DisplayInfo> list = displays->displays();
    QCOMPARE(summary(list), QStringList { "*@0,0,1280,800" });
    const quint32 plain = platform::displayIdFor(QStringLiteral("screen"), QByteArray());
    QCOMPARE(list.at(0).id, plain);
    QCOMPARE(displays->rotation(plain), 0);

    // An EDID that appears on the output is a notice and a new reading.
    XClient client(display);
    client.setEdid(monitorEdid());
    QTRY_VERIFY_WITH_TIMEOUT(changes > 0, 10000);
    list = displays->displays();
    QCOMPARE(summary(list), QStringList { "*DELL U2415@0,0,1280,800" });
    QCOMPARE(list.at(0).vendor, 0x10ACu);
    const quint32 named = platform::displayIdFor(QStringLiteral("screen"), monitorEdid());
    QCOMPARE(list.at(0).id, named);

    client.warpPointer(100, 200);
    QCOMPARE(displays->pointerPosition(), QPointF(100, 200));

    // Xvfb's output cannot turn: refused with a reason, nothing changed.
    const QString hexId = QString::number(named, 16).toUpper().rightJustified(8, u'0');
    QTest::ignoreMessage(QtWarningMsg,
        qPrintable(QStringLiteral("cannot rotate display %1 to 90 degrees: its output cannot turn").arg(hexId)));
    QVERIFY(!displays->setRotation(named, 90));
    QCOMPARE(displays->rotation(named), 0);
    QTest::ignoreMessage(QtWarningMsg, "cannot rotate display 00000001 to 90 degrees: no such display");
    QVERIFY(!displays->setRotation(1, 90));
    // The rotation it already has is no change.
    QVERIFY(displays->setRotation(named, 0));

    // A notice that one of our own round trips took off the socket waits in
    // the connection's queue, where the socket notifier cannot see it; it is
    // taken up all the same.
    const int before = changes;
    client.setEdid(QByteArray());
    displays->pointerPosition();
    QTRY_VERIFY_WITH_TIMEOUT(changes > before, 10000);
    QCOMPARE(displays->displays().value(0).id, plain);
}

QTEST_GUILESS_MAIN(TestDisplays)
#include "tst_displays.moc"
