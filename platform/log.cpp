#include "log.h"

#include <cstdio>

Q_LOGGING_CATEGORY(lcStdout, "ov.stdout")
Q_LOGGING_CATEGORY(lcPlatform, "ov.platform")

namespace platform {

namespace {
void handler(QtMsgType, const QMessageLogContext &context, const QString &message)
{
    const QByteArray text = message.toUtf8();
    FILE *out = (context.category && qstrcmp(context.category, "ov.stdout") == 0) ? stdout : stderr;
    std::fwrite(text.constData(), 1, size_t(text.size()), out);
    std::fputc('\n', out);
    std::fflush(out);
}
} // namespace

void installDefaultMessageHandler()
{
    qInstallMessageHandler(handler);
}

} // namespace platform
