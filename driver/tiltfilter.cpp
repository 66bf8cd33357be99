#include "tiltfilter.h"

#include <utility>

namespace driver {

namespace {

constexpr std::uint8_t kMedianLength = 7;
constexpr std::uint8_t kMeanLength = 10;
constexpr std::uint16_t kOutputLength = 256;
// Share of the way from the previous output towards the newest sample that
// one smoother step may move, at most.
constexpr double kSmoothFactor = 0.1;

TiltMedianRecord &medianFor(TiltState &state, std::uint8_t axis)
{
    return axis == 1 ? state.medianX : state.medianY;
}

TiltMeanRecord &meanFor(TiltState &state, std::uint8_t axis)
{
    return axis == 1 ? state.meanX : state.meanY;
}

// The share (t1 - t0) / (t2 - t0), differences in unsigned 32-bit so that a
// wrap of the millisecond counter is harmless. Three samples within the same
// millisecond have no share: the first sample is kept. A wall clock stepped
// backwards gives differences that wrap the other way and a share far outside
// 0..1, which would throw the tilt and every later output (the result is
// carried on) far out of range; the share is held in 0..1, which monotonic
// time always gives anyway.
float timeShare(std::uint32_t t0, std::uint32_t t1, std::uint32_t t2)
{
    const std::uint32_t whole = t2 - t0;
    if (whole == 0)
        return 0.0f;
    const float share = float(std::uint32_t(t1 - t0)) / float(whole);
    return share > 1.0f ? 1.0f : share;
}

float smoothed(float s0, float s2, float share)
{
    const float k = float(double(share) * kSmoothFactor);
    return s0 + (s2 - s0) * k;
}

} // namespace

void TiltFilterReset(TiltState &state)
{
    state.medianX = {};
    state.medianY = {};
    state.meanX = {};
    state.meanY = {};
}

void TiltFilterProcess(TiltState &state, std::uint8_t axis, const float &input, float &output)
{
    TiltMedianRecord &median = medianFor(state, axis);
    TiltMeanRecord &mean = meanFor(state, axis);

    mean.ring[mean.index] = median.median;
    if (++mean.index == kMeanLength) {
        mean.full = 1;
        mean.index = 0;
    }
    if (mean.full) {
        float sum = 0;
        for (float value : mean.ring)
            sum += value;
        mean.mean = sum / float(kMeanLength);
    }

    median.ring[median.index] = input;
    if (++median.index == kMedianLength) {
        median.full = 1;
        median.index = 0;
    }
    TiltMedianUpdate(state, axis);

    output = mean.mean;
}

void TiltMedianUpdate(TiltState &state, std::uint8_t axis)
{
    TiltMedianRecord &median = medianFor(state, axis);
    if (!median.full)
        return;
    float *value = median.ring;
    for (int i = 0; i < kMedianLength - 1; ++i) {
        for (int j = i; j < kMedianLength - 1; ++j) {
            if (value[i] >= value[j + 1])
                std::swap(value[i], value[j + 1]);
        }
    }
    median.median = value[3];
}

void TiltSmootherReset(TiltState &state)
{
    state.window.count = 0;
    state.output.write = 0;
    state.output.read = 0;
}

void TiltSmootherPush(TiltState &state, const TiltSample &sample)
{
    TiltWindow &window = state.window;
    window.samples[window.count] = sample;
    if (++window.count < 3)
        return;

    TiltSmoothMiddle(window);
    TiltOutputRing &output = state.output;
    output.samples[output.write] = window.samples[1];
    output.write = std::uint16_t((output.write + 1) % kOutputLength);

    window.samples[0] = window.samples[1];
    window.samples[1] = window.samples[2];
    window.count = 2;
}

void TiltSmoothMiddle(TiltWindow &window)
{
    const TiltSample &s0 = window.samples[0];
    TiltSample &s1 = window.samples[1];
    const TiltSample &s2 = window.samples[2];
    s1.x = smoothed(s0.x, s2.x, timeShare(s0.tx, s1.tx, s2.tx));
    s1.y = smoothed(s0.y, s2.y, timeShare(s0.ty, s1.ty, s2.ty));
}

bool TiltSmootherPop(TiltState &state, TiltSample &out)
{
    TiltOutputRing &output = state.output;
    if (output.read == output.write)
        return false;
    out = output.samples[output.read];
    output.read = std::uint16_t((output.read + 1) % kOutputLength);
    return true;
}

} // namespace driver
