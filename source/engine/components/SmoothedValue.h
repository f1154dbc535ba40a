#pragma once

namespace corvane
{

// A control value that glides towards its target by a fixed fraction per
// step. The owners step it once per 16-sample block.
class SmoothedValue
{
public:
    void set (float x) noexcept { value = x; }
    void clear() noexcept { value = 0.0f; }
    float getValue() const noexcept { return value; }

    // value += (target - value) * k, evaluated in exactly that order.
    float smoothTowards (float target, float k) noexcept
    {
        value = ((target - value) * k) + value;
        return value;
    }

private:
    float value = 0.0f;
};

} // namespace corvane
