// The Linux workspace on the private session bus that ctest starts under
// dbus-run-session. Other "applications" are copies of this program started
// with --app BUNDLEID.

#include <cstdio>

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "platform/linux/dbusworkspace.h"
#include "platform/setupguide.h"

using platform::native::LinuxWorkspace;

namespace {

const QString kSetting = QString::fromLatin1(platform::kSettingBundleId);
const QString kDriver = QString::fromLatin1(platform::kDriverBundleId);

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// A copy of an application: reports what it sees, answers Quit and Raise.
int runApp(const QString &bundleId, bool once)
{
    LinuxWorkspace workspace(bundleId);
    say(QStringLiteral("count %1 owns %2 interval %3")
            .arg(workspace.runningCount(bundleId))
            .arg(int(workspace.ownsName()))
            .arg(workspace.doubleClickInterval()));
    if (once)
        return 0;
    workspace.setRaiseHandler([] { say(QStringLiteral("raise")); });
    workspace.setQuitHandler([] {
        say(QStringLiteral("quit"));
        QCoreApplication::quit();
    });
    QTimer::singleShot(30000, [] { QCoreApplication::exit(3); }); // never outlive the test
    say(QStringLiteral("ready"));
    return QCoreApplication::exec();
}

// Records how it was started next to itself, in "<its path>.ran".
const QByteArray kScript = "#!/bin/sh\n"
                           "{ echo \"argc $#\"; for a in \"$@\"; do echo \"arg $a\"; done; } > \"$0.ran\"\n";

bool writeFile(const QString &path, const QByteArray &contents, bool executable)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
        return false;
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeUser);
    return true;
}

QStringList readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class TestWorkspace : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }
    void singleInstance();
    void otherApplicationCountedRaisedAndTerminated();
    void ownQuitHandlerRunsOnALaterTurn();
    void launch_data();
    void launch();
    void open_data();
    void open();

public slots:
    void handleUrl(const QUrl &url) { m_opened << url; }

private:
    std::unique_ptr<LinuxWorkspace> m_workspace;
    QTemporaryDir m_dir;
    QList<QUrl> m_opened;
};

void TestWorkspace::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        QSKIP("no session bus: run the tests under dbus-run-session");
    QVERIFY(m_dir.isValid());
    // A command that went through a shell would leave "pwned" here.
    QVERIFY(QDir::setCurrent(m_dir.path()));
    m_workspace = std::make_unique<LinuxWorkspace>(kSetting);
}

void TestWorkspace::singleInstance()
{
    QVERIFY(m_workspace->ownsName());
    QCOMPARE(m_workspace->runningCount(kSetting), 1);
    QCOMPARE(m_workspace->runningCount(kDriver), 0);

    QProcess second;
    second.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--app"), kSetting, QStringLiteral("--once")});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 0);
    // A second copy sees two of itself and does not get the name; without a
    // GUI application the double-click interval is half a second.
    QCOMPARE(QString::fromUtf8(second.readAllStandardOutput()).trimmed(),
             QStringLiteral("count 2 owns 0 interval 0.5"));
    QCOMPARE(m_workspace->runningCount(kSetting), 1);
    QVERIFY(m_workspace->ownsName());
}

void TestWorkspace::otherApplicationCountedRaisedAndTerminated()
{
    QProcess driver;
    driver.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--app"), kDriver});
    QVERIFY(driver.waitForStarted());
    QString output;
    QTRY_VERIFY_WITH_TIMEOUT((output += QString::fromUtf8(driver.readAllStandardOutput())).contains("ready"), 10000);
    QVERIFY2(output.startsWith(QLatin1String("count 1 owns 1")), qPrintable(output));
    QCOMPARE(m_workspace->runningCount(kDriver), 1);

    int gone = 0;
    m_workspace->watchDisappearance(kDriver, [&] { ++gone; });
    m_workspace->raise(kDriver);
    QTRY_VERIFY_WITH_TIMEOUT((output += QString::fromUtf8(driver.readAllStandardOutput())).contains("raise"), 10000);
    QCOMPARE(gone, 0);

    m_workspace->terminate(kDriver);
    QVERIFY(driver.waitForFinished(10000));
    QCOMPARE(driver.exitStatus(), QProcess::NormalExit);
    QCOMPARE(driver.exitCode(), 0); // through its quit handler, not the safety timer
    output += QString::fromUtf8(driver.readAllStandardOutput());
    QCOMPARE(output.split(u'\n', Qt::SkipEmptyParts).mid(1),
             (QStringList{QStringLiteral("ready"), QStringLiteral("raise"), QStringLiteral("quit")}));
    QTRY_COMPARE_WITH_TIMEOUT(gone, 1, 10000);
    QCOMPARE(m_workspace->runningCount(kDriver), 0);

    // Once: a later copy coming and going calls nobody.
    QProcess again;
    again.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--app"), kDriver, QStringLiteral("--once")});
    QVERIFY(again.waitForFinished(10000));
    QTest::qWait(200);
    QCOMPARE(gone, 1);
}

