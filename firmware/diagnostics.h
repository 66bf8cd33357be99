#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <span>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "firmware/cpuinfo.h"

// What the diagnostics window shows and writes, as pure functions: the live
// pen values of a generic pen report, the diagnosis log's text, the hint of
// the download button and the information text before a firmware file is
// chosen. The window controller looks the texts up and shows them.
namespace firmware {

// A generic pen report needs bytes 0..9 for the values and the log line; a
// shorter one shows nothing and is not logged.
inline constexpr std::size_t kDiagnosedReportLength = 10;
// Reports kept for the log while the window is open; beyond it the oldest
// go, and the log's separator line counts them.
inline constexpr std::size_t kMaxDiagnosedReports = 100000;

struct PenValues
{
    int x = 0;
    int y = 0;
    int pressure = 0;
    int tiltX = 0; // signed byte
    int tiltY = 0;
};

// X = b3·256 + b2, Y = b5·256 + b4, pressure = b7·256 + b6, tilts b8 and b9
// as signed bytes; nullopt for a report shorter than 10 bytes.
std::optional<PenValues> decodePenValues(std::span<const std::uint8_t> report);

// The captured reports of the window, bounded: the oldest are dropped and
// counted once the list is full.
class DiagnosedReports
{
public:
    explicit DiagnosedReports(std::size_t capacity = kMaxDiagnosedReports)
        : m_capacity(capacity)
    {
    }
    // Keeps the report's first 10 bytes; false (nothing kept) when shorter.
    bool append(std::span<const std::uint8_t> report);
    std::size_t size() const { return m_reports.size(); }
    quint64 dropped() const { return m_dropped; }
    // One "%02x%02x%02x%02x %02x%02x%02x%02x %02x%02x\n" line per report,
    // in order, then the separator line of 32 hyphens, followed by the count
    // of dropped reports when there were any.
    QByteArray logText() const;
    void clear();

private:
    std::size_t m_capacity;
    std::deque<std::array<std::uint8_t, kDiagnosedReportLength>> m_reports;
    quint64 m_dropped = 0;
};

// The text the log file gets per write: the log text and one more line end.
QByteArray diagnosisLogAppend(const DiagnosedReports &reports);
// homeFolder + "/Desktop/OrvaneDiagnosis.log".
QString diagnosisLogPath(const QString &homeFolder);

// Which hint the download button gives first: "OVF_FirmwareDownload_TIP1",
// "..._TIP2", "..._TIP3", or a null string for none. Names count only with
// their check flag; a null or empty name is unknown. With both flags and no
// name known there is nothing to say, so no hint either.
QString downloadHintKey(bool supportCheckCPU, bool supportCheckPenKind, const QString &cpuName,
                        const QString &penName);
// The hint's arguments, in the order its text takes them.
QStringList downloadHintArguments(const QString &hintKey, const QString &cur_PM, const QString &cpuName,
                                  const QString &penName);

// The labels and values of the information alert before a file is chosen.
struct UpdateAlertTexts
{
    QString info; // "DIA_Alert_Info"
    QString proLabel, product; // "DIA_Alert_PRO", pName
    QString cpuLabel, cpu; // "DIA_Alert_CPU", CPU name
    QString havLabel, hardware; // "DIA_Alert_HAV", cchd
    QString penLabel, pen; // "DIA_Alert_PEN", pen name
    QString tip; // "OVF_TIP"
};
// Five lines, each ended by a line feed: "info：", then four lines of seven
// spaces, "label：value" (full-width colons), then the tip.
QString updateAlertText(const UpdateAlertTexts &texts);

// The download page: the Chinese one when the first preferred language is
// written in the Simplified or Traditional Chinese script, else the English
// help page.
QString firmwareDownloadUrl(const QStringList &preferredLanguages);
QString firmwareInstructionsUrl();

} // namespace firmware
