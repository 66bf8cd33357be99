#include "keyactions/keycuspane.h"

#include <QWidget>

namespace keyactions {

KeyCusPane::KeyCusPane(const EditorContext &context, QObject *parent)
    : QObject(parent)
    , m_context(context)
{ }

KeyCusPane::~KeyCusPane()
{
    m_context.removeObservers(this);
    delete m_view.data();
}

QWidget *KeyCusPane::view()
{
    if (!m_view) {
        m_view = new QWidget;
        viewDidLoad(m_view);
    }
    return m_view;
}

} // namespace keyactions
