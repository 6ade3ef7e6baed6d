#include "SqliteDialect.h"

#include "KavException.h"

#include <new>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>
#include <sqlite3.h>

namespace Kav {

namespace {

// NVL(value, fallback) and NVLSTR(value, fallback).
void nvl(sqlite3_context* context, int /*argc*/, sqlite3_value** argv)
{
    sqlite3_result_value(context, sqlite3_value_type(argv[0]) == SQLITE_NULL ? argv[1] : argv[0]);
}

// PARAM(value) as an eponymous virtual table: column 0 is PARAM, column 1 the hidden argument.
enum ParamColumn { ColumnParam = 0, ColumnArgument = 1 };

struct ParamCursor
{
    sqlite3_vtab_cursor base{};
    sqlite3_value* value = nullptr;
    bool done = true;
};

int paramConnect(sqlite3* db, void*, int, const char* const*, sqlite3_vtab** vtab, char**)
{
    const int rc = sqlite3_declare_vtab(db, "CREATE TABLE x(PARAM, VALOR HIDDEN)");
    if (rc != SQLITE_OK)
        return rc;
    *vtab = static_cast<sqlite3_vtab*>(sqlite3_malloc(sizeof(sqlite3_vtab)));
    if (!*vtab)
        return SQLITE_NOMEM;
    **vtab = sqlite3_vtab{};
    sqlite3_vtab_config(db, SQLITE_VTAB_INNOCUOUS);
    return SQLITE_OK;
}

int paramDisconnect(sqlite3_vtab* vtab)
{
    sqlite3_free(vtab);
    return SQLITE_OK;
}

int paramBestIndex(sqlite3_vtab*, sqlite3_index_info* info)
{
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& constraint = info->aConstraint[i];
        if (constraint.iColumn == ColumnArgument && constraint.op == SQLITE_INDEX_CONSTRAINT_EQ) {
            if (!constraint.usable)
                return SQLITE_CONSTRAINT; // ask the planner for an order where the argument is known
            info->aConstraintUsage[i].argvIndex = 1;
            // The cursor yields the argument itself: SQLite must not re-check "VALOR = arg",
            // which would be false for a NULL argument and lose the row.
            info->aConstraintUsage[i].omit = 1;
            info->idxNum = 1;
            info->estimatedCost = 1;
            info->estimatedRows = 1;
            return SQLITE_OK;
        }
    }
    info->idxNum = 0; // PARAM() without an argument: one row holding NULL
    info->estimatedCost = 1;
    info->estimatedRows = 1;
    return SQLITE_OK;
}

int paramOpen(sqlite3_vtab*, sqlite3_vtab_cursor** cursor)
{
    auto* c = new (std::nothrow) ParamCursor;
    if (!c)
        return SQLITE_NOMEM;
    *cursor = &c->base;
    return SQLITE_OK;
}

ParamCursor* asCursor(sqlite3_vtab_cursor* cursor)
{
    return reinterpret_cast<ParamCursor*>(cursor);
}

int paramClose(sqlite3_vtab_cursor* cursor)
{
    ParamCursor* c = asCursor(cursor);
    sqlite3_value_free(c->value);
    delete c;
    return SQLITE_OK;
}

int paramFilter(sqlite3_vtab_cursor* cursor, int idxNum, const char*, int argc, sqlite3_value** argv)
{
    ParamCursor* c = asCursor(cursor);
    sqlite3_value_free(c->value);
    c->value = nullptr;
    if (idxNum == 1 && argc > 0) {
        c->value = sqlite3_value_dup(argv[0]);
        if (!c->value)
            return SQLITE_NOMEM;
    }
    c->done = false;
    return SQLITE_OK;
}

int paramNext(sqlite3_vtab_cursor* cursor)
{
    asCursor(cursor)->done = true;
    return SQLITE_OK;
}

int paramEof(sqlite3_vtab_cursor* cursor)
{
    return asCursor(cursor)->done ? 1 : 0;
}

int paramColumn(sqlite3_vtab_cursor* cursor, sqlite3_context* context, int)
{
    const ParamCursor* c = asCursor(cursor);
    if (c->value)
        sqlite3_result_value(context, c->value);
    else
        sqlite3_result_null(context);
    return SQLITE_OK;
}

int paramRowid(sqlite3_vtab_cursor*, sqlite3_int64* rowid)
{
    *rowid = 1;
    return SQLITE_OK;
}

sqlite3_module makeParamModule()
{
    sqlite3_module module{};
    module.iVersion = 0;
    module.xCreate = nullptr; // eponymous only: usable as PARAM(...) without CREATE VIRTUAL TABLE
    module.xConnect = paramConnect;
    module.xBestIndex = paramBestIndex;
    module.xDisconnect = paramDisconnect;
    module.xDestroy = paramDisconnect;
    module.xOpen = paramOpen;
    module.xClose = paramClose;
    module.xFilter = paramFilter;
    module.xNext = paramNext;
    module.xEof = paramEof;
    module.xColumn = paramColumn;
    module.xRowid = paramRowid;
    return module;
}

const sqlite3_module ParamModule = makeParamModule();

constexpr int NvlArguments = 2;

void check(int rc, sqlite3* native, const char* what)
{
    if (rc != SQLITE_OK)
        throw Exception(QStringLiteral("Cannot register %1 on the SQLite connection: %2")
                            .arg(QLatin1String(what), QString::fromUtf8(sqlite3_errmsg(native))));
}

} // namespace

sqlite3* sqliteHandle(const QSqlDatabase& db)
{
    if (db.driverName() != QLatin1String("QSQLITE") || !db.isOpen())
        throw Exception(QStringLiteral("The SQLite dialect functions need an open SQLite connection."));
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw Exception(QStringLiteral("The SQLite driver gave no native connection handle."));
    sqlite3* native = *static_cast<sqlite3* const*>(handle.constData());
    if (!native)
        throw Exception(QStringLiteral("The SQLite connection has no native handle."));
    return native;
}

void installSqliteDialect(QSqlDatabase& db)
{
    sqlite3* native = sqliteHandle(db);
    constexpr int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    for (const char* name : {"NVL", "NVLSTR"})
        check(sqlite3_create_function_v2(native, name, NvlArguments, flags, nullptr, nvl, nullptr, nullptr,
                                         nullptr),
              native, name);
    check(sqlite3_create_module_v2(native, "PARAM", &ParamModule, nullptr, nullptr), native, "PARAM");
}

} // namespace Kav
