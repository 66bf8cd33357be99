#pragma once

#include <memory>
#include <optional>

#include <QList>
#include <QVariant>

#include "platform/notificationcenter.h"

namespace platform::native {

// Distributed notifications on the session bus. Each post is one broadcast
// signal
//
//     path      /com/orvane/Notifications
//     interface com.orvane.Notifications
//     member    Notification(s name, b hasObject, s object, ay userInfo)
//
// hasObject false is a notification without object (a null QString here);
// true with an empty string is an empty object. userInfo is a binary
// property list of a dictionary, so booleans, integers and reals keep their
// types (a float arrives as a double).
//
// The bus hands every broadcast back to its sender too, so a process
// receives its own posts from the bus exactly like everyone else's. Without a
// session bus the centre keeps working inside the process: its own posts are
// delivered on a later turn. Build it on the main thread, after the
// application object.
class DBusDistributedCenter : public DistributedCenter
{
public:
    DBusDistributedCenter();
    ~DBusDistributedCenter() override;

    void post(const QString &name, const QString &object = QString(),
              const QVariantMap &userInfo = QVariantMap()) override;

    // False when there was no session bus at construction.
    bool isConnected() const;

private:
    class Receiver;
    std::unique_ptr<Receiver> m_receiver;
};

// What a received signal carries, as the bus hands it over (its signature and
// arguments; `sender` names it in the refusal): the notification, or nullopt
// and *refusal set to the one log line that says why not (a wrong signature,
// a userInfo that is no property list or no dictionary).
std::optional<Notification> decodeNotificationSignal(const QString &sender, const QString &signature,
    const QList<QVariant> &arguments, QString *refusal);
// The same for the userInfo bytes alone (a post delivered inside the process).
std::optional<Notification> decodeNotification(
    const QString &name, const QString &object, const QByteArray &userInfo, QString *refusal);

} // namespace platform::native
