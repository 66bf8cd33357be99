#pragma once

#include <QProgressBar>

#include "controls/cachedimage.h"

namespace controls {

// A progress bar in the kit's look: a white rounded bar with a grey ring,
// filled light green from the left in proportion to value / maximum (the
// minimum is not used). A maximum of 0 draws no fill.
//
// A page sets the range and value as with QProgressBar (the firmware update
// uses 0..100) and the accessible name, from the label beside it.
// Assistive technologies read the value; it takes no focus.
class OrvaneProgressIndicator : public QProgressBar
{
    Q_OBJECT
public:
    explicit OrvaneProgressIndicator(QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // How many times the bar image was made; for tests.
    int barImagesMade() const { return m_pgImage.madeCount(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    CachedImage m_pgImage;
};

} // namespace controls
