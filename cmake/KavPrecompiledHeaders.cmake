# Precompiled Qt headers for the libraries with many sources, where parsing Qt's headers again in
# every file is most of the compile time (bench/compile-times.md: half the processor time for kavcore
# and kav). With ccache, files built with one need its "pch_defines,time_macros" sloppiness to be cached.
option(KAV_PCH "Precompile the big Qt headers of the larger libraries" ON)

# kav_precompile_qt(<target> BASE|CORE|WIDGETS): BASE for libraries that reach only Qt Core, CORE
# for libraries without windows that reach Qt Sql, WIDGETS for the ones with windows.
function(kav_precompile_qt target kind)
    if(NOT KAV_PCH)
        return()
    endif()
    set(headers <QDateTime> <QHash> <QList> <QObject> <QString> <QStringList> <QVariant>)
    if(kind STREQUAL "CORE" OR kind STREQUAL "WIDGETS")
        list(APPEND headers <QSqlDatabase> <QSqlQuery>)
    endif()
    if(kind STREQUAL "WIDGETS")
        list(APPEND headers <QPainter> <QWidget>)
    endif()
    target_precompile_headers(${target} PRIVATE ${headers})
endfunction()
