#pragma once

#include <functional>

#include <QAbstractButton>

namespace firmware {

// An image push button of the diagnostics window: its title is its
// identifier, drawn centred in the 14-point system font, white while pressed
// and black otherwise, over its pressed or normal image. A release inside
// the button clicks it; so do Space and Return while it has the focus, and
// the accessible press action. Being a push button for assistive
// technologies, it reports its role, name and action as one.
class OVDIAButtonView : public QAbstractButton
{
    Q_OBJECT
public:
    // bright: the blue look of the download, update and log buttons
    // (DTB2/DTBH2), else the grey one (DTB1/DTBH1).
    OVDIAButtonView(const QString &identifier, const QString &title, bool bright, QWidget *parent = nullptr);

    QString identifier() const { return objectName(); }
    bool isPressedLook() const { return m_pressed; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool m_bright;
    bool m_pressed = false;
};

} // namespace firmware
