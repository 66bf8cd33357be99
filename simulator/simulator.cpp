#include "simulator.h"

#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <QSaveFile>

#include "driver/appdelegate.h"
#include "driver/ovhudalert.h"
#include "driver/ovmanager.h"
#include "driver/ovservice.h"
#include "platform/hid.h"
#include "platform/plist.h"
#include "platform/stringtable.h"
#include "platform/workspace.h"
#include "simoutput.h"
#include "store/ovmodels.h"
#include "store/ovpublicobject.h"

namespace driverapp {

namespace {

QVariantMap usagePair(int page, int usage)
{
    return QVariantMap { { QLatin1String(platform::kHidDeviceUsagePage), page },
        { QLatin1String(platform::kHidDeviceUsage), usage } };
}

platform::VendorProduct vendorProductOf(store::Model model)
{
    const store::ModelRow &row = store::rowFor(model);
    return platform::VendorProduct { row.vendorId, row.productId };
}

} // namespace

Simulator::Simulator(SimOutput &out, const QString &dataFolder, const RealTimeServices *realTime)
    : m_out(out)
    , m_realTime(realTime != nullptr)
    , m_sim(m_bus, QLatin1String(platform::kDriverBundleId), dataFolder)
{
    if (realTime) {
        m_services = *realTime;
        platform::Platform &sim = m_sim.platform();
        m_realPlatform.reset(new platform::Platform { { *m_services.runLoop, sim.local, *m_services.distributed,
                                                           sim.displays, sim.workspace, sim.defaults, sim.strings,
                                                           sim.alerts, sim.filePanels, sim.keyboard, sim.files, sim.modalRuns,
                                                           sim.dataFolder, sim.bundleId },
            sim.hid, sim.usb, sim.poster, sim.modifierTap });
        m_platform = m_realPlatform.get();
        // Held-back work follows the real loop.
        m_sim.modalRuns.setRunLoop(m_services.runLoop);
    } else {
        m_platform = &m_sim.platform();
    }
    m_out.setClock(&m_platform->runLoop);
    installHooks();
}

Simulator::~Simulator()
{
    // The driver first: its cleanup still reaches the hooks and the platform.
    m_delegate.reset();
    m_platform->runLoop.cancelAll(this);
}

void Simulator::installHooks()
{
    m_bus.setPostHook(
        [this](const platform::sim::SimDistributedCenter &poster, const platform::Notification &n) {
            if (&poster == &m_sim.distributed)
                m_out.notify(n);
        });
    m_sim.hid.setOutputHook([this](const platform::sim::SimHidDevice &device,
                                const platform::sim::SimHidDevice::OutputReport &report) {
        m_out.setReport(device.name(), report.type, report.reportId, report.bytes);
    });
    m_sim.usb.setRequestHook([this](const platform::sim::SimUsbBus::Request &request) {
        m_out.usb(request.device.vendorId, request.device.productId, request.request);
    });
    m_sim.poster.setHook([this](const platform::OVEvent &event) {
        m_out.post(event);
        // Printed is enough: a long real-time run would otherwise keep every event.
        m_sim.poster.clear();
    });
    m_sim.alerts.setHook([this](const platform::sim::ScriptedAlerts::Shown &shown) {
        m_out.alert(shown.title, shown.message);
    });
    m_sim.alerts.setClosedHook([this](const platform::sim::ScriptedAlerts::Shown &shown, int button) {
        m_out.alertClosed(shown.title, button);
    });
    m_sim.filePanels.setClosedHook([this](const std::optional<QString> &path) { m_out.panelClosed(path); });
    const auto spinner = [this](double seconds, const std::function<bool()> &open) { spin(seconds, open); };
    m_sim.alerts.setSpin(spinner);
    m_sim.filePanels.setSpin(spinner);
    m_sim.workspace.setHook([this](const QString &what, const QString &path) {
        if (what == QLatin1String("launch"))
            m_out.launch(path);
        else if (what == QLatin1String("open"))
            m_out.open(path);
    });
    m_sim.files.setHook(
        [this](const QString &path, const QByteArray &bytes) { m_out.write(relativeName(path), bytes); });
}

QString Simulator::relativeName(const QString &path) const
{
    return QDir(m_platform->dataFolder).relativeFilePath(path);
}

void Simulator::setScript(const QStringList &lines)
{
    m_steps.clear();
    m_next = 0;
    bool startPlaced = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int number = int(i + 1);
        ParsedLine parsed = parseLine(lines[i], number);
        if (!parsed.error.isEmpty()) {
            m_steps.append(Step { StepKind::Log, Command(),
                QStringLiteral("script line %1: cannot read \"%2\": %3")
                    .arg(number)
                    .arg(lines[i].trimmed(), parsed.error) });
            continue;
        }
        if (!parsed.command)
            continue;
        if (!startPlaced && !isSetupCommand(parsed.command->kind)) {
            m_steps.append(Step { StepKind::Start, Command(), QString() });
            startPlaced = true;
        }
        m_steps.append(Step { StepKind::Run, *parsed.command, QString() });
    }
}

