# Manifest.mbdb bytes through the decryption tool's own record reader.
qv_fuzz_target(decrypt_mbdb SOURCE "${CMAKE_CURRENT_LIST_DIR}/decrypt_mbdb.cpp" LIBS qv::decrypt_core)
