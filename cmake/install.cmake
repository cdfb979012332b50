# What `cmake --install` puts in place, and the packages CPack makes of it:
# a .deb on Linux, a .zip from the Windows build.
include(GNUInstallDirs)

if(WIN32)
  # One folder: the program with its README and examples beside it.
  set(RF_BIN_DIR .)
  set(RF_DOC_DIR .)
else()
  set(RF_BIN_DIR ${CMAKE_INSTALL_BINDIR})
  set(RF_DOC_DIR ${CMAKE_INSTALL_DOCDIR})
  configure_file(man/rf_compare.1.in rf_compare.1 @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/rf_compare.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(TARGETS rf_compare RUNTIME DESTINATION ${RF_BIN_DIR})
install(FILES README.md DESTINATION ${RF_DOC_DIR})
install(FILES examples/two_trees.txt examples/two_trees.expected
              examples/five_trees_12_leaves.txt examples/five_trees_12_leaves.expected
        DESTINATION ${RF_DOC_DIR}/examples)

set(CPACK_PACKAGE_NAME rf_compare)
set(CPACK_PACKAGE_VENDOR "rf_compare developers")
set(CPACK_PACKAGE_CONTACT "rf_compare developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Robinson-Foulds distances between trees given as additive distance matrices")
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON) # from the libraries the programs link
endif()
include(CPack)
