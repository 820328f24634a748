# Open any bytes as a database and scan every table of its schema, live, freelist and carved.
qv_fuzz_target(sqlite_open SOURCE "${CMAKE_CURRENT_LIST_DIR}/sqlite_open.cpp" LIBS qv::db)
