#include "keyactions/editorcontext.h"

#include <algorithm>

#include <QDialog>
#include <QDir>
#include <QUrl>
#include <QStringList>

#include "keyactions/appentry.h"
#include "platform/alerts.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "platform/strings.h"
#include "platform/userdefaults.h"
#include "store/ovpublicdefine.h"

namespace keyactions {

namespace {
// The title line of the application's alert.
constexpr QLatin1String OVS_AL_TT("OVS_AL_TT");
// The refusal of a file that is no application.
constexpr QLatin1String OVS_AM_NA("OVS_AM_NA");

int depthBelow(const QWidget *widget, const QWidget *top)
{
    int depth = 0;
    for (const QObject *o = widget; o && o != top; o = o->parent())
        ++depth;
    return depth;
}
} // namespace

QString EditorContext::text(const QString &key) const
{
    return platform->strings.text(key);
}

void EditorContext::showAlert(QWidget *window, const QString &textKey) const
{
    const QString informative = text(textKey);
    if (alert) {
        alert(window, informative);
        return;
    }
    platform->alerts.run(text(OVS_AL_TT), informative, { QStringLiteral("OK") });
}

void EditorContext::observeDisconnectHide(const void *owner, std::function<void()> handler) const
{
    const auto run = [handler](const platform::Notification &) { handler(); };
    platform->local.observe(store::OVUI_DeviceDisconnect_Hide_Noti, owner, run);
    platform->distributed.observe(store::OVUI_DeviceDisconnect_Hide_Noti, owner, run);
}

void EditorContext::removeObservers(const void *owner) const
{
    platform->local.removeObserver(owner);
    platform->distributed.removeObserver(owner);
}

std::optional<AppEntry> EditorContext::chooseApplication(QWidget *window, const QString &title) const
{
    const QStringList folders = applicationsFolders();
    // Start in the folder with the most entries (the system's, as a rule).
    QString start = QDir::homePath();
    qsizetype most = -1;
    for (const QString &folder : folders) {
        const qsizetype count = QDir(folder).entryList({ QStringLiteral("*.desktop") }, QDir::Files).size();
        if (count > most) {
            most = count;
            start = folder;
        }
    }
    platform::FilePanelOptions options;
    options.title = title;
    options.directory = start;
    options.places = folders;
    const std::optional<QString> chosen = platform->filePanels.openFile(options);
    if (!chosen || chosen->isEmpty())
        return std::nullopt;
    QString path = *chosen;
    if (path.startsWith(QLatin1String("file://")))
        path = QUrl(path).toLocalFile();
    std::optional<AppEntry> app = readAppEntry(path, platform->defaults.preferredLanguages());
    if (!app)
        showAlert(window, OVS_AM_NA);
    return app;
}

void endChildDialogs(QWidget *window)
{
    if (!window)
        return;
    QList<QDialog *> open;
    for (QDialog *dialog : window->findChildren<QDialog *>()) {
        if (dialog->isVisible())
            open.append(dialog);
    }
    std::stable_sort(open.begin(), open.end(), [window](const QDialog *a, const QDialog *b) {
        return depthBelow(a, window) > depthBelow(b, window);
    });
    for (QDialog *dialog : std::as_const(open)) {
        if (dialog->isVisible())
            dialog->reject();
    }
}

} // namespace keyactions
