#include "support_firmwarescript.h"

#include <QJsonObject>

#include "firmware/support_firmwaredevice.h"

namespace simfw {

namespace {

quint16 be16(const QByteArray &bytes, qsizetype at)
{
    return quint16((quint8(bytes[at]) << 8) | quint8(bytes[at + 1]));
}

} // namespace

QByteArray replyReport(quint16 code, const QByteArray &data)
{
    QByteArray payload;
    payload.append(char(code >> 8)).append(char(code & 0xFF));
    payload += data;
    return QByteArray(1, char(0xFC)) + fwtest::referenceFrame(0, 0, 0, 0, payload);
}

QString replyLine(const QString &iface, quint16 code, const QByteArray &data)
{
    return QStringLiteral("report %1 %2\n").arg(iface, QString::fromLatin1(replyReport(code, data).toHex()));
}

QString versionReplyLine(const QString &iface, int firmwareMajor, int firmwareMinor, int hardwareMajor,
                         int hardwareMinor)
{
    QByteArray data(72, '\0');
    data[1] = char(firmwareMajor);
    data[2] = char(firmwareMinor);
    data[67] = char(hardwareMajor);
    data[68] = char(hardwareMinor);
    return replyLine(iface, 0, data);
}

QList<SentRequest> requestsOf(const Run &run)
{
    QList<SentRequest> requests;
    for (const Line &line : run.of(QStringLiteral("setReport"))) {
        const QJsonObject report = line.value.toObject();
        const QByteArray bytes = QByteArray::fromHex(report.value(QLatin1String("bytes")).toString().toLatin1());
        if (bytes.size() < 16 || quint8(bytes[0]) != 0xFD)
            continue;
        const QByteArray frame = bytes.mid(1);
        SentRequest request;
        request.t = line.t;
        request.iface = report.value(QLatin1String("iface")).toString();
        request.word1 = be16(frame, 9);
        request.word2 = be16(frame, 11);
        const int n = be16(frame, 5) - 6;
        if (n >= 0 && 15 + n <= frame.size()) {
            request.payload = frame.mid(13, n);
            request.crcValid = fwtest::referenceCrc(frame.left(13 + n)) == be16(frame, 13 + n);
        }
        requests.append(request);
    }
    return requests;
}

} // namespace simfw
