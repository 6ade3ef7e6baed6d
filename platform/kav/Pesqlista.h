#pragma once
// The multi-selection dialog screens use to pick a list of codes from a data source.

#include <QString>

class TDataSource;

namespace Pesqlista {

// The separator between the codes of a list text ("001_004_010").
inline constexpr QChar kSeparator = QLatin1Char('_');

// Shows the rows of `dataSource`'s data set (opened when closed) with a check box each; the
// codes already in `list` start checked, or every row when `list` is empty and `marcarTodos`
// is true. `texto` is the title, optionally followed by "|" and the text shown instead of the
// list when the data set is empty. OK writes the checked rows' `keyField` texts into `list`,
// joined by "_", in the data set's order; Cancel (and an empty data set) leaves `list` as it
// was. Returns whether `list` was written.
bool PesquisaLista(TDataSource* dataSource, const QString& keyField, const QString& texto, bool marcarTodos,
                   QString& list);
// The same, with `note` shown under the list (what the choice leads to).
bool PesquisaLista(TDataSource* dataSource, const QString& keyField, const QString& texto, bool marcarTodos,
                   QString& list, const QString& note);

} // namespace Pesqlista
