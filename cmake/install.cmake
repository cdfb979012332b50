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
  foreach(page rf_compare.1 rf_pairs.1)
    configure_file(man/${page}.in ${page} @ONLY)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
endif()
install(TARGETS rf_compare rf_pairs RUNTIME DESTINATION ${RF_BIN_DIR})
install(FILES README.md DESTINATION ${RF_DOC_DIR})
install(FILES examples/two_trees.txt examples/two_trees.expected
              examples/five_trees_12_leaves.txt examples/five_trees_12_leaves.expected
        DESTINATION ${RF_DOC_DIR}/examples)

set(CPACK_PACKAGE_NAME rf_compare)
set(CPACK_PACKAGE_VENDOR "rf_compare developers")
set(CPACK_PACKAGE_CONTACT "rf_compare developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Robinson-Foulds distances between trees given as additive distance matrices")
set(CPACK_PACKAGE_DESCRIPTION "rf_compare rebuilds the tree of every additive distance matrix in a file and
writes the Robinson-Foulds distance between the first tree and each of the
others; rf_pairs, for scripts, writes every tree against every other as a
tab-separated table, normalised if asked, and the rebuilt trees in Newick.")
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON) # from the libraries the programs link
endif()
include(CPack)
