# cmake -P SkinGif.cmake: makes one animated GIF at 1x and 2x from its template and frame table.
#   ART_DIR   skin/art        GIF     e.g. scanning.gif
#   OUT_DIR   where scanning.gif and scanning@2x.gif go
#   WORK_DIR  scratch folder for the frames
#   RSVG      rsvg-convert    CONVERT ImageMagick's convert
# Frames stay whole and opaque (no frame optimisation, no transparency), so a decoder that only
# knows full frames shows them right; each carries its own delay from the table.
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/SkinTables.cmake")
qv_skin_load("${ART_DIR}")

list(GET QV_ANIM_${GIF} 0 width)
list(GET QV_ANIM_${GIF} 1 height)
list(GET QV_ANIM_${GIF} 2 template)
file(READ "${ART_DIR}/${template}" template_text)
qv_skin_frames("${ART_DIR}" "${GIF}")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}" "${OUT_DIR}")

qv_skin_indices(${_frame_count} frames)
foreach(f IN LISTS frames)
  qv_skin_frame_svg("${template_text}" ${f} svg)
  file(WRITE "${WORK_DIR}/frame${f}.svg" "${svg}")
endforeach()

foreach(scale 1 2)
  math(EXPR w "${width} * ${scale}")
  math(EXPR h "${height} * ${scale}")
  set(args "")
  foreach(f IN LISTS frames)
    list(GET _frame_${f} 0 delay_ms)
    math(EXPR delay_cs "${delay_ms} / 10")
    set(png "${WORK_DIR}/frame${f}@${scale}x.png")
    qv_skin_run("${RSVG}" -w ${w} -h ${h} -o "${png}" "${WORK_DIR}/frame${f}.svg")
    list(APPEND args -delay ${delay_cs} "${png}")
  endforeach()
  qv_skin_scaled_file("${GIF}" ${scale} out)
  qv_skin_run("${CONVERT}" -dispose None ${args} -alpha off +dither -loop 0 -strip
              "${OUT_DIR}/${out}")
endforeach()
