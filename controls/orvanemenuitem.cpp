#include "controls/orvanemenuitem.h"

#include "controls/orvanemenuitemview.h"

namespace controls {

OrvaneMenuItem::OrvaneMenuItem(const QString &title, QObject *parent)
    : QWidgetAction(parent)
{
    setText(title);
}

OrvaneMenuItemView *OrvaneMenuItem::view() const
{
    return isVisible() ? m_view : nullptr;
}

void OrvaneMenuItem::setView(OrvaneMenuItemView *view)
{
    m_view = view;
    setDefaultWidget(view);
}

} // namespace controls
