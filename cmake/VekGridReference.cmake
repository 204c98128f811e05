# The grid's reference (Doxygen, HTML): its public headers (VEK_GRID_PUBLIC_HEADERS) and the getting-started
# page, whose code comes from the compiled examples. `cmake --build build --target reference` writes it to
# build/reference/html; the test `reference` fails on any Doxygen warning.
find_program(DOXYGEN_EXECUTABLE doxygen)
if(DOXYGEN_EXECUTABLE)
  set(VEK_REFERENCE_DIR ${PROJECT_BINARY_DIR}/reference)
  set(VEK_REFERENCE_INPUT "")
  foreach(_header IN LISTS VEK_GRID_PUBLIC_HEADERS)
    string(APPEND VEK_REFERENCE_INPUT " \\\n    ${PROJECT_SOURCE_DIR}/src/${_header}")
  endforeach()
  string(APPEND VEK_REFERENCE_INPUT " \\\n    ${PROJECT_SOURCE_DIR}/docs/getting_started.md")
  configure_file(${PROJECT_SOURCE_DIR}/docs/Doxyfile.in ${VEK_REFERENCE_DIR}/Doxyfile @ONLY)
  add_custom_target(reference COMMAND ${DOXYGEN_EXECUTABLE} ${VEK_REFERENCE_DIR}/Doxyfile
                    WORKING_DIRECTORY ${VEK_REFERENCE_DIR} COMMENT "The grid's reference (Doxygen)")
  add_test(NAME reference
           COMMAND ${CMAKE_COMMAND} -DDOXYGEN=${DOXYGEN_EXECUTABLE} -DDIR=${VEK_REFERENCE_DIR}
                   -P ${PROJECT_SOURCE_DIR}/cmake/RunReference.cmake)
  set_tests_properties(reference PROPERTIES LABELS unit)
endif()
