#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace settings {

// A page of the main window, named after its layout. The view is made on
// first access, which also runs the page's own set-up, so a page costs
// nothing until its tab is first shown for its device. Deleting the
// controller deletes its view, wherever the view is attached.
class PageViewCtrl : public QObject
{
    Q_OBJECT
public:
    explicit PageViewCtrl(const QString &nibName, QObject *parent = nullptr);
    ~PageViewCtrl() override;

    QString nibName() const { return m_nibName; }
    bool isViewLoaded() const { return !m_view.isNull(); }
    QWidget *view();

protected:
    // Builds the page's widgets into the empty view (named after the layout).
    virtual void viewDidLoad(QWidget *view);

private:
    QString m_nibName;
    QPointer<QWidget> m_view;
};

} // namespace settings
