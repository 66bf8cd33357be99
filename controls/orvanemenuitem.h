#pragma once

#include <QWidgetAction>

namespace controls {

class OrvaneMenuItemView;

// A titled item of an OrvaneMenu, drawn by its OrvaneMenuItemView. Checked
// (setCheckable + setChecked) is the item's "on" state: its view shows the
// tick.
class OrvaneMenuItem : public QWidgetAction
{
    Q_OBJECT
public:
    explicit OrvaneMenuItem(const QString &title, QObject *parent = nullptr);

    // Null while the item is hidden.
    OrvaneMenuItemView *view() const;
    // The item takes the view (and deletes it with itself).
    void setView(OrvaneMenuItemView *view);

private:
    OrvaneMenuItemView *m_view = nullptr;
};

} // namespace controls
