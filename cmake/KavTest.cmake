# kav_add_test(NAME SOURCES file... LIBS target... [LABELS label...])
# One Qt Test executable registered with CTest; widgets run headless.
# Sanitizers slow a test down about threefold.
if(KAV_SANITIZE)
    set(KAV_TEST_TIMEOUT 900)
else()
    set(KAV_TEST_TIMEOUT 300)
endif()

# What every test of the current folder is compiled with, besides what it links.
function(kav_test_defaults target)
    target_compile_definitions(${target} PRIVATE
        KAV_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        KAV_BINARY_DIR="${PROJECT_BINARY_DIR}"
        KAV_TEST_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
endfunction()

# Qt Test's module header brings the whole of Qt Core with it: seconds of parsing in every test,
# more than many a test's own code. The tests of one folder that reach the same Qt modules share
# one precompiled copy, built once the group has enough tests to pay for it. A copy is only
# accepted with the macros it was made with, and Qt's build sets those by folder (QT_TESTCASE_*)
# and by module (QT_*_LIB), hence one per both.
set(KAV_SHARED_TEST_HEADERS_MIN_TESTS 3)

function(kav_share_test_headers test)
    if(NOT KAV_PCH)
        return()
    endif()
    set(modules)
    foreach(module Gui Widgets Sql Network PrintSupport)
        kav_reaches_qt(${test} ${module} reached)
        if(reached)
            list(APPEND modules ${module})
        endif()
    endforeach()
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    string(MAKE_C_IDENTIFIER "kavtestheaders_${folder}_${modules}" host)
    set_property(GLOBAL APPEND PROPERTY ${host}_TESTS ${test})
    get_property(group GLOBAL PROPERTY ${host}_TESTS)
    list(LENGTH group size)
    if(size LESS KAV_SHARED_TEST_HEADERS_MIN_TESTS)
        return()
    endif()
    if(NOT TARGET ${host})
        kav_add_test_headers(${host} "${modules}")
    else()
        set(group ${test})
    endif()
    foreach(member ${group})
        set_target_properties(${member} PROPERTIES PRECOMPILE_HEADERS_REUSE_FROM ${host})
        # A test's source includes its own moc output, leaving this file empty or nearly so:
        # reading the precompiled header into it would cost a second for nothing.
        set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${member}_autogen/mocs_compilation.cpp
                                    PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
    endforeach()
endfunction()

# The target that precompiles the headers the tests of one folder and set of Qt <modules> share.
function(kav_add_test_headers host modules)
    add_library(${host} OBJECT ${PROJECT_SOURCE_DIR}/cmake/KavTestHeaders.cpp)
    set_target_properties(${host} PROPERTIES AUTOMOC OFF)
    list(TRANSFORM modules PREPEND Qt6:: OUTPUT_VARIABLE qt_targets)
    target_link_libraries(${host} PRIVATE Qt6::Test ${qt_targets})
    kav_test_defaults(${host})
    set(headers <QtTest>)
    if(Sql IN_LIST modules)
        list(APPEND headers <QSqlDatabase> <QSqlQuery>)
    endif()
    if(Widgets IN_LIST modules)
        list(APPEND headers <QWidget>)
    endif()
    target_precompile_headers(${host} PRIVATE ${headers})
endfunction()

function(kav_add_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
    kav_test_defaults(${name})
    kav_share_test_headers(${name})
    add_test(NAME ${name} COMMAND ${name})
    set_property(GLOBAL APPEND PROPERTY KAV_TEST_TARGETS ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
        TIMEOUT ${KAV_TEST_TIMEOUT})
    if(T_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
    endif()
endfunction()
