#include "uinputeventposter.h"

#include <algorithm>
#include <chrono>

#include <QGuiApplication>
#include <QStyleHints>

#include "platform/linux/linuxlog.h"

namespace platform::native {

namespace {

// The interval within which the desktop's toolkits make two clicks a double
// click; the driver without a GUI application takes their usual 0.5 s.
double desktopDoubleClickInterval()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return QGuiApplication::styleHints()->mouseDoubleClickInterval() / 1000.0;
    return 0.5;
}

double monotonicSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

QRectF desktopOf(const QList<DisplayInfo> &displays)
{
    QRectF desktop;
    for (const DisplayInfo &display : displays)
        desktop = desktop.united(display.bounds);
    return desktop;
}

UinputEventPoster::UinputEventPoster(std::unique_ptr<UinputSink> sink)
    : m_sink(std::move(sink))
{
    QString why;
    if (!m_sink->create(VirtualDevice::Mouse, mouseDescription(), &why)
        || !m_sink->create(VirtualDevice::Keyboard, keyboardDescription(), &why)) {
        m_sink->destroy(VirtualDevice::Mouse);
        m_unavailable = why.isEmpty() ? QStringLiteral("cannot create a virtual input device") : why;
    }
}

UinputEventPoster::~UinputEventPoster() = default;

bool UinputEventPoster::available(QString *why) const
{
    if (why)
        *why = m_unavailable;
    return m_unavailable.isEmpty();
}

void UinputEventPoster::setDesktop(const QRectF &desktop)
{
    const QRectF normalized = desktop.normalized();
    if (normalized == m_translator.desktop() && (normalized.isEmpty() || m_sink->exists(VirtualDevice::Pen)))
        return;
    m_sink->destroy(VirtualDevice::Pen);
    m_translator.setDesktop(normalized);
    if (!m_unavailable.isEmpty() || normalized.isEmpty())
        return;
    QString why;
    if (!m_sink->create(VirtualDevice::Pen, penDescription(normalized), &why))
        qCWarning(lcLinux).noquote() << QStringLiteral("cannot create the virtual pen: %1").arg(why);
}

void UinputEventPoster::followDisplays(Displays &displays)
{
    setDesktop(desktopOf(displays.displays()));
    displays.onChanged([this, &displays] { setDesktop(desktopOf(displays.displays())); });
}

void UinputEventPoster::post(const OVEvent &event)
{
    // Read at each event: the desktop's setting can change while we run.
    m_translator.setDoubleClickInterval(desktopDoubleClickInterval());
    const UinputTranslator::Result result = m_translator.translate(event, monotonicSeconds());
    if (result.unmappedKey && m_loggedKeys.insert(*result.unmappedKey).second)
        qCWarning(lcLinux).noquote()
            << QStringLiteral("cannot post key code %1: no Linux key for it").arg(*result.unmappedKey);
    m_penPosted = m_penPosted
        || std::any_of(result.records.begin(), result.records.end(),
            [](const InputRecord &record) { return record.device == VirtualDevice::Pen; });
    write(result.records);
}

void UinputEventPoster::write(const std::vector<InputRecord> &records)
{
    // Records of a device that could not be made go nowhere.
    for (const InputRecord &record : records) {
        if (m_sink->exists(record.device))
            m_sink->write(record);
    }
}

void UinputEventPoster::deviceReported(const void *device)
{
    if (m_penPosted)
        m_penDevice = device;
    else if (device == m_penDevice)
        write(m_translator.keepAlive(monotonicSeconds()));
    m_penPosted = false;
}

} // namespace platform::native
