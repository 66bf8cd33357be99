#include "devicepipeline.h"

#include <algorithm>

#include "driver/boardparser.h"
#include "driver/reportdispatch.h"
#include "store/ovmodels.h"

namespace driver {

DevicePipeline::DevicePipeline(const store::ModelRow &row, TiltState &tilt)
    : m_row(row)
    , m_dispatcher(dispatcherFor(row.model))
    , m_tilt(tilt)
    , m_posting(row, m_pen)
{ }

void DevicePipeline::report(std::span<const std::uint8_t> bytes, const PipelineContext &context, Effects &out)
{
    if (!m_dispatcher)
        return;
    PenContext pen;
    pen.ovPressure = context.settings.ovPressure;
    pen.psminxing = context.psminxing;
    pen.psminying = context.psminying;
    pen.psmaxxing = context.psmaxxing;
    pen.psmaxying = context.psmaxying;
    const CalibEdges &edges = context.calibration.cbDelta;
    pen.minX = edgeReading(edges.minX.ix, edges.minX.dx);
    pen.minY = edgeReading(edges.minY.iy, edges.minY.dy);
    pen.nowMillis = context.nowMillis;
    pen.tilt = &m_tilt;

    m_context = &context;
    m_out = &out;
    const ReportResult result = m_dispatcher->dispatch(*m_dispatcher, bytes, m_pen, pen, *this);
    m_context = nullptr;
    m_out = nullptr;

    if (result.systemLog)
        out.emplace_back(LogEffect { QtInfoMsg, QString::fromLatin1(result.systemLog) });
    if (result.outcome == ReportOutcome::TooShort)
        out.emplace_back(DroppedEffect { result });
}

void DevicePipeline::postMouseEvent(
    quint32 type, quint32 button, const PipelineContext &context, Effects &out)
{
    m_posting.postMouseEvent(type, button, context, out);
}

void DevicePipeline::postMouseDoubleClickEvent(const PipelineContext &context, Effects &out)
{
    m_posting.postMouseDoubleClickEvent(context, out);
}

void DevicePipeline::postMouseScrollWheelEvent(qint32 lines, Effects &out)
{
    PenEventPosting::postMouseScrollWheelEvent(lines, out);
}

void DevicePipeline::postProximityEvent(bool enter)
{
    m_posting.postProximityEvent(enter, *m_context, *m_out);
}

void DevicePipeline::postPointEvent(quint32 type)
{
    m_posting.postPointEvent(type, *m_context, *m_out);
}

void DevicePipeline::preparePenKey(bool press, bool isDownKey)
{
    m_out->emplace_back(PenButtonEffect { press, isDownKey });
}

void DevicePipeline::prepareHKEraser(bool eraser, bool brushTool)
{
    m_out->emplace_back(ToolSwitchEffect { eraser, brushTool });
}

void DevicePipeline::upPen(std::span<const std::uint8_t> report)
{
    DiagnosticsEffect effect;
    effect.length = std::uint8_t(std::min(report.size(), effect.head.size()));
    std::copy_n(report.begin(), effect.length, effect.head.begin());
    m_out->emplace_back(effect);
}

void DevicePipeline::parseBoard(BoardParser parser, std::span<const std::uint8_t> report)
{
    const BoardResult result = parseBoardReport(parser, report, m_context->settings.ovDegree, m_lastBoardKey);
    switch (result.outcome) {
    case BoardOutcome::Event:
        m_out->emplace_back(result.event);
        break;
    case BoardOutcome::Unrecognised:
        m_out->emplace_back(LogEffect { QtInfoMsg, reportDescription(report) });
        break;
    case BoardOutcome::TooShort:
        m_out->emplace_back(DroppedEffect { result.tooShort });
        break;
    case BoardOutcome::Ignored:
        break;
    }
}

} // namespace driver
