# The consumer_package test: installs the grid's component of a build folder into a prefix of its own, checks
# what landed, then configures, builds and runs examples/consumer against that prefix (offscreen).
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... -DGENERATOR=... -DBUILD_TYPE=... -DCXX_COMPILER=...
#         [-DCXX_COMPILER_LAUNCHER=... -DCXX_FLAGS=... -DEXE_LINKER_FLAGS=... -DWARNINGS_AS_ERRORS=...] -DNM=...
#         -P ConsumerPackageTest.cmake
foreach(_var BUILD_DIR SOURCE_DIR WORK_DIR GENERATOR CXX_COMPILER NM)
  if(NOT ${_var})
    message(FATAL_ERROR "${_var} is not given")
  endif()
endforeach()
set(prefix ${WORK_DIR}/prefix)
set(consumer_build ${WORK_DIR}/build)
file(REMOVE_RECURSE ${WORK_DIR})

execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --component grid_dev --prefix ${prefix}
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

# Every header that landed finds what it includes among the installed headers; none of them belongs to the
# batch interpreter, the drive map or the ini files.
set(include_dir ${prefix}/include/vekgrid)
file(GLOB_RECURSE headers RELATIVE ${include_dir} ${include_dir}/*)
list(LENGTH headers header_count)
if(header_count EQUAL 0)
  message(FATAL_ERROR "no header was installed under ${include_dir}")
endif()
set(faults)
foreach(header IN LISTS headers)
  if(header MATCHES "^platform/(batch|os)/")
    list(APPEND faults "installed, though only the program uses it: ${header}")
  endif()
  file(STRINGS ${include_dir}/${header} include_lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS include_lines)
    string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" included "${line}")
    if(NOT EXISTS ${include_dir}/${included})
      list(APPEND faults "${header} includes \"${included}\", which is not installed")
    endif()
  endforeach()
endforeach()

# The platform library that landed holds none of the program's own parts.
file(GLOB platform_archive ${prefix}/lib*/libvek_platform.a)
if(NOT platform_archive)
  list(APPEND faults "libvek_platform.a was not installed")
else()
  execute_process(COMMAND ${NM} -C --defined-only ${platform_archive} OUTPUT_VARIABLE symbols
                  COMMAND_ERROR_IS_FATAL ANY)
  foreach(part "plat::batch::" "plat::os::IniFile::" "plat::os::ResolvePath" "plat::os::DriveRoot"
               "plat::os::TFolder::")
    string(FIND "${symbols}" "${part}" at)
    if(NOT at EQUAL -1)
      list(APPEND faults "libvek_platform.a defines ${part}, which belongs to the program")
    endif()
  endforeach()
endif()
file(GLOB archives RELATIVE ${prefix} ${prefix}/lib*/*.a)
foreach(archive IN LISTS archives)
  if(NOT archive MATCHES "/libvek_(platform|grid_(structure|view|editors|memory))\\.a$")
    list(APPEND faults "not a library of the grid: ${archive}")
  endif()
endforeach()
if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "the installed grid:\n  ${text}")
endif()
list(LENGTH archives archive_count)
message(STATUS "installed: ${header_count} headers, ${archive_count} libraries")

# A program of its own, built by the same compiler with the same flags, finds the package and runs.
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples/consumer -B ${consumer_build} -G ${GENERATOR}
          -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=${BUILD_TYPE} -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
          -DCMAKE_CXX_COMPILER_LAUNCHER=${CXX_COMPILER_LAUNCHER} -DCMAKE_CXX_FLAGS=${CXX_FLAGS}
          -DCMAKE_EXE_LINKER_FLAGS=${EXE_LINKER_FLAGS} -DCMAKE_COMPILE_WARNING_AS_ERROR=${WARNINGS_AS_ERRORS}
  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} --build ${consumer_build} OUTPUT_VARIABLE build_log ERROR_VARIABLE build_log
                RESULT_VARIABLE built)
if(NOT built EQUAL 0)
  message(FATAL_ERROR "examples/consumer does not build against the installed grid:\n${build_log}")
endif()
set(ENV{QT_QPA_PLATFORM} offscreen)
execute_process(COMMAND ${consumer_build}/file_list --check COMMAND_ECHO STDOUT COMMAND_ERROR_IS_FATAL ANY)
