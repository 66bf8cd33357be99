#include "keyactions/appkeycuswinctrl.h"

#include <algorithm>

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "controls/kitimages.h"
#include "controls/orvanebutton.h"
#include "keyactions/appentry.h"
#include "keyactions/boardkeycusobject.h"
#include "keyactions/editorframe.h"
#include "keyactions/keycuswinctrl.h"
#include "keyactions/recordvalues.h"
#include "keyactions/rkeycuswinctrl.h"
#include "keyactions/wheelkeycusobject.h"
#include "platform/platform.h"
#include "platform/userdefaults.h"
#include "store/ovgeometry.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"

namespace keyactions {

namespace {

constexpr QLatin1String OVS_BK_WT("OVS_BK_WT"); // the express-key window's title
constexpr QLatin1String OVS_RK_WT("OVS_RK_WT"); // the wheel window's title
constexpr QLatin1String OVS_BK_Apps("OVS_BK_Apps");
constexpr QLatin1String OVS_BK_Add("OVS_BK_Add");
constexpr QLatin1String OVS_BK_Remove("OVS_BK_Remove");
constexpr QLatin1String OVS_BK_Default("OVS_BK_Default");
constexpr QLatin1String OVS_BK_OK("OVS_BK_OK");
constexpr QLatin1String OVS_BK_Cancel("OVS_BK_Cancel");
constexpr QLatin1String OVS_BK_Choose("OVS_BK_Choose");
constexpr QLatin1String OVS_AM_OF("OVS_AM_OF"); // a fifth application
constexpr QLatin1String OVS_AM_AA("OVS_AM_AA"); // a key without an application

// The browser's cells, points.
constexpr QSize kCellSize(76, 64);
constexpr QSize kIconSize(40, 40);

struct Pictures
{
    store::Model model;
    const char *picture;
};
constexpr Pictures kBoardPictures[] = {
    { store::Model::Sorvi1316, "BoardKeySorvi16" },
    { store::Model::Sorvi16Pro, "BoardKeySorvi16Pro" },
    { store::Model::TevraN10B, "BoardKeyTevraN10B" },
    { store::Model::TevraQ, "Tablet_TevraQ" },
};

int expressKeyCount(const QString &devKey)
{
    const auto &defs = store::factsFor(devKey).boardKeyDefs;
    const int count = int(std::count_if(defs.begin(), defs.end(), [](quint8 v) { return v != 0; }));
    return count ? count : AppKeyCusWinCtrl::kKeyCount;
}

} // namespace

AppKeyCusWinCtrl::AppKeyCusWinCtrl(
    bool wheel, const EditorContext &context, const DeviceConfiguration &configuration, QWidget *parent)
    : QDialog(parent)
    , m_wheel(wheel)
    , m_context(context)
    , m_configuration(configuration)
{
    setObjectName(wheel ? QStringLiteral("WheelKeyCusWinCtrl") : QStringLiteral("BoardKeyCusWinCtrl"));
    if (wheel) {
        m_pictureName = store::wheelImageName(configuration.devKey);
    } else {
        m_keyCount = expressKeyCount(configuration.devKey);
        m_pictureName = BoardKeyCusWinCtrl::pictureFor(configuration.devKey);
    }
    buildWindow();
}

AppKeyCusWinCtrl::~AppKeyCusWinCtrl()
{
    m_context.removeObservers(this);
}

QString BoardKeyCusWinCtrl::pictureFor(const QString &devKey)
{
    const std::optional<store::Model> model = store::modelForKey(devKey);
    for (const Pictures &p : kBoardPictures) {
        if (model && *model == p.model)
            return QLatin1String(p.picture);
    }
    return QStringLiteral("BoardKeys") + QString::number(expressKeyCount(devKey));
}

BoardKeyCusWinCtrl::BoardKeyCusWinCtrl(
    const EditorContext &context, const DeviceConfiguration &configuration, QWidget *parent)
    : AppKeyCusWinCtrl(false, context, configuration, parent)
{ }

WheelKeyCusWinCtrl::WheelKeyCusWinCtrl(
    const EditorContext &context, const DeviceConfiguration &configuration, QWidget *parent)
    : AppKeyCusWinCtrl(true, context, configuration, parent)
{ }

QString AppKeyCusWinCtrl::defaultTitle(int n) const
{
    return m_context.text((m_wheel ? QLatin1String("OVS_RK_T") : QLatin1String("OVS_BK_T")) + QString::number(n));
}

QString AppKeyCusWinCtrl::aliasOf(const QVariantMap &record) const
{
    return recordvalues::string(record, m_wheel ? store::OVCFGRKeyCusAlias : store::OVCFGPenKeyCusAlias)
        .value_or(QString());
}

void AppKeyCusWinCtrl::buildWindow()
{
    const auto t = [this](QLatin1String key) { return m_context.text(key); };
    setWindowTitle(t(m_wheel ? OVS_RK_WT : OVS_BK_WT));

    m_imageBrowser = new QListWidget(this);
    m_imageBrowser->setObjectName(QStringLiteral("imageBrowser"));
    m_imageBrowser->setAccessibleName(t(OVS_BK_Apps));
    m_imageBrowser->setViewMode(QListView::IconMode);
    m_imageBrowser->setFlow(QListView::LeftToRight);
    m_imageBrowser->setMovement(QListView::Static);
    m_imageBrowser->setResizeMode(QListView::Adjust);
    m_imageBrowser->setWrapping(false);
    m_imageBrowser->setIconSize(kIconSize);
    m_imageBrowser->setGridSize(QSize(kCellSize.width() + 8, kCellSize.height() + 20));
    m_imageBrowser->setSelectionMode(QAbstractItemView::SingleSelection);
    m_imageBrowser->setFixedHeight(kCellSize.height() + 34);
    connect(m_imageBrowser, &QListWidget::itemSelectionChanged, this,
        [this] { imageBrowserSelectionDidChange(); });

    m_addBtn = new controls::OrvaneButton(t(OVS_BK_Add), this);
    m_addBtn->setObjectName(QStringLiteral("ibAddBtn"));
    m_removeBtn = new controls::OrvaneButton(t(OVS_BK_Remove), this);
    m_removeBtn->setObjectName(QStringLiteral("ibRemoveBtn"));
    connect(m_addBtn, &QAbstractButton::clicked, this, [this] { clickAdd(); });
    connect(m_removeBtn, &QAbstractButton::clicked, this, [this] { clickRemove(); });

    m_picture = new QLabel(this);
    m_picture->setObjectName(m_wheel ? QStringLiteral("ibIMGView") : QStringLiteral("ivImage"));
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setFixedWidth(140);
    if (!m_pictureName.isEmpty())
        m_picture->setPixmap(controls::imageNamed(m_pictureName, m_picture->devicePixelRatioF()));

    auto *keys = new QGridLayout;
    keys->setHorizontalSpacing(10);
    keys->setVerticalSpacing(6);
    for (int i = 0; i < kKeyCount; ++i) {
        auto *button = new controls::OrvaneButton(defaultTitle(i + 1), this);
        button->setObjectName((m_wheel ? QLatin1String("ibR") : QLatin1String("ibK")) + QString::number(i + 1)
            + QLatin1String("Btn"));
        button->setAccessibleName(defaultTitle(i + 1));
        button->setMinimumWidth(150);
        button->setVisible(i < m_keyCount);
        keys->addWidget(button, i % 5, i / 5);
        connect(button, &QAbstractButton::clicked, this, [this, i] { clickKey(i + 1); });
        m_keyBtns[std::size_t(i)] = button;
    }

    m_defaultBtn = new controls::OrvaneButton(t(OVS_BK_Default), this);
    m_defaultBtn->setObjectName(QStringLiteral("ibDefaultBtn"));
    connect(m_defaultBtn, &QAbstractButton::clicked, this, [this] { clickDefault(); });

    auto *appsLabel = new QLabel(t(OVS_BK_Apps), this);
    appsLabel->setBuddy(m_imageBrowser);
    auto *appButtons = new QHBoxLayout;
    appButtons->addStretch(1);
    appButtons->addWidget(m_removeBtn);
    appButtons->addWidget(m_addBtn);
    auto *keyRow = new QHBoxLayout;
    keyRow->setSpacing(16);
    keyRow->addWidget(m_picture);
    keyRow->addLayout(keys, 1);
    EditorFrame frame(this);
    frame.layout->setSpacing(10);
    frame.layout->addWidget(appsLabel);
    frame.layout->addWidget(m_imageBrowser);
    frame.layout->addLayout(appButtons);
    frame.layout->addLayout(keyRow);
    frame.addButtonRow(t(OVS_BK_OK), t(OVS_BK_Cancel), m_defaultBtn);
    m_okBtn = frame.ok;
    m_cancelBtn = frame.cancel;
    connect(m_cancelBtn, &QAbstractButton::clicked, this, [this] { clickCancel(); });
    connect(m_okBtn, &QAbstractButton::clicked, this, [this] { clickOK(); });
    setMinimumWidth(520);
}

void AppKeyCusWinCtrl::appKeyCusInit()
{
    m_sets.clear();
    const QString category = m_wheel ? QString(store::OVCFGRKApp) : QString(store::OVCFGBKApp);
    const QString key = m_wheel ? QString(store::OVCFGRKAppOptions) : QString(store::OVCFGBKAppOptions);
    const QVariant stored = m_configuration.query ? m_configuration.query(category, key) : QVariant();
    // Typed: anything but a dictionary is no set at all, and a set that is
    // not a dictionary reads as an empty one.
    const QVariantMap options
        = stored.typeId() == QMetaType::QVariantMap ? stored.toMap() : QVariantMap();
    const QStringList languages = m_context.platform->defaults.preferredLanguages();
    for (auto it = options.constBegin(); it != options.constEnd(); ++it) {
        if (it.key().isEmpty())
            continue;
        AppSet set;
        const QVariantMap one { { it.key(), it.value() } };
        if (m_wheel) {
            WheelKeyCusObject object;
            object.deserialization(one);
            set.path = object.path;
            for (int n = 1; n <= kKeyCount; ++n) {
                if (const auto &record = object.rCusObject(n))
                    set.records[std::size_t(n - 1)] = record->serialization();
            }
        } else {
            BoardKeyCusObject object;
            object.deserialization(one);
            set.path = object.path;
            for (int n = 1; n <= kKeyCount; ++n) {
                if (const auto &record = object.kCusObject(n))
                    set.records[std::size_t(n - 1)] = record->serialization();
            }
        }
        set.name = it.key();
        const std::optional<AppEntry> app = findAppEntry(set.name, languages);
        set.title = app ? app->title : set.name;
        m_sets.push_back(set);
    }
    reloadBrowser();
    selectLast();
}

int AppKeyCusWinCtrl::runModal()
{
    appKeyCusInit();
    if (!m_wheel)
        m_context.observeDisconnectHide(this, [this] { deviceDisconnectHideUI(); });
    setWindowModality(Qt::ApplicationModal);
    m_running = true;
    const int code = exec();
    m_running = false;
    m_context.removeObservers(this);
    return code == 1 ? 1 : 0;
}

void AppKeyCusWinCtrl::reloadBrowser()
{
    const QSignalBlocker quiet(m_imageBrowser);
    m_imageBrowser->clear();
    for (const AppSet &set : m_sets) {
        auto *item = new QListWidgetItem(set.title, m_imageBrowser);
        item->setToolTip(set.name);
        if (set.path && QFileInfo(*set.path).isFile())
            item->setIcon(QIcon(*set.path));
        else
            item->setIcon(QIcon::fromTheme(QStringLiteral("application-x-executable")));
    }
}

void AppKeyCusWinCtrl::selectLast()
{
    if (!m_sets.empty())
        m_imageBrowser->setCurrentRow(int(m_sets.size()) - 1);
    imageBrowserSelectionDidChange();
}

int AppKeyCusWinCtrl::selectedIndex() const
{
    const QList<QListWidgetItem *> selected = m_imageBrowser->selectedItems();
    return selected.isEmpty() ? -1 : m_imageBrowser->row(selected.last());
}

void AppKeyCusWinCtrl::imageBrowserSelectionDidChange()
{
    int index = selectedIndex();
    // Never empty while there are applications: the last choice stays.
    if (index < 0 && !m_sets.empty()) {
        index = std::clamp(m_lastSelected, 0, int(m_sets.size()) - 1);
        const QSignalBlocker quiet(m_imageBrowser);
        m_imageBrowser->setCurrentRow(index);
    }
    m_lastSelected = index;
    for (int n = 1; n <= kKeyCount; ++n) {
        controls::OrvaneButton *button = keyButton(n);
        QString title = defaultTitle(n);
        if (index >= 0) {
            if (const auto &record = m_sets[std::size_t(index)].records[std::size_t(n - 1)])
                title = aliasOf(*record);
        }
        button->setText(title);
        button->setAccessibleName(title == defaultTitle(n) ? title : defaultTitle(n) + QLatin1String(": ") + title);
    }
}

void AppKeyCusWinCtrl::clickAdd()
{
    if (int(m_sets.size()) >= kMaxApps) {
        m_context.showAlert(this, OVS_AM_OF);
        return;
    }
    const std::optional<AppEntry> app = m_context.chooseApplication(this, m_context.text(OVS_BK_Choose));
    if (app)
        addAppOption(app->launchPath);
}

bool AppKeyCusWinCtrl::addAppOption(const QString &path)
{
    const std::optional<AppEntry> app = readAppEntry(path, m_context.platform->defaults.preferredLanguages());
    // No name, no set: a set under an empty name would match no window.
    if (!app || app->identifier.isEmpty())
        return false;
    if (std::any_of(m_sets.begin(), m_sets.end(), [&](const AppSet &s) { return s.name == app->identifier; }))
        return true;
    AppSet set;
    set.name = app->identifier;
    set.title = app->title.isEmpty() ? app->identifier : app->title;
    if (!app->iconPath.isEmpty())
        set.path = app->iconPath;
    m_sets.push_back(set);
    reloadBrowser();
    selectLast();
    return true;
}

void AppKeyCusWinCtrl::clickRemove()
{
    const int index = selectedIndex();
    if (index < 0 || index >= int(m_sets.size()))
        return;
    m_sets.erase(m_sets.begin() + index);
    reloadBrowser();
    m_lastSelected = int(m_sets.size()) - 1;
    selectLast();
}

std::optional<QVariantMap> AppKeyCusWinCtrl::runEditor(const std::optional<QVariantMap> &given)
{
    if (m_wheel) {
        RKeyCusWinCtrl editor(m_context, QStringLiteral("RKeyCusWinCtrl"), this);
        if (given) {
            RKeyCusObject object;
            object.deserialization(*given);
            editor.setRkeyCusObject(object);
        }
        if (editor.runModal() != 1 || !editor.rkeyCusObject())
            return std::nullopt;
        return editor.rkeyCusObject()->serialization();
    }
    KeyCusWinCtrl editor(m_context, QStringLiteral("KeyCusWinCtrl"), this);
    if (given) {
        KeyCusObject object;
        object.deserialization(*given);
        editor.setKeyCusObject(object);
    }
    if (editor.runModal() != 1 || !editor.keyCusObject())
        return std::nullopt;
    return editor.keyCusObject()->serialization();
}

void AppKeyCusWinCtrl::clickKey(int n)
{
    if (n < 1 || n > kKeyCount)
        return;
    const int index = selectedIndex();
    if (index < 0) {
        m_context.showAlert(this, OVS_AM_AA);
        return;
    }
    const std::optional<QVariantMap> made = runEditor(m_sets[std::size_t(index)].records[std::size_t(n - 1)]);
    // The window may have ended meanwhile (the disconnect notice).
    if (!made || !m_running || index >= int(m_sets.size()))
        return;
    m_sets[std::size_t(index)].records[std::size_t(n - 1)] = made;
    imageBrowserSelectionDidChange();
}

void AppKeyCusWinCtrl::clickDefault()
{
    const int index = selectedIndex();
    if (index < 0)
        return;
    m_sets[std::size_t(index)].records.fill(std::nullopt);
    imageBrowserSelectionDidChange();
}

void AppKeyCusWinCtrl::clickOK()
{
    QVariantMap options;
    for (const AppSet &set : m_sets) {
        if (m_wheel) {
            WheelKeyCusObject object;
            object.name = set.name;
            object.path = set.path;
            for (int n = 1; n <= kKeyCount; ++n) {
                if (const auto &record = set.records[std::size_t(n - 1)]) {
                    RKeyCusObject r;
                    r.deserialization(*record);
                    object.rCusObject(n) = r;
                }
            }
            options.insert(set.name, object.serialization());
        } else {
            BoardKeyCusObject object;
            object.name = set.name;
            object.path = set.path;
            for (int n = 1; n <= kKeyCount; ++n) {
                if (const auto &record = set.records[std::size_t(n - 1)]) {
                    KeyCusObject r;
                    r.deserialization(*record);
                    object.kCusObject(n) = r;
                }
            }
            options.insert(set.name, object.serialization());
        }
    }
    endRun(1);
    // Only to the device the window was opened for; once it has gone, the
    // result is dropped.
    if (m_configuration.update) {
        m_configuration.update(m_wheel ? QString(store::OVCFGRKApp) : QString(store::OVCFGBKApp),
            m_wheel ? QString(store::OVCFGRKAppOptions) : QString(store::OVCFGBKAppOptions), options);
    }
}

void AppKeyCusWinCtrl::clickCancel()
{
    endRun(0);
}

void AppKeyCusWinCtrl::reject()
{
    clickCancel();
}

void AppKeyCusWinCtrl::deviceDisconnectHideUI()
{
    if (!m_running)
        return;
    endChildDialogs(this);
    endRun(0);
}

void AppKeyCusWinCtrl::endRun(int code)
{
    if (!m_running)
        return;
    m_running = false;
    done(code);
}

} // namespace keyactions