void TestWorkspace::ownQuitHandlerRunsOnALaterTurn()
{
    int quits = 0;
    m_workspace->setQuitHandler([&] { ++quits; });
    m_workspace->terminate(kSetting);
    QCOMPARE(quits, 0);
    QTRY_COMPARE_WITH_TIMEOUT(quits, 1, 10000);
    m_workspace->setQuitHandler({});
}

void TestWorkspace::launch_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("binDir");
    QTest::addColumn<QString>("ranFile"); // empty: must not launch
    QTest::addColumn<QStringList>("ran");

    const QString dir = m_dir.path();
    QVERIFY(QDir(dir).mkpath(QStringLiteral("bin")));
    QVERIFY(QDir(dir).mkpath(QStringLiteral("empty")));
    const QString bin = dir + QStringLiteral("/bin");
    QVERIFY(writeFile(bin + QStringLiteral("/OrvaneTabletDriver"), kScript, true));
    QVERIFY(writeFile(bin + QStringLiteral("/OrvaneTabletSetting"), kScript, true));
    const QString odd = dir + QStringLiteral("/run me; touch pwned");
    QVERIFY(writeFile(odd, kScript, true));
    QVERIFY(writeFile(dir + QStringLiteral("/tool"), kScript, true));
    QVERIFY(writeFile(dir + QStringLiteral("/plain"), kScript, false));
    QVERIFY(writeFile(dir + QStringLiteral("/app.desktop"),
                      "# a comment\n[Desktop Entry]\nName=Tool\nExec[de]=nothing\nExec = \"" + dir.toUtf8()
                          + "/tool\" %U --flag \"two \\\\\"words\\\\\"\" 100%% a%fb ;touch pwned\n"
                            "[Desktop Action other]\nExec=/bin/false\n",
                      false));
    QVERIFY(writeFile(dir + QStringLiteral("/action-only.desktop"),
                      "[Desktop Entry]\nName=x\n[Desktop Action go]\nExec=" + dir.toUtf8() + "/tool\n", false));
    QVERIFY(writeFile(dir + QStringLiteral("/unclosed.desktop"),
                      "[Desktop Entry]\nExec=\"" + dir.toUtf8() + "/tool\n", false));

    const QStringList none{QStringLiteral("argc 0")};
    QTest::newRow("driver install path") << QString::fromLatin1(platform::kDriverInstallPath) << bin
                                         << bin + QStringLiteral("/OrvaneTabletDriver.ran") << none;
    QTest::newRow("settings install path, trailing slash")
        << QString::fromLatin1(platform::kSettingInstallPath) + QLatin1Char('/') << bin
        << bin + QStringLiteral("/OrvaneTabletSetting.ran") << none;
    QTest::newRow("blanks and semicolon are one program") << odd << bin << odd + QStringLiteral(".ran") << none;
    QTest::newRow("desktop entry")
        << dir + QStringLiteral("/app.desktop") << bin << dir + QStringLiteral("/tool.ran")
        << QStringList{"argc 6", "arg --flag", "arg two \"words\"", "arg 100%", "arg ab", "arg ;touch", "arg pwned"};
    QTest::newRow("install executable missing") << QString::fromLatin1(platform::kDriverInstallPath)
                                                << dir + QStringLiteral("/empty") << QString() << QStringList();
    QTest::newRow("other app bundle") << QStringLiteral("/Applications/Other.app") << bin << QString()
                                      << QStringList();
    QTest::newRow("not executable") << dir + QStringLiteral("/plain") << bin << QString() << QStringList();
    QTest::newRow("folder") << dir << bin << QString() << QStringList();
    QTest::newRow("missing file") << dir + QStringLiteral("/nothing") << bin << QString() << QStringList();
    QTest::newRow("desktop entry without its Exec") << dir + QStringLiteral("/action-only.desktop") << bin
                                                    << QString() << QStringList();
    QTest::newRow("desktop entry with open quote") << dir + QStringLiteral("/unclosed.desktop") << bin
                                                   << QString() << QStringList();
}

