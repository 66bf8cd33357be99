#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "keyactions/editorcontext.h"

class QWidget;

namespace keyactions {

// A pane of the per-key action editor (application, hot key, internet
// address, mouse action). The editor creates a pane on the first selection
// of its tab, hands it its values and puts its view into the tab; the view
// is built on that first access and its controls start from the values
// handed over. The pane reports to the editor through its signals.
// Deleting the pane deletes its view, wherever it is attached.
class KeyCusPane : public QObject
{
    Q_OBJECT
public:
    explicit KeyCusPane(const EditorContext &context, QObject *parent = nullptr);
    ~KeyCusPane() override;

    QWidget *view();
    bool isViewLoaded() const { return !m_view.isNull(); }

signals:
    // The name the editor's alias field should show for what was chosen.
    void keyCusDidChanged(keyactions::KeyCusPane *pane, const QString &alias);
    // The alias field may be typed in (the hot-key pane alone sends it).
    void keyCusDidChangedEnabled(bool enabled);

protected:
    // Builds the pane's controls into the empty view and initialises them.
    virtual void viewDidLoad(QWidget *view) = 0;
    const EditorContext &context() const { return m_context; }
    QString text(const QString &key) const { return m_context.text(key); }

private:
    EditorContext m_context;
    QPointer<QWidget> m_view;
};

} // namespace keyactions
