# SQLite and TinyXML are cross-built from Debian's source packages by
# scripts/setup.sh into the dependency cache; GoogleTest from Debian's sources.
# One folder per target triplet, so both architectures' builds share one cache.
set(DODAVOZI_DEPS_ROOT "$ENV{DODAVOZI_DEPS_DIR}")
if(NOT DODAVOZI_DEPS_ROOT)
  set(DODAVOZI_DEPS_ROOT ${CMAKE_SOURCE_DIR}/.cache/deps)
endif()
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(DODAVOZI_DEPS_DIR ${DODAVOZI_DEPS_ROOT}/x86_64-w64-mingw32)
else()
  set(DODAVOZI_DEPS_DIR ${DODAVOZI_DEPS_ROOT}/i686-w64-mingw32)
endif()
if(NOT EXISTS ${DODAVOZI_DEPS_DIR}/lib/libsqlite3.a OR NOT EXISTS ${DODAVOZI_DEPS_DIR}/lib/libtinyxml.a)
  message(FATAL_ERROR "Dependencies missing in ${DODAVOZI_DEPS_DIR}: run scripts/setup.sh")
endif()

add_library(sqlite3 STATIC IMPORTED GLOBAL)
set_target_properties(sqlite3 PROPERTIES
  IMPORTED_LOCATION ${DODAVOZI_DEPS_DIR}/lib/libsqlite3.a
  INTERFACE_INCLUDE_DIRECTORIES ${DODAVOZI_DEPS_DIR}/include)

add_library(tinyxml STATIC IMPORTED GLOBAL)
set_target_properties(tinyxml PROPERTIES
  IMPORTED_LOCATION ${DODAVOZI_DEPS_DIR}/lib/libtinyxml.a
  INTERFACE_INCLUDE_DIRECTORIES ${DODAVOZI_DEPS_DIR}/include)

option(DODAVOZI_BUILD_TESTS "Build the test executables" ON)
if(DODAVOZI_BUILD_TESTS)
  set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources (Debian package googletest)")
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(t gtest gtest_main gmock gmock_main)
    if(TARGET ${t})
      set_target_properties(${t} PROPERTIES ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
      target_compile_options(${t} PRIVATE -w)
    endif()
  endforeach()
endif()
