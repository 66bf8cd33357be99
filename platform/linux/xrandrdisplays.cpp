#include "xrandrdisplays.h"

#include <QGuiApplication>
#include <QScreen>

#include "platform/windowspace.h"

#include <algorithm>
#include <cstdlib>

#include <QMetaObject>
#include <QObject>
#include <QScopeGuard>
#include <QSocketNotifier>

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include "platform/linux/displayoutput.h"
#include "platform/linux/linuxlog.h"

namespace platform::native {

namespace {

// get_screen_resources_current and the primary output came with RandR 1.3.
constexpr uint32_t kMinMajor = 1;
constexpr uint32_t kMinMinor = 3;

constexpr quint16 kRotationMask = XCB_RANDR_ROTATION_ROTATE_0 | XCB_RANDR_ROTATION_ROTATE_90
    | XCB_RANDR_ROTATION_ROTATE_180 | XCB_RANDR_ROTATION_ROTATE_270;

// 128 words: the base block and one extension block of an EDID.
constexpr uint32_t kEdidWords = 128;

template <typename T>
struct Reply
{
    explicit Reply(T *p)
        : ptr(p)
    { }
    ~Reply() { std::free(ptr); }
    Reply(const Reply &) = delete;
    Reply &operator=(const Reply &) = delete;
    T *operator->() const { return ptr; }
    explicit operator bool() const { return ptr != nullptr; }
    T *ptr;
};

bool isQuarterTurn(quint16 rotation)
{
    return rotation & (XCB_RANDR_ROTATION_ROTATE_90 | XCB_RANDR_ROTATION_ROTATE_270);
}

} // namespace

int degreesFromRandrRotation(quint16 rotation)
{
    switch (rotation & kRotationMask) {
    case XCB_RANDR_ROTATION_ROTATE_90: return 90;
    case XCB_RANDR_ROTATION_ROTATE_180: return 180;
    case XCB_RANDR_ROTATION_ROTATE_270: return 270;
    default: return 0;
    }
}

std::optional<quint16> randrRotationFromDegrees(int degrees)
{
    switch (degrees) {
    case 0: return XCB_RANDR_ROTATION_ROTATE_0;
    case 90: return XCB_RANDR_ROTATION_ROTATE_90;
    case 180: return XCB_RANDR_ROTATION_ROTATE_180;
    case 270: return XCB_RANDR_ROTATION_ROTATE_270;
    default: return std::nullopt;
    }
}

QSize screenSizeAfterTurn(const QList<QRect> &crtcs, qsizetype turning, quint16 from, quint16 to)
{
    QRect needed;
    for (qsizetype i = 0; i < crtcs.size(); ++i) {
        QRect crtc = crtcs.at(i);
        if (i == turning && isQuarterTurn(from) != isQuarterTurn(to))
            crtc.setSize(crtc.size().transposed());
        needed |= crtc;
    }
    // The screen starts at the server's origin whatever the CRTCs leave free.
    return needed.isEmpty() ? QSize() : QSize(needed.right() + 1, needed.bottom() + 1);
}

class XRandrDisplays::Connection
{
public:
    // What setRotation needs of a lit output besides its DisplayInfo.
    struct Lit
    {
        quint32 id = 0;
        xcb_randr_crtc_t crtc = 0;
        QRect geometry;
        quint16 rotation = 0; // the CRTC's whole rotation word, reflections included
        quint16 rotations = 0; // what the CRTC can do
        xcb_randr_mode_t mode = 0;
        std::vector<xcb_randr_output_t> outputs;
    };

    xcb_connection_t *c = nullptr;
    xcb_window_t root = 0;
    uint16_t setupWidthPx = 0;
    uint16_t setupWidthMm = 0;
    uint8_t firstEvent = 0;
    std::unique_ptr<QSocketNotifier> notifier;
    std::vector<std::function<void()>> callbacks;
    QList<DisplayInfo> displays;
    std::vector<Lit> lit;
    QPoint mainOrigin;
    xcb_timestamp_t configTimestamp = 0;
    bool broken = false;
    bool notifyQueued = false;
    // Notices are handled on a later turn, so an observer never runs inside
    // a call that it made itself.
    QObject context;

