// One application, two programs: the settings application stores a
// per-application set under the identifier of the desktop entry the user
// picks, the driver sees the front window's WM_CLASS and program. The table
// holds real applications with the entries their Debian packages ship
// (tests/fixtures/desktop) and what their windows set on X11: each one's set
// applies while its window is in front, no other's does, and the
// double-click exceptions find the applications they name.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "driver/eventposting.h"
#include "driver/keyconfig.h"
#include "keyactions/appentry.h"
#include "platform/desktopapplications.h"
#include "platform/linux/dbusworkspace.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kDebianEntries = QStringLiteral(OV_FIXTURES "/desktop");

// Entries that no Debian package ships, as their makers ship them in the
// fields that matter here.
const QByteArray kGoogleChrome
    = "[Desktop Entry]\nVersion=1.0\nName=Google Chrome\n"
      "Exec=/usr/bin/google-chrome-stable %U\nType=Application\nIcon=google-chrome\n";
const QByteArray kOurSettings = "[Desktop Entry]\nType=Application\nName=Orvane Tablet Settings\n"
                                "Exec=/usr/bin/OrvaneTabletSetting\nStartupWMClass=OrvaneTabletSetting\n";

} // namespace

class TestFrontMatching : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void realApplications_data();
    void realApplications();
    void entriesReadAgainAfterAnInstall();

private:
    QTemporaryDir m_others;
    QStringList m_folders;
};

void TestFrontMatching::initTestCase()
{
    QVERIFY(m_others.isValid());
    for (const auto &[name, content] : { std::pair { "google-chrome.desktop", kGoogleChrome },
             std::pair { "com.orvane.OrvaneTabletSetting.desktop", kOurSettings } }) {
        QFile file(m_others.filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    m_folders = { kDebianEntries, m_others.path() };
}

void TestFrontMatching::realApplications_data()
{
    QTest::addColumn<QByteArray>("wmClass");
    QTest::addColumn<QString>("executable");
    QTest::addColumn<QString>("entry"); // the file the user picks in the settings application
    QTest::addColumn<QString>("stored"); // what it stores
    QTest::addColumn<bool>("excepted"); // from the synthesised double click

    const QString debian = kDebianEntries + u'/';
    const QString others = m_others.path() + u'/';
    // GTK 2 capitalises the class of the program name.
    QTest::newRow("gimp") << "gimp-2.10\0Gimp-2.10\0"_ba
                          << "/usr/bin/gimp-2.10" << debian + "gimp.desktop"
                          << "gimp-2.10" << false;
    QTest::newRow("inkscape") << "inkscape\0Inkscape\0"_ba
                              << "/usr/bin/inkscape" << debian + "org.inkscape.Inkscape.desktop"
                              << "inkscape" << false;
    // Qt gives the lower-case application name as both; the exception is "Krita".
    QTest::newRow("krita") << "krita\0krita\0"_ba
                           << "/usr/bin/krita" << debian + "org.kde.krita.desktop"
                           << "krita" << true;
    // A Python program: the window's program is the interpreter.
    QTest::newRow("mypaint") << "mypaint\0Mypaint\0"_ba
                             << "/usr/bin/python3.11" << debian + "mypaint.desktop"
                             << "mypaint" << false;
    // Debian's ESR calls itself "Firefox ESR" and "firefox-esr" everywhere:
    // no name equals "Firefox".
    QTest::newRow("firefox-esr") << "Navigator\0firefox-esr\0"_ba
                                 << "/usr/lib/firefox-esr/firefox-esr" << debian + "firefox-esr.desktop"
                                 << "firefox-esr" << false;
    // Mozilla's own build, without an entry installed.
    QTest::newRow("firefox") << "Navigator\0firefox\0"_ba
                             << "/usr/lib/firefox/firefox" << QString() << QString() << true;
    // Its Exec line starts a wrapper script.
    QTest::newRow("chromium") << "chromium\0Chromium\0"_ba
                              << "/usr/lib/chromium/chromium" << debian + "chromium.desktop"
                              << "chromium" << false;
    // Neither the class nor the program is "Google Chrome": the entry, found
    // by its file name, is.
    QTest::newRow("google chrome") << "google-chrome\0Google-chrome\0"_ba
                                   << "/opt/google/chrome/chrome" << others + "google-chrome.desktop"
                                   << "google-chrome-stable" << true;
    QTest::newRow("the settings application")
        << "OrvaneTabletSetting\0OrvaneTabletSetting\0"_ba
        << "/usr/bin/OrvaneTabletSetting" << others + "com.orvane.OrvaneTabletSetting.desktop"
        << "OrvaneTabletSetting" << true;
    QTest::newRow("no entry, no exception") << "xterm\0XTerm\0"_ba
                                            << "/usr/bin/xterm" << QString() << QString() << false;
}

void TestFrontMatching::realApplications()
{
    QFETCH(QByteArray, wmClass);
    QFETCH(QString, executable);
    QFETCH(QString, entry);
    QFETCH(QString, stored);
    QFETCH(bool, excepted);

    platform::DesktopApplications entries(m_folders);
    const platform::FrontApplication front
        = platform::native::frontApplicationFromWindow(wmClass, executable, &entries);
    QCOMPARE(driver::isDoubleClickExcepted(front), excepted);
    if (entry.isEmpty())
        return;

    // What the per-application window stores for the picked entry.
    const std::optional<keyactions::AppEntry> app = keyactions::readAppEntry(entry, {});
    QVERIFY(app);
    QCOMPARE(app->identifier, stored);

    // Sets of every application of the table; only the front one's applies.
    QVariantMap sets;
    for (const QString &file : QDir(kDebianEntries).entryList({ "*.desktop" }) + QStringList { entry }) {
        const auto other
            = keyactions::readAppEntry(file.startsWith(u'/') ? file : kDebianEntries + u'/' + file, {});
        QVERIFY(other);
        sets.insert(other->identifier, QVariantMap { { "OVCFGBoardKey1Cus", other->identifier } });
    }
    const driver::KeyConfiguration configuration { { "OVCFGBKApp",
        QVariantMap { { "OVCFGBKAppOptions", sets } } } };
    const std::optional<driver::ApplicationSet> set = driver::applicationSet(configuration, false, front);
    QVERIFY(set);
    QCOMPARE(set->key, stored);
}

// The entries are read once; an application installed later is found at
// the next front-window change.
void TestFrontMatching::entriesReadAgainAfterAnInstall()
{
    QTemporaryDir folder;
    platform::DesktopApplications entries({ folder.path() });
    QVERIFY(!entries.find({ "Gimp-2.10", "gimp-2.10" }, { "gimp-2.10" }));
    // Folder times count in whole seconds on some file systems.
    QFile::copy(kDebianEntries + "/gimp.desktop", folder.filePath("gimp.desktop"));
    QFile(folder.path())
        .setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
    const std::optional<platform::DesktopApplication> gimp
        = entries.find({ "Gimp-2.10", "gimp-2.10" }, { "gimp-2.10" });
    QVERIFY(gimp);
    QCOMPARE(gimp->name, "GNU Image Manipulation Program");
    QCOMPARE(gimp->fileId, "gimp");
}

QTEST_GUILESS_MAIN(TestFrontMatching)
#include "tst_frontmatching.moc"
