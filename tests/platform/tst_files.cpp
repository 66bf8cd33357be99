// Reads never wait on what a path has turned into, and writes replace the
// path itself: a link there is replaced, never followed.

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "platform/files.h"

using platform::ReadError;

Q_DECLARE_METATYPE(ReadError)

namespace {

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool makeFifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// Whatever a failed or finished write may have left beside the file.
QStringList leftovers(const QString &folder)
{
    return QDir(folder).entryList(
        { QStringLiteral("*.tmp") }, QDir::AllEntries | QDir::Hidden | QDir::System);
}

} // namespace

class TestFiles : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void writeReplacesThePath_data();
    void writeReplacesThePath();
    void failedWriteKeepsTheOldFile();
};

void TestFiles::read_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<qint64>("maxBytes");
    QTest::addColumn<ReadError>("error");

    QTest::newRow("regular file") << "file" << qint64(16) << ReadError::None;
    QTest::newRow("exactly the bound") << "file" << qint64(5) << ReadError::None;
    QTest::newRow("one byte over") << "file" << qint64(4) << ReadError::TooLarge;
    QTest::newRow("empty file") << "empty" << qint64(16) << ReadError::None;
    QTest::newRow("link to a file") << "link" << qint64(16) << ReadError::None;
    QTest::newRow("missing") << "missing" << qint64(16) << ReadError::Missing;
    QTest::newRow("below a file") << "below" << qint64(16) << ReadError::Missing;
    QTest::newRow("folder") << "folder" << qint64(16) << ReadError::NotRegular;
    // Neither waits for a writer.
    QTest::newRow("fifo") << "fifo" << qint64(16) << ReadError::NotRegular;
    QTest::newRow("link to a fifo") << "fifolink" << qint64(16) << ReadError::NotRegular;
    QTest::newRow("device") << "device" << qint64(16) << ReadError::NotRegular;
}

void TestFiles::read()
{
    QFETCH(QString, kind);
    QFETCH(qint64, maxBytes);
    QFETCH(ReadError, error);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("file"));
    QVERIFY(writeBytes(file, "hello"));
    QString path = dir.filePath(kind);
    if (kind == QLatin1String("file"))
        path = file;
    else if (kind == QLatin1String("empty"))
        QVERIFY(writeBytes(path, QByteArray()));
    else if (kind == QLatin1String("link"))
        QVERIFY(QFile::link(file, path));
    else if (kind == QLatin1String("below"))
        path = file + QStringLiteral("/x");
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(path));
    else if (kind == QLatin1String("fifo"))
        QVERIFY(makeFifo(path));
    else if (kind == QLatin1String("fifolink")) {
        QVERIFY(makeFifo(dir.filePath(QStringLiteral("fifo"))));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("fifo")), path));
    } else if (kind == QLatin1String("device"))
        path = QStringLiteral("/dev/null");

    ReadError got = ReadError::Unreadable;
    const std::optional<QByteArray> bytes = platform::readRegularFile(path, maxBytes, &got);
    QCOMPARE(got, error);
    QCOMPARE(bytes.has_value(), error == ReadError::None);
    if (bytes)
        QCOMPARE(*bytes, kind == QLatin1String("empty") ? QByteArray() : QByteArray("hello"));
}

void TestFiles::writeReplacesThePath_data()
{
    QTest::addColumn<QString>("before"); // what stands at the path

    QTest::newRow("nothing") << "nothing";
    QTest::newRow("a file") << "file";
    QTest::newRow("a link to another file") << "link";
    QTest::newRow("a dangling link") << "dangling";
}

void TestFiles::writeReplacesThePath()
{
    QFETCH(QString, before);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral(".own"));
    const QString other = dir.filePath(QStringLiteral("other"));
    if (before == QLatin1String("file")) {
        QVERIFY(writeBytes(path, "old"));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    } else if (before == QLatin1String("link")) {
        QVERIFY(writeBytes(other, "someone else's"));
        QVERIFY(QFile::link(other, path));
    } else if (before == QLatin1String("dangling")) {
        QVERIFY(QFile::link(other, path));
    }

    platform::Files files;
    QString why;
    QVERIFY(files.writeAtomically(path, "new", &why));
    QVERIFY(why.isEmpty());
    const QFileInfo info(path);
    QVERIFY(!info.isSymLink());
    QVERIFY(info.isFile());
    QCOMPARE(readBytes(path), QByteArray("new"));
    if (before == QLatin1String("file"))
        // Owner, group and others; Qt's "user" bits repeat the owner's for us.
        QCOMPARE(int(info.permissions() & 0x7077), int(QFile::ReadOwner | QFile::WriteOwner));
    if (before == QLatin1String("link"))
        QCOMPARE(readBytes(other), QByteArray("someone else's"));
    if (before == QLatin1String("dangling"))
        QVERIFY(!QFileInfo::exists(other));
    QCOMPARE(leftovers(dir.path()), QStringList());
}

void TestFiles::failedWriteKeepsTheOldFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    platform::Files files;
    QString why;

    // A folder at the path cannot be replaced by a file.
    const QString folder = dir.filePath(QStringLiteral("folder"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(writeBytes(folder + QStringLiteral("/kept"), "kept"));
    QVERIFY(!files.writeAtomically(folder, "new", &why));
    QVERIFY(!why.isEmpty());
    QCOMPARE(readBytes(folder + QStringLiteral("/kept")), QByteArray("kept"));
    QCOMPARE(leftovers(dir.path()), QStringList());

    why.clear();
    QVERIFY(!files.writeAtomically(dir.filePath(QStringLiteral("no/such/folder/file")), "new", &why));
    QVERIFY(!why.isEmpty());
}

QTEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
