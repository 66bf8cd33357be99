#pragma once

#include "platform/alerts.h"

namespace platform {
class ModalRuns;
}

namespace platform::native {

// Alerts as application-modal message boxes: the title is the headline, the
// message the informative text below it. Button 0 is the default (Return).
// With several buttons neither Escape nor closing the window answers, so the
// answer is always a button that was pressed; a single button is also
// Escape's. No buttons shows one OK button (answer 0). Each alert is a modal
// run of `runs`: ended from outside it answers 0, and while the program ends
// it answers 0 without showing.
class QtAlerts : public Alerts
{
public:
    explicit QtAlerts(ModalRuns *runs = nullptr)
        : m_runs(runs)
    {
    }
    int run(const QString &title, const QString &message, const QStringList &buttons) override;
    // Not on a windowing platform that draws into memory only (offscreen,
    // minimal): the driver picks offscreen when no display server answers.
    bool answerable() const override;

private:
    ModalRuns *m_runs;
};

} // namespace platform::native
