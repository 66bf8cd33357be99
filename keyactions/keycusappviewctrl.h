#pragma once

#include <optional>

#include "keyactions/keycuspane.h"

namespace controls {
class OrvaneButton;
class OrvaneTextField;
} // namespace controls

namespace keyactions {

// The application pane (layout "KeyCusAppViewCtrl"): the application the
// action opens, a desktop entry or an executable that the user chooses in
// the applications folders. The field's placeholder would be a default
// application; it has none, so an action without a chosen application is
// incomplete.
class KeyCusAppViewCtrl : public KeyCusPane
{
    Q_OBJECT
public:
    explicit KeyCusAppViewCtrl(const EditorContext &context, QObject *parent = nullptr);
    ~KeyCusAppViewCtrl() override;

    std::optional<QString> appPath() const { return m_appPath; }
    void setAppPath(const std::optional<QString> &path) { m_appPath = path; }
    // The chosen path, else the field's placeholder.
    QString obtainAppPath() const;

    // The choose button's action: a file panel on the applications folders.
    void clickBrowse();

    controls::OrvaneTextField *ibTextField() const { return m_ibTextField; }
    controls::OrvaneButton *ibBrowseBtn() const { return m_ibBrowseBtn; }

protected:
    void viewDidLoad(QWidget *view) override;

private:
    void keyCusAppInit();

    controls::OrvaneTextField *m_ibTextField = nullptr;
    controls::OrvaneButton *m_ibBrowseBtn = nullptr;
    std::optional<QString> m_appPath;
};

} // namespace keyactions
