#pragma once

#include <QRectF>
#include <QString>

namespace store {

// One display, as one program lists them. `frame` is in the space of the
// program that built the record: the settings application's frames have their
// origin at the bottom-left corner of the main display with y growing upwards,
// the driver's at the top-left corner with y growing downwards.
class OVScreen
{
public:
    quint32 number() const { return m_number; }
    void setNumber(quint32 number) { m_number = number; }
    QRectF frame() const { return m_frame; }
    void setFrame(const QRectF &frame) { m_frame = frame; }
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    // The name was made up for a display that reports none.
    bool unknowName() const { return m_unknowName; }
    void setUnknowName(bool unknowName) { m_unknowName = unknowName; }

private:
    quint32 m_number = 0; // display id, as "OVCFGMonitorNumber" stores it
    QRectF m_frame;
    QString m_name;
    bool m_unknowName = false;
};

// Turns a rectangle over between the settings application's space (origin
// bottom-left of the main display, y up) and the driver's (origin top-left,
// y down): y' = mainDisplayHeight - y - height. Its own inverse.
QRectF flipRect(const QRectF &rect, double mainDisplayHeight);

} // namespace store
