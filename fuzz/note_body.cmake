# Read any bytes as a protocol buffer and as a compressed note body.
qv_fuzz_target(note_body SOURCE "${CMAKE_CURRENT_LIST_DIR}/note_body.cpp" LIBS qv::db)
