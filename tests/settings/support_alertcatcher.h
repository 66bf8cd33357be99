#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

// Answers every application-modal OVAlert that runs while it exists: notes
// its title and informative text and the modal depth it ran at, then presses
// OK. An alert that never appears leaves `seen` empty, so a test fails
// instead of waiting.
class AlertCatcher : public QObject
{
public:
    struct Seen
    {
        QString title;
        QString text;
        int modalDepth = 0;
    };

    AlertCatcher();
    QList<Seen> seen;

private:
    QTimer m_poll;
};
