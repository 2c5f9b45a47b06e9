#include "koyomi/astro.h"

#include <erfa.h>
#include <erfam.h>

#include <cmath>

namespace koyomi::astro {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double twoPi = 2 * pi;
constexpr double arcsecond = pi / (180 * 3600);
// Light crosses an astronomical unit in this many days.
constexpr double lightDaysPerAu = ERFA_DAU / ERFA_CMPS / 86400;

// An apparent longitude in radians and its rate in radians per day.
struct Longitude
{
    double angle;
    double rate;
};

// The longitude and its rate of a geocentric position and velocity in ICRS axes, on the mean
// ecliptic and equinox of `tt` (rotation `rm`).
Longitude eclipticLongitude(double rm[3][3], double p[3], double v[3])
{
    double pe[3];
    double ve[3];
    eraRxp(rm, p, pe);
    eraRxp(rm, v, ve);
    const double r2 = pe[0] * pe[0] + pe[1] * pe[1];
    return {std::atan2(pe[1], pe[0]), (pe[0] * ve[1] - pe[1] * ve[0]) / r2};
}

// The Sun's apparent longitude less the nutation, which the new moon needs no more than the
// Moon's: the geometric longitude less the aberration of 20.4955″ at one astronomical unit.
Longitude sunWithoutNutation(double tt, double rm[3][3])
{
    double heliocentric[2][3];
    double barycentric[2][3];
    eraEpv00(ERFA_DJ00, tt - ERFA_DJ00, heliocentric, barycentric);
    double p[3];
    double v[3];
    for (int k = 0; k < 3; ++k) {
        p[k] = -heliocentric[0][k];
        v[k] = -heliocentric[1][k];
    }
    Longitude sun = eclipticLongitude(rm, p, v);
    sun.angle -= 20.49552 * arcsecond / eraPm(p);
    return sun;
}

// The Moon's longitude as seen: where it was a light time ago.
Longitude moonWithoutNutation(double tt, double rm[3][3])
{
    double pv[2][3];
    eraMoon98(ERFA_DJ00, tt - ERFA_DJ00, pv);
    eraMoon98(ERFA_DJ00, tt - ERFA_DJ00 - eraPm(pv[0]) * lightDaysPerAu, pv);
    return eclipticLongitude(rm, pv[0], pv[1]);
}

// The angle brought into −π..π.
double centred(double angle)
{
    return angle - twoPi * std::floor((angle + pi) / twoPi);
}

double toTt(double jdUt)
{
    return jdUt + deltaT(jdUt) / 86400;
}

double toUt(double tt)
{
    // ΔT changes by well under a second a year: one step back is exact enough.
    return tt - deltaT(tt - deltaT(tt) / 86400) / 86400;
}

// Newton steps on f(tt) ∈ −π..π from `tt`. What a step leaves shrinks with the step's square,
// so once a step is below `settled` days no further step is spent on confirming it.
template<typename F> double solve(double tt, double settled, F f)
{
    for (int step = 0; step < 20; ++step) {
        const Longitude value = f(tt);
        const double change = centred(value.angle) / value.rate;
        tt -= change;
        if (std::abs(change) < settled)
            break;
    }
    return tt;
}

// Once a step is below these, what it leaves is below a third of a second (measured over
// 1979–2070 against steps to half a second): the Sun's rate changes by at most 3 % a month, the
// Moon's against the Sun's faster.
constexpr double sunSettled = 1.0 / 24;
constexpr double moonSettled = 5.0 / (24 * 60);

double sinDegrees(double degrees)
{
    return std::sin(degrees * pi / 180);
}

// The Sun's longitude and the Moon's elongation from it, in degrees, roughly (within 0.01°
// and 0.05°) from the mean elements and the largest periodic terms, at `tt`: a first guess within
// minutes, so that the ephemerides' steps start close.
struct Rough
{
    double sun;
    double elongation;
};

Rough roughly(double tt)
{
    const double t = (tt - ERFA_DJ00) / 36525;
    const double m = 357.5291092 + 35999.0502909 * t; // the Sun's mean anomaly
    const double sunCentre = (1.914602 - 0.004817 * t) * sinDegrees(m)
            + 0.019993 * sinDegrees(2 * m) + 0.000289 * sinDegrees(3 * m);
    const double d = 297.8501921 + 445267.1114034 * t;  // the Moon's mean elongation
    const double mm = 134.9633964 + 477198.8675055 * t; // the Moon's mean anomaly
    const double f = 93.2720950 + 483202.0175233 * t;   // its argument of latitude
    const double moonTerms = 6.288774 * sinDegrees(mm) + 1.274027 * sinDegrees(2 * d - mm)
            + 0.658314 * sinDegrees(2 * d) + 0.213618 * sinDegrees(2 * mm)
            - 0.185116 * sinDegrees(m) - 0.114332 * sinDegrees(2 * f)
            + 0.058793 * sinDegrees(2 * d - 2 * mm) + 0.057066 * sinDegrees(2 * d - m - mm)
            + 0.053322 * sinDegrees(2 * d + mm) + 0.045758 * sinDegrees(2 * d - m)
            - 0.040923 * sinDegrees(m - mm) - 0.034720 * sinDegrees(d)
            - 0.030383 * sinDegrees(m + mm);
    return {280.46646 + 36000.76983 * t + sunCentre, d + moonTerms - sunCentre};
}

// Steps on a rough angle in degrees moving at about `rate` degrees a day until it is within a
// minute of `target`.
template<typename F> double roughSolve(double tt, double target, double rate, F angle)
{
    for (int step = 0; step < 10; ++step) {
        const double off = std::remainder(angle(roughly(tt)) - target, 360.0);
        tt -= off / rate;
        if (std::abs(off / rate) < 1.0 / (24 * 60))
            break;
    }
    return tt;
}

} // namespace

