#include "simoutput.h"

#include "platform/runloop.h"
#include "simjson.h"

namespace driverapp {

namespace {

std::atomic<SimOutput *> s_capture { nullptr };
QtMessageHandler s_previous = nullptr;

void messageHandler(QtMsgType, const QMessageLogContext &, const QString &message)
{
    if (SimOutput *out = s_capture.load())
        out->log(message);
}

QByteArray object(std::initializer_list<std::pair<const char *, QByteArray>> members)
{
    QByteArray out = "{";
    bool first = true;
    for (const auto &[key, value] : members) {
        if (!first)
            out += ',';
        first = false;
        out += '"';
        out += key;
        out += "\":";
        out += value;
    }
    return out + '}';
}

QByteArray text(const QString &value)
{
    return value.isNull() ? QByteArrayLiteral("null") : json::string(value);
}

} // namespace

SimOutput::SimOutput(FILE *stream)
    : m_stream(stream)
{ }

SimOutput::~SimOutput()
{
    if (m_capturing) {
        s_capture.store(nullptr);
        qInstallMessageHandler(s_previous);
    }
}

void SimOutput::setClock(const platform::RunLoop *runLoop)
{
    m_clock = runLoop;
    m_start = runLoop ? runLoop->now() : 0;
    m_last = 0;
}

void SimOutput::captureMessages()
{
    if (m_capturing)
        return;
    m_capturing = true;
    s_capture.store(this);
    s_previous = qInstallMessageHandler(messageHandler);
}

double SimOutput::time()
{
    if (m_clock && m_clock->isMainThread()) {
        const double t = m_clock->now() - m_start;
        m_last = t;
        return t;
    }
    return m_last;
}

void SimOutput::line(const char *key, const QByteArray &valueJson)
{
    QByteArray out = "{\"t\":";
    out += QByteArray::number(time(), 'f', 3);
    out += ",\"";
    out += key;
    out += "\":";
    out += valueJson;
    out += "}\n";
    std::lock_guard lock(m_mutex);
    std::fwrite(out.constData(), 1, size_t(out.size()), m_stream);
    std::fflush(m_stream);
}

void SimOutput::log(const QString &message)
{
    line("log", json::string(message));
}

QByteArray SimOutput::eventJson(const platform::OVEvent &event)
{
    QByteArray fields = "{";
    bool first = true;
    for (auto it = event.fields.cbegin(); it != event.fields.cend(); ++it) {
        if (!first)
            fields += ',';
        first = false;
        fields += '"' + QByteArray::number(it.key()) + "\":" + json::fromValue(it.value());
    }
    fields += '}';
    QByteArray out = "{\"type\":" + json::unsignedInteger(event.type)
        + ",\"button\":" + json::unsignedInteger(event.button) + ",\"x\":" + json::real(event.x) + ",\"y\":"
        + json::real(event.y) + ",\"flags\":" + json::unsignedInteger(event.flags) + ",\"fields\":" + fields;
    if (event.kind == platform::OVEvent::Kind::Keyboard)
        out += ",\"key\":" + json::unsignedInteger(event.keyCode)
            + ",\"down\":" + json::boolean(event.keyDown);
    if (event.kind == platform::OVEvent::Kind::Scroll)
        out += ",\"lines\":" + json::integer(event.lines);
    return out + '}';
}

void SimOutput::post(const platform::OVEvent &event)
{
    line("post", eventJson(event));
}

void SimOutput::setReport(
    const QString &iface, platform::ReportType type, quint32 reportId, const QByteArray &bytes)
{
    const char *typeName = type == platform::ReportType::Feature ? "feature"
        : type == platform::ReportType::Output                   ? "output"
                                                                 : "input";
    line("setReport",
        object({ { "iface", json::string(iface) }, { "type", json::string(QLatin1String(typeName)) },
            { "id", json::unsignedInteger(reportId) },
            { "bytes", json::string(QString::fromLatin1(bytes.toHex())) } }));
}

void SimOutput::usb(int vendorId, int productId, const platform::UsbControlRequest &request)
{
    line("usb",
        object({ { "vendor", json::integer(vendorId) }, { "product", json::integer(productId) },
            { "requestType", json::unsignedInteger(request.requestType) },
            { "request", json::unsignedInteger(request.request) },
            { "value", json::unsignedInteger(request.value) },
            { "index", json::unsignedInteger(request.index) },
            { "length", json::unsignedInteger(request.length) } }));
}

void SimOutput::notify(const platform::Notification &notification)
{
    line("notify",
        object({ { "name", json::string(notification.name) }, { "object", text(notification.object) },
            { "userInfo", json::fromValue(notification.userInfo) } }));
}

void SimOutput::alert(const QString &title, const QString &message)
{
    line("alert", object({ { "title", json::string(title) }, { "message", json::string(message) } }));
}

void SimOutput::launch(const QString &path)
{
    line("launch", json::string(path));
}

void SimOutput::open(const QString &pathOrUrl)
{
    line("open", json::string(pathOrUrl));
}

void SimOutput::write(const QString &name, const QByteArray &content)
{
    line("write",
        object({ { "name", json::string(name) }, { "size", json::integer(content.size()) },
            { "content", json::string(QString::fromLatin1(content.toBase64())) } }));
}

void SimOutput::config(const QString &device, const QVariant &value)
{
    line("config",
        object({ { "device", json::string(device) },
            { "value", value.isValid() ? json::fromValue(value) : QByteArrayLiteral("null") } }));
}

void SimOutput::defaults(const QVariantMap &values)
{
    line("defaults", json::fromValue(values));
}

void SimOutput::notice(const QString &noticeText)
{
    line("notice", json::string(noticeText));
}

void SimOutput::window(const QString &name, bool shown)
{
    line("window", object({ { "name", json::string(name) }, { "shown", json::boolean(shown) } }));
}

void SimOutput::progress(int stage, const QString &text, double value, bool determinate)
{
    line("progress", object({ { "stage", json::integer(stage) }, { "text", json::string(text) },
        { "value", json::real(value) }, { "determinate", json::boolean(determinate) } }));
}

void SimOutput::alertClosed(const QString &title, int button)
{
    line("alertClosed", object({ { "title", json::string(title) }, { "button", json::integer(button) } }));
}

void SimOutput::panelClosed(const std::optional<QString> &path)
{
    line("panelClosed", object({ { "path", path ? json::string(*path) : QByteArray("null") } }));
}

void SimOutput::exit(const QString &reason)
{
    line("exit", json::string(reason));
}

} // namespace driverapp
