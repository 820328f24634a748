# Manifest.mbdb bytes through the manifest reader.
qv_fuzz_target(backup_mbdb SOURCE "${CMAKE_CURRENT_LIST_DIR}/backup_mbdb.cpp" LIBS qv::backup)
