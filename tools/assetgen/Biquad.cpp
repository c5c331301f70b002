#include "Biquad.h"

#include <cmath>

namespace AssetGen {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Angle {
    double cosine;
    double alpha;
};

Angle angleOf(double sampleRate, double frequency, double q)
{
    const double w = 2.0 * kPi * frequency / sampleRate;
    return {std::cos(w), std::sin(w) / (2.0 * q)};
}

}

Biquad::Biquad(double b0, double b1, double b2, double a0, double a1, double a2)
    : m_B0(b0 / a0), m_B1(b1 / a0), m_B2(b2 / a0), m_A1(a1 / a0), m_A2(a2 / a0)
{
}

Biquad Biquad::lowPass(double sampleRate, double cutoff, double q)
{
    const Angle a = angleOf(sampleRate, cutoff, q);
    return {(1.0 - a.cosine) / 2.0, 1.0 - a.cosine, (1.0 - a.cosine) / 2.0, 1.0 + a.alpha, -2.0 * a.cosine, 1.0 - a.alpha};
}

Biquad Biquad::highPass(double sampleRate, double cutoff, double q)
{
    const Angle a = angleOf(sampleRate, cutoff, q);
    return {(1.0 + a.cosine) / 2.0, -(1.0 + a.cosine), (1.0 + a.cosine) / 2.0, 1.0 + a.alpha, -2.0 * a.cosine, 1.0 - a.alpha};
}

Biquad Biquad::bandPass(double sampleRate, double centre, double q)
{
    const Angle a = angleOf(sampleRate, centre, q);
    return {a.alpha, 0.0, -a.alpha, 1.0 + a.alpha, -2.0 * a.cosine, 1.0 - a.alpha};
}

double Biquad::process(double x)
{
    const double y = m_B0 * x + m_B1 * m_X1 + m_B2 * m_X2 - m_A1 * m_Y1 - m_A2 * m_Y2;
    m_X2 = m_X1;
    m_X1 = x;
    m_Y2 = m_Y1;
    m_Y1 = y;
    return y;
}

}
