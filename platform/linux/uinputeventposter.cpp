#include "uinputeventposter.h"

#include "platform/linux/linuxlog.h"

namespace platform::native {

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
    const UinputTranslator::Result result = m_translator.translate(event);
    if (result.unmappedKey && m_loggedKeys.insert(*result.unmappedKey).second)
        qCWarning(lcLinux).noquote()
            << QStringLiteral("cannot post key code %1: no Linux key for it").arg(*result.unmappedKey);
    // Records of a device that could not be made go nowhere.
    for (const InputRecord &record : result.records) {
        if (m_sink->exists(record.device))
            m_sink->write(record);
    }
}

} // namespace platform::native
