#pragma once

#include <QWidget>

namespace firmware {

// The diagnostics window's background: grey 238, with a grey 220 band that
// leaves 40 points above it and 73 below it.
class OVDIAView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kBandTop = 40; // points from the top
    static constexpr int kBandBottom = 73; // points from the bottom

    explicit OVDIAView(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace firmware
