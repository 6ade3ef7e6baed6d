# Precompiled Qt headers, where parsing Qt's headers again in every file is most of the compile time
# (bench/compile-times.md): the tests (KavTest.cmake) and, when their sources are compiled one by one
# (KAV_UNITY off), the libraries with many sources. A library compiled in unity batches reads the
# headers once a batch, and a precompiled header costs about what it saves there. With ccache, files
# built with one need its "pch_defines,time_macros" sloppiness to be cached.
option(KAV_PCH "Precompile the big Qt headers where they pay" ON)

# kav_precompile_qt(<target> BASE|CORE|WIDGETS): BASE for libraries that reach only Qt Core, CORE
# for libraries without windows that reach Qt Sql, WIDGETS for the ones with windows.
function(kav_precompile_qt target kind)
    if(NOT KAV_PCH OR KAV_UNITY)
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
