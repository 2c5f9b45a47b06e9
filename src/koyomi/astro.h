#pragma once

// The two instants the Japanese calendar is made of, from ERFA: when the Sun's apparent
// longitude reaches a value, and when the Moon's reaches the Sun's (a new moon). Times are
// Julian dates in UT, found by Newton steps on the positions of ERFA's ephemerides in TT from a
// rough first guess, with ΔT = TT − UT from the Espenak–Meeus polynomials.

namespace koyomi::astro {

// Returns: TT − UT in seconds at the Julian date `jd`, for the years 1961 to 2150.
double deltaT(double jd);

// Returns: the Sun's apparent geocentric longitude in degrees, 0 ≤ λ < 360, on the ecliptic
// and equinox of date, at the UT Julian date `jdUt`.
double sunLongitude(double jdUt);

// Returns: the UT Julian date, within a second, at which the Sun's apparent longitude is
// `degrees`, the instant nearest to `nearJdUt` (which must lie within two months of it).
double sunReaches(double degrees, double nearJdUt);

// Returns: the UT Julian date of the new moon nearest to `nearJdUt` (within ten days of it).
double newMoonNear(double nearJdUt);

// Returns: the Julian day number of the Japanese (UTC+9) day that holds `jdUt`.
int jstDay(double jdUt);

} // namespace koyomi::astro