void Simulator::run()
{
    Q_ASSERT(!m_realTime);
    proceed();
}

void Simulator::start()
{
    Q_ASSERT(m_realTime);
    m_platform->runLoop.post([this] { proceed(); });
}

void Simulator::proceed()
{
    for (;;) {
        // An alert held open may have run later commands, and their waits,
        // inside it: the script's clock goes on to where they left it.
        if (!m_realTime && !m_terminated && !m_sim.runLoop.quitRequested()
            && m_sim.runLoop.now() < m_waitUntil) {
            m_sim.runLoop.advanceTo(m_waitUntil);
            noticeQuit();
            continue;
        }
        const StepDone done = step();
        if (done == StepDone::Nothing)
            break;
        if (done == StepDone::Logged)
            continue;
        if (m_realTime)
            return;
        m_sim.runLoop.advanceTo(m_waitUntil);
        noticeQuit();
    }
    if (!m_terminated)
        finish();
}

Simulator::StepDone Simulator::step()
{
    if (m_terminated || m_next >= m_steps.size())
        return StepDone::Nothing;
    const Step step = m_steps[m_next++];
    double wait = 0;
    switch (step.kind) {
    case StepKind::Log:
        m_out.log(step.message);
        return StepDone::Logged;
    case StepKind::Start:
        startDriver();
        break;
    case StepKind::Run:
        wait = execute(step.command);
        break;
    }
    if (m_terminated)
        return StepDone::Nothing;
    if (m_realTime) {
        // Whatever is due now runs before the next command: posted turns
        // come first in the event queue.
        if (wait > 0)
            m_platform->runLoop.after(wait, this, [this] { proceed(); });
        else
            m_platform->runLoop.post([this] { proceed(); });
        return StepDone::Ran;
    }
    m_waitUntil = m_sim.runLoop.now() + std::max(0.0, wait);
    return StepDone::Ran;
}

void Simulator::spin(double seconds, const std::function<bool()> &open)
{
    if (m_realTime) {
        // A real nested loop, as a modal window runs one; the script's own
        // timers go on inside it.
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (!open() || m_terminated)
                loop.quit();
        });
        deadline.start(int(seconds * 1000));
        check.start(10);
        loop.exec();
        return;
    }
    const double closes = m_sim.runLoop.now() + seconds;
    const auto goOn = [&] { return open() && !m_terminated && !m_sim.runLoop.quitRequested(); };
    while (goOn()) {
        const double now = m_sim.runLoop.now();
        if (now >= closes)
            return;
        if (m_waitUntil > now) {
            // A wait that passes the deadline stops there; its rest goes on
            // once the alert has been answered.
            m_sim.runLoop.advanceTo(std::min(m_waitUntil, closes), goOn);
            continue;
        }
        if (m_next >= m_steps.size()) {
            // The script has ended: the answer still comes at its time.
            m_sim.runLoop.advanceTo(closes, goOn);
            return;
        }
        step();
    }
}

void Simulator::deliverDeviceEvent(std::function<void()> fn)
{
    m_platform->modalRuns.deliver(std::move(fn));
}

void Simulator::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    if (!m_started) {
        startDriver();
        if (!m_realTime) {
            m_sim.runLoop.drain();
            noticeQuit();
        }
    }
    if (m_realTime || m_terminated)
        return;
    m_sim.runLoop.drain();
    noticeQuit();
    if (!m_terminated)
        terminate(QStringLiteral("end of script"));
}

