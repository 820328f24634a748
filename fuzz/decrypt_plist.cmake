# Manifest.plist bytes (binary or XML) through the decryption tool's plist readers.
qv_fuzz_target(decrypt_plist SOURCE "${CMAKE_CURRENT_LIST_DIR}/decrypt_plist.cpp" LIBS qv::decrypt_core)
