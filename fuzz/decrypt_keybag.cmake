# BackupKeyBag bytes through the decryption tool's keybag parser.
qv_fuzz_target(decrypt_keybag SOURCE "${CMAKE_CURRENT_LIST_DIR}/decrypt_keybag.cpp" LIBS qv::decrypt_core)
