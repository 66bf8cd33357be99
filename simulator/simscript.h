#pragma once

#include <optional>

#include <QByteArray>
#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "platform/displays.h"

// The simulator's script: one command per line, '#' starts a comment,
// blanks separate tokens, double quotes keep blanks inside a token (\" and
// \\ stand for a quote and a backslash there), and a JSON value takes the
// rest of its line. docs/simulator.md describes every command.
namespace driverapp {

enum class CommandKind {
    Display,
    Undisplay,
    Front,
    Default,
    Config,
    Connect,
    Report,
    Remove,
    Modifiers,
    Notify,
    Wait,
    Dump,
    HidOpen,
    Running,
    Languages,
    Pointer,
    Alert,
    FilePanel,
    Defaults,
    Press,
    Quit,
};

enum class HidManagerName { Main, M517 };

struct UsagePair
{
    int page = 0;
    int usage = 0;
};

// One command; only the fields of its kind are set.
struct Command
{
    CommandKind kind = CommandKind::Wait;
    int line = 0;

    platform::DisplayInfo display; // display; undisplay: id only
    QString bundleId; // front, running
    QString processName; // front
    QString key; // default: the defaults key; config, connect, dump: the device key
    QVariant value; // default, config: the value; notify: the user info (a map)
    QString iface; // connect, report, remove
    int vendorId = 0; // connect
    int productId = 0; // connect
    int page = 0; // connect: primary usage page
    int usage = 1; // connect: primary usage
    QList<UsagePair> pairs; // connect: "DeviceUsagePairs"
    std::optional<QString> product; // connect: "Product"
    QByteArray bytes; // report
    quint16 keyCode = 0; // modifiers: mac key code
    quint64 flags = 0; // modifiers: mac modifier flags
    QString name; // notify
    QString object; // notify: null for none
    double seconds = 0; // wait
    HidManagerName manager = HidManagerName::Main; // hidopen
    quint32 code = 0; // hidopen
    int count = 0; // running
    QStringList languages; // languages
    QPointF point; // pointer
    int button = 0; // alert
    std::optional<QString> path; // filepanel: nullopt = cancel
    std::optional<double> heldOpen; // alert, filepanel: seconds after which the answer is given
    QString window; // press
    QString control; // press
};

// Longest single wait, in seconds: virtual time runs every timer on the
// way, and a day of the 2-second screen check is already 43200 turns.
inline constexpr double kMaxWaitSeconds = 86400;

// Setup commands only set the simulated world up; the driver starts right
// before the first command of any other kind.
bool isSetupCommand(CommandKind kind);

// The result of one line: a command, a refusal with its reason, or neither
// (a blank or comment-only line).
struct ParsedLine
{
    std::optional<Command> command;
    QString error;
};

ParsedLine parseLine(const QString &text, int lineNumber);

// The device key a script names: "V-P" itself (decimal vendor and product
// id), or the key of the model whose product name it is; nullopt for
// neither. Sets the two ids.
std::optional<QString> resolveDevice(const QString &text, int *vendorId = nullptr, int *productId = nullptr);

} // namespace driverapp
