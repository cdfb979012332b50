# Assembles the R source package rfcompare in DESTINATION from the
# repository's sources: r/ holds the package's own files; the engine, the
# reader and the library's interface are copied in beside the bindings, for
# an R source package must hold all it compiles.
#   cmake -DSOURCE=<repository> -DDESTINATION=<folder> -DVERSION=<x.y.z> -DCONTACT=<address> -P assemble_r_package.cmake
set(PROJECT_VERSION ${VERSION})
string(REPLACE "." ";" version_parts ${VERSION})
list(GET version_parts 0 PROJECT_VERSION_MAJOR)
list(GET version_parts 1 PROJECT_VERSION_MINOR)
list(GET version_parts 2 PROJECT_VERSION_PATCH)
set(RF_CONTACT_ADDRESS ${CONTACT})
file(REMOVE_RECURSE ${DESTINATION})
file(MAKE_DIRECTORY ${DESTINATION}/src/include/rf_compare)
file(COPY ${SOURCE}/r/NAMESPACE ${SOURCE}/r/R ${SOURCE}/r/man ${SOURCE}/r/tests DESTINATION ${DESTINATION})
configure_file(${SOURCE}/r/DESCRIPTION.in ${DESTINATION}/DESCRIPTION @ONLY)
configure_file(${SOURCE}/r/LICENSE.in ${DESTINATION}/LICENSE @ONLY)
configure_file(${SOURCE}/r/src/Makevars.template ${DESTINATION}/src/Makevars @ONLY)
file(COPY ${SOURCE}/r/src/rfcompare_bindings.cpp DESTINATION ${DESTINATION}/src)
file(GLOB public_headers ${SOURCE}/include/rf_compare/*.hpp)
file(COPY ${public_headers} DESTINATION ${DESTINATION}/src/include/rf_compare)
configure_file(${SOURCE}/include/rf_compare/version.hpp.in ${DESTINATION}/src/include/rf_compare/version.hpp @ONLY)
# The whole library, which never prints. R takes only sources in src/
# itself: the headers go to src/include/.
set(library_folders threads engine reader api)
foreach(folder IN LISTS library_folders)
  file(GLOB sources ${SOURCE}/src/${folder}/*.cpp)
  file(GLOB headers ${SOURCE}/src/${folder}/*.hpp)
  file(COPY ${sources} DESTINATION ${DESTINATION}/src)
  file(COPY ${headers} DESTINATION ${DESTINATION}/src/include)
endforeach()