    ~Connection()
    {
        notifier.reset();
        if (c)
            xcb_disconnect(c);
    }

    bool check()
    {
        if (!broken && xcb_connection_has_error(c)) {
            broken = true;
            if (notifier)
                notifier->setEnabled(false);
            qCWarning(lcLinux, "cannot read the displays any more: the X server connection closed");
        }
        return !broken;
    }

    // Reads every event that is waiting; true when one of them is RandR's.
    bool takeEvents(bool readSocket)
    {
        bool randr = false;
        while (xcb_generic_event_t *event = readSocket ? xcb_poll_for_event(c) : xcb_poll_for_queued_event(c)) {
            const uint8_t type = event->response_type & 0x7F;
            if (type == firstEvent + XCB_RANDR_SCREEN_CHANGE_NOTIFY || type == firstEvent + XCB_RANDR_NOTIFY)
                randr = true;
            std::free(event);
        }
        return randr;
    }

    // After a round trip: notices that came with the reply sit in xcb's
    // queue, where the socket notifier no longer sees them.
    void afterRoundTrip()
    {
        if (takeEvents(false))
            queueNotify();
    }

    void queueNotify()
    {
        if (notifyQueued)
            return;
        notifyQueued = true;
        QMetaObject::invokeMethod(&context, [this] {
            notifyQueued = false;
            refresh();
            const auto observers = callbacks;
            for (const auto &callback : observers)
                callback();
        }, Qt::QueuedConnection);
    }

    void onSocket()
    {
        if (!check())
            return;
        if (takeEvents(true))
            queueNotify();
        check();
    }

    QByteArray edid(xcb_randr_output_t output, xcb_atom_t atom)
    {
        if (atom == XCB_ATOM_NONE)
            return {};
        Reply reply(xcb_randr_get_output_property_reply(
            c, xcb_randr_get_output_property(c, output, atom, XCB_ATOM_ANY, 0, kEdidWords, 0, 0), nullptr));
        if (!reply || reply->format != 8)
            return {};
        return QByteArray(reinterpret_cast<const char *>(xcb_randr_get_output_property_data(reply.ptr)),
                          xcb_randr_get_output_property_data_length(reply.ptr));
    }

