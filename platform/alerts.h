#pragma once

#include <optional>

#include <QStringList>

namespace platform {

// Modal alerts: the answer is the index of the pressed button (0 = the
// first, the default).
class Alerts
{
public:
    virtual ~Alerts() = default;
    virtual int run(const QString &title, const QString &message, const QStringList &buttons) = 0;
    // False where no person can see an alert, so that run() would wait for
    // an answer that never comes: a program started outside a graphical
    // session draws its windows nowhere.
    virtual bool answerable() const { return true; }
};

struct FilePanelOptions
{
    QString title;
    QString directory;
    QStringList allowedSuffixes; // empty: any
    bool canCreateDirectories = false;
    // Folders offered beside the starting one (a file dialog's side bar).
    QStringList places;
    // A save panel's name to start with, in the starting folder; empty: none.
    QString fileName;
};

// A save panel with allowed suffixes appends the first one to a typed name
// that has no suffix; it asks before it answers the name of an existing file.
class FilePanels
{
public:
    virtual ~FilePanels() = default;
    virtual std::optional<QString> openFile(const FilePanelOptions &options) = 0;
    virtual std::optional<QString> saveFile(const FilePanelOptions &options) = 0;
};

} // namespace platform
