#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QString>
#include <QVariantMap>

namespace platform {

struct Notification
{
    QString name;
    QString object; // null: none
    QVariantMap userInfo;
};

// Observers keyed by owner; handlers may add or remove observers (their own
// included) while a notification is delivered.
class NotificationCenter
{
public:
    using Handler = std::function<void(const Notification &)>;

    virtual ~NotificationCenter();

    virtual void post(const QString &name, const QString &object = QString(),
                      const QVariantMap &userInfo = QVariantMap());
    void observe(const QString &name, const void *owner, Handler handler);
    void removeObserver(const void *owner);
    bool hasObservers(const QString &name) const;

protected:
    // Synchronous delivery to the observers of this centre.
    void deliver(const Notification &notification);

private:
    struct Entry
    {
        QString name;
        const void *owner;
        std::shared_ptr<Handler> handler; // reset on removal
    };
    std::vector<Entry> m_entries;
};

// The same interface between processes: every process, the poster's own
// included, receives each notification on a later turn of its run loop.
class DistributedCenter : public NotificationCenter
{
public:
    // post() of a distributed centre never delivers synchronously.
};

} // namespace platform
