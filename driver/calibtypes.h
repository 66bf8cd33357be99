#pragma once

#include <QtGlobal>

// The two records a pen display's calibration leaves in its device service:
// the affine correction of the current orientation and the edge record. The
// calibration service writes them; the pen decoders and the mapping read them.
namespace driver {

// x' = A * x + B * y + C, y' = D * x + E * y + F, in global display points.
// Single precision: the coefficients are stored as floats and the mapping
// applies them in float.
struct CalibMatrix
{
    float A = 0;
    float B = 0;
    float C = 0;
    float D = 0;
    float E = 0;
    float F = 0;
    friend bool operator==(const CalibMatrix &, const CalibMatrix &) = default;
};

// The pen display's edge record. Each entry is one reading split into an
// integer part and a fraction in 1/255 (reading = i * 255 + d). The min
// entries are the left and top offsets the decoders subtract; min + max is
// the device's extent, and the max entries are the readings at the right and
// bottom edges.
struct CalibEdges
{
    struct X
    {
        qint32 ix = 0;
        qint32 dx = 0;
        friend bool operator==(const X &, const X &) = default;
    };
    struct Y
    {
        qint32 iy = 0;
        qint32 dy = 0;
        friend bool operator==(const Y &, const Y &) = default;
    };

    X minX;
    Y minY;
    X maxX;
    Y maxY;
    friend bool operator==(const CalibEdges &, const CalibEdges &) = default;
};

// What the absolute mapping applies of the calibration.
struct MappingCalibration
{
    bool calibrated = false; // abcdef applies
    CalibMatrix abcdef;
    CalibEdges cbDelta;
};

} // namespace driver
