#pragma once

#include <memory>

#include <QObject>
#include <QString>

#include "firmware/firmwareservice.h"

class QLabel;
class QProgressBar;
class QWidget;

namespace platform {
struct Platform;
struct Notification;
} // namespace platform

namespace firmware {

// The status text of a transfer stage: its English line, a line feed and its
// Chinese line; an empty text for a stage without one.
QString iapStageText(int stage);
// The bar's value from a notice's percent: finite and within 0..100.
double iapBarValue(double percent);

// The progress window of a firmware update: the device's name, a bar from 0
// to 100 and the two-line status text, following every "OVIAPNotification"
// on the local centre. Main thread only.
class OVIAPWinCtrl : public QObject
{
    Q_OBJECT
public:
    OVIAPWinCtrl(platform::Platform &platform, const QString &pname, FirmwareWindowObservers observers);
    ~OVIAPWinCtrl() override;

    static QString windowName() { return QStringLiteral("OVIAPWinCtrl"); }
    // Level 8, key and in front.
    void showWindow();
    void orderOut();
    bool isShown() const { return m_shown; }
    QWidget *window() const { return m_window.get(); }

    void iapN(const platform::Notification &notification);

    QString pname() const { return m_pname; }
    QString statusText() const { return m_text; }
    double value() const { return m_value; }
    bool isIndeterminate() const { return m_indeterminate; }
    bool isAnimating() const { return m_animating; }

protected:
    // The window closes itself when its phase ends; until then the title
    // bar's close button only hides it from view (the update goes on).
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();

    platform::Platform &m_platform;
    const QString m_pname;
    FirmwareWindowObservers m_observers;
    std::unique_ptr<QWidget> m_window;
    QLabel *m_ibName = nullptr;
    QLabel *m_ibTF = nullptr;
    QProgressBar *m_ibPI = nullptr;
    bool m_shown = false;
    QString m_text;
    double m_value = 0;
    bool m_indeterminate = true;
    bool m_animating = true;
};

} // namespace firmware
