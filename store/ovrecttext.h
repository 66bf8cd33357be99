#pragma once

#include <optional>

#include <QPointF>
#include <QRectF>
#include <QString>

// Points and rectangles are stored and sent as text, "{x, y}" and
// "{{x, y}, {w, h}}". Both programs write and read them through these four
// functions only, so the two copies of a configuration agree to the last bit.
namespace store {

// Each number is the shortest text that reads back to the same double.
QString stringFromPoint(QPointF point);
QString stringFromRect(const QRectF &rect);

// Lenient readers: the numbers are taken in order wherever they stand, a
// missing one is 0, and text without numbers gives zeros. A number too large
// for a double also reads as 0, so no reader ever answers an infinite value.
QPointF pointFromString(const QString &text);
QRectF rectFromString(const QString &text);

// Answer a point only for text of the form "{x, y}", a rectangle only for
// "{{x, y}, {w, h}}" (blanks optional), with finite numbers; for texts that
// come from another process or a file.
std::optional<QPointF> strictPointFromString(const QString &text);
std::optional<QRectF> strictRectFromString(const QString &text);

} // namespace store
