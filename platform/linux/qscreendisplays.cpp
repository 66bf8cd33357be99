#include "qscreendisplays.h"

#include <QCursor>
#include <QGuiApplication>
#include <QObject>
#include <QScreen>

#include "platform/windowspace.h"

#include "platform/linux/displayoutput.h"
#include "platform/linux/linuxlog.h"

namespace platform::native {

// Follows the screens' coming, going and moving; one notice per change.
class QScreenDisplays::Watcher : public QObject
{
public:
    explicit Watcher(std::function<void()> changed)
        : m_changed(std::move(changed))
    {
        auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
        if (!app)
            return;
        connect(app, &QGuiApplication::screenAdded, this, [this](QScreen *screen) {
            follow(screen);
            m_changed();
        });
        connect(app, &QGuiApplication::screenRemoved, this, [this] { m_changed(); });
        connect(app, &QGuiApplication::primaryScreenChanged, this, [this] { m_changed(); });
        for (QScreen *screen : QGuiApplication::screens())
            follow(screen);
    }

private:
    void follow(QScreen *screen)
    {
        connect(screen, &QScreen::geometryChanged, this, [this] { m_changed(); });
    }

    std::function<void()> m_changed;
};

QScreenDisplays::QScreenDisplays(const QString &drmFolder)
    : m_drmFolder(drmFolder)
    , m_watcher(std::make_unique<Watcher>([this] {
        const auto observers = m_callbacks;
        for (const auto &callback : observers)
            callback();
    }))
{
}

QScreenDisplays::~QScreenDisplays() = default;

QList<DisplayInfo> QScreenDisplays::displays() const
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return {};
    const QScreen *primary = QGuiApplication::primaryScreen();
    QList<DisplayOutput> outputs;
    for (const QScreen *screen : QGuiApplication::screens()) {
        DisplayOutput output;
        output.connector = screen->name();
        output.edid = connectorEdid(m_drmFolder, output.connector);
        output.geometry = screen->geometry();
        output.primary = screen == primary;
        outputs.append(output);
    }
    return displaysFromOutputs(outputs);
}

WindowSpace QScreenDisplays::windowSpace() const
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return {};
    const QScreen *main = QGuiApplication::primaryScreen();
    if (!main && !QGuiApplication::screens().isEmpty())
        main = QGuiApplication::screens().first();
    return WindowSpace { main ? QPointF(main->geometry().topLeft()) : QPointF(), 1.0 };
}

int QScreenDisplays::rotation(quint32) const
{
    return 0;
}

bool QScreenDisplays::setRotation(quint32 id, int degrees)
{
    if (!m_toldRotation) {
        m_toldRotation = true;
        qCWarning(lcLinux, "cannot rotate display %08X to %d degrees: the display server offers no RandR", id, degrees);
    }
    return false;
}

void QScreenDisplays::onChanged(std::function<void()> callback)
{
    m_callbacks.push_back(std::move(callback));
}

QPointF QScreenDisplays::pointerPosition() const
{
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary)
        return {};
    return QPointF(QCursor::pos() - primary->geometry().topLeft());
}

} // namespace platform::native
