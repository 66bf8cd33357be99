#include "support_firmwaredevice.h"

#include <mutex>

#include <QtGlobal>

#include "firmware/deviceexchange.h"

namespace fwtest {

namespace {

quint16 be16(const QByteArray &bytes, int at)
{
    return quint16((quint8(bytes[at]) << 8) | quint8(bytes[at + 1]));
}

void appendBe16(QByteArray &bytes, quint16 value)
{
    bytes.append(char(value >> 8));
    bytes.append(char(value & 0xFF));
}

constexpr int kReportLength = 1101;

} // namespace

quint16 referenceCrc(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return 0;
    quint16 crc = 0xFFFF;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0x8408) : quint16(crc >> 1);
    }
    return quint16(~crc);
}

QByteArray referenceFrame(quint16 sequence, quint16 word0, quint16 word1, quint16 word2, const QByteArray &payload)
{
    QByteArray frame = QByteArray::fromHex("89FFFF");
    appendBe16(frame, sequence);
    appendBe16(frame, quint16(payload.size() + 6));
    appendBe16(frame, word0);
    appendBe16(frame, word1);
    appendBe16(frame, word2);
    frame += payload;
    appendBe16(frame, referenceCrc(frame));
    return frame;
}

SimFirmwareDevice::SimFirmwareDevice(platform::sim::SimHidSystem &hid, platform::sim::SimRunLoop &runLoop,
                                     const QString &name)
    : m_runLoop(runLoop)
{
    m_device = hid.connect(name, {{QLatin1String(platform::kHidVendorID), 0x3A8F},
                                  {QLatin1String(platform::kHidProductID), 0x1107},
                                  {QLatin1String(platform::kHidPrimaryUsagePage), 0xFF0C},
                                  {QLatin1String(platform::kHidPrimaryUsage), 1}});
    hid.setOutputHook([this](const platform::sim::SimHidDevice &device,
                             const platform::sim::SimHidDevice::OutputReport &report) {
        if (&device == m_device)
            onOutput(report.bytes);
    });
}

SimFirmwareDevice::~SimFirmwareDevice()
{
    m_runLoop.cancelAll(this);
}

void SimFirmwareDevice::attach(firmware::DeviceExchange &exchange)
{
    std::weak_ptr<firmware::DeviceExchange> weak = exchange.weak_from_this();
    m_device->registerInputReportCallback(
        [weak](const platform::InputReport &report) {
            if (auto exchange = weak.lock())
                exchange->commReplyCallback(report);
        },
        kReportLength);
    exchange.setDeviceRef(firmware::kInterface0C, m_device);
}

std::vector<quint16> SimFirmwareDevice::commandWords() const
{
    std::vector<quint16> words;
    for (const Request &request : requests())
        words.push_back(request.words[2]);
    return words;
}

void SimFirmwareDevice::refuseReports(quint32 result)
{
    m_refusing = result != platform::hidresult::Success;
    m_device->setReportResult(result);
}

void SimFirmwareDevice::onOutput(const QByteArray &report)
{
    if (m_refusing)
        return;
    Request request;
    request.reportLength = int(report.size());
    if (report.size() >= 16 && quint8(report[0]) == 0xFD) {
        const QByteArray frame = report.mid(1);
        request.sequence = be16(frame, 3);
        const int length = be16(frame, 5);
        const int n = length - 6;
        if (n >= 0 && 15 + n <= frame.size()) {
            for (int w = 0; w < 3; ++w)
                request.words[w] = be16(frame, 7 + 2 * w);
            request.payload = frame.mid(13, n);
            request.crcValid = referenceCrc(frame.left(13 + n)) == be16(frame, 13 + n);
            const QByteArray rest = frame.mid(15 + n);
            request.zeroPadded = rest.count('\0') == rest.size();
        }
    }

    const quint16 command = request.words[2];
    bool quiet = silent || (silentFor.count(command) && silentFor.at(command));
    const QByteArray reply = quiet ? QByteArray() : answerFor(request);
    if (m_unanswered > 0)
        m_overlap = true;
    m_requests.push_back(request);
    m_times.push_back(m_runLoop.now());
    if (quiet)
        return;
    ++m_unanswered;
    const std::vector<QByteArray> before = beforeReply;
    const bool withReply = replyAtAll;
    auto deliver = [this, before, reply, withReply] {
        --m_unanswered;
        for (const QByteArray &bytes : before)
            m_device->deliverInput({reinterpret_cast<const std::uint8_t *>(bytes.constData()), size_t(bytes.size())});
        if (withReply)
            m_device->deliverInput({reinterpret_cast<const std::uint8_t *>(reply.constData()), size_t(reply.size())});
    };
    m_runLoop.after(answerDelay, this, deliver);
}

