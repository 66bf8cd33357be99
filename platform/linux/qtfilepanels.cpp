#include "qtfilepanels.h"

#include <QFileDialog>
#include <QUrl>

#include "platform/modalruns.h"

namespace platform::native {

namespace {

std::optional<QString> runPanel(const FilePanelOptions &options, QFileDialog::AcceptMode mode, ModalRuns *runs)
{
    QFileDialog dialog(nullptr, options.title, options.directory);
    const ModalRuns::Scope run(runs, [&dialog] { dialog.reject(); });
    if (run.endedFromOutside())
        return std::nullopt;
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!options.allowedSuffixes.isEmpty()) {
        QStringList patterns;
        for (const QString &suffix : options.allowedSuffixes)
            patterns << QStringLiteral("*.") + suffix;
        dialog.setNameFilter(patterns.join(u' '));
        if (mode == QFileDialog::AcceptSave)
            dialog.setDefaultSuffix(options.allowedSuffixes.first());
    }
    dialog.setOption(QFileDialog::ReadOnly, !options.canCreateDirectories);
    if (!options.fileName.isEmpty())
        dialog.selectFile(options.fileName);
    if (!options.places.isEmpty()) {
        QList<QUrl> places = dialog.sidebarUrls();
        for (const QString &folder : options.places)
            places << QUrl::fromLocalFile(folder);
        dialog.setSidebarUrls(places);
    }
    if (dialog.exec() != QDialog::Accepted || run.endedFromOutside())
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty())
        return std::nullopt;
    return files.first();
}

} // namespace

std::optional<QString> QtFilePanels::openFile(const FilePanelOptions &options)
{
    return runPanel(options, QFileDialog::AcceptOpen, m_runs);
}

std::optional<QString> QtFilePanels::saveFile(const FilePanelOptions &options)
{
    return runPanel(options, QFileDialog::AcceptSave, m_runs);
}

} // namespace platform::native
