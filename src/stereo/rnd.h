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

    // The next value in [0, 1).
    float next()
    {
        m_state = (m_state * 1140671485u + 12820163u) & 0xffffffu;
        return float(m_state) / float(1u << 24);
    }

    // The whole part of next() * 256: a grey value 0 to 255. The same call, without the float.
    int nextGrey()
    {
        m_state = (m_state * 1140671485u + 12820163u) & 0xffffffu;
        return int(m_state >> 16);
    }

    quint32 state() const { return m_state; }

private:
    quint32 m_state = StartState;
};

} // namespace stereo
