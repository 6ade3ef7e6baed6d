# Code generated at build time from a form's stored layouts by kavbind (platform/frm/bindgen).
#
# kav_generate_bindings(TARGET FORM class LAYOUTS layout... [BASE layout...])
# Adds <class>Bindings.h/.cpp to TARGET (as uic does for .ui files): one member per component
# the LAYOUTS add, their binding, and the table of every component as the layouts place it.
# BASE layouts are a base form's, applied first: they give rows of the table but no members.
#
# kav_generate_construction(TARGET FORM class LAYOUTS layout... [BASE layout...])
# Adds <class>Construction.h/.cpp to TARGET: every component built by code alone, the floor
# benchmarks measure the form against.

function(_kav_run_kavbind target kind)
    cmake_parse_arguments(B "" "FORM" "LAYOUTS;BASE" ${ARGN})
    set(dir ${CMAKE_CURRENT_BINARY_DIR}/bindings)
    set(outputs ${dir}/${B_FORM}${kind}.h ${dir}/${B_FORM}${kind}.cpp)
    set(arguments --form ${B_FORM} --output-dir ${dir})
    if(kind STREQUAL "Construction")
        list(APPEND arguments --construction)
    endif()
    set(layouts)
    foreach(layout ${B_BASE})
        get_filename_component(layout ${layout} ABSOLUTE)
        list(APPEND arguments --base ${layout})
        list(APPEND layouts ${layout})
    endforeach()
    foreach(layout ${B_LAYOUTS})
        get_filename_component(layout ${layout} ABSOLUTE)
        list(APPEND arguments ${layout})
        list(APPEND layouts ${layout})
    endforeach()
    add_custom_command(OUTPUT ${outputs}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
                       COMMAND kavbind ${arguments}
                       DEPENDS kavbind ${layouts}
                       COMMENT "Generating ${B_FORM}${kind} from its layouts"
                       VERBATIM)
    target_sources(${target} PRIVATE ${outputs})
    target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${dir}>)
endfunction()

function(kav_generate_bindings target)
    _kav_run_kavbind(${target} Bindings ${ARGN})
endfunction()

function(kav_generate_construction target)
    _kav_run_kavbind(${target} Construction ${ARGN})
endfunction()
