# How fast a first build is: the libraries compile their sources in batches (unity builds), or one
# by one over precompiled Qt headers (KAV_UNITY off). Applied once every target of the tree is defined
# (kav_speed_up_build() at the end of the top CMakeLists), so a library added or split later gets
# the same without a line of its own. Measured in bench/compile-times.md.
option(KAV_UNITY "Compile the sources of each library in batches (unity build)" ON)
# Sources per batch: fewer batches parse the headers fewer times, smaller ones keep a rebuild after
# editing one file short and leave work for both cores of a small machine.
set(KAV_UNITY_BATCH_SIZE 8 CACHE STRING "Sources compiled together in one unity batch")
# Full debug information (every variable and type) costs about a fifth of the compile time of
# each file over line tables alone (bench/compile-times.md); line tables keep the backtraces of
# debuggers and sanitizers readable. FULL when stepping through variables in a debugger.
set(KAV_DEBUG_INFO LINES CACHE STRING "Debug information of RelWithDebInfo builds: LINES or FULL")
set_property(CACHE KAV_DEBUG_INFO PROPERTY STRINGS LINES FULL)
if(KAV_DEBUG_INFO STREQUAL "LINES")
    # After the configuration's own -g, so it wins.
    add_compile_options($<$<CONFIG:RelWithDebInfo>:-g1>)
endif()

# A library with fewer sources than this gains too little from a precompiled header to pay for it.
set(KAV_PCH_MIN_SOURCES 6)

# Every buildsystem target defined in <dir> and the folders below it.
function(kav_targets_below dir out)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(subdir ${subdirs})
        kav_targets_below(${subdir} below)
        list(APPEND targets ${below})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Whether <target> reaches the Qt module <module> (Sql, Widgets...) through what it links, directly
# or through our libraries.
function(kav_reaches_qt target module out)
    get_target_property(type ${target} TYPE)
    set(links)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
        get_target_property(links ${target} LINK_LIBRARIES)
    endif()
    get_target_property(interface_links ${target} INTERFACE_LINK_LIBRARIES)
    foreach(link ${links} ${interface_links})
        # A static library lists its private dependencies as $<LINK_ONLY:name>.
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" link "${link}")
        if(link MATCHES "^Qt6?::${module}$")
            set(${out} TRUE PARENT_SCOPE)
            return()
        endif()
        if(TARGET ${link})
            get_target_property(imported ${link} IMPORTED)
            if(NOT imported)
                kav_reaches_qt(${link} ${module} reached)
                if(reached)
                    set(${out} TRUE PARENT_SCOPE)
                    return()
                endif()
            endif()
        endif()
    endforeach()
    set(${out} FALSE PARENT_SCOPE)
endfunction()

function(kav_count_cxx_sources target out)
    get_target_property(sources ${target} SOURCES)
    list(FILTER sources INCLUDE REGEX "\\.cpp$")
    list(LENGTH sources count)
    set(${out} ${count} PARENT_SCOPE)
endfunction()

# The kind of precompiled Qt headers (kav_precompile_qt) that <target> can include.
function(kav_qt_kind target out)
    kav_reaches_qt(${target} Sql sql)
    kav_reaches_qt(${target} Widgets widgets)
    if(sql AND widgets)
        set(${out} WIDGETS PARENT_SCOPE)
    elseif(sql)
        set(${out} CORE PARENT_SCOPE)
    else()
        set(${out} BASE PARENT_SCOPE)
    endif()
endfunction()

# Unity batches, or precompiled Qt headers for the libraries with enough sources, everywhere in the tree.
function(kav_speed_up_build)
    kav_targets_below(${PROJECT_SOURCE_DIR} targets)
    foreach(target ${targets})
        get_target_property(type ${target} TYPE)
        if(NOT type MATCHES "^(STATIC|SHARED|MODULE|OBJECT)_LIBRARY$")
            continue()
        endif()
        kav_count_cxx_sources(${target} count)
        get_target_property(precompiled ${target} PRECOMPILE_HEADERS)
        if(KAV_UNITY)
            set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${KAV_UNITY_BATCH_SIZE})
        elseif(count GREATER_EQUAL KAV_PCH_MIN_SOURCES AND NOT precompiled)
            kav_qt_kind(${target} kind)
            kav_precompile_qt(${target} ${kind})
        endif()
    endforeach()
endfunction()
