# Open a database together with a write-ahead log, both from arbitrary bytes, and scan it.
qv_fuzz_target(sqlite_wal SOURCE "${CMAKE_CURRENT_LIST_DIR}/sqlite_wal.cpp" LIBS qv::db)
