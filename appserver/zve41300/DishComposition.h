#pragma once
// What the recipe of one dish holds of one nutrient, for the whole recipe: the sum over the
// ingredients that have it analysed (net weight × value per 100 g), the same weighted by each
// food group's protein-quality factor, and how many ingredients had the value.

#include "NutrientAmount.h"

#include <optional>

namespace KavServer::Zve41300 {

struct DishComposition
{
    std::optional<double> total;      // grams × value per 100 g, summed; none when nothing analysed
    std::optional<double> netProtein; // the same, × protein-quality factor
    int ingredients = 0;
    int analysed = 0;

    // Per portion of a recipe that yields `portions`. A dish without a recipe or without a
    // positive yield cannot be computed: not analysed.
    NutrientAmount perPortion(double portions) const { return amountPerPortion(total, portions); }
    NutrientAmount netProteinPerPortion(double portions) const
    {
        return amountPerPortion(netProtein, portions);
    }

private:
    static constexpr double kGramsPerReference = 100.0; // food-table values are per 100 g

    NutrientAmount amountPerPortion(const std::optional<double>& sum, double portions) const
    {
        if (ingredients == 0 || portions <= 0.0)
            return NutrientAmount::notAnalysed();
        NutrientAmount amount;
        if (analysed > 0 && sum)
            amount.value = *sum / kGramsPerReference / portions;
        amount.incomplete = analysed < ingredients;
        return amount;
    }
};

} // namespace KavServer::Zve41300
