# The Debian package, built by `make deb` with CPack's DEB generator: the
# programs in /usr/games and their data in /usr/share/games/cavel (set by the
# Makefile through CAVEL_INSTALL_BINDIR and CAVEL_INSTALL_DATADIR), man pages
# compressed, the copyright file and changelog Debian asks for, the lintian
# overrides with their reasons, and dependencies worked out from the
# binaries by dpkg-shlibdeps.

# Man pages, compressed without a time stamp so that two builds give the
# same bytes.
foreach(page cavel.6 cavel-solve.6)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man/${page}.gz
    COMMAND gzip -9n -c ${PROJECT_BINARY_DIR}/man/${page} > ${PROJECT_BINARY_DIR}/man/${page}.gz
    DEPENDS ${PROJECT_BINARY_DIR}/man/${page}
    COMMENT "Compressing ${page}")
  list(APPEND compressedPages ${PROJECT_BINARY_DIR}/man/${page}.gz)
endforeach()
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/debian/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/debian
  COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/dist/debian/changelog
          > ${PROJECT_BINARY_DIR}/debian/changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/dist/debian/changelog
  COMMENT "Compressing the changelog")
add_custom_target(debianfiles ALL DEPENDS ${compressedPages} ${PROJECT_BINARY_DIR}/debian/changelog.gz)
install(FILES ${compressedPages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PROJECT_BINARY_DIR}/debian/changelog.gz dist/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES dist/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME cavel)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME cavel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Cavel authors <cavel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sliding-block puzzle solver")
# One line of the description a line here: the control file keeps them
# under 80 characters.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Lay out a sliding-block escape puzzle on a board of up to 10 by 8 cells,"
  "with pieces of 19 polyomino shapes, and watch its shortest solution, one"
  "move per press of the space bar, or play it yourself. A move counts one"
  "cell, a straight slide or a walk along any free path."
  "."
  "The package holds the window program (French texts) and cavel-solve, a"
  "command-line solver for puzzle files and layout codes, with a collection"
  "of published puzzles.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
