# The Windows programs' third-party parts, under the names the Linux build
# finds them by, so that the tools' CMake files are the same on both:
#   nlohmann_json::nlohmann_json  Debian's header-only package, copied into the
#                                 build tree (its folder is /usr/include, which
#                                 a mingw build must not search);
#   PkgConfig::HTTPLIB            cpp-httplib, header-only, and
#   SQLite::SQLite3               SQLite compiled from its amalgamation, both
#                                 made from Debian's source packages by
#                                 scripts/windows-sources (cached per user).
# MERID_WINDOWS_SOURCES_ERROR is set, and these two targets are missing, when
# they cannot be had; then meridd.exe is not built and the reason is shown.

find_file(MERID_NLOHMANN_JSON_HPP nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(MERID_NLOHMANN_JSON_HPP)
  get_filename_component(nlohmann_folder ${MERID_NLOHMANN_JSON_HPP} DIRECTORY)
  file(COPY ${nlohmann_folder} DESTINATION ${CMAKE_BINARY_DIR}/third_party/include)
  add_library(merid_nlohmann_json INTERFACE)
  target_include_directories(merid_nlohmann_json SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/third_party/include)
  add_library(nlohmann_json::nlohmann_json ALIAS merid_nlohmann_json)
else()
  message(FATAL_ERROR "nlohmann/json.hpp not found: install nlohmann-json3-dev")
endif()

set(MERID_WINDOWS_SOURCES "" CACHE PATH "Where scripts/windows-sources keeps SQLite and cpp-httplib (empty: its per-user cache)")
set(MERID_WINDOWS_SOURCES_ERROR "")
set(folder_argument)
if(MERID_WINDOWS_SOURCES)
  set(folder_argument ${MERID_WINDOWS_SOURCES})
endif()
execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/windows-sources ${folder_argument}
  RESULT_VARIABLE sources_status ERROR_VARIABLE sources_said OUTPUT_VARIABLE sources_folder
  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_STRIP_TRAILING_WHITESPACE)
if(NOT sources_status EQUAL 0)
  set(MERID_WINDOWS_SOURCES_ERROR "SQLite and cpp-httplib from Debian's source packages: ${sources_said}")
  return()
endif()

add_library(merid_sqlite3 STATIC ${sources_folder}/sqlite/sqlite3.c)
target_include_directories(merid_sqlite3 SYSTEM PUBLIC ${sources_folder}/sqlite)
# No loadable extensions: the service never loads one, and it keeps the
# program free of LoadLibrary calls on names from outside.
target_compile_definitions(merid_sqlite3 PRIVATE SQLITE_OMIT_LOAD_EXTENSION SQLITE_THREADSAFE=1)
set_target_properties(merid_sqlite3 PROPERTIES POSITION_INDEPENDENT_CODE OFF)
add_library(SQLite::SQLite3 ALIAS merid_sqlite3)

add_library(merid_httplib INTERFACE)
target_include_directories(merid_httplib SYSTEM INTERFACE ${sources_folder}/httplib)
target_link_libraries(merid_httplib INTERFACE ws2_32)
add_library(PkgConfig::HTTPLIB ALIAS merid_httplib)
