// The applications a user picks: desktop entries and executables read for
// their title, window class, icon and launch path; the lookup of an
// installed entry by its window class; icons found in the icon themes.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "keyactions/appentry.h"

using namespace keyactions;

namespace {

void write(const QString &path, const QByteArray &content, QFile::Permissions extra = {})
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    if (extra)
        file.setPermissions(file.permissions() | extra);
}

} // namespace

class TestAppEntry : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void readsEntries_data();
    void readsEntries();
    void findsByWindowClass();
    void iconsFromThemes();

private:
    QTemporaryDir m_dir;
    QString m_home; // $XDG_DATA_HOME
    QString m_system; // the one folder of $XDG_DATA_DIRS
};

void TestAppEntry::init()
{
    QVERIFY(m_dir.isValid());
    m_home = m_dir.filePath(QStringLiteral("home"));
    m_system = m_dir.filePath(QStringLiteral("system"));
    qputenv("XDG_DATA_HOME", m_home.toUtf8());
    qputenv("XDG_DATA_DIRS", m_system.toUtf8());
    write(m_system + QStringLiteral("/icons/hicolor/48x48/apps/scribble.png"), "png");
    write(m_system + QStringLiteral("/icons/hicolor/256x256/apps/scribble.png"), "png");
    write(m_system + QStringLiteral("/icons/hicolor/scalable/apps/paint.svg"), "<svg/>");
    write(m_system + QStringLiteral("/icons/hicolor/32x32/apps/paint.png"), "png");
    write(m_system + QStringLiteral("/pixmaps/old.xpm"), "xpm");
}

void TestAppEntry::readsEntries_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QStringList>("languages");
    QTest::addColumn<bool>("read");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QString>("icon"); // relative to the system folder; empty: none

    const QByteArray scribble = "[Desktop Entry]\nType=Application\nName=Scribble\nName[de]=Kritzel\n"
                                "Name[zh_CN]=涂鸦\nExec=/opt/scribble/bin/scribble %F\nIcon=scribble\n"
                                "StartupWMClass=ScribbleApp\n[Desktop Action New]\nName=New window\n";
    QTest::newRow("class and largest icon") << scribble << "scribble.desktop" << QStringList { "en" } << true
                                            << "Scribble" << "ScribbleApp"
                                            << "icons/hicolor/256x256/apps/scribble.png";
    QTest::newRow("localised by region") << scribble << "scribble.desktop" << QStringList { "de-AT", "en" }
                                         << true << "Kritzel" << "ScribbleApp"
                                         << "icons/hicolor/256x256/apps/scribble.png";
    QTest::newRow("simplified Chinese") << scribble << "scribble.desktop" << QStringList { "zh-Hans" } << true
                                        << QString::fromUtf8("涂鸦") << "ScribbleApp"
                                        << "icons/hicolor/256x256/apps/scribble.png";
    QTest::newRow("class from the program, drawn icon")
        << QByteArray("[Desktop Entry]\nType=Application\nName=Paint\nExec=\"/usr/bin/paint tool\" --new %u\n"
                      "Icon=paint\n")
        << "paint.desktop" << QStringList { "en" } << true << "Paint" << "paint tool"
        << "icons/hicolor/scalable/apps/paint.svg";
    QTest::newRow("pixmaps, escaped name")
        << QByteArray("[Desktop Entry]\nName=Old\\sTool\nType=Application\nExec=oldtool\nIcon=old\n")
        << "old.desktop" << QStringList {} << true << "Old Tool" << "oldtool" << "pixmaps/old.xpm";
    QTest::newRow("no icon") << QByteArray("[Desktop Entry]\nType=Application\nName=Bare\nExec=bare\nIcon=gone\n")
                             << "bare.desktop" << QStringList {} << true << "Bare" << "bare" << "";
    QTest::newRow("a link is no application")
        << QByteArray("[Desktop Entry]\nType=Link\nName=Site\nURL=https://example.org\n") << "site.desktop"
        << QStringList {} << false << "" << "" << "";
    QTest::newRow("no name") << QByteArray("[Desktop Entry]\nType=Application\nExec=x\n") << "x.desktop"
                             << QStringList {} << false << "" << "" << "";
    QTest::newRow("no window class") << QByteArray("[Desktop Entry]\nType=Application\nName=Y\nExec=\"y\n")
                                     << "y.desktop" << QStringList {} << false << "" << "" << "";
    QTest::newRow("name outside the entry")
        << QByteArray("[Other]\nName=Z\n[Desktop Entry]\nType=Application\nExec=z\n") << "z.desktop"
        << QStringList {} << false << "" << "" << "";
    QTest::newRow("not an entry at all") << QByteArray("garbage\0\xff", 9) << "g.desktop" << QStringList {}
                                         << false << "" << "" << "";
    QTest::newRow("plain file") << QByteArray("data") << "notes.txt" << QStringList {} << false << "" << ""
                                << "";
}

