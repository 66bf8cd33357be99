#pragma once

#include <optional>

#include "keyactions/keycuspane.h"

namespace controls {
class OrvanePopUpButton;
class OrvaneTextField;
} // namespace controls

namespace keyactions {

// The internet-address pane (layout "KeyCusNetViewCtrl"): a web or e-mail
// address; an empty field stands for the maker's address of that kind.
class KeyCusNetViewCtrl : public KeyCusPane
{
    Q_OBJECT
public:
    // The address kinds, the pop-up's entries.
    static constexpr quint64 kWebAddress = 0;
    static constexpr quint64 kMailAddress = 1;

    explicit KeyCusNetViewCtrl(const EditorContext &context, QObject *parent = nullptr);
    ~KeyCusNetViewCtrl() override;

    quint64 keyActCusNet() const { return m_keyActCusNet; }
    void setKeyActCusNet(quint64 kind) { m_keyActCusNet = kind; }
    std::optional<QString> urlStr() const { return m_urlStr; }
    void setUrlStr(const std::optional<QString> &url) { m_urlStr = url; }
    // The field's text, else its placeholder (the default of the kind).
    QString obtainUrlStr();
    // The default address of a kind; empty for another kind.
    static QString defaultAddress(quint64 kind);
    // The localised title of a kind.
    QString kindTitle(quint64 kind) const;

    void clickPopUpBtn();
    void deviceDisconnectHideUI();

    controls::OrvanePopUpButton *ibPopupBtn() const { return m_ibPopupBtn; }
    controls::OrvaneTextField *ibTextField() const { return m_ibTextField; }

protected:
    void viewDidLoad(QWidget *view) override;

private:
    void keyCusNetInit();

    controls::OrvanePopUpButton *m_ibPopupBtn = nullptr;
    controls::OrvaneTextField *m_ibTextField = nullptr;
    quint64 m_keyActCusNet = 0;
    std::optional<QString> m_urlStr;
};

} // namespace keyactions
