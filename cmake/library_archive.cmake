# The installable C++ library: librf_compare.a, one archive of the library's
# own archives (threads, engine, reader and the interface), so that a
# program links one file; made by the archiver's MRI script, without
# compiling anything again.
set(RF_LIBRARY_PARTS rf_compare_api rf_reader rf_engine rf_threads)
set(RF_LIBRARY_ARCHIVE ${CMAKE_BINARY_DIR}/lib/${CMAKE_STATIC_LIBRARY_PREFIX}rf_compare${CMAKE_STATIC_LIBRARY_SUFFIX})
set(RF_LIBRARY_SCRIPT "create ${RF_LIBRARY_ARCHIVE}\n")
foreach(part IN LISTS RF_LIBRARY_PARTS)
  string(APPEND RF_LIBRARY_SCRIPT "addlib $<TARGET_FILE:${part}>\n")
endforeach()
string(APPEND RF_LIBRARY_SCRIPT "save\nend\n")
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/lib/rf_compare.mri CONTENT "${RF_LIBRARY_SCRIPT}")
set(RF_LIBRARY_PART_FILES)
foreach(part IN LISTS RF_LIBRARY_PARTS)
  list(APPEND RF_LIBRARY_PART_FILES $<TARGET_FILE:${part}>)
endforeach()
add_custom_command(
  OUTPUT ${RF_LIBRARY_ARCHIVE}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${RF_LIBRARY_ARCHIVE}
  COMMAND ${CMAKE_COMMAND} -DAR=${CMAKE_AR} -DSCRIPT=${CMAKE_BINARY_DIR}/lib/rf_compare.mri
          -P ${PROJECT_SOURCE_DIR}/cmake/merge_archives.cmake
  DEPENDS ${RF_LIBRARY_PARTS} ${RF_LIBRARY_PART_FILES}
  COMMENT "Making the library archive ${RF_LIBRARY_ARCHIVE}"
  VERBATIM)
add_custom_target(rf_compare_library ALL DEPENDS ${RF_LIBRARY_ARCHIVE})
set(RF_LIBRARY_FILE_NAME ${CMAKE_STATIC_LIBRARY_PREFIX}rf_compare${CMAKE_STATIC_LIBRARY_SUFFIX})
