#include "support_pensink.h"

void RecordingPenSink::postProximityEvent(bool enter)
{
    calls << QStringLiteral("proximity %1").arg(int(enter));
}

void RecordingPenSink::postPointEvent(quint32 type)
{
    calls << QStringLiteral("point %1").arg(type);
    if (state)
        mouseDownAtPoint << state->isMouseDown;
}

void RecordingPenSink::preparePenKey(bool press, bool isDownKey)
{
    calls << QStringLiteral("penKey %1 %2").arg(int(press)).arg(int(isDownKey));
}

void RecordingPenSink::prepareHKEraser(bool eraser, bool brushTool)
{
    calls << QStringLiteral("eraser %1 %2").arg(int(eraser)).arg(int(brushTool));
}

void RecordingPenSink::upPen(std::span<const std::uint8_t> report)
{
    ++upPenCount;
    lastUpPenLength = qsizetype(report.size());
}

void RecordingPenSink::parseBoard(driver::BoardParser parser, std::span<const std::uint8_t> report)
{
    calls << QStringLiteral("board %1 %2").arg(int(parser)).arg(report.size());
}

void RecordingPenSink::clear()
{
    calls.clear();
    upPenCount = 0;
    lastUpPenLength = -1;
    mouseDownAtPoint.clear();
}

bool samePenState(const driver::PenState &a, const driver::PenState &b)
{
    return a.eventData == b.eventData && a.lastEventData == b.lastEventData
        && a.reportCount == b.reportCount && a.orvaneModeInited == b.orvaneModeInited
        && a.baseTiltInited == b.baseTiltInited && a.isMouseDown == b.isMouseDown
        && a.is_oem_sorvi_eraser_state == b.is_oem_sorvi_eraser_state && a.psminx1 == b.psminx1
        && a.psminy1 == b.psminy1 && a.psmaxx1 == b.psmaxx1 && a.psmaxy1 == b.psmaxy1;
}

QByteArray hexReport(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

std::span<const std::uint8_t> bytesOf(const QByteArray &report)
{
    return {reinterpret_cast<const std::uint8_t *>(report.constData()), size_t(report.size())};
}
