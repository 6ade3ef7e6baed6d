#pragma once
// What a layout expression reads while it is evaluated: the current row of the report's data,
// the query parameters, the rows an aggregate runs over and the page numbers.

#include <functional>
#include <QDateTime>
#include <QVariant>

namespace Qr {

class ExpressionContext
{
public:
    virtual ~ExpressionContext() = default;

    // Value of the current row's column whose ColumnMap key is `key`.
    virtual QVariant column(const QString& key) const = 0;
    virtual QVariant parameter(const QString& name) const = 0;
    // Calls `visit` with a context positioned on each row an aggregate of this band covers.
    virtual void forEachRowInScope(const std::function<void(const ExpressionContext& row)>& visit) const = 0;
    virtual int pageNumber() const = 0;
    // Negative while the pages are still being laid out: pages() then reads "?".
    virtual int pageCount() const = 0;
    virtual QDateTime now() const = 0;
    // True while a group header is printed again at the top of a page its group continues on.
    virtual bool continued() const { return false; }
    // Which of the run's column values the current block of columns holds ("9 a 16 de 26"); empty
    // when they all fit in one block.
    virtual QString columnBlock() const { return {}; }
};

} // namespace Qr
