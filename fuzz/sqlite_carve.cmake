# The carving passes on a single page image, as a leaf page and as a freelist trunk page.
qv_fuzz_target(sqlite_carve SOURCE "${CMAKE_CURRENT_LIST_DIR}/sqlite_carve.cpp" LIBS qv::db)
