#include "settings/pageviewctrl.h"

#include <QWidget>

namespace settings {

PageViewCtrl::PageViewCtrl(const QString &nibName, QObject *parent)
    : QObject(parent)
    , m_nibName(nibName)
{ }

PageViewCtrl::~PageViewCtrl()
{
    delete m_view.data();
}

QWidget *PageViewCtrl::view()
{
    if (!m_view) {
        m_view = new QWidget;
        m_view->setObjectName(m_nibName);
        viewDidLoad(m_view);
    }
    return m_view;
}

void PageViewCtrl::viewDidLoad(QWidget *) { }

} // namespace settings
