#pragma once

#include "keyactions/keycuspane.h"

namespace controls {
class OrvanePopUpButton;
}

namespace keyactions {

// The mouse pane (layout "KeyCusMouseViewCtrl"): double click, middle click
// or scroll.
class KeyCusMouseViewCtrl : public KeyCusPane
{
    Q_OBJECT
public:
    explicit KeyCusMouseViewCtrl(const EditorContext &context, QObject *parent = nullptr);
    ~KeyCusMouseViewCtrl() override;

    quint64 keyActCusMouse() const { return m_keyActCusMouse; }
    void setKeyActCusMouse(quint64 action) { m_keyActCusMouse = action; }
    // The localised title of an action; empty past the list.
    QString actionTitle(quint64 action) const;

    void clickPopUpBtn();
    void deviceDisconnectHideUI();

    controls::OrvanePopUpButton *ibPopupBtn() const { return m_ibPopupBtn; }

protected:
    void viewDidLoad(QWidget *view) override;

private:
    controls::OrvanePopUpButton *m_ibPopupBtn = nullptr;
    quint64 m_keyActCusMouse = 0;
};

} // namespace keyactions
