# pugixml, the XML library of the data packet engine, as the target bramolt::pugixml.
# Natively it is Debian's libpugixml-dev. Debian has no MinGW build of it, so the cross
# build compiles Debian's own source package, which scripts/fetch-deb-source unpacks under
# build/ when the configure step finds it missing.

if(NOT CMAKE_CROSSCOMPILING)
  find_package(pugixml 1.13 REQUIRED CONFIG)
  add_library(bramolt::pugixml ALIAS pugixml::pugixml)
  return()
endif()

set(BRAMOLT_PUGIXML_SOURCE_DIR "${PROJECT_SOURCE_DIR}/build/deb-src/pugixml" CACHE PATH
    "Unpacked Debian source of pugixml")
if(NOT EXISTS "${BRAMOLT_PUGIXML_SOURCE_DIR}/src/pugixml.cpp")
  execute_process(
    COMMAND "${PROJECT_SOURCE_DIR}/scripts/fetch-deb-source" pugixml "${BRAMOLT_PUGIXML_SOURCE_DIR}"
    RESULT_VARIABLE fetch_result)
  if(NOT fetch_result EQUAL 0 OR NOT EXISTS "${BRAMOLT_PUGIXML_SOURCE_DIR}/src/pugixml.cpp")
    message(FATAL_ERROR "Debian's source of pugixml could not be fetched (see above).")
  endif()
endif()

add_library(bramolt_pugixml STATIC "${BRAMOLT_PUGIXML_SOURCE_DIR}/src/pugixml.cpp")
target_include_directories(bramolt_pugixml SYSTEM PUBLIC "${BRAMOLT_PUGIXML_SOURCE_DIR}/src")
add_library(bramolt::pugixml ALIAS bramolt_pugixml)
