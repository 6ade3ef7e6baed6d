# What an installed copy holds, and the Debian package made of it (`cpack -G DEB` in the build
# folder writes kav_VERSION_ARCH.deb). Install folders: cmake/KavInstallDirs.cmake.

# Programs find their libraries and packages from their own folder, wherever the copy lands.
set(KAV_PROGRAMS kavhost kavserver kavdb kavcall)
set(KAV_SHARED_LIBRARIES kavbase kavprotocol kavsql kavclientcore kav frm qrcore qr kavschemaversion kavschema)
set_target_properties(${KAV_PROGRAMS} PROPERTIES INSTALL_RPATH "$ORIGIN/${KAV_BIN_TO_LIB}")
set_target_properties(${KAV_SHARED_LIBRARIES} PROPERTIES INSTALL_RPATH "$ORIGIN")
set_target_properties(Pkg_Zve41300 PROPERTIES INSTALL_RPATH "$ORIGIN/${KAV_PACKAGES_TO_LIB}")

install(TARGETS ${KAV_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS ${KAV_SHARED_LIBRARIES} LIBRARY DESTINATION ${KAV_INSTALL_LIBDIR} NAMELINK_SKIP)
install(TARGETS Pkg_Zve41300 LIBRARY DESTINATION ${KAV_INSTALL_PACKAGEDIR} NAMELINK_SKIP)
get_target_property(KAV_PACKAGE_MANIFEST Pkg_Zve41300 KAV_PACKAGE_MANIFEST)
install(FILES ${KAV_PACKAGE_MANIFEST} DESTINATION ${KAV_INSTALL_PACKAGEDIR})

# The shipped data, also staged in the build tree (kav_data). The schema scripts and the demo's
# reference and complement files are compiled into kavdb too; the copies here are for a database
# administrator to read or run by hand, and for `kavdb import-complement` after a full import.
kav_data(reports reports/Zve41301.QR2 reports/Zve41304.QR2 reports/Zve41305.QR2 reports/Zve41307.QR2)
kav_data(taco database/data/taco/README.md database/data/taco/categories.csv database/data/taco/food.csv
         database/data/taco/nutrients.csv)
kav_data(pnae database/data/pnae/README.md database/data/pnae/limites-2013.csv)
kav_data(schema database/schema/tables.sql database/schema/sqlite.sql database/schema/postgresql.sql
         database/schema/firebird.sql)
kav_data(schema/upgrades database/schema/upgrades/0002-references.sql
         database/schema/upgrades/0003-dish-figures.sql database/schema/upgrades/0004-key-sequence.sql
         database/schema/upgrades/0005-reference-share.sql)
kav_data(demo database/demo/README.md database/demo/complemento.csv database/demo/referencias-exemplo.csv)
get_property(KAV_DATA_TARGETS GLOBAL PROPERTY KAV_DATA_TARGETS)
# The programs of the build tree find the data staged beside them.
foreach(program kavhost kavdb)
    add_dependencies(${program} ${KAV_DATA_TARGETS})
endforeach()
add_dependencies(kavhost kavhost_icon)

install(FILES cmake/deb/kavhost.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The unit names the server where this installation puts it.
install(CODE "
    set(KAV_BINDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    configure_file(\"${PROJECT_SOURCE_DIR}/cmake/deb/kavserver.service.in\"
                   \"${PROJECT_BINARY_DIR}/kavserver.service\" @ONLY)")
install(FILES ${PROJECT_BINARY_DIR}/kavserver.service DESTINATION lib/systemd/system)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kav)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "School-food service client: menu nutrients report, host, server and database tool")
set(CPACK_PACKAGE_DESCRIPTION "kavhost, the desktop host with the screen Nutrientes do Cardápio (ZVE41300) and its reports; kavserver, its application server (systemd unit kavserver, disabled); kavdb, which creates and fills the database (SQLite, PostgreSQL, Firebird) and imports the TACO food table that comes with it; kavcall.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The build keeps its debugging information; the package does not need it.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "kav developers <kav@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# Libraries the programs link come from dpkg-shlibdeps; what they load by name does not: the Qt
# SQL drivers, the platform plugins (xcb on a desktop, offscreen for scripts), and the account
# tool of postinst.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins, adduser")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql, libqt6sql6-ibase, qt6-translations-l10n, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/deb/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
