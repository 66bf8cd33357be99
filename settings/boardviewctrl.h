#pragma once

#include <array>

#include "settings/devicepagectrl.h"
#include "settings/keycuseditor.h"

class QLabel;

namespace controls {
class OrvaneButton;
class OrvanePopUpButton;
} // namespace controls

namespace settings {

// ExpressKeyActionList ("OVCFGBoardKey1".."10") and WheelFunctionList
// ("OVCFGWheelKey1".."10") share their numbering: 0 no action, 1..10 the
// list's actions, 11 the key's own custom action (stored under the key
// followed by "Cus"), 12 the command that opens the editor, never stored.
inline constexpr int kBoardListCount = 13;
inline constexpr int kBoardCustom = 11;
inline constexpr int kBoardChange = 12;
// Express keys and wheel slots a page has at most.
inline constexpr int kBoardKeyCount = 10;

// What the page of a model shows: the pop-ups of its layout, its pictures
// and the K7..K10 rule.
struct BoardLayout
{
    int keys = 0; // K1..Kkeys are shown
    bool wheel = false; // the R row, its picture and buttons
    QString boardImage; // the key block or tablet picture
    QString wheelImage; // empty: none
    bool k7To10Shown = true; // K7..K10 and their labels
};

// The express-key and wheel page of one device, from the model's layout
// (store::boardViewXIBName): one pop-up per express key and one per wheel
// slot, each showing the stored action, else the model's default ("...Def"),
// else 0; "change" opens the key's editor, and OK there stores the custom
// action, then 11. Two resets (ten removals each, so that the default
// applies in both programs) and two per-application windows. See
// pageviewctrl.h for the pattern it follows.
class BoardViewCtrl : public DevicePageCtrl
{
    Q_OBJECT
public:
    BoardViewCtrl(const QString &nibName, const PageContext &context, QObject *parent = nullptr);
    ~BoardViewCtrl() override;

    void setKeyCusEditorFactory(KeyCusEditorFactory factory) { m_keyCusEditorFactory = std::move(factory); }
    void setRKeyCusEditorFactory(RKeyCusEditorFactory factory) { m_rkeyCusEditorFactory = std::move(factory); }
    void setAppSetWindowFactory(AppSetWindowFactory factory) { m_appSetWindowFactory = std::move(factory); }

    // The layout and pictures of a model's page.
    static BoardLayout layoutFor(const QString &devKey, const QString &nibName);

    struct Outlets
    {
        std::array<controls::OrvanePopUpButton *, kBoardKeyCount> ibKPopUpBtn {};
        std::array<controls::OrvanePopUpButton *, kBoardKeyCount> ibRPopUpBtn {};
        // The labels beside the pop-ups; lbKTip[6..9] are lbK7Tip..lbK10Tip.
        std::array<QLabel *, kBoardKeyCount> lbKTip {};
        std::array<QLabel *, kBoardKeyCount> lbRTip {};
        QLabel *mBoardKeyImageCell = nullptr;
        QLabel *mWheelKeyImageCell = nullptr;
        QWidget *wheelBox = nullptr; // the R row with its picture and buttons
        controls::OrvaneButton *ibDefaultBtn = nullptr;
        controls::OrvaneButton *ibRDefaultBtn = nullptr;
        controls::OrvaneButton *ibSettingBtn = nullptr;
        controls::OrvaneButton *ibRSettingBtn = nullptr;
    };
    const Outlets &outlets() const { return m_ib; }

    // The index pop-up n (1..10) shows as stored.
    quint64 kAction(int n) const { return m_kAction.at(std::size_t(n - 1)); }
    quint64 rAction(int n) const { return m_rAction.at(std::size_t(n - 1)); }

    void clickPopUpBtn(controls::OrvanePopUpButton *sender);
    void clickRPopUpBtn(controls::OrvanePopUpButton *sender);
    void clickDefaultBtn();
    void clickRDefaultBtn();
    void clickSettingBtn();
    void clickRSettingBtn();

    // Observers, both rows, the K7..K10 rule and the pictures.
    void boardViewInit();
    // The local "OVCFGNotification" (an import): both rows again.
    void ovCFG();
    // "OVUI_DeviceDisconnect_Hide_Noti": every open menu closes.
    void deviceDisconnectHideUI();

protected:
    void viewDidLoad(QWidget *view) override;

private:
    // The two rows differ in these names only.
    struct Row;
    const Row &rowOf(bool wheel) const;
    void rowInit(bool wheel);
    void popUpInit(bool wheel, int n);
    void clickRowPopUp(bool wheel, controls::OrvanePopUpButton *sender);
    void clickRowDefault(bool wheel);
    void runAppSetWindow(bool wheel);
    // The stored custom dictionary under key + "Cus".
    std::optional<QVariantMap> customOf(bool wheel, int n) const;
    void showCustomTitle(bool wheel, int n, const std::optional<QVariantMap> &custom);
    quint64 &actionOf(bool wheel, int n);
    // The stored value with its "Def" fallback, 0 when neither is usable.
    quint64 storedAction(bool wheel, int n) const;
    quint64 defaultAction(bool wheel, int n) const;
    // Runs the editor of key n; the new custom dictionary, or none when it
    // was cancelled (or its device went meanwhile).
    std::optional<QVariantMap> runEditor(bool wheel, int n);

    BoardLayout m_layout;
    Outlets m_ib;
    std::array<quint64, kBoardKeyCount> m_kAction {};
    std::array<quint64, kBoardKeyCount> m_rAction {};
    KeyCusEditorFactory m_keyCusEditorFactory;
    RKeyCusEditorFactory m_rkeyCusEditorFactory;
    AppSetWindowFactory m_appSetWindowFactory;
    bool m_observing = false;
};

} // namespace settings
