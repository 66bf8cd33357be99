// Key actions of the device service: pen barrel buttons, express keys and the
// wheel, from the decoded key event to posted keys, mouse events, launched
// applications and opened addresses.

#include "ovservice.h"

#include <QUrl>

#include "driver/boardparser.h"
#include "driver/driverlog.h"
#include "driver/ovhudalert.h"
#include "driver/ovmanager.h"
#include "platform/eventposter.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "platform/strings.h"
#include "platform/workspace.h"
#include "store/ovpublicdefine.h"
#include "store/ovpublicobject.h"

namespace driver {

namespace {

namespace type = platform::eventtype;
namespace flag = platform::eventflag;

// Pen-button action list ("OVCFGPenKeyUp", "OVCFGPenKeyDown").
enum PenButtonAction : quint64 {
    PenNoAction = 0,
    PenLeftClick = 1,
    PenRightClick = 2,
    PenEraserSwitch = 3,
    PenCustom = 4,
};

// Custom mouse actions ("OVCFGPenKeyCusMouse").
enum CustomMouse : quint64 { MouseDoubleClick = 0, MouseMiddleClick = 1, MouseScroll = 2 };

constexpr qint32 kScrollLines = 5;
constexpr quint32 kMiddleButton = 2;

// Mac key codes of the modifier keys released after a combination.
constexpr struct
{
    quint64 flag;
    quint16 keyCode;
} kTrailingModifierUps[] = {
    { flag::Command, 55 },
    { flag::Shift, 56 },
    { flag::Option, 58 },
    { flag::Control, 59 },
};

// Painting applications that switch pen and eraser themselves from the
// pen's own report; a posted E or B would change their tool a second time.
bool switchesToolsItself(const platform::FrontApplication &front)
{
    return front.isNamed(QStringLiteral("Krita")) || front.isNamed(QStringLiteral("SketchBook"));
}

// An application to start rather than an address to open: the system's
// application bundles (the install paths of our own two programs), desktop
// entries, and any absolute path, which on Linux names a desktop entry or
// an executable.
bool isApplicationPath(const QString &action)
{
    QString path = action;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    const QString lower = path.toLower();
    return lower.endsWith(QLatin1String(".app")) || lower.endsWith(QLatin1String(".desktop"))
        || path.startsWith(QLatin1Char('/'));
}

} // namespace

QVariantMap OVService::keyConfiguration() const
{
    if (!m_configMan)
        return {};
    return m_configMan->configurationList().value_or(QVariantMap());
}

void OVService::showTip(const QString &text)
{
    if (m_settings.ovTips)
        m_manager.notice().showInfo(text);
}

void OVService::preparePenKey(bool press, bool isDownKey)
{
    if (m_cleanedUp)
        return;
    const QString key = isDownKey ? store::OVCFGPenKeyDown : store::OVCFGPenKeyUp;
    switch (actionIndex(keyConfiguration(), store::OVCFGPenKey, key)) {
    case PenLeftClick:
        postMouseEvent(press ? type::LeftMouseDown : type::LeftMouseUp, 0);
        break;
    case PenRightClick:
        postMouseEvent(press ? type::RightMouseDown : type::RightMouseUp, 1);
        break;
    case PenEraserSwitch:
        if (switchesToolsItself(m_platform.workspace.frontApplication()))
            break;
        prepareHotKey(m_isEOP ? HotKey::BrushTool : HotKey::Eraser, press);
        if (!press)
            m_isEOP = !m_isEOP;
        break;
    case PenCustom:
        preparePenCus(press, isDownKey);
        break;
    default:
        break;
    }
}

void OVService::preparePenCus(bool press, bool isDownKey)
{
    const QString key = isDownKey ? store::OVCFGPenKeyDownCus : store::OVCFGPenKeyUpCus;
    const std::optional<CustomAction> action
        = customAction(configValue(keyConfiguration(), store::OVCFGPenKey, key));
    if (!action) {
        qCInfo(lcDriver, "pen key %s: no custom action", isDownKey ? "down" : "up");
        return;
    }
    preparePenAndBoardCus(*action, press);
}

void OVService::prepareBoardKey(const QString &name, bool press)
{
    if (m_cleanedUp || !m_settings.ovKeyFun || name.isEmpty())
        return;
    const platform::FrontApplication front = m_platform.workspace.frontApplication();
    if (name == store::OVCFGWheelKeyL || name == store::OVCFGWheelKeyR) {
        // The wheel reports a step as one press; its action is released at
        // once, and a later release report releases it again.
        prepareWheelKey(name, press, front);
        prepareWheelKey(name, false, front);
        return;
    }
    if (name == store::OVCFGWheelKeyC) {
        prepareWheelKey(name, press, front);
        return;
    }
    const QVariantMap configuration = keyConfiguration();
    if (const std::optional<ApplicationSet> set = applicationSet(configuration, false, front)) {
        if (const std::optional<CustomAction> action = customAction(set->set.value(store::cusKey(name))))
            preparePenAndBoardCus(*action, press);
        return;
    }
    const quint64 index = actionIndex(configuration, store::OVCFGBoardKey, name);
    if (index == kExpressKeyCustomIndex)
        prepareBoardCus(name, press);
    else if (const std::optional<HotKey> action = hotKeyForExpressKeyIndex(index))
        prepareHotKey(*action, press);
}

void OVService::prepareBoardCus(const QString &name, bool press)
{
    const std::optional<CustomAction> action
        = customAction(configValue(keyConfiguration(), store::OVCFGBoardKey, store::cusKey(name)));
    if (!action) {
        const QString number = name.mid(QString(store::OVCFGBoardKey).size());
        qCInfo(lcDriver, "board key %s: no custom action", qUtf8Printable(number));
        return;
    }
    preparePenAndBoardCus(*action, press);
}

void OVService::preparePenAndBoardCus(const CustomAction &action, bool press)
{
    // A hot key follows the tablet key down and up; everything else happens
    // once, when the key is let go.
    if (action.kind != CustomKind::HotKey && press)
        return;
    switch (action.kind) {
    case CustomKind::Application:
        if (!action.alias.isEmpty())
            showTip(action.alias);
        postAction(action.appPath);
        break;
    case CustomKind::HotKey:
        preparePenCusHotKey(action, press);
        break;
    case CustomKind::Address:
        if (!action.alias.isEmpty())
            showTip(action.alias);
        postAction(action.url);
        break;
    case CustomKind::Mouse:
        if (action.mouse)
            preparePenCusMouse(*action.mouse);
        break;
    }
}

void OVService::preparePenCusMouse(quint64 mouse)
{
    switch (mouse) {
    case MouseDoubleClick:
        postMouseDoubleClickEvent();
        break;
    case MouseMiddleClick:
        postMouseEvent(type::OtherMouseDown, kMiddleButton);
        postMouseEvent(type::OtherMouseUp, kMiddleButton);
        break;
    case MouseScroll:
        postMouseScrollWheelEvent(-kScrollLines);
        break;
    default:
        break;
    }
}

void OVService::postAction(const QString &action)
{
    if (action.isEmpty())
        return;
    if (isApplicationPath(action)) {
        m_platform.workspace.launch(action);
        return;
    }
    const QUrl url(action, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty()) {
        qCInfo(lcDriver, "%s: cannot open address \"%s\": not an address", qUtf8Printable(m_devKey),
            qUtf8Printable(action));
        return;
    }
    m_platform.workspace.open(url.toString(QUrl::FullyEncoded));
}

void OVService::preparePenCusHotKey(const CustomAction &action, bool press)
{
    if (!action.hotKeyIndex)
        return;
    const std::optional<HotKey> hotKey = hotKeyForPresetIndex(*action.hotKeyIndex);
    if (!hotKey)
        return;
    if (*hotKey == HotKey::Custom)
        prepareHKCustom(action, press);
    else
        prepareHotKey(*hotKey, press);
}

void OVService::prepareHKCustom(const CustomAction &action, bool press)
{
    if (!action.combo)
        return;
    if (press)
        showTip(action.alias);
    postKeyboardEvent(action.combo->keyCode, press, action.combo->modifierFlags);
}

void OVService::prepareWheelKey(const QString &name, bool press, const platform::FrontApplication &front)
{
    if (name == store::OVCFGWheelKeyC) {
        wheelCenterKey(press);
        return;
    }
    const QVariantMap configuration = keyConfiguration();
    if (const std::optional<ApplicationSet> set = applicationSet(configuration, true, front)) {
        if (const std::optional<int> slot = wheelSlot(set->set.value(store::OVCFGRKAppCur)))
            prepareWheelCus(name, press, set->set.value(store::cusKey(store::OVCFGWheelKeyN(*slot))));
        return;
    }
    const std::optional<int> slot
        = wheelSlot(configValue(configuration, store::OVCFGWheelKey, store::OVCFGWheelKeyCur));
    if (!slot)
        return;
    const QString slotKey = store::OVCFGWheelKeyN(*slot);
    const quint64 index = actionIndex(configuration, store::OVCFGWheelKey, slotKey);
    if (index == kWheelCustomIndex) {
        prepareWheelCus(
            name, press, configValue(configuration, store::OVCFGWheelKey, store::cusKey(slotKey)));
        return;
    }
    if (const std::optional<HotKey> action = hotKeyForWheelIndex(index, name == store::OVCFGWheelKeyR))
        prepareHotKey(*action, press);
}

void OVService::prepareWheelCus(const QString &name, bool press, const QVariant &act)
{
    const std::optional<WheelCustom> function = wheelCustom(act);
    if (!function)
        return;
    const std::optional<RecordedCombo> &combo
        = name == store::OVCFGWheelKeyL ? function->counterClockwise : function->clockwise;
    if (!combo)
        return;
    if (press)
        showTip(function->alias);
    postKeyboardEvent(combo->keyCode, press, combo->modifierFlags);
}

QString OVService::searchValueForKey(const QString &key, const platform::FrontApplication &front, bool wkey) const
{
    return searchValue(keyConfiguration(), key, front, wkey,
        [this](const QString &textKey) { return m_platform.strings.text(textKey); });
}

void OVService::prepareHotKey(HotKey action, bool press)
{
    if (m_cleanedUp || action == HotKey::Custom)
        return;
    const HotKeyInfo info = hotKeyInfo(action);
    if (action == HotKey::ShowUI) {
        if (!press)
            return;
        showTip(m_platform.strings.text(QLatin1String(info.textKey)));
        // A second copy of the settings application would quit at once, so a
        // running one is asked to come forward instead.
        if (m_platform.workspace.runningCount(QLatin1String(platform::kSettingBundleId)) > 0)
            m_platform.distributed.post(store::OVCFGShowDNotification);
        else
            m_platform.workspace.launch(QLatin1String(platform::kSettingInstallPath));
        return;
    }
    if (press)
        showTip(m_platform.strings.text(QLatin1String(info.textKey)));
    if (action == HotKey::PageUp2 || action == HotKey::PageDown2) {
        postMouseScrollWheelEvent(action == HotKey::PageUp2 ? kScrollLines : -kScrollLines);
        return;
    }
    if (isModifierAction(action))
        m_manager.setEventService(press);
    postKeyboardEvent(info.keyCode, press, info.flags);
}

void OVService::prepareHKEraser(bool eraser, bool brushTool)
{
    if (m_cleanedUp)
        return;
    // The pen display reports which end of the pen is in use; the painting
    // application learns it as a tap of its tool key, without a notice.
    const std::optional<HotKey> tool = eraser ? std::optional(HotKey::Eraser)
        : brushTool                           ? std::optional(HotKey::BrushTool)
                                              : std::nullopt;
    if (!tool)
        return;
    const HotKeyInfo info = hotKeyInfo(*tool);
    postKeyboardEvent(info.keyCode, true, info.flags);
    postKeyboardEvent(info.keyCode, false, info.flags);
}

void OVService::postKeyboardEvent(quint16 keyCode, bool keyDown, quint64 eventFlags)
{
    platform::OVEvent event;
    event.kind = platform::OVEvent::Kind::Keyboard;
    event.type = keyDown ? type::KeyDown : type::KeyUp;
    event.keyCode = keyCode;
    event.keyDown = keyDown;
    if (eventFlags != kNoModifierFlags)
        event.flags = eventFlags;
    m_platform.poster.post(event);
    if (keyDown)
        return;
    // A combination's modifiers would otherwise stay held in applications
    // that track them from the key-up's flags alone.
    for (const auto &modifier : kTrailingModifierUps) {
        if (eventFlags & modifier.flag) {
            platform::OVEvent up;
            up.kind = platform::OVEvent::Kind::Keyboard;
            up.type = type::KeyUp;
            up.keyCode = modifier.keyCode;
            m_platform.poster.post(up);
        }
    }
}

} // namespace driver
