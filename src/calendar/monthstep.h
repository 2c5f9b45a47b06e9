#pragma once

// The steps of the month buttons, kept inside the years the calendar can compute.
// Part of the namespace rekovabas (see rekovabas.h).

#include "common/kyotu1.h"

#include <optional>

namespace rekovabas {

struct YearMonth
{
    int year = 0;
    int month = 0;

    friend bool operator==(const YearMonth &, const YearMonth &) = default;
};

enum class StepDirection { Back, Forward };

// Returns: the month after or before `from`, or the same month one year later or earlier when
// `wholeYear` is set; nullopt when the step would leave the years 1980..2069.
constexpr std::optional<YearMonth> stepMonth(YearMonth from, StepDirection direction,
                                             bool wholeYear)
{
    const int sign = direction == StepDirection::Forward ? 1 : -1;
    YearMonth to = from;
    if (wholeYear) {
        to.year += sign;
    } else {
        to.month += sign;
        if (to.month < 1) {
            to.month = 12;
            --to.year;
        } else if (to.month > 12) {
            to.month = 1;
            ++to.year;
        }
    }
    if (!kyotu1::isSupportedYear(to.year))
        return std::nullopt;
    return to;
}

} // namespace rekovabas
