# Third-party libraries, all from Debian packages. Native builds use the system libraries;
# the mingw builds compile the SQLite amalgamation that scripts/bootstrap generated from
# Debian's source package, and link the static libgcrypt and zlib of the mingw packages.

if(WIN32)
  set(_amalg "${QV_THIRD_PARTY_CACHE}/sqlite")
  if(NOT EXISTS "${_amalg}/sqlite3.c")
    message(FATAL_ERROR "No SQLite amalgamation in ${_amalg}: run scripts/bootstrap first")
  endif()
  # Copied into the build tree so that nothing outside it is compiled in place.
  configure_file("${_amalg}/sqlite3.c" "${CMAKE_BINARY_DIR}/third_party/sqlite/sqlite3.c" COPYONLY)
  configure_file("${_amalg}/sqlite3.h" "${CMAKE_BINARY_DIR}/third_party/sqlite/sqlite3.h" COPYONLY)
  add_library(qv_sqlite3 STATIC "${CMAKE_BINARY_DIR}/third_party/sqlite/sqlite3.c")
  target_include_directories(qv_sqlite3 SYSTEM PUBLIC "${CMAKE_BINARY_DIR}/third_party/sqlite")
  target_compile_definitions(qv_sqlite3 PRIVATE SQLITE_THREADSAFE=1 SQLITE_OMIT_LOAD_EXTENSION)
  add_library(SQLite::SQLite3 ALIAS qv_sqlite3)

  add_library(qv_gcrypt INTERFACE)
  target_link_libraries(qv_gcrypt INTERFACE gcrypt gpg-error ws2_32)
  add_library(qv::gcrypt ALIAS qv_gcrypt)

  add_library(qv_zlib INTERFACE)
  target_link_libraries(qv_zlib INTERFACE z)
  add_library(ZLIB::ZLIB ALIAS qv_zlib)
else()
  find_package(SQLite3 REQUIRED)
  find_package(ZLIB REQUIRED)
  find_library(GCRYPT_LIBRARY gcrypt REQUIRED)
  find_library(GPG_ERROR_LIBRARY gpg-error REQUIRED)
  add_library(qv_gcrypt INTERFACE)
  target_link_libraries(qv_gcrypt INTERFACE ${GCRYPT_LIBRARY} ${GPG_ERROR_LIBRARY})
  add_library(qv::gcrypt ALIAS qv_gcrypt)
endif()
