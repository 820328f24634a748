# cmake -P SkinIcon.cmake: the window icon, one .ico holding the logo at every size Windows
# shows (16 to 48 for title bars, task bar and lists, 256 for large views), each rendered from
# the SVG at that size.
#   SOURCE  the logo SVG   OUT  the .ico   WORK_DIR  scratch folder
#   RSVG    rsvg-convert   CONVERT  ImageMagick's convert
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/SkinTables.cmake")

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
set(images "")
foreach(size 16 20 24 32 40 48 64 256)
  set(png "${WORK_DIR}/logo-${size}.png")
  qv_skin_run("${RSVG}" -w ${size} -h ${size} -o "${png}" "${SOURCE}")
  list(APPEND images "${png}")
endforeach()
qv_skin_run("${CONVERT}" ${images} "${OUT}")