QByteArray SimFirmwareDevice::answerFor(const Request &request)
{
    const quint16 command = request.words[2];
    quint16 code = resultCodes.count(command) ? resultCodes.at(command) : 0;
    QByteArray data;
    switch (command) {
    case 0x0202:
        data.append(char(0));
        data.append(char(firmwareMajor));
        data.append(char(firmwareMinor));
        for (int i = 0; i < 64; ++i)
            data.append(char(i));
        data.append(char(hardwareMajor));
        data.append(char(hardwareMinor));
        data.append(QByteArray::fromHex("070809"));
        break;
    case 0x0204:
        data = cpuBytes;
        break;
    case 0x0101:
        data = runSpaceByte.isNull() ? QByteArray(1, char(runSpace)) : runSpaceByte;
        break;
    case 0x0102:
        if (code == 0 && !request.payload.isEmpty())
            runSpace = quint8(request.payload[0]);
        break;
    case 0x0103:
        if (!flashBytes.isNull()) {
            data = flashBytes;
        } else {
            for (int i = 0; i < 4; ++i)
                data.append(char((quint32(flashSpace) >> (8 * i)) & 0xFF));
        }
        break;
    case 0x0104:
        if (request.payload.size() >= 5 && be16(request.payload, 3) == failRecordIndex)
            code = 3;
        break;
    default:
        break;
    }
    QByteArray payload;
    appendBe16(payload, code);
    payload += data;
    QByteArray report(1, char(0xFC));
    report += referenceFrame(0, 0, 0, 0, payload);
    if (corruptCrc)
        report[report.size() - 1] = char(report[report.size() - 1] ^ 0x01);
    report.append(QByteArray(kReportLength - report.size(), '\0'));
    return report;
}

bool runUntil(platform::sim::SimRunLoop &runLoop, const std::function<bool()> &done, double limit)
{
    const double end = runLoop.now() + limit;
    runLoop.drain();
    while (!done()) {
        const double next = runLoop.nextDueTime();
        if (next < 0 || next > end)
            return false;
        runLoop.runNext();
    }
    runLoop.drain();
    return done();
}

namespace {

struct CapturedLine
{
    QByteArray category;
    QtMsgType type;
    QString text;
};

std::mutex g_logMutex;
std::vector<CapturedLine> g_lines;
QtMessageHandler g_previous = nullptr;

void captureHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    {
        std::lock_guard lock(g_logMutex);
        g_lines.push_back({QByteArray(context.category ? context.category : "default"), type, message});
    }
    // Nothing is passed on: the tests assert every line they expect, and the
    // warnings() list shows the stray ones.
}

} // namespace

LogCapture::LogCapture()
{
    clear();
    g_previous = qInstallMessageHandler(captureHandler);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(g_previous);
}

QStringList LogCapture::lines(const char *category) const
{
    std::lock_guard lock(g_logMutex);
    QStringList out;
    for (const CapturedLine &line : g_lines) {
        if (line.category == category)
            out << line.text;
    }
    return out;
}

QStringList LogCapture::warnings() const
{
    std::lock_guard lock(g_logMutex);
    QStringList out;
    for (const CapturedLine &line : g_lines) {
        if (line.type == QtWarningMsg || line.type == QtCriticalMsg)
            out << line.text;
    }
    return out;
}

void LogCapture::clear()
{
    std::lock_guard lock(g_logMutex);
    g_lines.clear();
}

} // namespace fwtest
