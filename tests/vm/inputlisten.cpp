// Reads every input device of seat0 through libinput, as a desktop would, and
// prints one JSON object per event on standard output:
//
//   {"t": microseconds when libinput handed the event over (CLOCK_MONOTONIC),
//    "k": the event's own time (the kernel's timestamp), "dev": device name,
//    "ev": kind, ...fields of the kind}
//
// Kinds: "added", "removed" (with "sys" and "caps"), "proximity" ("in"),
// "tip" ("down"), "axis", "tool-button" ("button", "pressed") with x, y (mm),
// pressure and tilt for the tablet tool; "motion" (dx, dy), "absolute" (x, y),
// "button" ("button", "pressed"), "scroll" ("v120"), "key" ("key",
// "pressed"). libinput's own log lines come as {"log": text}. Runs until
// SIGTERM or SIGINT.

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <libinput.h>
#include <libudev.h>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onSignal(int)
{
    g_stop = 1;
}

long long monotonicMicros()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000LL + now.tv_nsec / 1000;
}

std::string quoted(const char *text)
{
    std::string out = "\"";
    for (const char *p = text ? text : ""; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

int openRestricted(const char *path, int flags, void *)
{
    const int fd = open(path, flags | O_CLOEXEC);
    return fd < 0 ? -errno : fd;
}

void closeRestricted(int fd, void *)
{
    close(fd);
}

const libinput_interface kInterface = { openRestricted, closeRestricted };

void logHandler(libinput *, libinput_log_priority priority, const char *format, va_list args)
{
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    std::string line(text);
    while (!line.empty() && line.back() == '\n')
        line.pop_back();
    // Debug lines only where they tell about proximity (libinput forcing a
    // proximity-out is one).
    if (priority == LIBINPUT_LOG_PRIORITY_DEBUG && line.find("proximity") == std::string::npos)
        return;
    std::printf("{\"t\":%lld,\"log\":%s}\n", monotonicMicros(), quoted(line.c_str()).c_str());
}

std::string capsOf(libinput_device *device)
{
    std::string caps;
    const std::pair<libinput_device_capability, const char *> names[] = {
        { LIBINPUT_DEVICE_CAP_KEYBOARD, "keyboard" },
        { LIBINPUT_DEVICE_CAP_POINTER, "pointer" },
        { LIBINPUT_DEVICE_CAP_TABLET_TOOL, "tablet" },
        { LIBINPUT_DEVICE_CAP_TOUCH, "touch" },
    };
    for (const auto &[capability, name] : names) {
        if (libinput_device_has_capability(device, capability))
            caps += std::string(caps.empty() ? "" : ",") + name;
    }
    return caps;
}

void printTool(libinput_event_tablet_tool *tool, const char *kind, std::string extra)
{
    libinput_tablet_tool *t = libinput_event_tablet_tool_get_tool(tool);
    char fields[256];
    std::snprintf(fields, sizeof fields, ",\"x\":%.4f,\"y\":%.4f,\"pressure\":%.5f",
        libinput_event_tablet_tool_get_x(tool), libinput_event_tablet_tool_get_y(tool),
        libinput_tablet_tool_has_pressure(t) ? libinput_event_tablet_tool_get_pressure(tool) : 0.0);
    extra += fields;
    if (libinput_tablet_tool_has_tilt(t)) {
        std::snprintf(fields, sizeof fields, ",\"tx\":%.3f,\"ty\":%.3f",
            libinput_event_tablet_tool_get_tilt_x(tool), libinput_event_tablet_tool_get_tilt_y(tool));
        extra += fields;
    }
    std::printf(",\"ev\":\"%s\"%s,\"k\":%llu", kind, extra.c_str(),
        static_cast<unsigned long long>(libinput_event_tablet_tool_get_time_usec(tool)));
}

void printEvent(libinput_event *event)
{
    libinput_device *device = libinput_event_get_device(event);
    std::printf("{\"t\":%lld,\"dev\":%s", monotonicMicros(), quoted(libinput_device_get_name(device)).c_str());
    switch (libinput_event_get_type(event)) {
    case LIBINPUT_EVENT_DEVICE_ADDED:
    case LIBINPUT_EVENT_DEVICE_REMOVED:
        std::printf(",\"ev\":\"%s\",\"sys\":%s,\"caps\":%s",
            libinput_event_get_type(event) == LIBINPUT_EVENT_DEVICE_ADDED ? "added" : "removed",
            quoted(libinput_device_get_sysname(device)).c_str(), quoted(capsOf(device).c_str()).c_str());
        break;
    case LIBINPUT_EVENT_TABLET_TOOL_PROXIMITY: {
        libinput_event_tablet_tool *tool = libinput_event_get_tablet_tool_event(event);
        const bool in = libinput_event_tablet_tool_get_proximity_state(tool)
            == LIBINPUT_TABLET_TOOL_PROXIMITY_STATE_IN;
        printTool(tool, "proximity", std::string(",\"in\":") + (in ? "true" : "false"));
        break;
    }
    case LIBINPUT_EVENT_TABLET_TOOL_TIP: {
        libinput_event_tablet_tool *tool = libinput_event_get_tablet_tool_event(event);
        const bool down = libinput_event_tablet_tool_get_tip_state(tool) == LIBINPUT_TABLET_TOOL_TIP_DOWN;
        printTool(tool, "tip", std::string(",\"down\":") + (down ? "true" : "false"));
        break;
    }
    case LIBINPUT_EVENT_TABLET_TOOL_AXIS:
        printTool(libinput_event_get_tablet_tool_event(event), "axis", {});
        break;
    case LIBINPUT_EVENT_TABLET_TOOL_BUTTON: {
        libinput_event_tablet_tool *tool = libinput_event_get_tablet_tool_event(event);
        const bool pressed
            = libinput_event_tablet_tool_get_button_state(tool) == LIBINPUT_BUTTON_STATE_PRESSED;
        printTool(tool, "tool-button",
            ",\"button\":" + std::to_string(libinput_event_tablet_tool_get_button(tool))
                + ",\"pressed\":" + (pressed ? "true" : "false"));
        break;
    }
    case LIBINPUT_EVENT_POINTER_MOTION: {
        libinput_event_pointer *pointer = libinput_event_get_pointer_event(event);
        std::printf(",\"ev\":\"motion\",\"dx\":%.3f,\"dy\":%.3f,\"k\":%llu",
            libinput_event_pointer_get_dx_unaccelerated(pointer),
            libinput_event_pointer_get_dy_unaccelerated(pointer),
            static_cast<unsigned long long>(libinput_event_pointer_get_time_usec(pointer)));
        break;
    }
    case LIBINPUT_EVENT_POINTER_MOTION_ABSOLUTE: {
        libinput_event_pointer *pointer = libinput_event_get_pointer_event(event);
        std::printf(",\"ev\":\"absolute\",\"x\":%.3f,\"y\":%.3f,\"k\":%llu",
            libinput_event_pointer_get_absolute_x(pointer), libinput_event_pointer_get_absolute_y(pointer),
            static_cast<unsigned long long>(libinput_event_pointer_get_time_usec(pointer)));
        break;
    }
    case LIBINPUT_EVENT_POINTER_BUTTON: {
        libinput_event_pointer *pointer = libinput_event_get_pointer_event(event);
        const bool pressed = libinput_event_pointer_get_button_state(pointer) == LIBINPUT_BUTTON_STATE_PRESSED;
        std::printf(",\"ev\":\"button\",\"button\":%u,\"pressed\":%s,\"k\":%llu",
            libinput_event_pointer_get_button(pointer), pressed ? "true" : "false",
            static_cast<unsigned long long>(libinput_event_pointer_get_time_usec(pointer)));
        break;
    }
    case LIBINPUT_EVENT_POINTER_SCROLL_WHEEL: {
        libinput_event_pointer *pointer = libinput_event_get_pointer_event(event);
        const double v120 = libinput_event_pointer_has_axis(pointer, LIBINPUT_POINTER_AXIS_SCROLL_VERTICAL)
            ? libinput_event_pointer_get_scroll_value_v120(pointer, LIBINPUT_POINTER_AXIS_SCROLL_VERTICAL)
            : 0.0;
        std::printf(",\"ev\":\"scroll\",\"v120\":%.1f", v120);
        break;
    }
    case LIBINPUT_EVENT_KEYBOARD_KEY: {
        libinput_event_keyboard *key = libinput_event_get_keyboard_event(event);
        const bool pressed = libinput_event_keyboard_get_key_state(key) == LIBINPUT_KEY_STATE_PRESSED;
        std::printf(",\"ev\":\"key\",\"key\":%u,\"pressed\":%s,\"k\":%llu", libinput_event_keyboard_get_key(key),
            pressed ? "true" : "false",
            static_cast<unsigned long long>(libinput_event_keyboard_get_time_usec(key)));
        break;
    }
    default:
        std::printf(",\"ev\":\"other\",\"type\":%d", int(libinput_event_get_type(event)));
        break;
    }
    std::printf("}\n");
}

} // namespace

int main()
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    udev *u = udev_new();
    libinput *li = u ? libinput_udev_create_context(&kInterface, nullptr, u) : nullptr;
    if (!li) {
        std::fprintf(stderr, "inputlisten: cannot make a libinput context\n");
        return 1;
    }
    libinput_log_set_handler(li, logHandler);
    libinput_log_set_priority(li, LIBINPUT_LOG_PRIORITY_DEBUG);
    if (libinput_udev_assign_seat(li, "seat0") != 0) {
        std::fprintf(stderr, "inputlisten: cannot assign seat0\n");
        return 1;
    }
    std::printf("{\"t\":%lld,\"ready\":true}\n", monotonicMicros());
    pollfd fd { libinput_get_fd(li), POLLIN, 0 };
    while (!g_stop) {
        // The timeout lets libinput's own timers and the stop flag run.
        if (poll(&fd, 1, 100) < 0 && errno != EINTR)
            break;
        libinput_dispatch(li);
        while (libinput_event *event = libinput_get_event(li)) {
            printEvent(event);
            libinput_event_destroy(event);
        }
    }
    libinput_unref(li);
    udev_unref(u);
    return 0;
}
