#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QByteArray>
#include <QRectF>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include "platform/files.h"
#include "platform/runloop.h"

namespace platform {
struct Desktop;
struct Notification;
} // namespace platform

namespace store {

// The largest configuration file the store reads, and so the largest it
// writes: counted on the bytes of the own file (XML) and of an export
// (binary). A change or an import that would make the configuration larger is
// refused, so that no save leaves a file the next start cannot read.
inline constexpr qint64 kMaxConfigurationBytes = platform::kMaxReadBytes;

// Both programs keep a store per device; they differ in a few rules.
//  Driver:   own file ".OVCFGS_<devKey>", calibration in the defaults, applies
//            the changes and imports of the settings application, announces
//            the settings its device service reloads.
//  Settings: own file ".OVCFGC_<devKey>", no calibration entries, forwards
//            every change and import to the driver, announces only imports.
enum class StoreVariant { Driver, Settings };

// The store's one error: an import file that is unreadable or that belongs
// to another device. domain "OVErrorDomain", code -1.
struct StoreError
{
    QString domain;
    int code = 0;
    QString localizedDescription;
};

// The configuration of one device, identified by its device key, for one
// program: a dictionary of category dictionaries, kept in a property-list
// file in the program's folder with a delayed, coalescing save. Main thread
// only. Call order: construct, loadConfiguration(QString(), false), any
// queries, updates, exports and imports, cleanup(), destroy.
class OVPublicObject
{
public:
    // Shows an import error; runs on a later turn of the run loop. The
    // default runs the platform's modal alert with the description and "OK".
    using ErrorPresenter = std::function<void(const StoreError &error)>;

    // Keeps the key; the driver's store starts observing "OVCFGDNotification"
    // and "OVCFGIDNotification" on the distributed centre. No configuration yet.
    OVPublicObject(
        platform::Desktop &platform, const QString &devKey, StoreVariant variant = StoreVariant::Driver);
    // Writes a save still pending (as cleanup() does), stops observing and
    // cancels the store's timers.
    ~OVPublicObject();
    OVPublicObject(const OVPublicObject &) = delete;
    OVPublicObject &operator=(const OVPublicObject &) = delete;

    // Empty after cleanup().
    QString devKey() const { return m_devKey; }
    StoreVariant variant() const { return m_variant; }

    // isExternal false: loads the own file (path ignored), creating the
    // model's defaults when there is none. true: imports the export file at
    // path; a failure shows the "OVS_AT_IC" error and changes nothing.
    // Answers whether a configuration was set.
    bool loadConfiguration(const QString &path, bool isExternal);
    // isExternal false: snapshots the configuration now and writes it to the
    // own file after 3 s without a further change (path ignored). true:
    // exports to path at once. Answers false, with one log line, when nothing
    // was scheduled or the export was not written.
    bool saveConfiguration(const QString &path, bool isExternal);

    // Invalid QVariant = nil: no configuration, category or key.
    QVariant queryConfiguration(const QString &category, const QString &key) const;
    // An invalid value removes the key. Refused with one log line, changing
    // nothing and saving nothing: a value that is not a property-list value,
    // one that breaks its key's schema (store/configschema.h), and a change
    // after which the own file would not be written or read back. Schedules
    // the save; the driver announces the settings its device service
    // reloads, the settings application forwards every change to the driver.
    // While the own file is unreadable, changes are kept in memory only.
    void updateConfiguration(const QString &category, const QString &key, const QVariant &value);
    // The model's defaults become the configuration; saved 3 s later.
    void generateDefaultConfiguration();
    // Posts the local "OVCFGNotification" of a load or an import (nothing
    // once the device key is gone).
    void localNotice();
    // Writes a pending save at once, forgets the device key, stops observing.
    void cleanup();

    // Plain access; nullopt until the first successful load or defaults.
    const std::optional<QVariantMap> &configurationList() const { return m_configurationList; }
    void setConfigurationList(const std::optional<QVariantMap> &configuration)
    {
        m_configurationList = configuration;
    }

    // The program's folder (created when missing), looked up at every call.
    QString supportDirectory() const;
    QString cfgFilePath() const;

    // The error an unreadable or foreign import file gives.
    StoreError importError() const;
    // The settings application shows import errors in its own alert window.
    void setErrorPresenter(ErrorPresenter presenter) { m_errorPresenter = std::move(presenter); }

    // Per-model facts of the device key (store/ovgeometry.h).
    float widthInch() const;
    float heightInch() const;
    float widthPortion() const;
    float heightPortion() const;
    QRectF fullRectInch() const;
    // From the configuration and the online displays; logs why it fell back
    // to the 16:9 band.
    QRectF ratioRectInch() const;
    // All three always written (null pointers skipped).
    void tabletViewEdge(double *edge, double *slen, double *dlen) const;
    double tabletViewFullLine() const;
    double tabletViewRatioLine() const;
    // Null QString: the model has no such picture.
    QString penImageName() const;
    QString wheelImageName() const;
    QString penViewXIBName() const;
    QString monitorViewXIBName() const;
    QString tabletViewXIBName() const;
    QString boardViewXIBName() const;
    QString boardKeyCusWinXIBName() const;

private:
    // The save timer's action: writes the snapshot it was scheduled with.
    void delayedWriteToFile();
    void scheduleWrite(const QByteArray &bytes);
    // The own file's bytes for a configuration; nullopt, with the reason,
    // when they cannot be written or (*tooLarge) would be more than a load
    // reads.
    std::optional<QByteArray> ownFileBytes(
        const QVariantMap &configuration, QString *why, bool *tooLarge = nullptr) const;
    // Schedules the write of a snapshot, from any thread.
    void keepSnapshot(const QByteArray &bytes);
    bool exportConfiguration(const QString &path);
    bool loadOwnFile();
    bool importConfiguration(const QString &path);
    void showImportError();
    void scheduleLocalNotice();
    void postChangeNotice(const QVariantList &keys);

    void cfgFromClient(const platform::Notification &notification);
    void cfgFromImport(const platform::Notification &notification);
    void cfgToServer(const QVariantMap &record);

    platform::Desktop &m_platform;
    QString m_devKey;
    const StoreVariant m_variant;
    platform::RunLoop::TimerId m_dwTimer = 0; // 0: no save pending
    QByteArray m_pendingBytes; // the snapshot m_dwTimer writes
    std::optional<QVariantMap> m_configurationList;
    // Why the own file could not be read at the load; it is then never
    // replaced until an import succeeds.
    std::optional<QString> m_unreadableOwnFile;
    ErrorPresenter m_errorPresenter;
    // Turns posted to the run loop hold a weak reference, so a store
    // destroyed before they run is left alone.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

} // namespace store
