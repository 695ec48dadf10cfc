# Test and benchmark helpers shared by every subsystem's test folder.

if(BRAMOLT_TESTS)
  if(CMAKE_CROSSCOMPILING)
    # No MinGW package of GoogleTest exists: build it from the sources Debian ships.
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  else()
    find_package(GTest REQUIRED)
  endif()
endif()

# add_bramolt_test(<name> SOURCES <files...> [LIBS <targets...>])
# One executable per component, registered with CTest. In the cross build the
# program runs under Wine and needs the private prefix made by `wine_prefix`.
function(add_bramolt_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LIBS")
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} GTest::gtest_main bramolt_warnings)
  # Helpers every test folder shares, such as TestFolder.h.
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  if(CMAKE_CROSSCOMPILING)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_prefix TIMEOUT 600)
  endif()
endfunction()

# add_bramolt_benchmark(<name> SOURCES <files...> [LIBS <targets...>])
function(add_bramolt_benchmark name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LIBS")
  find_package(benchmark REQUIRED)
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} benchmark::benchmark bramolt_warnings)
  target_compile_options(${name} PRIVATE -O2)
endfunction()
