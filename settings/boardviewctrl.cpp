#include "settings/boardviewctrl.h"

#include <algorithm>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QLoggingCategory>
#include <QVBoxLayout>
#include <QWidget>

#include "controls/kitimages.h"
#include "controls/orvanebutton.h"
#include "controls/orvanepopupbutton.h"
#include "platform/platform.h"
#include "settings/pagedelegate.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/plistvalue.h"

Q_LOGGING_CATEGORY(lcBoardPage, "ov.settings.board")

namespace settings {

using namespace store;

// What differs between the express-key row and the wheel row.
struct BoardViewCtrl::Row
{
    QLatin1String category;
    QString (*keyName)(int n);
    std::array<QLatin1String, kBoardListCount> titles;
    QLatin1String customFormat; // item 11's title, "%@" = the alias
    QLatin1String aliasKey; // the alias in the custom dictionary
    QLatin1String tipPrefix; // the pop-ups' labels, "OVS_BK_T" + n
};

namespace {

constexpr QLatin1String OVS_B_K("OVS_B_K");
constexpr QLatin1String OVS_B_R("OVS_B_R");
constexpr QLatin1String OVS_B_Default("OVS_B_Default");
constexpr QLatin1String OVS_B_Apps("OVS_B_Apps");

// Key blocks of the layouts: how many express keys each shows, whether it
// has the wheel, and its own picture.
struct LayoutFacts
{
    const char *name;
    int keys;
    bool wheel;
};
constexpr LayoutFacts kLayouts[] = {
    { "BoardViewCtrl", 10, false },
    { "BoardViewCtrl517", 4, false },
    { "BoardViewCtrlTevraM", 8, false },
    { "BoardViewCtrlTevraS", 5, false },
    { "BoardViewCtrlKalverinM", 8, true },
    { "BoardViewCtrlKalverinS", 6, true },
    { "BoardViewCtrl_N10B", 6, false },
    { "BoardViewCtrl_TevraQ", 5, false },
    { "BoardViewCtrlM239", 6, true },
};
// The layouts' own key-block picture: "BoardKeys" and the number of keys.
constexpr QLatin1String kLayoutBoardImage("BoardKeys");

// The pictures and the K7..K10 rule set per model over the layout's.
struct ModelPictures
{
    Model model;
    const char *boardImage;
    const char *wheelImage; // nullptr: the layout's own
    bool k7To10Shown;
};
constexpr ModelPictures kModelPictures[] = {
    { Model::Sorvi1316, "BoardKeySorvi16", "WheelKeySorvi16", true },
    { Model::Sorvi16Pro, "BoardKeySorvi16Pro", nullptr, false },
    { Model::M517V1, "Tablet517", nullptr, true },
    { Model::M517V2, "Tablet517", nullptr, true },
    { Model::TevraN7B, "BoardTevraN7B", nullptr, true },
    { Model::TevraN10B, "BoardTevraN10B", nullptr, true },
};

} // namespace

BoardLayout BoardViewCtrl::layoutFor(const QString &devKey, const QString &nibName)
{
    BoardLayout layout;
    layout.keys = kBoardKeyCount;
    for (const LayoutFacts &facts : kLayouts) {
        if (nibName == QLatin1String(facts.name)) {
            layout.keys = facts.keys;
            layout.wheel = facts.wheel;
        }
    }
    layout.boardImage = kLayoutBoardImage + QString::number(layout.keys);
    if (layout.wheel) {
        if (const char *wheel = factsFor(devKey).wheelImage)
            layout.wheelImage = QLatin1String(wheel);
    }
    const std::optional<Model> model = modelForKey(devKey);
    for (const ModelPictures &pictures : kModelPictures) {
        if (!model || pictures.model != *model)
            continue;
        layout.boardImage = QLatin1String(pictures.boardImage);
        if (pictures.wheelImage)
            layout.wheelImage = QLatin1String(pictures.wheelImage);
        layout.k7To10Shown = pictures.k7To10Shown;
    }
    return layout;
}

BoardViewCtrl::BoardViewCtrl(const QString &nibName, const PageContext &context, QObject *parent)
    : DevicePageCtrl(nibName, context, parent)
    , m_layout(layoutFor(context.devKey, nibName))
{ }

BoardViewCtrl::~BoardViewCtrl() = default;

const BoardViewCtrl::Row &BoardViewCtrl::rowOf(bool wheel) const
{
    static const Row keys { OVCFGBoardKey, &OVCFGBoardKeyN,
        { QLatin1String("OVHK_NoAction"), QLatin1String("OVHK_ShowUI"), QLatin1String("OVHK_ZoomIn"),
            QLatin1String("OVHK_ZoomOut"), QLatin1String("OVHK_BrushSize+"), QLatin1String("OVHK_BrushSize-"),
            QLatin1String("OVHK_Undo"), QLatin1String("OVHK_New"), QLatin1String("OVHK_Save"),
            QLatin1String("OVHK_EyedropperTool"), QLatin1String("OVHK_Hand"), QLatin1String("OVHK_Custom"),
            QLatin1String("OVHK_Change") },
        QLatin1String("OVHK_CT"), OVCFGPenKeyCusAlias, QLatin1String("OVS_BK_T") };
    static const Row wheelSlots { OVCFGWheelKey, &OVCFGWheelKeyN,
        { QLatin1String("OVRK_NoAction"), QLatin1String("OVRK_ScrollWheel"), QLatin1String("OVRK_CanvasZoom"),
            QLatin1String("OVRK_BrushZoom"), QLatin1String("OVRK_TurnPage"), QLatin1String("OVRK_iTunesVolume"),
            QLatin1String("OVRK_ArrowLR"), QLatin1String("OVRK_ArrowUD"), QLatin1String("OVRK_FBWard"),
            QLatin1String("OVRK_LayerUD"), QLatin1String("OVRK_URDo"), QLatin1String("OVRK_Custom"),
            QLatin1String("OVRK_Change") },
        QLatin1String("OVRK_CT"), OVCFGRKeyCusAlias, QLatin1String("OVS_RK_T") };
    return wheel ? wheelSlots : keys;
}

void BoardViewCtrl::viewDidLoad(QWidget *view)
{
    const auto t = [this](const QString &key) { return text(key); };
    const auto makeRow = [&](bool wheel, QWidget *parent, QGridLayout *grid) {
        auto &popups = wheel ? m_ib.ibRPopUpBtn : m_ib.ibKPopUpBtn;
        auto &labels = wheel ? m_ib.lbRTip : m_ib.lbKTip;
        for (int i = 0; i < kBoardKeyCount; ++i) {
            const QString n = QString::number(i + 1);
            auto *popup = new controls::OrvanePopUpButton(platform().runLoop, parent);
            popup->setObjectName((wheel ? QLatin1String("ibR") : QLatin1String("ibK")) + n
                + QLatin1String("PopUpBtn"));
            popup->setMinimumWidth(190);
            QLabel *label = labelFor(popup, t(rowOf(wheel).tipPrefix + n), parent);
            label->setObjectName((wheel ? QLatin1String("lbR") : QLatin1String("lbK")) + n
                + QLatin1String("Tip"));
            popups[std::size_t(i)] = popup;
            labels[std::size_t(i)] = label;
            // Two columns of five.
            grid->addWidget(label, i % 5, (i / 5) * 2, Qt::AlignRight);
            grid->addWidget(popup, i % 5, (i / 5) * 2 + 1);
            const bool shown = i < (wheel ? kBoardKeyCount : m_layout.keys);
            popup->setVisible(shown);
            label->setVisible(shown);
            connect(popup, &QComboBox::activated, this, [this, popup, wheel] {
                if (wheel)
                    clickRPopUpBtn(popup);
                else
                    clickPopUpBtn(popup);
            });
        }
    };
    const auto makeButtons = [&](bool wheel, QWidget *parent, QBoxLayout *layout) {
        auto *reset = new controls::OrvaneButton(t(OVS_B_Default), parent);
        reset->setObjectName(wheel ? QStringLiteral("ibRDefaultBtn") : QStringLiteral("ibDefaultBtn"));
        reset->setAccessibleName(t(OVS_B_Default) + QLatin1String(": ") + t(wheel ? OVS_B_R : OVS_B_K));
        auto *apps = new controls::OrvaneButton(t(OVS_B_Apps), parent);
        apps->setObjectName(wheel ? QStringLiteral("ibRSettingBtn") : QStringLiteral("ibSettingBtn"));
        apps->setAccessibleName(t(OVS_B_Apps) + QLatin1String(": ") + t(wheel ? OVS_B_R : OVS_B_K));
        layout->addStretch(1);
        layout->addWidget(apps);
        layout->addWidget(reset);
        (wheel ? m_ib.ibRDefaultBtn : m_ib.ibDefaultBtn) = reset;
        (wheel ? m_ib.ibRSettingBtn : m_ib.ibSettingBtn) = apps;
        connect(reset, &QAbstractButton::clicked, this, [this, wheel] {
            if (wheel)
                clickRDefaultBtn();
            else
                clickDefaultBtn();
        });
        connect(apps, &QAbstractButton::clicked, this, [this, wheel] {
            if (wheel)
                clickRSettingBtn();
            else
                clickSettingBtn();
        });
    };
    const auto makeSection = [&](bool wheel) {
        auto *box = new QWidget(view);
        box->setObjectName(wheel ? QStringLiteral("wheelBox") : QStringLiteral("boardBox"));
        auto *picture = new QLabel(box);
        picture->setObjectName(wheel ? QStringLiteral("mWheelKeyImageCell") : QStringLiteral("mBoardKeyImageCell"));
        picture->setAlignment(Qt::AlignCenter);
        picture->setFixedWidth(150);
        picture->setAccessibleName(t(wheel ? OVS_B_R : OVS_B_K));
        (wheel ? m_ib.mWheelKeyImageCell : m_ib.mBoardKeyImageCell) = picture;
        auto *title = new QLabel(t(wheel ? OVS_B_R : OVS_B_K), box);
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
        auto *grid = new QGridLayout;
        grid->setHorizontalSpacing(8);
        grid->setVerticalSpacing(6);
        makeRow(wheel, box, grid);
        auto *buttons = new QHBoxLayout;
        makeButtons(wheel, box, buttons);
        auto *right = new QVBoxLayout;
        right->addWidget(title);
        right->addLayout(grid);
        right->addLayout(buttons);
        auto *layout = new QHBoxLayout(box);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(16);
        layout->addWidget(picture);
        layout->addLayout(right, 1);
        return box;
    };

    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setSpacing(18);
    layout->addWidget(makeSection(false));
    m_ib.wheelBox = makeSection(true);
    m_ib.wheelBox->setVisible(m_layout.wheel);
    layout->addWidget(m_ib.wheelBox);
    layout->addStretch(1);
    after(0, [this] { boardViewInit(); });
}

void BoardViewCtrl::boardViewInit()
{
    if (!isViewLoaded())
        return;
    if (!m_observing) {
        m_observing = true;
        observeReloadAndHide([this] { ovCFG(); }, [this] { deviceDisconnectHideUI(); });
    }
    rowInit(false);
    rowInit(true);
    for (int i = 6; i < kBoardKeyCount; ++i) {
        const bool shown = m_layout.k7To10Shown && i < m_layout.keys;
        m_ib.ibKPopUpBtn[std::size_t(i)]->setVisible(shown);
        m_ib.lbKTip[std::size_t(i)]->setVisible(shown);
    }
    const auto picture = [](QLabel *cell, const QString &name) {
        cell->setPixmap(name.isEmpty() ? QPixmap() : controls::imageNamed(name, cell->devicePixelRatioF()));
    };
    picture(m_ib.mBoardKeyImageCell, m_layout.boardImage);
    picture(m_ib.mWheelKeyImageCell, m_layout.wheelImage);
}

void BoardViewCtrl::ovCFG()
{
    if (!isViewLoaded())
        return;
    rowInit(false);
    rowInit(true);
}

void BoardViewCtrl::deviceDisconnectHideUI()
{
    if (!isViewLoaded())
        return;
    for (auto *row : { &m_ib.ibKPopUpBtn, &m_ib.ibRPopUpBtn }) {
        for (controls::OrvanePopUpButton *popup : *row)
            popup->cancelTracking();
    }
}

void BoardViewCtrl::rowInit(bool wheel)
{
    for (int n = 1; n <= kBoardKeyCount; ++n)
        popUpInit(wheel, n);
}

quint64 &BoardViewCtrl::actionOf(bool wheel, int n)
{
    return (wheel ? m_rAction : m_kAction)[std::size_t(n - 1)];
}

quint64 BoardViewCtrl::defaultAction(bool wheel, int n) const
{
    const Row &row = rowOf(wheel);
    // Read as the driver reads it: a whole real counts as its number.
    const std::optional<quint64> value = truncatedUnsignedValue(queryCFG(row.category, defKey(row.keyName(n))));
    return value && *value <= quint64(kBoardCustom) ? *value : 0;
}

quint64 BoardViewCtrl::storedAction(bool wheel, int n) const
{
    const Row &row = rowOf(wheel);
    // A number past the list reads as absent: 12 is a command, not a choice.
    const std::optional<quint64> value = truncatedUnsignedValue(queryCFG(row.category, row.keyName(n)));
    return value && *value <= quint64(kBoardCustom) ? *value : defaultAction(wheel, n);
}

std::optional<QVariantMap> BoardViewCtrl::customOf(bool wheel, int n) const
{
    const Row &row = rowOf(wheel);
    return dictionaryCFG(row.category, cusKey(row.keyName(n)));
}

void BoardViewCtrl::showCustomTitle(bool wheel, int n, const std::optional<QVariantMap> &custom)
{
    const Row &row = rowOf(wheel);
    controls::OrvanePopUpButton *popup = (wheel ? m_ib.ibRPopUpBtn : m_ib.ibKPopUpBtn)[std::size_t(n - 1)];
    std::optional<QString> title;
    if (custom) {
        title = text(row.customFormat);
        title->replace(QLatin1String("%@"), stringValue(custom->value(row.aliasKey)).value_or(QString()));
    }
    setCustomItem(popup, kBoardCustom, title);
}

void BoardViewCtrl::popUpInit(bool wheel, int n)
{
    const Row &row = rowOf(wheel);
    controls::OrvanePopUpButton *popup = (wheel ? m_ib.ibRPopUpBtn : m_ib.ibKPopUpBtn)[std::size_t(n - 1)];
    popup->removeAllItems();
    for (const QLatin1String title : row.titles)
        popup->addItem(text(title));
    const quint64 action = storedAction(wheel, n);
    popup->setCurrentIndex(int(action));
    actionOf(wheel, n) = action;
    showCustomTitle(wheel, n, customOf(wheel, n));
}

void BoardViewCtrl::clickPopUpBtn(controls::OrvanePopUpButton *sender)
{
    clickRowPopUp(false, sender);
}

void BoardViewCtrl::clickRPopUpBtn(controls::OrvanePopUpButton *sender)
{
    clickRowPopUp(true, sender);
}

std::optional<QVariantMap> BoardViewCtrl::runEditor(bool wheel, int n)
{
    QWidget *window = view()->window();
    const std::optional<QVariantMap> stored = customOf(wheel, n);
    int result = 0;
    std::optional<QVariantMap> made;
    if (wheel) {
        std::unique_ptr<RKeyCusEditor> editor
            = m_rkeyCusEditorFactory ? m_rkeyCusEditorFactory(devKey(), window) : nullptr;
        if (!editor)
            return std::nullopt;
        if (stored) {
            keyactions::RKeyCusObject object;
            object.deserialization(*stored);
            editor->setRkeyCusObject(object);
        }
        // The device may go while the editor runs: the page then stays
        // parked until the run ends, and drops what the editor answers.
        if (!runModal([&] { result = editor->runModal(); }))
            return std::nullopt;
        if (const std::optional<keyactions::RKeyCusObject> object = editor->rkeyCusObject(); result == 1 && object)
            made = object->serialization();
    } else {
        std::unique_ptr<KeyCusEditor> editor
            = m_keyCusEditorFactory ? m_keyCusEditorFactory(devKey(), window) : nullptr;
        if (!editor)
            return std::nullopt;
        if (stored) {
            keyactions::KeyCusObject object;
            object.deserialization(*stored);
            editor->setKeyCusObject(object);
        }
        if (!runModal([&] { result = editor->runModal(); }))
            return std::nullopt;
        if (const std::optional<keyactions::KeyCusObject> object = editor->keyCusObject(); result == 1 && object)
            made = object->serialization();
    }
    return made;
}

void BoardViewCtrl::clickRowPopUp(bool wheel, controls::OrvanePopUpButton *sender)
{
    const auto &popups = wheel ? m_ib.ibRPopUpBtn : m_ib.ibKPopUpBtn;
    const auto found = std::find(popups.begin(), popups.end(), sender);
    if (found == popups.end())
        return;
    const int n = int(found - popups.begin()) + 1;
    const Row &row = rowOf(wheel);
    // Only the page shown acts on its controls.
    if (!isDeviceShown()) {
        sender->setCurrentIndex(int(actionOf(wheel, n)));
        return;
    }
    int chosen = sender->currentIndex();
    if (chosen < 0 || quint64(chosen) == actionOf(wheel, n))
        return;
    // The custom entry is hidden without a custom action, but the keyboard
    // and the scroll wheel still reach it: it would store an action that
    // does nothing.
    if (chosen == kBoardCustom && !customOf(wheel, n)) {
        sender->setCurrentIndex(int(actionOf(wheel, n)));
        return;
    }
    if (chosen == kBoardChange) {
        const std::optional<QVariantMap> custom = runEditor(wheel, n);
        if (isDisconnected())
            return;
        if (!custom) {
            sender->setCurrentIndex(int(actionOf(wheel, n)));
            return;
        }
        updateCFG(row.category, cusKey(row.keyName(n)), *custom);
        showCustomTitle(wheel, n, custom);
        sender->setCurrentIndex(kBoardCustom);
        chosen = kBoardCustom;
    }
    actionOf(wheel, n) = quint64(chosen);
    updateCFG(row.category, row.keyName(n), qint64(chosen));
}

void BoardViewCtrl::clickDefaultBtn()
{
    clickRowDefault(false);
}

void BoardViewCtrl::clickRDefaultBtn()
{
    clickRowDefault(true);
}

void BoardViewCtrl::clickRowDefault(bool wheel)
{
    if (!isDeviceShown())
        return;
    const Row &row = rowOf(wheel);
    const auto &popups = wheel ? m_ib.ibRPopUpBtn : m_ib.ibKPopUpBtn;
    for (int n = 1; n <= kBoardKeyCount; ++n) {
        const quint64 action = defaultAction(wheel, n);
        popups[std::size_t(n - 1)]->setCurrentIndex(int(action));
        actionOf(wheel, n) = action;
        updateCFG(row.category, row.keyName(n), QVariant());
    }
}

void BoardViewCtrl::clickSettingBtn()
{
    runAppSetWindow(false);
}

void BoardViewCtrl::clickRSettingBtn()
{
    runAppSetWindow(true);
}

void BoardViewCtrl::runAppSetWindow(bool wheel)
{
    if (!isDeviceShown())
        return;
    std::unique_ptr<AppSetWindow> window
        = m_appSetWindowFactory ? m_appSetWindowFactory(devKey(), wheel, view()->window()) : nullptr;
    if (!window) {
        qCWarning(lcBoardPage).noquote() << devKey() + QStringLiteral(": there is no per-application window");
        return;
    }
    // The window writes its own sets, for its own device; the page's
    // pop-ups stay as they are.
    runModal([&] { window->runModal(); });
}

} // namespace settings
