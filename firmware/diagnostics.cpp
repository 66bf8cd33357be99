#include "diagnostics.h"

#include <algorithm>
#include <cstdio>

#include <QLocale>

namespace firmware {

namespace {
constexpr char kSeparator[] = "--------------------------------"; // 32 hyphens
constexpr QChar kFullWidthColon(0xFF1A);
const QString kIndent = QStringLiteral("       "); // seven spaces

int signedByte(std::uint8_t b)
{
    return b > 127 ? int(b) - 256 : int(b);
}
} // namespace

std::optional<PenValues> decodePenValues(std::span<const std::uint8_t> b)
{
    if (b.size() < kDiagnosedReportLength)
        return std::nullopt;
    PenValues values;
    values.x = b[3] * 256 + b[2];
    values.y = b[5] * 256 + b[4];
    values.pressure = b[7] * 256 + b[6];
    values.tiltX = signedByte(b[8]);
    values.tiltY = signedByte(b[9]);
    return values;
}

bool DiagnosedReports::append(std::span<const std::uint8_t> report)
{
    if (report.size() < kDiagnosedReportLength || m_capacity == 0)
        return false;
    if (m_reports.size() >= m_capacity) {
        m_reports.pop_front();
        ++m_dropped;
    }
    std::array<std::uint8_t, kDiagnosedReportLength> kept;
    std::copy_n(report.begin(), kDiagnosedReportLength, kept.begin());
    m_reports.push_back(kept);
    return true;
}

QByteArray DiagnosedReports::logText() const
{
    QByteArray text;
    text.reserve(qsizetype(m_reports.size() * 23 + 64));
    for (const auto &b : m_reports) {
        char line[24];
        std::snprintf(line, sizeof line, "%02x%02x%02x%02x %02x%02x%02x%02x %02x%02x\n", b[0], b[1], b[2], b[3], b[4],
                      b[5], b[6], b[7], b[8], b[9]);
        text += line;
    }
    text += kSeparator;
    if (m_dropped > 0)
        text += " " + QByteArray::number(m_dropped) + " older reports dropped";
    text += '\n';
    return text;
}

void DiagnosedReports::clear()
{
    m_reports.clear();
    m_dropped = 0;
}

QByteArray diagnosisLogAppend(const DiagnosedReports &reports)
{
    return reports.logText() + '\n';
}

QString diagnosisLogPath(const QString &homeFolder)
{
    return homeFolder + QStringLiteral("/Desktop/OrvaneDiagnosis.log");
}

QString downloadHintKey(bool supportCheckCPU, bool supportCheckPenKind, const QString &cpuName,
                        const QString &penName)
{
    const bool cpu = supportCheckCPU && !cpuName.isEmpty();
    const bool pen = supportCheckPenKind && !penName.isEmpty();
    if (cpu && pen)
        return QStringLiteral("OVF_FirmwareDownload_TIP1");
    if (cpu)
        return QStringLiteral("OVF_FirmwareDownload_TIP2");
    if (pen)
        return QStringLiteral("OVF_FirmwareDownload_TIP3");
    return QString();
}

QStringList downloadHintArguments(const QString &hintKey, const QString &cur_PM, const QString &cpuName,
                                  const QString &penName)
{
    if (hintKey.endsWith(QLatin1String("TIP1")))
        return {cur_PM, cpuName, penName};
    if (hintKey.endsWith(QLatin1String("TIP2")))
        return {cur_PM, cpuName};
    if (hintKey.endsWith(QLatin1String("TIP3")))
        return {cur_PM, penName};
    return {};
}

QString updateAlertText(const UpdateAlertTexts &t)
{
    QString text = t.info + kFullWidthColon + QLatin1Char('\n');
    const std::pair<const QString *, const QString *> rows[] = {
        {&t.proLabel, &t.product}, {&t.cpuLabel, &t.cpu}, {&t.havLabel, &t.hardware}, {&t.penLabel, &t.pen}};
    for (const auto &[label, value] : rows)
        text += kIndent + *label + kFullWidthColon + *value + QLatin1Char('\n');
    return text + t.tip;
}

QString firmwareDownloadUrl(const QStringList &preferredLanguages)
{
    if (!preferredLanguages.isEmpty()) {
        const QString first = preferredLanguages.first();
        const QLocale::Script script = QLocale(first).script();
        if (first.contains(QLatin1String("zh-Hans")) || first.contains(QLatin1String("zh-Hant"))
            || (first.startsWith(QLatin1String("zh"))
                && (script == QLocale::SimplifiedHanScript || script == QLocale::TraditionalHanScript)))
            return QStringLiteral("https://www.orvane.com/zh/download/firmware");
    }
    return QStringLiteral("https://www.orvane.com/support/firmware-upgrade");
}

QString firmwareInstructionsUrl()
{
    return QStringLiteral("https://www.orvane.com/support/firmware-upgrade-linux");
}

} // namespace firmware
