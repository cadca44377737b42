// SPDX-License-Identifier: MIT

#pragma once

#include <QtGlobal>

namespace stereo {

// The application's pseudo-random sequence: the 24-bit linear congruential generator of BASIC
// runtimes, started from the same state at every launch and never reseeded, so the first
// stereogram after every start is the same image.
class Rnd
{
public:
    static constexpr quint32 StartState = 327680;

    Rnd() = default;
    // The sequence as it stands after some values were drawn: state() of another Rnd.
    explicit Rnd(quint32 state) : m_state(state & Mask) {}

    // The next value in [0, 1).
    float next()
    {
        m_state = step(m_state);
        return float(m_state) / float(1u << 24);
    }

    // The whole part of next() * 256: a grey value 0 to 255. The same call, without the float.
    int nextGrey()
    {
        m_state = step(m_state);
        return int(m_state >> 16);
    }

    // n calls of nextGrey() into out[0] to out[n - 1]. Four interleaved chains, each jumping four
    // values at once, give the same sequence without one long chain of dependent multiplications.
    void fillGreys(quint8 *out, int n)
    {
        quint32 s[4];
        s[0] = step(m_state);
        for (int j = 1; j < 4; ++j)
            s[j] = step(s[j - 1]);
        int i = 0;
        for (; i + 4 <= n; i += 4) {
            for (int j = 0; j < 4; ++j)
                out[i + j] = quint8(s[j] >> 16);
            m_state = s[3];
            for (quint32 &lane : s)
                lane = (lane * Multiplier4 + Increment4) & Mask;
        }
        for (; i < n; ++i)
            out[i] = quint8(nextGrey());
    }

    quint32 state() const { return m_state; }

    // Moves on as n calls of next() would, without drawing them: O(log n) multiplications.
    void skip(quint64 n) { m_state = advanced(m_state, n); }

    // The state n steps after `state`. A step is the affine map x -> a x + c (mod 2^24); its
    // 2^k-th power is squared from the one before, and the powers that make up n are composed.
    // Powers of one map commute, so the order of composing does not matter.
    static constexpr quint32 advanced(quint32 state, quint64 n)
    {
        quint32 mul = 1, add = 0; // the steps taken so far: x -> mul x + add
        quint32 a = Multiplier, c = Increment; // 2^k steps
        for (; n != 0; n >>= 1) {
            if (n & 1) {
                mul = (mul * a) & Mask;
                add = (add * a + c) & Mask;
            }
            c = (c * a + c) & Mask;
            a = (a * a) & Mask;
        }
        return (mul * (state & Mask) + add) & Mask;
    }

private:
    static constexpr quint32 Multiplier = 1140671485u;
    static constexpr quint32 Increment = 12820163u;
    static constexpr quint32 Mask = 0xffffffu;
    // Four steps as one: x -> a^4 x + c (a^3 + a^2 + a + 1), modulo 2^24 like every step.
    static constexpr quint32 Multiplier4 = (Multiplier * Multiplier * Multiplier * Multiplier) & Mask;
    static constexpr quint32 Increment4 =
        (Increment * (Multiplier * Multiplier * Multiplier + Multiplier * Multiplier + Multiplier + 1u))
        & Mask;

    static constexpr quint32 step(quint32 x) { return (x * Multiplier + Increment) & Mask; }

    quint32 m_state = StartState;
};

} // namespace stereo
