#pragma once
// An amount of one nutrient that keeps "not analysed" apart from zero: the sum of what was
// analysed, and whether some part lacked the value.

#include <optional>

namespace KavServer::Zve41300 {

struct NutrientAmount
{
    std::optional<double> value; // none: no part had the nutrient analysed
    bool incomplete = false;     // some part lacks the value

    static NutrientAmount notAnalysed() { return {std::nullopt, true}; }

    NutrientAmount& operator+=(const NutrientAmount& other)
    {
        if (other.value)
            value = value.value_or(0.0) + *other.value;
        incomplete = incomplete || other.incomplete;
        return *this;
    }

    NutrientAmount dividedBy(double divisor) const { return scaledBy(1.0 / divisor); }

    NutrientAmount scaledBy(double factor) const
    {
        return {value ? std::optional<double>(*value * factor) : std::nullopt, incomplete};
    }
};

} // namespace KavServer::Zve41300
