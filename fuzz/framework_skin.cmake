# Any bytes as a skin archive: its directory, its entries and the layouts built from them.
qv_fuzz_target(framework_skin SOURCE "${CMAKE_CURRENT_LIST_DIR}/framework_skin.cpp"
               LIBS qv::framework)
