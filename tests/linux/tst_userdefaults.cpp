#include <cstdio>

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "platform/linux/qsettingsdefaults.h"

using platform::native::SettingsUserDefaults;

namespace {

const QString kBundle = QStringLiteral("com.orvane.OrvaneTabletSetting");

QString typed(const QVariant &value)
{
    return QString::fromLatin1(value.metaType().name()) + QLatin1Char(':')
        + (value.metaType().id() == QMetaType::Double ? QString::number(value.toDouble(), 'g', 17) : value.toString());
}

} // namespace

class TestUserDefaults : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }
    void valuesKeepTheirTypes_data();
    void valuesKeepTheirTypes();
    void refusedValuesChangeNothing_data();
    void refusedValuesChangeNothing();
    void removeAndAll();
    void unreadableFileIsReported();
    void defaultFileIsPerBundle();
    void preferredLanguagesFollowTheEnvironment();

private:
    QString file(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir m_dir;
};

void TestUserDefaults::valuesKeepTheirTypes_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("true") << QVariant(true) << QVariant(true);
    QTest::newRow("false") << QVariant(false) << QVariant(false);
    QTest::newRow("int") << QVariant(-5) << QVariant(qint64(-5));
    QTest::newRow("big") << QVariant(qint64(5000000000LL)) << QVariant(qint64(5000000000LL));
    QTest::newRow("real") << QVariant(2.0) << QVariant(2.0);
    QTest::newRow("float widened") << QVariant::fromValue(1.1f) << QVariant(double(1.1f));
    QTest::newRow("string that looks like a bool") << QVariant("true") << QVariant("true");
    QTest::newRow("string that looks like a number") << QVariant("12") << QVariant("12");
    QTest::newRow("data") << QVariant(QByteArray("\x00\x01", 2)) << QVariant(QByteArray("\x00\x01", 2));
    QTest::newRow("date") << QVariant(QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5), Qt::UTC))
                          << QVariant(QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5), Qt::UTC));
    QTest::newRow("list") << QVariant(QStringList{"en", "zh-Hans"}) << QVariant(QVariantList{"en", "zh-Hans"});
}

void TestUserDefaults::valuesKeepTheirTypes()
{
    QFETCH(QVariant, value);
    QFETCH(QVariant, expected);
    const QString path = file("types.plist");
    QFile::remove(path);
    {
        SettingsUserDefaults defaults(kBundle, path);
        defaults.setValue(QStringLiteral("AppleLanguages"), value);
        // At once, as the file will give it back.
        QCOMPARE(typed(defaults.value(QStringLiteral("AppleLanguages"))), typed(expected));
        QCOMPARE(defaults.value(QStringLiteral("AppleLanguages")), expected);
    }
    SettingsUserDefaults reread(kBundle, path);
    QCOMPARE(typed(reread.value(QStringLiteral("AppleLanguages"))), typed(expected));
    QCOMPARE(reread.value(QStringLiteral("AppleLanguages")), expected);

    QFile stored(path);
    QVERIFY(stored.open(QIODevice::ReadOnly));
    const QByteArray text = stored.readAll();
    QVERIFY2(text.startsWith("<?xml") && text.contains("<key>AppleLanguages</key>"), text.constData());
    if (expected.metaType().id() == QMetaType::Bool)
        QVERIFY(text.contains(expected.toBool() ? "<true/>" : "<false/>"));
}

void TestUserDefaults::refusedValuesChangeNothing_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("url") << "k" << QVariant(QUrl("https://example.com"));
    QTest::newRow("invalid") << "k" << QVariant();
    QTest::newRow("hash") << "k" << QVariant(QVariantHash{{"a", 1}});
    QTest::newRow("control character") << "k" << QVariant(QStringLiteral("a\x01"));
    QTest::newRow("empty key") << "" << QVariant(true);
}

void TestUserDefaults::refusedValuesChangeNothing()
{
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    const QString path = file("refused.plist");
    QFile::remove(path);
    SettingsUserDefaults defaults(kBundle, path);
    defaults.setValue(QStringLiteral("k"), 7);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^cannot store user default ")));
    defaults.setValue(key, value);
    QCOMPARE(defaults.all(), (QVariantMap{{"k", qint64(7)}}));
    defaults.sync();
    QCOMPARE(SettingsUserDefaults(kBundle, path).all(), (QVariantMap{{"k", qint64(7)}}));
}

void TestUserDefaults::removeAndAll()
{
    const QString path = file("remove.plist");
    {
        SettingsUserDefaults defaults(kBundle, path);
        defaults.setValue(QStringLiteral("a"), true);
        defaults.setValue(QStringLiteral("b"), 1.5);
        defaults.setValue(QStringLiteral("c"), QStringLiteral("x"));
        defaults.remove(QStringLiteral("b"));
        defaults.remove(QString()); // never everything
    }
    SettingsUserDefaults reread(kBundle, path);
    QCOMPARE(reread.all(), (QVariantMap{{"a", true}, {"c", "x"}}));
    QVERIFY(!reread.value(QStringLiteral("b")).isValid());
}

void TestUserDefaults::unreadableFileIsReported()
{
    const QString path = file("unreadable.plist");
    QFile bad(path);
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("<plist><dict><key>a</key><integer>twelve</integer></dict></plist>");
    bad.close();
    QTest::ignoreMessage(QtWarningMsg, qPrintable(QStringLiteral("cannot read user defaults %1: cannot read integer 'twelve'").arg(path)));
    SettingsUserDefaults defaults(kBundle, path);
    QCOMPARE(defaults.all(), QVariantMap());
}

void TestUserDefaults::defaultFileIsPerBundle()
{
    // main() points XDG_CONFIG_HOME into the temporary folder.
    {
        SettingsUserDefaults defaults(kBundle);
        defaults.setValue(QStringLiteral("x"), false);
    }
    QVERIFY(QFile::exists(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/orvane/") + kBundle
                          + QStringLiteral(".plist")));
    SettingsUserDefaults other(QStringLiteral("com.orvane.OrvaneTabletDriver"));
    QVERIFY(!other.value(QStringLiteral("x")).isValid());
    QCOMPARE(SettingsUserDefaults(kBundle).value(QStringLiteral("x")), QVariant(false));
}

void TestUserDefaults::preferredLanguagesFollowTheEnvironment()
{
    auto languagesWith = [](const QString &language, const QString &lcAll) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LANGUAGE"), language);
        env.insert(QStringLiteral("LC_ALL"), lcAll);
        env.remove(QStringLiteral("LC_MESSAGES"));
        env.remove(QStringLiteral("LANG"));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--languages")});
        child.waitForFinished(10000);
        return QString::fromUtf8(child.readAllStandardOutput()).trimmed().split(u',');
    };
    const QStringList chinese = languagesWith(QStringLiteral("zh_CN:en_GB"), QStringLiteral("zh_CN.UTF-8"));
    QVERIFY2(chinese.first() == QLatin1String("zh-CN") && chinese.contains(QLatin1String("en-GB"))
                 && chinese.indexOf(QLatin1String("en-GB")) > chinese.indexOf(QLatin1String("zh-CN")),
             qPrintable(chinese.join(u',')));
    QCOMPARE(languagesWith(QString(), QStringLiteral("C")), QStringList{QStringLiteral("en")});
}

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--languages") == 0) {
        QCoreApplication app(argc, argv);
        std::printf("%s\n", qPrintable(SettingsUserDefaults(kBundle, QStringLiteral("/dev/null")).preferredLanguages().join(u',')));
        return 0;
    }
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QCoreApplication app(argc, argv);
    TestUserDefaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_userdefaults.moc"
