# cmake -DINPUT=program.exe -DOUTPUT=path/tool -P make_tool_copy.cmake
#
# Writes OUTPUT as a copy of INPUT whose first two bytes ("MZ") are replaced by "QV", so the
# copy is not taken for a program until the main program puts "MZ" back. CMake cannot write
# arbitrary bytes itself, so the copy is assembled from a 2-byte head and INPUT read from
# offset 2, joined by `cmake -E cat` (binary-safe).
cmake_minimum_required(VERSION 3.24)
if(NOT INPUT OR NOT OUTPUT)
  message(FATAL_ERROR "make_tool_copy: INPUT and OUTPUT are required")
endif()
file(SIZE "${INPUT}" _size)
if(_size LESS 3)
  message(FATAL_ERROR "make_tool_copy: ${INPUT} is too short")
endif()
set(_head "${OUTPUT}.head")
set(_tail "${OUTPUT}.tail")
file(WRITE "${_head}" "QV")
file(REMOVE "${_tail}")
file(TO_CMAKE_PATH "${INPUT}" _input)
if(_input MATCHES "^/")
  set(_url "file://${_input}")
else()
  set(_url "file:///${_input}")
endif()
file(DOWNLOAD "${_url}" "${_tail}" RANGE_START 2 STATUS _status)
list(GET _status 0 _code)
if(NOT _code EQUAL 0)
  message(FATAL_ERROR "make_tool_copy: cannot read ${INPUT}: ${_status}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E cat "${_head}" "${_tail}"
                OUTPUT_FILE "${OUTPUT}.part" RESULT_VARIABLE _rc)
file(REMOVE "${_head}" "${_tail}")
file(SIZE "${OUTPUT}.part" _out_size)
if(NOT _rc EQUAL 0 OR NOT _out_size EQUAL _size)
  file(REMOVE "${OUTPUT}.part")
  message(FATAL_ERROR "make_tool_copy: assembling ${OUTPUT} failed")
endif()
file(RENAME "${OUTPUT}.part" "${OUTPUT}")
