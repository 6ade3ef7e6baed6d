# What a screen's package says of itself, in a manifest beside it that the host reads before it
# loads the package: its name, its version and the host interface it was built against (the
# libraries and the client context a package compiles with). The host opens a package of an
# interface it supports and refuses any other with a message that says what to install.
#
# Raise KAV_HOST_INTERFACE when what packages compile against changes incompatibly; raise
# KAV_OLDEST_HOST_INTERFACE with it unless the host still serves packages of the older one.
set(KAV_HOST_INTERFACE 1)
set(KAV_OLDEST_HOST_INTERFACE 1)

# kav_package_manifest(TARGET [VERSION version] [HOST_INTERFACE n]): writes TARGET.json beside the
# package in the build tree and installs it beside the installed package. VERSION defaults to
# the project's, HOST_INTERFACE to the host's own (other values are for the loader's tests).
function(kav_package_manifest target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "VERSION;HOST_INTERFACE" "")
    if(NOT arg_VERSION)
        set(arg_VERSION ${PROJECT_VERSION})
    endif()
    if(NOT DEFINED arg_HOST_INTERFACE)
        set(arg_HOST_INTERFACE ${KAV_HOST_INTERFACE})
    endif()
    set(manifest ${CMAKE_LIBRARY_OUTPUT_DIRECTORY}/${target}.json)
    file(GENERATE OUTPUT ${manifest} CONTENT "\
{
    \"name\": \"${target}\",
    \"version\": \"${arg_VERSION}\",
    \"hostInterface\": ${arg_HOST_INTERFACE}
}
")
    set_property(TARGET ${target} PROPERTY KAV_PACKAGE_MANIFEST ${manifest})
endfunction()
