# kav_add_test(NAME SOURCES file... LIBS target... [LABELS label...])
# One Qt Test executable registered with CTest; widgets run headless.
# Sanitizers slow a test down about threefold.
if(KAV_SANITIZE)
    set(KAV_TEST_TIMEOUT 900)
else()
    set(KAV_TEST_TIMEOUT 300)
endif()

function(kav_add_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
    target_compile_definitions(${name} PRIVATE
        KAV_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        KAV_BINARY_DIR="${PROJECT_BINARY_DIR}"
        KAV_TEST_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
    add_test(NAME ${name} COMMAND ${name})
    set_property(GLOBAL APPEND PROPERTY KAV_TEST_TARGETS ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
        TIMEOUT ${KAV_TEST_TIMEOUT})
    if(T_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
    endif()
endfunction()
