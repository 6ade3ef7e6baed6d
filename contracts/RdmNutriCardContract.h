#pragma once
// The remote data module "Zve41300.rdmNutriCard" as the screen and the application server both
// know it: its server name, its four methods and the types of their positional arguments. The
// screen's calls and the server's registration are written against these declarations, so a
// method renamed, or given another number of arguments, on one side no longer builds.

#include <array>
#include <cstddef>

namespace RdmNutriCardContract {

enum class Arg { Text, Date, Boolean };

inline constexpr const char* kServerName = "Zve41300.rdmNutriCard";

template <std::size_t ArgCount> struct Method
{
    const char* name;
    std::array<Arg, ArgCount> args;
};

// (branch, menu type): a data packet of the services, in their order of the day.
inline constexpr Method<2> GetServico{"GetServico", {Arg::Text, Arg::Text}};
// (central branch, menu type): a data packet of the registered menus, most recent first.
inline constexpr Method<2> GetPesqPeriodoCard{"GetPesqPeriodoCard", {Arg::Text, Arg::Text}};
// (central, branch&, nutrients&, services&, first day, last day, reserved, reserved, with NDPCal,
// menu type, report kind): a refusal text, or [key of the prepared data, column codes].
inline constexpr Method<11> CriaNutriCard{"CriaNutriCard",
                                          {Arg::Text, Arg::Text, Arg::Text, Arg::Text, Arg::Date, Arg::Date,
                                           Arg::Boolean, Arg::Boolean, Arg::Boolean, Arg::Text, Arg::Text}};
// (key&): an empty text once the key's data is gone, or an error text.
inline constexpr Method<1> DelNutriCard{"DelNutriCard", {Arg::Text}};

} // namespace RdmNutriCardContract
