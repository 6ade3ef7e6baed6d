# Where an installed copy keeps its parts (GNUInstallDirs under the install prefix):
#   bin/                    kavhost, kavserver, kavdb, kavcall
#   lib/kav/                the libraries the programs share (private to them)
#   lib/kav/packages/       the screens' packages the host loads
#   share/kav/              report layouts, food table, references, schema scripts
# The programs find the others from their own folder (Kav::InstallLayout), so the build tree keeps
# the same shape: programs, libraries and packages in build/bin, data staged in build/share/kav.
include(GNUInstallDirs)

set(KAV_INSTALL_LIBDIR lib/kav)
set(KAV_INSTALL_PACKAGEDIR ${KAV_INSTALL_LIBDIR}/packages)
set(KAV_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/kav)

file(RELATIVE_PATH KAV_BIN_TO_LIB /${CMAKE_INSTALL_BINDIR} /${KAV_INSTALL_LIBDIR})
file(RELATIVE_PATH KAV_BIN_TO_PACKAGES /${CMAKE_INSTALL_BINDIR} /${KAV_INSTALL_PACKAGEDIR})
file(RELATIVE_PATH KAV_BIN_TO_DATA /${CMAKE_INSTALL_BINDIR} /${KAV_INSTALL_DATADIR})
file(RELATIVE_PATH KAV_PACKAGES_TO_LIB /${KAV_INSTALL_PACKAGEDIR} /${KAV_INSTALL_LIBDIR})
get_filename_component(KAV_STAGED_DATA_DIR ${CMAKE_BINARY_DIR}/bin/${KAV_BIN_TO_DATA} ABSOLUTE)

# kav_data(SUBDIR file...): data installed under share/kav/SUBDIR and copied to the same place in
# the build tree, where the programs of the build find it.
function(kav_data subdir)
    set(staged_files)
    foreach(file ${ARGN})
        get_filename_component(source ${file} ABSOLUTE)
        get_filename_component(name ${file} NAME)
        set(staged ${KAV_STAGED_DATA_DIR}/${subdir}/${name})
        add_custom_command(OUTPUT ${staged} COMMAND ${CMAKE_COMMAND} -E copy_if_different ${source} ${staged}
                           DEPENDS ${source} VERBATIM)
        list(APPEND staged_files ${staged})
    endforeach()
    string(REPLACE "/" "_" target kavdata_${subdir})
    add_custom_target(${target} ALL DEPENDS ${staged_files})
    set_property(GLOBAL APPEND PROPERTY KAV_DATA_TARGETS ${target})
    install(FILES ${ARGN} DESTINATION ${KAV_INSTALL_DATADIR}/${subdir})
endfunction()
