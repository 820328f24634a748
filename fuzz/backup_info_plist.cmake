# Info.plist text through the line reader and the key rules (dates included).
qv_fuzz_target(backup_info_plist SOURCE "${CMAKE_CURRENT_LIST_DIR}/backup_info_plist.cpp"
               LIBS qv::backup)
