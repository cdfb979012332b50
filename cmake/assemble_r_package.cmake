# Assembles the R source package rfcompare in DESTINATION from the
# repository's sources: r/ holds the package's own files; the engine, the
# reader and the library's interface are copied in beside the bindings, for
# an R source package must hold all it compiles.
#   cmake -DSOURCE=<repository> -DDESTINATION=<folder> -DVERSION=<x.y.z> -DCONTACT=<address> -P assemble_r_package.cmake
set(PROJECT_VERSION ${VERSION})
set(RF_CONTACT_ADDRESS ${CONTACT})
file(REMOVE_RECURSE ${DESTINATION})
file(MAKE_DIRECTORY ${DESTINATION}/src/include/rf_compare)
file(COPY ${SOURCE}/r/NAMESPACE ${SOURCE}/r/R ${SOURCE}/r/man ${SOURCE}/r/tests DESTINATION ${DESTINATION})
configure_file(${SOURCE}/r/DESCRIPTION.in ${DESTINATION}/DESCRIPTION @ONLY)
configure_file(${SOURCE}/r/LICENSE.in ${DESTINATION}/LICENSE @ONLY)
configure_file(${SOURCE}/r/src/Makevars.template ${DESTINATION}/src/Makevars @ONLY)
file(COPY ${SOURCE}/r/src/rfcompare_bindings.cpp DESTINATION ${DESTINATION}/src)
file(COPY ${SOURCE}/include/rf_compare/rf_compare.hpp DESTINATION ${DESTINATION}/src/include/rf_compare)
# Everything but the console program's report of a matrix that is not
# additive, which writes to standard output. R takes only sources in src/
# itself: the headers go to src/include/.
file(GLOB library_sources ${SOURCE}/src/engine/*.cpp ${SOURCE}/src/reader/*.cpp ${SOURCE}/src/api/*.cpp)
list(FILTER library_sources EXCLUDE REGEX "/cluster_table\\.cpp$")
file(COPY ${library_sources} DESTINATION ${DESTINATION}/src)
file(GLOB library_headers ${SOURCE}/src/engine/*.hpp ${SOURCE}/src/reader/*.hpp ${SOURCE}/src/api/*.hpp)
file(COPY ${library_headers} DESTINATION ${DESTINATION}/src/include)
