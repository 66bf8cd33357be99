#pragma once

#include <array>
#include <optional>
#include <vector>

#include <QDialog>
#include <QVariantMap>

#include "keyactions/editorcontext.h"

class QLabel;
class QListWidget;

namespace controls {
class OrvaneButton;
} // namespace controls

namespace keyactions {

// The per-application windows of one device: for up to four applications a
// set of custom express-key actions (BoardKeyCusWinCtrl, "OVCFGBKAppOptions")
// or of custom wheel functions (WheelKeyCusWinCtrl, "OVCFGRKAppOptions").
// The applications show as icons (one always selected while there are
// any); each key button edits its record of the selected application with
// the per-key action editor or the wheel-function editor. Adding, removing,
// editing and Default change only the window's copy; OK alone writes, once,
// the whole dictionary (empty when no application is left), and only to the
// device the window was opened for: once that device has gone, nothing is
// written. An application is stored under its window class, the text the
// driver compares with the front window's class; it shows under its name.
class AppKeyCusWinCtrl : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kMaxApps = 4;
    static constexpr int kKeyCount = 10;

    // One application's set: the stored name, the icon file, the ten
    // records (each the serialization of a KeyCusObject or RKeyCusObject).
    struct AppSet
    {
        QString name;
        QString title;
        std::optional<QString> path;
        std::array<std::optional<QVariantMap>, kKeyCount> records;
    };

    ~AppKeyCusWinCtrl() override;

    bool isWheel() const { return m_wheel; }
    // Loads the sets and runs application-modally: 1 after OK, else 0.
    int runModal();

    void clickAdd();
    void clickRemove();
    void clickKey(int n);
    void clickDefault();
    void clickOK();
    void clickCancel();
    // "OVUI_DeviceDisconnect_Hide_Noti" (the express-key window only):
    // its editor and alerts end first, then the window, as Cancel.
    void deviceDisconnectHideUI();
    void imageBrowserSelectionDidChange();

    // The application with this path added (what the file panel answers
    // goes through here): false when it is no application.
    bool addAppOption(const QString &path);

    const std::vector<AppSet> &appSets() const { return m_sets; }
    // The selected application, -1 with none.
    int selectedIndex() const;
    QListWidget *imageBrowser() const { return m_imageBrowser; }
    controls::OrvaneButton *keyButton(int n) const { return m_keyBtns.at(std::size_t(n - 1)); }
    controls::OrvaneButton *addButton() const { return m_addBtn; }
    controls::OrvaneButton *removeButton() const { return m_removeBtn; }
    controls::OrvaneButton *defaultButton() const { return m_defaultBtn; }
    controls::OrvaneButton *okButton() const { return m_okBtn; }
    QLabel *picture() const { return m_picture; }
    // The picture shown and how many key buttons the device has.
    QString pictureName() const { return m_pictureName; }
    int keyCount() const { return m_keyCount; }

protected:
    AppKeyCusWinCtrl(bool wheel, const EditorContext &context, const DeviceConfiguration &configuration,
        QWidget *parent);
    void reject() override;

private:
    void buildWindow();
    void appKeyCusInit();
    void reloadBrowser();
    void selectLast();
    void endRun(int code);
    QString defaultTitle(int n) const;
    QString aliasOf(const QVariantMap &record) const;
    // Runs the editor of key n on `given`: the new record, or none.
    std::optional<QVariantMap> runEditor(const std::optional<QVariantMap> &given);

    bool m_wheel;
    EditorContext m_context;
    DeviceConfiguration m_configuration;
    std::vector<AppSet> m_sets;
    int m_lastSelected = -1;
    bool m_running = false;
    QString m_pictureName;
    int m_keyCount = kKeyCount;
    QListWidget *m_imageBrowser = nullptr;
    QLabel *m_picture = nullptr;
    std::array<controls::OrvaneButton *, kKeyCount> m_keyBtns {};
    controls::OrvaneButton *m_addBtn = nullptr;
    controls::OrvaneButton *m_removeBtn = nullptr;
    controls::OrvaneButton *m_defaultBtn = nullptr;
    controls::OrvaneButton *m_okBtn = nullptr;
    controls::OrvaneButton *m_cancelBtn = nullptr;
};

// The express-key window: per-model picture (the Sorvi 13/16, Sorvi 16Pro,
// Tevra N10B and Tevra Q have their own), one button per express key.
class BoardKeyCusWinCtrl : public AppKeyCusWinCtrl
{
    Q_OBJECT
public:
    BoardKeyCusWinCtrl(
        const EditorContext &context, const DeviceConfiguration &configuration, QWidget *parent = nullptr);
    // The picture of a device's keys in this window.
    static QString pictureFor(const QString &devKey);
};

// The wheel window: the device's wheel picture, ten slot buttons. It stays
// open when its device disconnects (its OK then writes nothing).
class WheelKeyCusWinCtrl : public AppKeyCusWinCtrl
{
    Q_OBJECT
public:
    WheelKeyCusWinCtrl(
        const EditorContext &context, const DeviceConfiguration &configuration, QWidget *parent = nullptr);
};

} // namespace keyactions
