#include "support_desktop.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "support_jsonprocess.h"

namespace {
const QString kPython = QStringLiteral("/usr/bin/python3");
const QString kOperate = QStringLiteral(OV_FIXTURES "/../settings/atspi_operate.py");
} // namespace

DesktopSession::~DesktopSession()
{
    stop();
}

QString DesktopSession::missing()
{
    for (const QString &program : { QStringLiteral("Xvfb"), QStringLiteral("dbus-daemon") }) {
        if (QStandardPaths::findExecutable(program).isEmpty())
            return program + QStringLiteral(" is not installed (scripts/install-deps installs it)");
    }
    if (QProcess::execute(kPython, { QStringLiteral("-c"), QStringLiteral("import pyatspi") }) != 0)
        return QStringLiteral("python3-pyatspi is not installed (scripts/install-deps installs it)");
    if (!QFile::exists(kOperate))
        return QStringLiteral("atspi_operate.py is missing");
    return QString();
}

bool DesktopSession::start()
{
    const QString display = startDaemon(m_xvfb, QStringLiteral("Xvfb"),
        { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
            QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp") });
    if (display.isEmpty())
        return false;
    m_env = QProcessEnvironment::systemEnvironment();
    m_env.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + display);
    m_env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
    m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    // The accessibility bus puts its socket here, not in the user's folders.
    const QString runtime = m_dir.filePath(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    m_env.insert(QStringLiteral("LANGUAGE"), QStringLiteral("en"));
    m_env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    m_env.remove(QStringLiteral("AT_SPI_BUS_ADDRESS"));
    // The two programs' own session bus; the accessibility bus is started on
    // it on demand, as in a desktop session, and ends with it.
    m_bus.setProcessEnvironment(m_env);
    const QString address = startDaemon(m_bus, QStringLiteral("dbus-daemon"),
        { QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1") });
    if (address.isEmpty())
        return false;
    m_env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    return true;
}

void DesktopSession::stop()
{
    stopDaemon(m_bus);
    stopDaemon(m_xvfb);
}

QProcessEnvironment DesktopSession::driverEnvironment() const
{
    QProcessEnvironment env = m_env;
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

QProcessEnvironment DesktopSession::appEnvironment() const
{
    QProcessEnvironment env = m_env;
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    // On an X server Qt loads libxkbcommon-x11, which hands strndup() a
    // length past the end of the server's reply (the name inside it ends
    // earlier): strict string checks would stop on that line of the library.
    const QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    env.insert(QStringLiteral("ASAN_OPTIONS"),
        (asan.isEmpty() ? QString() : asan + QLatin1Char(':')) + QStringLiteral("strict_string_checks=0"));
    return env;
}

QString DesktopSession::operate(const QString &role, const QString &name, const QStringList &action) const
{
    QProcess client;
    client.setProcessEnvironment(m_env);
    client.start(
        kPython, QStringList { kOperate, QStringLiteral("OrvaneTabletSetting"), role, name } + action);
    if (!client.waitForFinished(60000)) {
        client.kill();
        client.waitForFinished();
        return QStringLiteral("cannot operate: the client did not finish");
    }
    return QString::fromUtf8(client.readAllStandardOutput()).trimmed()
        + QString::fromUtf8(client.readAllStandardError()).trimmed();
}
