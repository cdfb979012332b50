# The R package rfcompare: `cmake --build build --target r_package` makes
# build/r/rfcompare_VERSION.tar.gz, a source package R CMD INSTALL takes;
# ctest installs it in build/r/library and runs its tests.
find_program(R_EXECUTABLE R)
find_program(RSCRIPT_EXECUTABLE Rscript)
set(RF_R_PACKAGES Rcpp ape)
if(RF_BUILD_TESTS)
  list(APPEND RF_R_PACKAGES testthat)
endif()
set(RF_R_MISSING "")
if(R_EXECUTABLE AND RSCRIPT_EXECUTABLE)
  foreach(package IN LISTS RF_R_PACKAGES)
    execute_process(COMMAND ${RSCRIPT_EXECUTABLE} -e "quit(status = !requireNamespace('${package}', quietly = TRUE))"
                    RESULT_VARIABLE missing OUTPUT_QUIET ERROR_QUIET)
    if(missing)
      list(APPEND RF_R_MISSING ${package})
    endif()
  endforeach()
else()
  set(RF_R_MISSING R)
endif()
if(RF_R_MISSING)
  message(FATAL_ERROR "The R package needs R and its packages ${RF_R_PACKAGES} (missing: ${RF_R_MISSING}). "
                      "Install what the build needs with `bash tests/install_packages.sh` (as root), or "
                      "configure with -DRF_R=OFF.")
endif()

set(RF_R_DIR ${CMAKE_BINARY_DIR}/r)
set(RF_R_TARBALL ${RF_R_DIR}/rfcompare_${PROJECT_VERSION}.tar.gz)
file(MAKE_DIRECTORY ${RF_R_DIR})
file(GLOB_RECURSE RF_R_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/r/* ${PROJECT_SOURCE_DIR}/src/engine/*
     ${PROJECT_SOURCE_DIR}/src/reader/* ${PROJECT_SOURCE_DIR}/src/api/* ${PROJECT_SOURCE_DIR}/src/threads/*
     ${PROJECT_SOURCE_DIR}/include/*)
add_custom_command(
  OUTPUT ${RF_R_TARBALL}
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR} -DDESTINATION=${RF_R_DIR}/rfcompare
          -DVERSION=${PROJECT_VERSION} -DCONTACT=${RF_CONTACT_ADDRESS}
          -P ${PROJECT_SOURCE_DIR}/cmake/assemble_r_package.cmake
  COMMAND ${RSCRIPT_EXECUTABLE} -e "Rcpp::compileAttributes('rfcompare')"
  COMMAND ${R_EXECUTABLE} CMD build --no-build-vignettes rfcompare
  WORKING_DIRECTORY ${RF_R_DIR}
  DEPENDS ${RF_R_SOURCES} ${PROJECT_SOURCE_DIR}/cmake/assemble_r_package.cmake
  COMMENT "Making the R source package ${RF_R_TARBALL}"
  VERBATIM)
add_custom_target(r_package ALL DEPENDS ${RF_R_TARBALL})

if(RF_BUILD_TESTS AND NOT CMAKE_CROSSCOMPILING)
  add_test(NAME r_package_tests COMMAND bash ${PROJECT_SOURCE_DIR}/tests/run_r_package_tests.sh ${RF_R_TARBALL} ${RF_R_DIR}/library)
  set_tests_properties(r_package_tests PROPERTIES ENVIRONMENT "RF_PAIRS=$<TARGET_FILE:rf_pairs>")
endif()
