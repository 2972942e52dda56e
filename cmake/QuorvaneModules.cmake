# qv_module(NAME SOURCES ... DEPS ...): one static library per module folder.
function(qv_module name)
  cmake_parse_arguments(M "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${M_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
  if(M_DEPS)
    target_link_libraries(${name} PUBLIC ${M_DEPS})
  endif()
endfunction()

# qv_unit_tests(FILES ...): unit tests that run on the host build, collected into one binary.
function(qv_unit_tests)
  foreach(f ${ARGN})
    get_filename_component(abs ${f} ABSOLUTE)
    set_property(GLOBAL APPEND PROPERTY QV_UNIT_TEST_SOURCES ${abs})
  endforeach()
endfunction()

# qv_windows_tests(FILES ...): tests of the real Windows paths, run under wine64.
function(qv_windows_tests)
  foreach(f ${ARGN})
    get_filename_component(abs ${f} ABSOLUTE)
    set_property(GLOBAL APPEND PROPERTY QV_WINDOWS_TEST_SOURCES ${abs})
  endforeach()
endfunction()
