#pragma once

#include "platform/alerts.h"

namespace platform {
class ModalRuns;
}

namespace platform::native {

// Open and save panels as application-modal file dialogs. Allowed suffixes
// become the name filter ("*.plist"); a save panel appends the first suffix
// to a name given without one. Without canCreateDirectories the dialog
// offers no new folder. Each panel is a modal run of `runs`: ended from
// outside it is cancelled, and while the program ends it is cancelled
// without showing.
class QtFilePanels : public FilePanels
{
public:
    explicit QtFilePanels(ModalRuns *runs = nullptr)
        : m_runs(runs)
    {
    }
    std::optional<QString> openFile(const FilePanelOptions &options) override;
    std::optional<QString> saveFile(const FilePanelOptions &options) override;

private:
    ModalRuns *m_runs;
};

} // namespace platform::native
