# The grid as a CMake package for other programs (install component grid_dev): its static libraries over
# vek_platform, their public headers under include/vekgrid, and the package VekGrid of the program's version.
# A program uses it by
#   find_package(VekGrid 1.0.0 REQUIRED)
#   target_link_libraries(app PRIVATE VekGrid::grid)
# and includes the headers by their path: #include "grid/memory/mem_grid.h".

# The headers a program compiles against: every header of the grid, and the platform headers that those
# include, directly or through one another (the consumer_package test checks that every include of an
# installed header is installed too).
file(GLOB_RECURSE VEK_GRID_PUBLIC_HEADERS CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}/src
     ${PROJECT_SOURCE_DIR}/src/grid/*.h)
list(APPEND VEK_GRID_PUBLIC_HEADERS
     platform/error.h
     platform/paint/canvas.h
     platform/paint/color.h
     platform/paint/font.h
     platform/paint/image_list.h
     platform/persist/component.h
     platform/persist/form_text.h
     platform/persist/properties.h
     platform/ui/keys.h
     platform/variant/variant.h)
foreach(_header IN LISTS VEK_GRID_PUBLIC_HEADERS)
  get_filename_component(_folder ${_header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/src/${_header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vekgrid/${_folder}
          COMPONENT grid_dev)
endforeach()

# VekGrid::platform, ::structure, ::view, ::editors, ::memory, and VekGrid::grid: the whole grid (the memory
# grid and everything under it).
# The headers need C++20, in a program's build as in this one.
target_compile_features(vek_platform PUBLIC cxx_std_20)
add_library(vek_grid INTERFACE)
target_link_libraries(vek_grid INTERFACE vek_grid_memory)
set_target_properties(vek_platform PROPERTIES EXPORT_NAME platform)
set_target_properties(vek_grid_structure PROPERTIES EXPORT_NAME structure)
set_target_properties(vek_grid_view PROPERTIES EXPORT_NAME view)
set_target_properties(vek_grid_editors PROPERTIES EXPORT_NAME editors)
set_target_properties(vek_grid_memory PROPERTIES EXPORT_NAME memory)
set_target_properties(vek_grid PROPERTIES EXPORT_NAME grid)
install(TARGETS vek_platform vek_grid_structure vek_grid_view vek_grid_editors vek_grid_memory vek_grid
        EXPORT VekGridTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT grid_dev)

include(CMakePackageConfigHelpers)
set(VEK_GRID_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/VekGrid)
install(EXPORT VekGridTargets NAMESPACE VekGrid:: DESTINATION ${VEK_GRID_CMAKE_DIR} COMPONENT grid_dev)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/VekGridConfig.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/VekGridConfig.cmake INSTALL_DESTINATION ${VEK_GRID_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/VekGridConfigVersion.cmake VERSION ${PROJECT_VERSION}
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/VekGridConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/VekGridConfigVersion.cmake
        DESTINATION ${VEK_GRID_CMAKE_DIR} COMPONENT grid_dev)
