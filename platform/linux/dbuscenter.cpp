#include "dbuscenter.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QMetaObject>
#include <QObject>

#include "platform/linux/linuxlog.h"
#include "platform/plist.h"

namespace platform::native {

namespace {
const QString kPath = QStringLiteral("/com/orvane/Notifications");
const QString kInterface = QStringLiteral("com.orvane.Notifications");
const QString kMember = QStringLiteral("Notification");
const QString kSignature = QStringLiteral("sbsay");
} // namespace

std::optional<Notification> decodeNotificationSignal(const QString &sender, const QString &signature,
    const QList<QVariant> &arguments, QString *refusal)
{
    if (signature != kSignature || arguments.size() != 4) {
        *refusal = QStringLiteral("cannot receive distributed notification from %1: arguments \"%2\" instead of \"%3\"")
                       .arg(sender, signature, kSignature);
        return std::nullopt;
    }
    // A present but empty object stays distinguishable from none.
    QString object;
    if (arguments.at(1).toBool()) {
        object = arguments.at(2).toString();
        if (object.isNull())
            object = QStringLiteral("");
    }
    return decodeNotification(arguments.at(0).toString(), object, arguments.at(3).toByteArray(), refusal);
}

std::optional<Notification> decodeNotification(
    const QString &name, const QString &object, const QByteArray &userInfo, QString *refusal)
{
    QString error;
    const auto value = plist::parse(userInfo, &error);
    if (!value) {
        *refusal = QStringLiteral("cannot receive distributed notification \"%1\": userInfo is not a property list: %2")
                       .arg(name, error);
        return std::nullopt;
    }
    if (value->metaType().id() != QMetaType::QVariantMap) {
        *refusal = QStringLiteral("cannot receive distributed notification \"%1\": userInfo is not a dictionary")
                       .arg(name);
        return std::nullopt;
    }
    return Notification { name, object, value->toMap() };
}

// Lives on the main thread, so the bus delivers its signals there.
class DBusDistributedCenter::Receiver : public QObject
{
    Q_OBJECT
public:
    explicit Receiver(DBusDistributedCenter &center)
        : m_center(center)
        , m_bus(QDBusConnection::sessionBus())
    {
        m_connected = m_bus.isConnected()
            && m_bus.connect(QString(), kPath, kInterface, kMember, this, SLOT(onSignal(QDBusMessage)));
        if (!m_connected) {
            const QString why = m_bus.lastError().isValid() ? m_bus.lastError().message()
                                                            : QStringLiteral("no session bus");
            qCWarning(lcLinux, "cannot connect distributed notifications to the session bus: %s; "
                               "notifications stay inside this process",
                      qPrintable(why));
        }
    }

    ~Receiver() override
    {
        if (m_connected)
            m_bus.disconnect(QString(), kPath, kInterface, kMember, this, SLOT(onSignal(QDBusMessage)));
    }

    bool send(const QString &name, const QString &object, const QByteArray &userInfo)
    {
        if (!m_connected)
            return false;
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, kMember);
        signal << name << !object.isNull() << (object.isNull() ? QStringLiteral("") : object) << userInfo;
        if (m_bus.send(signal))
            return true;
        qCWarning(lcLinux, "cannot post distributed notification \"%s\": %s; delivered inside this process only",
                  qPrintable(name), qPrintable(m_bus.lastError().message()));
        return false;
    }

    void deliverLater(const QString &name, const QString &object, const QByteArray &userInfo)
    {
        QMetaObject::invokeMethod(
            this, [this, name, object, userInfo] { decodeAndDeliver(name, object, userInfo); },
            Qt::QueuedConnection);
    }

    bool m_connected = false;

private slots:
    void onSignal(const QDBusMessage &message)
    {
        QString refusal;
        if (auto n = decodeNotificationSignal(message.service(), message.signature(), message.arguments(), &refusal))
            m_center.deliver(*n);
        else
            qCWarning(lcLinux, "%s", qPrintable(refusal));
    }

private:
    void decodeAndDeliver(const QString &name, const QString &object, const QByteArray &bytes)
    {
        QString refusal;
        if (auto n = decodeNotification(name, object, bytes, &refusal))
            m_center.deliver(*n);
        else
            qCWarning(lcLinux, "%s", qPrintable(refusal));
    }

    DBusDistributedCenter &m_center;
    QDBusConnection m_bus;
};

DBusDistributedCenter::DBusDistributedCenter()
    : m_receiver(std::make_unique<Receiver>(*this))
{
}

DBusDistributedCenter::~DBusDistributedCenter() = default;

bool DBusDistributedCenter::isConnected() const
{
    return m_receiver->m_connected;
}

void DBusDistributedCenter::post(const QString &name, const QString &object, const QVariantMap &userInfo)
{
    QString error;
    const auto bytes = plist::write(userInfo, plist::Format::Binary, &error);
    if (!bytes) {
        qCWarning(lcLinux, "cannot post distributed notification \"%s\": %s", qPrintable(name), qPrintable(error));
        return;
    }
    // The bus echoes a sent signal back to us; only a notification that did
    // not go out is delivered here, so none arrives twice.
    if (!m_receiver->send(name, object, *bytes))
        m_receiver->deliverLater(name, object, *bytes);
}

} // namespace platform::native

#include "dbuscenter.moc"