    xcb_atom_t edidAtom()
    {
        static const char name[] = "EDID";
        Reply reply(xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof name - 1, name), nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    void refresh()
    {
        if (!check())
            return;
        Reply resources(xcb_randr_get_screen_resources_current_reply(
            c, xcb_randr_get_screen_resources_current(c, root), nullptr));
        if (!resources) {
            qCWarning(lcLinux, "cannot read the displays: the X server does not list its outputs");
            if (check())
                afterRoundTrip();
            return;
        }
        configTimestamp = resources->config_timestamp;
        Reply primary(xcb_randr_get_output_primary_reply(c, xcb_randr_get_output_primary(c, root), nullptr));
        const xcb_atom_t atom = edidAtom();

        QList<DisplayOutput> outputs;
        std::vector<Lit> records;
        const xcb_randr_output_t *ids = xcb_randr_get_screen_resources_current_outputs(resources.ptr);
        const int count = xcb_randr_get_screen_resources_current_outputs_length(resources.ptr);
        for (int i = 0; i < count; ++i) {
            Reply info(xcb_randr_get_output_info_reply(c, xcb_randr_get_output_info(c, ids[i], configTimestamp),
                                                       nullptr));
            // Connected but switched off (no CRTC) is not online.
            if (!info || info->connection != XCB_RANDR_CONNECTION_CONNECTED || info->crtc == XCB_NONE)
                continue;
            Reply crtc(xcb_randr_get_crtc_info_reply(c, xcb_randr_get_crtc_info(c, info->crtc, configTimestamp),
                                                     nullptr));
            if (!crtc || crtc->mode == XCB_NONE)
                continue;
            DisplayOutput output;
            output.connector = QString::fromUtf8(reinterpret_cast<const char *>(xcb_randr_get_output_info_name(info.ptr)),
                                                 xcb_randr_get_output_info_name_length(info.ptr));
            output.edid = edid(ids[i], atom);
            output.geometry = QRect(crtc->x, crtc->y, crtc->width, crtc->height);
            output.rotation = degreesFromRandrRotation(crtc->rotation);
            output.primary = primary && primary->output == ids[i];
            outputs.append(output);

            Lit record;
            record.crtc = info->crtc;
            record.geometry = output.geometry;
            record.rotation = crtc->rotation;
            record.rotations = crtc->rotations;
            record.mode = crtc->mode;
            const xcb_randr_output_t *crtcOutputs = xcb_randr_get_crtc_info_outputs(crtc.ptr);
            record.outputs.assign(crtcOutputs, crtcOutputs + xcb_randr_get_crtc_info_outputs_length(crtc.ptr));
            records.push_back(std::move(record));
        }

        displays = displaysFromOutputs(outputs);
        const qsizetype main = mainOutputIndex(outputs);
        mainOrigin = main < 0 ? QPoint() : outputs.at(main).geometry.topLeft();
        for (size_t i = 0; i < records.size(); ++i)
            records[i].id = displayIdOf(outputs.at(qsizetype(i)));
        lit = std::move(records);
        afterRoundTrip();
    }

    const Lit *litFor(quint32 id) const
    {
        for (const Lit &one : lit) {
            if (one.id == id)
                return &one;
        }
        return nullptr;
    }

    bool setScreenSize(QSize size)
    {
        // Keeps the screen's dots per inch.
        const auto mm = [this](int px) {
            return setupWidthPx ? uint32_t(qint64(px) * setupWidthMm / setupWidthPx) : uint32_t(0);
        };
        xcb_generic_error_t *error = xcb_request_check(
            c, xcb_randr_set_screen_size_checked(c, root, uint16_t(size.width()), uint16_t(size.height()),
                                                 mm(size.width()), mm(size.height())));
        std::free(error);
        return error == nullptr;
    }

    bool rotate(quint32 id, int degrees)
    {
        if (!check())
            return false;
        const Lit *found = litFor(id);
        const auto bits = randrRotationFromDegrees(degrees);
        if (!found || !bits) {
            qCWarning(lcLinux, "cannot rotate display %08X to %d degrees: %s", id, degrees,
                      found ? "not a quarter turn" : "no such display");
            return false;
        }
        const Lit one = *found;
        if (!(one.rotations & *bits)) {
            qCWarning(lcLinux, "cannot rotate display %08X to %d degrees: its output cannot turn", id, degrees);
            return false;
        }
        if ((one.rotation & kRotationMask) == *bits)
            return true;

        // One rectangle per CRTC: outputs that mirror each other share one.
        QList<QRect> crtcs;
        std::vector<xcb_randr_crtc_t> seen;
        qsizetype turning = -1;
        for (const Lit &other : lit) {
            if (std::find(seen.cbegin(), seen.cend(), other.crtc) != seen.cend())
                continue;
            seen.push_back(other.crtc);
            if (other.crtc == one.crtc)
                turning = crtcs.size();
            crtcs.append(other.geometry);
        }
        Reply range(xcb_randr_get_screen_size_range_reply(c, xcb_randr_get_screen_size_range(c, root), nullptr));
        Reply geometry(xcb_get_geometry_reply(c, xcb_get_geometry(c, root), nullptr));
        // A refusal from here on ends without the refresh below, which would
        // otherwise take up notices that these round trips queued.
        auto drain = qScopeGuard([this] { afterRoundTrip(); });
        if (!range || !geometry) {
            if (check())
                qCWarning(lcLinux, "cannot rotate display %08X to %d degrees: the X server does not tell its screen size",
                          id, degrees);
            return false;
        }
        const QSize now(geometry->width, geometry->height);
        const QSize after = screenSizeAfterTurn(crtcs, turning, one.rotation, *bits);
        if (after.width() > range->max_width || after.height() > range->max_height) {
            qCWarning(lcLinux, "cannot rotate display %08X to %d degrees: the screen cannot grow to %dx%d", id,
                      degrees, after.width(), after.height());
            return false;
        }

        // The server refuses a CRTC that leaves the screen, so the screen
        // grows first and shrinks after.
        xcb_grab_server(c);
        bool done = true;
        const QSize grown = now.expandedTo(after);
        if (grown != now)
            done = setScreenSize(grown);
        if (done) {
            const quint16 word = quint16((one.rotation & ~kRotationMask) | *bits);
            Reply reply(xcb_randr_set_crtc_config_reply(
                c, xcb_randr_set_crtc_config(c, one.crtc, XCB_CURRENT_TIME, configTimestamp, int16_t(one.geometry.x()),
                                             int16_t(one.geometry.y()), one.mode, word,
                                             uint32_t(one.outputs.size()), one.outputs.data()),
                nullptr));
            done = reply && reply->status == XCB_RANDR_SET_CONFIG_SUCCESS;
        }
        const QSize fitted = after.expandedTo(QSize(range->min_width, range->min_height));
        if (done && fitted != grown)
            setScreenSize(fitted);
        xcb_ungrab_server(c);
        xcb_flush(c);
        if (!done)
            qCWarning(lcLinux, "cannot rotate display %08X to %d degrees: the X server refused", id, degrees);
        refresh();
        return done;
    }
};

std::unique_ptr<XRandrDisplays> XRandrDisplays::connect(const QByteArray &displayName, QString *why)
{
    auto connection = std::make_unique<Connection>();
    int screenNumber = 0;
    connection->c = xcb_connect(displayName.isEmpty() ? nullptr : displayName.constData(), &screenNumber);
    if (xcb_connection_has_error(connection->c)) {
        *why = QStringLiteral("no X server answers");
        return nullptr;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection->c));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem) {
        *why = QStringLiteral("the X server has no screen %1").arg(screenNumber);
        return nullptr;
    }
    connection->root = screens.data->root;
    connection->setupWidthPx = screens.data->width_in_pixels;
    connection->setupWidthMm = screens.data->width_in_millimeters;

    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(connection->c, &xcb_randr_id);
    if (!extension || !extension->present) {
        *why = QStringLiteral("the X server has no RandR");
        return nullptr;
    }
    connection->firstEvent = extension->first_event;
    Reply version(xcb_randr_query_version_reply(
        connection->c, xcb_randr_query_version(connection->c, kMinMajor, kMinMinor), nullptr));
    if (!version || version->major_version < kMinMajor
        || (version->major_version == kMinMajor && version->minor_version < kMinMinor)) {
        *why = QStringLiteral("the X server's RandR is older than 1.3");
        return nullptr;
    }

