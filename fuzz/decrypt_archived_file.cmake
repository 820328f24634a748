# The `file` column of Manifest.db (a keyed archive in a binary plist) through the tool's reader.
qv_fuzz_target(decrypt_archived_file SOURCE "${CMAKE_CURRENT_LIST_DIR}/decrypt_archived_file.cpp"
               LIBS qv::decrypt_core)