void Simulator::noticeQuit()
{
    // The driver ends through its delegate; a bare request to end the run
    // loop still ends the run, and says so.
    if (!m_terminated && m_sim.runLoop.quitRequested())
        driverEnded(QStringLiteral("run loop ended"));
}

void Simulator::startDriver()
{
    if (m_started)
        return;
    m_started = true;
    m_delegate = std::make_unique<driver::AppDelegate>(*m_platform);
    m_delegate->setTerminationHandler([this](const QString &reason) { driverEnded(reason); });
    m_delegate->setWindowObservers({ [this](const QString &text) { m_out.notice(text); },
        [this](const QString &name, bool shown) { m_out.window(name, shown); },
        [this](int stage, const QString &text, double value, bool determinate) {
            m_out.progress(stage, text, value, determinate);
        } });
    m_delegate->applicationDidFinishLaunching();
}

void Simulator::driverEnded(const QString &reason)
{
    if (m_terminated)
        return;
    m_terminated = true;
    m_out.exit(reason);
}

void Simulator::terminate(const QString &reason)
{
    if (m_terminated)
        return;
    if (m_delegate && !m_delegate->isTerminating()) {
        m_delegate->terminate(reason);
        // Asked during an alert: the driver ends, and reports it, once the
        // alert has been answered and its caller gone on.
        if (m_delegate->isTerminationHeld())
            return;
        // A delegate always reports its end; this only covers one that did not.
        driverEnded(reason);
        return;
    }
    driverEnded(reason);
    m_platform->runLoop.quit(0);
}

void Simulator::scriptLog(const Command &command, const QString &why)
{
    m_out.log(QStringLiteral("script line %1: %2").arg(command.line).arg(why));
}

double Simulator::execute(const Command &c)
{
    switch (c.kind) {
    case CommandKind::Display:
        m_sim.displays.setDisplay(c.display);
        break;
    case CommandKind::Undisplay: {
        const auto displays = m_sim.displays.displays();
        const bool known = std::any_of(displays.cbegin(), displays.cend(),
            [&](const platform::DisplayInfo &d) { return d.id == c.display.id; });
        if (!known)
            scriptLog(
                c, QStringLiteral("cannot remove display %1: there is no such display").arg(c.display.id));
        else
            m_sim.displays.removeDisplay(c.display.id);
        break;
    }
    case CommandKind::Front:
        m_sim.workspace.setFront(platform::FrontApplication { c.bundleId, c.processName });
        break;
    case CommandKind::Default:
        m_sim.defaults.setValue(c.key, c.value);
        break;
    case CommandKind::Config:
        writeConfig(c);
        break;
    case CommandKind::Connect:
        connect(c);
        break;
    case CommandKind::Report: {
        if (!m_interfaceKeys.contains(c.iface)) {
            scriptLog(c, QStringLiteral("cannot send report to %1: no such interface").arg(c.iface));
            break;
        }
        deliverDeviceEvent([this, iface = c.iface, report = c.bytes] {
            const auto *bytes = reinterpret_cast<const std::uint8_t *>(report.constData());
            m_sim.hid.report(iface, std::span<const std::uint8_t>(bytes, size_t(report.size())));
        });
        break;
    }
    case CommandKind::Remove:
        remove(c);
        break;
    case CommandKind::Modifiers:
        m_sim.modifierTap.inject(c.keyCode, c.flags);
        break;
    case CommandKind::Notify: {
        const platform::Notification n { c.name, c.object, c.value.toMap() };
        if (m_realTime)
            m_services.inject(n);
        else
            m_bus.inject(n);
        break;
    }
    case CommandKind::Wait:
        return c.seconds;
    case CommandKind::Dump:
        dump(c);
        break;
    case CommandKind::HidOpen:
        if (m_started) {
            scriptLog(c, QStringLiteral("cannot set the open result: the driver has opened its managers"));
            break;
        }
        m_sim.hid.setOpenResult(
            vendorProductOf(c.manager == HidManagerName::Main ? store::Model::TevraM : store::Model::M517V1),
            c.code);
        break;
    case CommandKind::Running:
        m_sim.workspace.setRunning(c.bundleId, c.count);
        break;
    case CommandKind::Languages:
        m_sim.defaults.setPreferredLanguages(c.languages);
        m_sim.strings = platform::StringTable(c.languages);
        break;
    case CommandKind::Pointer:
        m_sim.displays.setPointer(c.point);
        break;
    case CommandKind::Alert:
        m_sim.alerts.queueAnswer(c.button, c.heldOpen);
        break;
    case CommandKind::FilePanel:
        m_sim.filePanels.queueAnswer(c.path, c.heldOpen);
        break;
    case CommandKind::Quit:
        terminate(QStringLiteral("quit request"));
        break;
    case CommandKind::Defaults:
        m_out.defaults(m_sim.defaults.all());
        break;
    case CommandKind::Press: {
        driver::OVManager *manager = m_delegate ? m_delegate->manager() : nullptr;
        if (!manager || !manager->pressControl(c.window, c.control))
            scriptLog(c, QStringLiteral("cannot press %1 of %2: no such open window or control")
                             .arg(c.control, c.window));
        break;
    }
    }
    return 0;
}