    xcb_randr_select_input(connection->c, connection->root,
                           XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE
                               | XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE | XCB_RANDR_NOTIFY_MASK_OUTPUT_PROPERTY);
    xcb_flush(connection->c);
    Connection *raw = connection.get();
    raw->notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(raw->c), QSocketNotifier::Read);
    QObject::connect(raw->notifier.get(), &QSocketNotifier::activated, &raw->context, [raw] { raw->onSocket(); });
    raw->refresh();
    return std::unique_ptr<XRandrDisplays>(new XRandrDisplays(std::move(connection)));
}

XRandrDisplays::XRandrDisplays(std::unique_ptr<Connection> connection)
    : m_connection(std::move(connection))
{
}

XRandrDisplays::~XRandrDisplays() = default;

QList<DisplayInfo> XRandrDisplays::displays() const
{
    return m_connection->displays;
}

int XRandrDisplays::rotation(quint32 id) const
{
    const Connection::Lit *one = m_connection->litFor(id);
    return one ? degreesFromRandrRotation(one->rotation) : 0;
}

bool XRandrDisplays::setRotation(quint32 id, int degrees)
{
    return m_connection->rotate(id, degrees);
}

void XRandrDisplays::onChanged(std::function<void()> callback)
{
    m_connection->callbacks.push_back(std::move(callback));
}

WindowSpace XRandrDisplays::windowSpace() const
{
    double scale = 1.0;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            scale = screen->devicePixelRatio();
    }
    return WindowSpace { QPointF(m_connection->mainOrigin), scale };
}

QPointF XRandrDisplays::pointerPosition() const
{
    Connection &conn = *m_connection;
    if (!conn.check())
        return {};
    Reply pointer(xcb_query_pointer_reply(conn.c, xcb_query_pointer(conn.c, conn.root), nullptr));
    conn.afterRoundTrip();
    if (!pointer)
        return {};
    return QPointF(pointer->root_x - conn.mainOrigin.x(), pointer->root_y - conn.mainOrigin.y());
}

} // namespace platform::native
