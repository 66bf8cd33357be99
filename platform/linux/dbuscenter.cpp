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
        const QList<QVariant> args = message.arguments();
        if (message.signature() != kSignature || args.size() != 4) {
            qCWarning(lcLinux, "cannot receive distributed notification from %s: arguments \"%s\" instead of \"%s\"",
                      qPrintable(message.service()), qPrintable(message.signature()), qPrintable(kSignature));
            return;
        }
        // A present but empty object stays distinguishable from none.
        QString object;
        if (args.at(1).toBool()) {
            object = args.at(2).toString();
            if (object.isNull())
                object = QStringLiteral("");
        }
        decodeAndDeliver(args.at(0).toString(), object, args.at(3).toByteArray());
    }

private:
    void decodeAndDeliver(const QString &name, const QString &object, const QByteArray &bytes)
    {
        QString error;
        const auto value = plist::parse(bytes, &error);
        if (!value) {
            qCWarning(lcLinux, "cannot receive distributed notification \"%s\": userInfo is not a property list: %s",
                      qPrintable(name), qPrintable(error));
            return;
        }
        if (value->metaType().id() != QMetaType::QVariantMap) {
            qCWarning(lcLinux, "cannot receive distributed notification \"%s\": userInfo is not a dictionary",
                      qPrintable(name));
            return;
        }
        m_center.deliver(Notification{name, object, value->toMap()});
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