void Simulator::connect(const Command &c)
{
    if (m_interfaceKeys.contains(c.iface)) {
        scriptLog(
            c, QStringLiteral("cannot connect %1: an interface of that name is connected").arg(c.iface));
        return;
    }
    QVariantList pairs;
    for (const UsagePair &pair : c.pairs)
        pairs.append(usagePair(pair.page, pair.usage));
    QVariantMap properties {
        { QLatin1String(platform::kHidVendorID), c.vendorId },
        { QLatin1String(platform::kHidProductID), c.productId },
        { QLatin1String(platform::kHidPrimaryUsagePage), c.page },
        { QLatin1String(platform::kHidPrimaryUsage), c.usage },
        { QLatin1String(platform::kHidDeviceUsagePairs), pairs },
    };
    if (c.product)
        properties.insert(QLatin1String(platform::kHidProduct), *c.product);
    // The USB device is there before its first interface, as on the bus:
    // the M517 V1's start command looks it up while binding.
    const bool firstOfDevice = m_keyInterfaces[c.key]++ == 0;
    m_interfaceKeys.insert(c.iface, c.key);
    deliverDeviceEvent([this, firstOfDevice, c, properties] {
        if (firstOfDevice)
            m_sim.usb.addDevice(c.vendorId, c.productId);
        m_sim.hid.connect(c.iface, properties);
    });
}

void Simulator::remove(const Command &c)
{
    const auto it = m_interfaceKeys.find(c.iface);
    if (it == m_interfaceKeys.end()) {
        scriptLog(c, QStringLiteral("cannot remove %1: no such interface").arg(c.iface));
        return;
    }
    const QString key = it.value();
    m_interfaceKeys.erase(it);
    const bool lastOfDevice = --m_keyInterfaces[key] == 0;
    if (lastOfDevice)
        m_keyInterfaces.remove(key);
    deliverDeviceEvent([this, lastOfDevice, key, iface = c.iface] {
        m_sim.hid.remove(iface);
        if (lastOfDevice) {
            int vendor = 0;
            int product = 0;
            resolveDevice(key, &vendor, &product);
            m_sim.usb.removeDevice(vendor, product);
        }
    });
}

void Simulator::writeConfig(const Command &c)
{
    const QString folder = m_platform->dataFolder;
    const QString path = folder + QStringLiteral("/.OVCFGS_") + c.key;
    QString why;
    const auto bytes = platform::plist::write(c.value, platform::plist::Format::Xml, &why);
    if (!bytes) {
        scriptLog(c, QStringLiteral("cannot write %1: %2").arg(path, why));
        return;
    }
    QSaveFile file(path);
    if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size()
        || !file.commit()) {
        scriptLog(c, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    }
}

void Simulator::dump(const Command &c)
{
    QVariant value;
    driver::OVManager *manager = m_delegate ? m_delegate->manager() : nullptr;
    if (driver::OVService *service = manager ? manager->service(c.key) : nullptr) {
        if (store::OVPublicObject *store = service->configMan()) {
            if (const auto &configuration = store->configurationList())
                value = *configuration;
        }
    }
    m_out.config(c.key, value);
}

} // namespace driverapp