double deltaT(double jd)
{
    // Espenak and Meeus, "Five Millennium Canon of Solar Eclipses" (NASA/TP-2006-214141).
    const double y = 2000 + (jd - ERFA_DJ00) / 365.2425;
    if (y < 1986) {
        const double t = y - 1975;
        return 45.45 + 1.067 * t - t * t / 260 - t * t * t / 718;
    }
    if (y < 2005) {
        const double t = y - 2000;
        return 63.86
                + t
                * (0.3345
                   + t * (-0.060374 + t * (0.0017275 + t * (0.000651814 + t * 0.00002373599))));
    }
    if (y < 2050) {
        const double t = y - 2000;
        return 62.92 + t * (0.32217 + t * 0.005589);
    }
    const double u = (y - 1820) / 100;
    return -20 + 32 * u * u - 0.5628 * (2150 - y);
}

double sunLongitude(double jdUt)
{
    const double tt = toTt(jdUt);
    double rm[3][3];
    eraEcm06(ERFA_DJ00, tt - ERFA_DJ00, rm);
    double dpsi = 0;
    double deps = 0;
    eraNut00b(ERFA_DJ00, tt - ERFA_DJ00, &dpsi, &deps);
    const double degrees = (sunWithoutNutation(tt, rm).angle + dpsi) * 180 / pi;
    return degrees - 360 * std::floor(degrees / 360);
}

double sunReaches(double degrees, double nearJdUt)
{
    const double target = degrees * pi / 180;
    const double start = roughSolve(toTt(nearJdUt), degrees, 0.9856,
                                    [](const Rough &rough) { return rough.sun; });
    const double tt = solve(start, sunSettled, [target](double t) {
        double rm[3][3];
        eraEcm06(ERFA_DJ00, t - ERFA_DJ00, rm);
        double dpsi = 0;
        double deps = 0;
        eraNut00b(ERFA_DJ00, t - ERFA_DJ00, &dpsi, &deps);
        Longitude sun = sunWithoutNutation(t, rm);
        sun.angle += dpsi - target;
        return sun;
    });
    return toUt(tt);
}

double newMoonNear(double nearJdUt)
{
    const double start = roughSolve(toTt(nearJdUt), 0, 12.1907,
                                    [](const Rough &rough) { return rough.elongation; });
    const double tt = solve(start, moonSettled, [](double t) {
        double rm[3][3];
        eraEcm06(ERFA_DJ00, t - ERFA_DJ00, rm);
        const Longitude moon = moonWithoutNutation(t, rm);
        const Longitude sun = sunWithoutNutation(t, rm);
        return Longitude {moon.angle - sun.angle, moon.rate - sun.rate};
    });
    return toUt(tt);
}

int jstDay(double jdUt)
{
    return int(std::floor(jdUt + 0.5 + 9.0 / 24));
}

} // namespace koyomi::astro
