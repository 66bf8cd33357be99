// The simulator's script and JSON readers: a script is whatever a test or a
// user writes, so every line must read as a command, a refusal with its
// reason, or nothing (blank, comment), and a JSON value that reads must print
// and read back to the same value, printed the same.
//
// Input: the script text. Every line goes through the line reader; the whole
// input, and the rest of each line after its first blank, through the JSON
// reader.

#include <cstdint>
#include <cstdlib>

#include <QByteArray>
#include <QString>

#include "simulator/simjson.h"
#include "simulator/simscript.h"

namespace {

void checkJson(const QByteArray &text)
{
    QString error;
    const auto value = driverapp::json::toValue(text, &error);
    if (!value) {
        if (error.isEmpty())
            std::abort();
        return;
    }
    if (!error.isEmpty())
        std::abort();
    const QByteArray printed = driverapp::json::fromValue(*value);
    const auto again = driverapp::json::toValue(printed, &error);
    if (!again || again->metaType() != value->metaType() || driverapp::json::fromValue(*again) != printed)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    checkJson(input);
    const QList<QByteArray> lines = input.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const driverapp::ParsedLine parsed = driverapp::parseLine(QString::fromUtf8(lines[i]), int(i + 1));
        if (parsed.command && !parsed.error.isEmpty())
            std::abort();
        if (parsed.command && parsed.command->line != int(i + 1))
            std::abort();
        const qsizetype blank = lines[i].indexOf(' ');
        if (blank >= 0)
            checkJson(lines[i].mid(blank + 1));
    }
    return 0;
}
