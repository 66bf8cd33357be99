#pragma once

// Pieces of simulator scripts for the firmware side: the replies a device's
// firmware sends, as `report` lines, and the requests read back from the
// "setReport" lines. Frames are built with the bit-by-bit CRC of the firmware
// tests' device double, not with the driver's own code.

#include <QByteArray>
#include <QList>
#include <QString>

#include "simrun.h"

namespace simfw {

// A reply report: 0xFC, then a frame with result code `code` and `data`.
QByteArray replyReport(quint16 code, const QByteArray &data);
// "report IFACE <hex>" of a reply.
QString replyLine(const QString &iface, quint16 code = 0, const QByteArray &data = QByteArray());
// The version record's reply: firmware and hardware versions.
QString versionReplyLine(const QString &iface, int firmwareMajor, int firmwareMinor, int hardwareMajor,
                         int hardwareMinor);

// One request the driver sent, read from a "setReport" line.
struct SentRequest
{
    double t = 0;
    QString iface;
    quint16 word1 = 0;
    quint16 word2 = 0; // the command
    QByteArray payload;
    bool crcValid = false;
};

// The requests among the run's "setReport" lines (output reports beginning
// 0xFD), in order.
QList<SentRequest> requestsOf(const Run &run);

} // namespace simfw
