#pragma once

namespace AssetGen {

// A second-order IIR filter (direct form I) with the usual audio designs.
class Biquad {
public:
    static Biquad lowPass(double sampleRate, double cutoff, double q);
    static Biquad highPass(double sampleRate, double cutoff, double q);
    static Biquad bandPass(double sampleRate, double centre, double q);

    double process(double x);

private:
    Biquad(double b0, double b1, double b2, double a0, double a1, double a2);

    double m_B0;
    double m_B1;
    double m_B2;
    double m_A1;
    double m_A2;
    double m_X1 = 0.0;
    double m_X2 = 0.0;
    double m_Y1 = 0.0;
    double m_Y2 = 0.0;
};

}