void TestAppEntry::readsEntries()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, fileName);
    QFETCH(QStringList, languages);
    QFETCH(bool, read);
    QFETCH(QString, title);
    QFETCH(QString, identifier);
    QFETCH(QString, icon);

    const QString path = m_dir.filePath(QStringLiteral("picked/") + fileName);
    write(path, content);
    const std::optional<AppEntry> app = readAppEntry(path, languages);
    QCOMPARE(app.has_value(), read);
    if (!read)
        return;
    QCOMPARE(app->title, title);
    QCOMPARE(app->identifier, identifier);
    QCOMPARE(app->iconPath, icon.isEmpty() ? QString() : m_system + QLatin1Char('/') + icon);
    QCOMPARE(app->launchPath, path);
}

void TestAppEntry::findsByWindowClass()
{
    // An executable stands for itself.
    const QString tool = m_dir.filePath(QStringLiteral("bin/drawtool"));
    write(tool, "#!/bin/sh\n", QFile::ExeOwner);
    QCOMPARE(readAppEntry(tool, {}),
        std::optional(AppEntry { QStringLiteral("drawtool"), QStringLiteral("drawtool"), QString(), tool }));
    // A folder or a missing file is none.
    QVERIFY(!readAppEntry(m_dir.path(), {}));
    QVERIFY(!readAppEntry(m_dir.filePath(QStringLiteral("missing.desktop")), {}));

    write(m_home + QStringLiteral("/applications/mine.desktop"),
        "[Desktop Entry]\nType=Application\nName=Mine\nExec=mine\nStartupWMClass=Shared\n");
    write(m_system + QStringLiteral("/applications/theirs.desktop"),
        "[Desktop Entry]\nType=Application\nName=Theirs\nExec=theirs\nStartupWMClass=Shared\n");
    write(m_system + QStringLiteral("/applications/other.desktop"),
        "[Desktop Entry]\nType=Application\nName=Other\nExec=other\n");
    QCOMPARE(applicationsFolders(),
        (QStringList { m_home + QStringLiteral("/applications"), m_system + QStringLiteral("/applications") }));
    // The user's own entry comes first.
    QCOMPARE(findAppEntry(QStringLiteral("Shared"), {})->title, QStringLiteral("Mine"));
    QCOMPARE(findAppEntry(QStringLiteral("other"), {})->title, QStringLiteral("Other"));
    QVERIFY(!findAppEntry(QStringLiteral("nobody"), {}));
    QVERIFY(!findAppEntry(QString(), {}));
}

void TestAppEntry::iconsFromThemes()
{
    const QString absolute = m_system + QStringLiteral("/pixmaps/old.xpm");
    QCOMPARE(iconFilePath(absolute), absolute);
    QCOMPARE(iconFilePath(m_system + QStringLiteral("/pixmaps/none.png")), QString());
    QCOMPARE(iconFilePath(QStringLiteral("paint")), m_system + QStringLiteral("/icons/hicolor/scalable/apps/paint.svg"));
    // A name never leaves the themes.
    QCOMPARE(iconFilePath(QStringLiteral("../pixmaps/old")), QString());
    QCOMPARE(iconFilePath(QString()), QString());
}

QTEST_GUILESS_MAIN(TestAppEntry)
#include "tst_appentry.moc"
