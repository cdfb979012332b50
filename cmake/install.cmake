# What `cmake --install` puts in place, and the packages CPack makes of it:
# a .deb on Linux that lintian accepts, a .zip from the Windows build.
include(GNUInstallDirs)

# Debian package names take no underscore; the documentation folder is the
# package's, as Debian requires.
set(RF_DEBIAN_PACKAGE rf-compare)
set(RF_CONTACT_ADDRESS "maintainers@users.noreply.c-seed-70aa49fe.example")
set(RF_MAINTAINER "rf_compare authors <${RF_CONTACT_ADDRESS}>")

if(WIN32)
  # One folder: the programs with their README, license and examples beside them.
  set(RF_BIN_DIR .)
  set(RF_DOC_DIR .)
  install(FILES LICENSE DESTINATION ${RF_DOC_DIR})
else()
  set(RF_BIN_DIR ${CMAKE_INSTALL_BINDIR})
  set(RF_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${RF_DEBIAN_PACKAGE})
  # Manual pages gzipped without a time stamp (gzip -n), so that the same
  # sources give the same package.
  foreach(page rf_compare.1 rf_pairs.1)
    configure_file(man/${page}.in ${page} @ONLY)
    execute_process(COMMAND gzip -9nkf ${CMAKE_CURRENT_BINARY_DIR}/${page} COMMAND_ERROR_IS_FATAL ANY)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
  # The license as Debian's machine-readable copyright file, and the
  # package's own changelog in Debian's format.
  configure_file(packaging/debian/copyright copyright @ONLY)
  configure_file(packaging/debian/changelog changelog @ONLY)
  execute_process(COMMAND gzip -9nkf ${CMAKE_CURRENT_BINARY_DIR}/changelog COMMAND_ERROR_IS_FATAL ANY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
          DESTINATION ${RF_DOC_DIR})
endif()
install(TARGETS rf_compare rf_pairs RUNTIME DESTINATION ${RF_BIN_DIR})
install(FILES README.md CHANGELOG.md DESTINATION ${RF_DOC_DIR})
install(FILES examples/two_trees.txt examples/two_trees.expected examples/edge_lengths.txt
              examples/five_trees_12_leaves.txt examples/five_trees_12_leaves.expected
        DESTINATION ${RF_DOC_DIR}/examples)

set(CPACK_PACKAGE_NAME rf_compare)
set(CPACK_PACKAGE_VENDOR "rf_compare authors")
set(CPACK_PACKAGE_CONTACT "${RF_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Robinson-Foulds distances between trees given as additive distance matrices")
set(CPACK_PACKAGE_DESCRIPTION "rf_compare rebuilds the tree of every additive distance matrix in a file and
writes the Robinson-Foulds distance between the first tree and each of the
others; rf_pairs, for scripts, writes every tree against every other as a
tab-separated table, normalised if asked, and the rebuilt trees in Newick.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
# Packages carry stripped programs; the build tree keeps its symbols.
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_PACKAGE_NAME ${RF_DEBIAN_PACKAGE})
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${RF_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON) # from the libraries the programs link
endif()
include(CPack)
