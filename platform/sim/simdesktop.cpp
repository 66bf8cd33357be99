#include "simdesktop.h"

namespace platform::sim {

QList<DisplayInfo> SimDisplays::displays() const
{
    // The main display first, as the platform lists them.
    QList<DisplayInfo> list;
    for (const DisplayInfo &d : m_displays) {
        if (d.main)
            list.append(d);
    }
    for (const DisplayInfo &d : m_displays) {
        if (!d.main)
            list.append(d);
    }
    return list;
}

int SimDisplays::rotation(quint32 id) const
{
    for (const DisplayInfo &d : m_displays) {
        if (d.id == id)
            return d.rotation;
    }
    return 0;
}

bool SimDisplays::setRotation(quint32 id, int degrees)
{
    m_rotations.emplace_back(id, degrees);
    for (DisplayInfo &d : m_displays) {
        if (d.id == id) {
            if (d.rotation != degrees) {
                d.rotation = degrees;
                changed();
            }
            return true;
        }
    }
    return false;
}

void SimDisplays::setDisplay(const DisplayInfo &display)
{
    for (DisplayInfo &d : m_displays) {
        if (d.id == display.id) {
            d = display;
            changed();
            return;
        }
    }
    m_displays.append(display);
    changed();
}

void SimDisplays::removeDisplay(quint32 id)
{
    for (qsizetype i = 0; i < m_displays.size(); ++i) {
        if (m_displays[i].id == id) {
            m_displays.removeAt(i);
            changed();
            return;
        }
    }
}

void SimDisplays::changed()
{
    const auto callbacks = m_callbacks;
    for (const auto &callback : callbacks)
        callback();
}

void SimWorkspace::watchDisappearance(const QString &bundleId, std::function<void()> callback)
{
    m_watchers.emplace(bundleId, std::move(callback));
}

void SimWorkspace::terminate(const QString &bundleId)
{
    m_terminated.append(bundleId);
    if (m_hook)
        m_hook(QStringLiteral("terminate"), bundleId);
}

bool SimWorkspace::launch(const QString &path)
{
    m_launched.append(path);
    if (m_hook)
        m_hook(QStringLiteral("launch"), path);
    return true;
}

bool SimWorkspace::open(const QString &pathOrUrl)
{
    m_opened.append(pathOrUrl);
    if (m_hook)
        m_hook(QStringLiteral("open"), pathOrUrl);
    return true;
}

void SimWorkspace::setRunning(const QString &bundleId, int count)
{
    const int before = m_running.value(bundleId);
    m_running.insert(bundleId, count);
    if (before > 0 && count <= 0) {
        auto range = m_watchers.equal_range(bundleId);
        std::vector<std::function<void()>> callbacks;
        for (auto it = range.first; it != range.second; ++it)
            callbacks.push_back(it->second);
        m_watchers.erase(bundleId);
        for (const auto &callback : callbacks)
            callback();
    }
}

namespace {
// Mac key codes of the US layout and their unshifted characters.
struct KeyChar
{
    quint16 code;
    const char *plain;
    const char *shifted;
};
// clang-format off
constexpr KeyChar kUsLayout[] = {
    {0, "a", "A"},   {1, "s", "S"},   {2, "d", "D"},   {3, "f", "F"},   {4, "h", "H"},   {5, "g", "G"},
    {6, "z", "Z"},   {7, "x", "X"},   {8, "c", "C"},   {9, "v", "V"},   {11, "b", "B"},  {12, "q", "Q"},
    {13, "w", "W"},  {14, "e", "E"},  {15, "r", "R"},  {16, "y", "Y"},  {17, "t", "T"},  {18, "1", "!"},
    {19, "2", "@"},  {20, "3", "#"},  {21, "4", "$"},  {22, "6", "^"},  {23, "5", "%"},  {24, "=", "+"},
    {25, "9", "("},  {26, "7", "&"},  {27, "-", "_"},  {28, "8", "*"},  {29, "0", ")"},  {30, "]", "}"},
    {31, "o", "O"},  {32, "u", "U"},  {33, "[", "{"},  {34, "i", "I"},  {35, "p", "P"},  {37, "l", "L"},
    {38, "j", "J"},  {39, "'", "\""}, {40, "k", "K"},  {41, ";", ":"},  {42, "\\", "|"}, {43, ",", "<"},
    {44, "/", "?"},  {45, "n", "N"},  {46, "m", "M"},  {47, ".", ">"},  {49, " ", " "},  {50, "`", "~"},
    // The keypad with Num Lock on; Shift turns its digits into cursor keys.
    {65, ".", ""},   {67, "*", "*"},  {69, "+", "+"},  {75, "/", "/"},  {78, "-", "-"},  {81, "=", ""},
    {82, "0", ""},   {83, "1", ""},   {84, "2", ""},   {85, "3", ""},   {86, "4", ""},   {87, "5", ""},
    {88, "6", ""},   {89, "7", ""},   {91, "8", ""},   {92, "9", ""},
};
// clang-format on
} // namespace

QString SimKeyboard::characterFor(quint16 keyCode, quint64 flags) const
{
    for (const KeyChar &k : kUsLayout) {
        if (k.code == keyCode)
            return QString::fromLatin1((flags & 0x20000) ? k.shifted : k.plain);
    }
    return QString();
}

void SimKeyboard::onLayoutChanged(const void *owner, std::function<void()> callback)
{
    m_observers.emplace_back(owner, std::move(callback));
}

void SimKeyboard::removeLayoutObserver(const void *owner)
{
    std::erase_if(m_observers, [owner](const auto &observer) { return observer.first == owner; });
}

void SimKeyboard::layoutChanged()
{
    // An observer may remove itself; walk a copy.
    const auto observers = m_observers;
    for (const auto &observer : observers)
        observer.second();
}

std::optional<bool> SimKeyboard::isDesktopShortcut(quint16 keyCode, quint64 flags)
{
    if (!m_shortcutsKnown)
        return std::nullopt;
    constexpr quint64 kModifiers = 0x1E0000; // Shift, Control, Option, Command
    for (const Shortcut &shortcut : m_shortcuts) {
        if (shortcut.enabled && shortcut.keyCode == keyCode
            && (shortcut.flags & kModifiers) == (flags & kModifiers))
            return true;
    }
    return false;
}

} // namespace platform::sim
