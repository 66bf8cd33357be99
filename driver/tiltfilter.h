#pragma once

#include <cstdint>

// The two-stage tilt filter that runs while the pen tip is down: a per-axis
// median (7 samples) feeding a mean (10 samples), then a time-weighted
// smoother over three samples with a small output ring.
//
// The state exists once per driver process, shared by every device: two
// devices touching at the same time mix their samples. That is how the tablets
// have always behaved, and the pen parsers rely on the reset at the first tip
// report of a touch to start clean. The device manager owns it and hands it to
// every device's pipeline. Main thread only.
namespace driver {

struct TiltMedianRecord
{
    std::uint8_t full = 0;
    std::uint8_t index = 0; // next write position
    float ring[7] = {};
    float median = 0; // left by the last update; 0 until the ring was full
};

struct TiltMeanRecord
{
    std::uint8_t full = 0;
    std::uint8_t index = 0;
    float ring[10] = {};
    float mean = 0; // 0 until the ring was full once
};

// One smoother sample. The parsers give both axes the same time: wall-clock
// milliseconds since 1970, low 32 bits.
struct TiltSample
{
    std::uint32_t tx = 0;
    float x = 0;
    std::uint32_t ty = 0;
    float y = 0;
};

struct TiltWindow
{
    std::uint8_t count = 0; // 0..2 between calls
    TiltSample samples[3];
};

struct TiltOutputRing
{
    std::uint16_t write = 0;
    std::uint16_t read = 0;
    TiltSample samples[256];
};

struct TiltState
{
    TiltMedianRecord medianX, medianY;
    TiltMeanRecord meanX, meanY;
    TiltWindow window;
    TiltOutputRing output;
};

// Stage 1. Axis 1 is X; any other axis value is Y.
void TiltFilterReset(TiltState &state);
// Feeds one sample into the axis's median and mean; `output` is the axis's
// current mean, 0 until the mean ring has been full once (the tenth call
// after a reset).
void TiltFilterProcess(TiltState &state, std::uint8_t axis, const float &input, float &output);
// Sorts the axis's median ring in place and takes the middle value; only once
// the ring is full. The sort being in place is intended behaviour: the next
// write replaces whatever sorted into the slot under the write index, not the
// oldest sample, and the filter's response depends on it.
void TiltMedianUpdate(TiltState &state, std::uint8_t axis);

// Stage 2.
void TiltSmootherReset(TiltState &state);
void TiltSmootherPush(TiltState &state, const TiltSample &sample);
// Moves the middle sample a tenth of the time-weighted way from the first
// towards the third; the middle's own value does not enter.
void TiltSmoothMiddle(TiltWindow &window);
bool TiltSmootherPop(TiltState &state, TiltSample &out);

} // namespace driver
