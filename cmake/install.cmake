# What `cmake --install` puts in place, and the packages CPack makes of it:
# on Linux three .deb files that lintian accepts, rf-compare with the
# programs, python3-rf-compare with the Python module and librf-compare-dev
# with the C++ library (archive, headers, CMake package); a .zip from the
# Windows build.
include(GNUInstallDirs)

# Debian package names take no underscore; each package's documentation
# folder is its own, as Debian requires.
set(RF_DEBIAN_PACKAGE rf-compare)
set(RF_DEBIAN_PYTHON_PACKAGE python3-rf-compare)
set(RF_DEBIAN_DEV_PACKAGE librf-compare-dev)
set(RF_CONTACT_ADDRESS "maintainers@users.noreply.c-seed-70aa49fe.example")
set(RF_MAINTAINER "rf_compare authors <${RF_CONTACT_ADDRESS}>")

if(WIN32)
  # One folder: the programs with their README, license and examples beside them.
  set(RF_BIN_DIR .)
  set(RF_DOC_DIR .)
  install(FILES LICENSE DESTINATION ${RF_DOC_DIR} COMPONENT programs)
else()
  set(RF_BIN_DIR ${CMAKE_INSTALL_BINDIR})
  set(RF_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${RF_DEBIAN_PACKAGE})
  # Manual pages gzipped without a time stamp (gzip -n), so that the same
  # sources give the same package.
  foreach(page rf_compare.1 rf_pairs.1)
    configure_file(man/${page}.in ${page} @ONLY)
    execute_process(COMMAND gzip -9nkf ${CMAKE_CURRENT_BINARY_DIR}/${page} COMMAND_ERROR_IS_FATAL ANY)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT programs)
  endforeach()
  # The license as Debian's machine-readable copyright file, and the
  # package's own changelog in Debian's format.
  configure_file(packaging/debian/copyright copyright @ONLY)
  configure_file(packaging/debian/changelog changelog @ONLY)
  execute_process(COMMAND gzip -9nkf ${CMAKE_CURRENT_BINARY_DIR}/changelog COMMAND_ERROR_IS_FATAL ANY)
  foreach(component_and_package IN ITEMS programs:${RF_DEBIAN_PACKAGE} python:${RF_DEBIAN_PYTHON_PACKAGE}
                                         development:${RF_DEBIAN_DEV_PACKAGE})
    string(REPLACE ":" ";" pair ${component_and_package})
    list(GET pair 0 component)
    list(GET pair 1 package)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
  endforeach()
endif()
install(TARGETS rf_compare rf_pairs RUNTIME DESTINATION ${RF_BIN_DIR} COMPONENT programs)

# The C++ library for other projects: one archive, the public headers and a
# CMake package (find_package(rf_compare), target rf_compare::rf_compare).
if(NOT WIN32)
  include(CMakePackageConfigHelpers)
  include(cmake/library_archive.cmake)
  set(RF_CMAKE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/rf_compare)
  configure_package_config_file(cmake/rf_compareConfig.cmake.in ${CMAKE_BINARY_DIR}/lib/rf_compareConfig.cmake
                                INSTALL_DESTINATION ${RF_CMAKE_PACKAGE_DIR})
  write_basic_package_version_file(${CMAKE_BINARY_DIR}/lib/rf_compareConfigVersion.cmake
                                   COMPATIBILITY SameMajorVersion)
  install(FILES ${RF_LIBRARY_ARCHIVE} DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
  install(DIRECTORY include/rf_compare DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development
          FILES_MATCHING PATTERN "*.hpp")
  install(FILES ${PROJECT_BINARY_DIR}/include/rf_compare/version.hpp
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/rf_compare COMPONENT development)
  install(FILES ${CMAKE_BINARY_DIR}/lib/rf_compareConfig.cmake ${CMAKE_BINARY_DIR}/lib/rf_compareConfigVersion.cmake
          DESTINATION ${RF_CMAKE_PACKAGE_DIR} COMPONENT development)
endif()
install(FILES README.md CHANGELOG.md DESTINATION ${RF_DOC_DIR} COMPONENT programs)
install(FILES examples/two_trees.txt examples/two_trees.expected examples/edge_lengths.txt
              examples/five_trees_12_leaves.txt examples/five_trees_12_leaves.expected
        DESTINATION ${RF_DOC_DIR}/examples COMPONENT programs)

set(CPACK_PACKAGE_NAME rf_compare)
set(CPACK_PACKAGE_VENDOR "rf_compare authors")
set(CPACK_PACKAGE_CONTACT "${RF_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Robinson-Foulds distances between trees given as additive distance matrices")
set(CPACK_PACKAGE_DESCRIPTION "rf_compare rebuilds the tree of every additive distance matrix in a file and
writes the Robinson-Foulds distance between the first tree and each of the
others; rf_pairs, for scripts, writes every tree against every other as a
tab-separated table (Robinson-Foulds, normalised if asked, weighted
Robinson-Foulds or the Kuhner-Felsenstein branch score), and the rebuilt
trees in Newick.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
# Packages carry stripped programs; the build tree keeps its symbols.
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL programs development)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${RF_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON) # from the libraries each package's files link
  set(CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME ${RF_DEBIAN_PACKAGE})
  # Each package's text, after the project's summary as its synopsis.
  set(CPACK_DEBIAN_PROGRAMS_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME ${RF_DEBIAN_DEV_PACKAGE})
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
  set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "The C++ library of rf_compare and rf_pairs, for other programs: it reads
matrix files, rebuilds the tree of every additive distance matrix and
compares trees by the Robinson-Foulds distance, weighted Robinson-Foulds
and the Kuhner-Felsenstein branch score. A static library with its
headers and a CMake package: find_package(rf_compare), then link
rf_compare::rf_compare.")
  if(TARGET rf_compare_core)
    list(APPEND CPACK_COMPONENTS_ALL python)
    set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME ${RF_DEBIAN_PYTHON_PACKAGE})
    set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
    # The module is built for this Python's version and ABI.
    set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
        "python3 (>= ${RF_PYTHON_VERSION}), python3 (<< ${RF_PYTHON_VERSION_NEXT}), python3-numpy")
    set(CPACK_DEBIAN_PYTHON_DESCRIPTION "The Python 3 module rf_compare, the engine of rf_compare and rf_pairs on
NumPy arrays: it rebuilds the tree of every additive distance matrix,
writes it in Newick with leaf names, and compares trees by the
Robinson-Foulds distance, weighted Robinson-Foulds and the
Kuhner-Felsenstein branch score; it also reads the programs' matrix files.")
  endif()
endif()
include(CPack)
