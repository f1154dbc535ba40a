#pragma once

// Coefficient helpers for the one-pole glides and filters. Arguments are
// combined in single precision; the exponential is evaluated in double and
// rounded to single precision once, so the figures are reproducible.

namespace corvane
{

// Per-step coefficient of a one-pole glide with time constant `ms`, for
// `stepsPerSecond` steps per second (sample rate / 16 for per-block glides).
float smoothingCoefficient (float ms, float stepsPerSecond);

// Coefficient c of y[t] = (1 - c) y[t-1] + c x[t] for a corner at `cutoffHz`.
float onePoleCoefficient (float cutoffHz, float sampleRate);

} // namespace corvane
