# What `cmake --install` puts in place, and the Debian package CPack makes of
# it (`cpack` in the build folder): the two programs, the manual page of
# `ambrix` written from its help at build time, the window program's desktop
# entry and icon, and the README with the examples. The dialect rows and the
# repository schemas of data/ are compiled into the programs, so nothing of
# data/ is installed. scripts/package-check.sh checks the package CPack makes.
include(GNUInstallDirs)

install(TARGETS ambrix ambrix-gui RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The page follows the help: it is written again whenever `ambrix` is relinked.
set(AMBRIX_MAN_PAGE ${PROJECT_BINARY_DIR}/man/ambrix.1.gz)
set(man_writer ${PROJECT_SOURCE_DIR}/packaging/write-man-page.sh)
add_custom_command(OUTPUT ${AMBRIX_MAN_PAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
  COMMAND bash ${man_writer} $<TARGET_FILE:ambrix> ${AMBRIX_MAN_PAGE}
  DEPENDS ambrix ${man_writer}
  COMMENT "Writing the manual page of ambrix from its help"
  VERBATIM)
add_custom_target(ambrix_man_page ALL DEPENDS ${AMBRIX_MAN_PAGE})
install(FILES ${AMBRIX_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
add_test(NAME package.man_page
  COMMAND bash ${PROJECT_SOURCE_DIR}/tests/package/man_page_test.sh $<TARGET_FILE:ambrix> ${AMBRIX_MAN_PAGE}
          ${man_writer})
set_tests_properties(package.man_page PROPERTIES LABELS package TIMEOUT ${AMBRIX_TEST_TIMEOUT})

install(FILES ${PROJECT_SOURCE_DIR}/packaging/ambrix-gui.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/ambrix-gui.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
file(GLOB example_files ${PROJECT_SOURCE_DIR}/examples/*)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${example_files} DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(AMBRIX_PACKAGE_MAINTAINER "Velkor Ambrix developers <dev@ambrix.local>" CACHE STRING
  "The Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ambrix)
set(CPACK_PACKAGE_VENDOR Velkor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "SQL Server 2000 to SQL Anywhere 9 database schema converter")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "SQL Server 2000 to SQL Anywhere 9 database schema converter
 Ambrix converts the DDL scripts of a Microsoft SQL Server 2000 database
 (Transact-SQL: tables, constraints, indexes, defaults, user types, views,
 procedures, functions, triggers) to a script that builds the same schema on
 Sybase Adaptive Server Anywhere 9 (Watcom-SQL), with a warning for whatever
 must be carried over by hand.
 .
 The package holds the command `ambrix` and the desktop program `ambrix-gui`.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${AMBRIX_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the programs link (Qt, SQLite, jemalloc, the C++ runtime)
# come from dpkg-shlibdeps (the window system's platform plugins come with
# libqt6gui6); the database drivers Qt loads at run time are named here: the
# SQLite one of the default repository, the PostgreSQL one for a shared
# repository.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql")
set(CPACK_STRIP_FILES ON)
include(CPack)
