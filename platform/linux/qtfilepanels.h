#pragma once

#include "platform/alerts.h"

namespace platform::native {

// Open and save panels as application-modal file dialogs. Allowed suffixes
// become the name filter ("*.plist"); a save panel appends the first suffix
// to a name given without one. Without canCreateDirectories the dialog
// offers no new folder.
class QtFilePanels : public FilePanels
{
public:
    std::optional<QString> openFile(const FilePanelOptions &options) override;
    std::optional<QString> saveFile(const FilePanelOptions &options) override;
};

} // namespace platform::native
