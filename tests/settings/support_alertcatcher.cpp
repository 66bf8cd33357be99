#include "support_alertcatcher.h"

#include <QApplication>

#include "settings/modalruns.h"
#include "settings/ovalert.h"

AlertCatcher::AlertCatcher()
{
    // Runs only inside the alert's own modal loop.
    m_poll.setInterval(5);
    connect(&m_poll, &QTimer::timeout, this, [this] {
        auto *alert = qobject_cast<settings::OVAlert *>(QApplication::activeModalWidget());
        if (!alert || !alert->isVisible())
            return;
        seen.append(Seen { alert->titleText(), alert->informativeText(),
            alert->modalRuns() ? alert->modalRuns()->depth() : 0 });
        alert->clickOK();
    });
    m_poll.start();
}
