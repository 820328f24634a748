# Any bytes as a layout file, and its attribute values through the value parsers.
qv_fuzz_target(framework_markup SOURCE "${CMAKE_CURRENT_LIST_DIR}/framework_markup.cpp"
               LIBS qv::framework)