void TestWorkspace::launch()
{
    QFETCH(QString, path);
    QFETCH(QString, binDir);
    QFETCH(QString, ranFile);
    QFETCH(QStringList, ran);

    qputenv("OV_BIN_DIR", binDir.toUtf8());
    if (ranFile.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^cannot launch ")));
    QCOMPARE(m_workspace->launch(path), !ranFile.isEmpty());
    if (!ranFile.isEmpty()) {
        QTRY_COMPARE_WITH_TIMEOUT(readLines(ranFile), ran, 10000);
        QFile::remove(ranFile);
    }
    QTest::qWait(50);
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("pwned"))));
}

void TestWorkspace::open_data()
{
    QTest::addColumn<QString>("pathOrUrl");
    QTest::addColumn<QUrl>("expected"); // invalid: refused

    QTest::newRow("address") << "https://example.com/guide?x=1" << QUrl("https://example.com/guide?x=1");
    QTest::newRow("path with blanks") << "/tmp/Setup Guide.pdf" << QUrl::fromLocalFile("/tmp/Setup Guide.pdf");
    QTest::newRow("file url") << "file:///tmp/a.pdf" << QUrl("file:///tmp/a.pdf");
    QTest::newRow("empty") << "" << QUrl();
    QTest::newRow("relative path") << "guide.pdf" << QUrl();
    QTest::newRow("address with a blank") << "https://exa mple.com/" << QUrl();

    // The setup guides are named inside the settings application's install
    // path; the files stand in the installed resource folder.
    const QString resources = m_dir.filePath(QStringLiteral("resources"));
    const QString bundle = QString::fromLatin1(platform::kSettingInstallPath);
    QTest::newRow("English setup guide") << bundle + "/Contents/Resources/MacOS_Setup_En.pdf"
                                         << QUrl::fromLocalFile(resources + "/MacOS_Setup_En.pdf");
    QTest::newRow("Chinese setup guide") << platform::setupGuidePath({ QStringLiteral("zh-Hans-CN") })
                                         << QUrl::fromLocalFile(resources + "/MacOS_Setup_CN.pdf");
    QTest::newRow("guide by a path with dots") << bundle + "/Contents/./Resources//MacOS_Setup_En.pdf"
                                               << QUrl::fromLocalFile(resources + "/MacOS_Setup_En.pdf");
    QTest::newRow("another application's resources")
        << "/Applications/Other.app/Contents/Resources/MacOS_Setup_En.pdf"
        << QUrl::fromLocalFile("/Applications/Other.app/Contents/Resources/MacOS_Setup_En.pdf");
}

void TestWorkspace::open()
{
    QFETCH(QString, pathOrUrl);
    QFETCH(QUrl, expected);

    // The handlers stand in for the desktop's: nothing is really opened.
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "handleUrl");
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "handleUrl");
    qputenv("OV_RESOURCES", QFile::encodeName(m_dir.filePath(QStringLiteral("resources"))));
    m_opened.clear();
    if (!expected.isValid())
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^cannot open ")));
    QCOMPARE(m_workspace->open(pathOrUrl), expected.isValid());
    QCOMPARE(m_opened, expected.isValid() ? QList<QUrl>{expected} : QList<QUrl>{});
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

int main(int argc, char **argv)
{
    if (argc > 2 && qstrcmp(argv[1], "--app") == 0) {
        QCoreApplication app(argc, argv);
        return runApp(QString::fromLocal8Bit(argv[2]), argc > 3 && qstrcmp(argv[3], "--once") == 0);
    }
    QApplication app(argc, argv);
    TestWorkspace test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_workspace.moc"
