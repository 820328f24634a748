# cmake -P SkinSheet.cmake: composes one sprite sheet at 1x and 2x.
#   ART_DIR   skin/art        SHEET   e.g. Controls.png
#   OUT_DIR   where Controls.png and Controls@2x.png go
#   WORK_DIR  scratch folder for the rendered icons
#   RSVG      rsvg-convert    CONVERT ImageMagick's convert
# Every icon is rendered from its SVG at the size of its rectangle times the scale, so the 2x
# sheet is drawn anew, never enlarged from the 1x one.
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/SkinTables.cmake")
qv_skin_load("${ART_DIR}")

list(GET QV_SHEET_${SHEET} 0 sheet_w)
list(GET QV_SHEET_${SHEET} 1 sheet_h)
qv_skin_sheet_rows("${SHEET}" sheet_rows)
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}" "${OUT_DIR}")

foreach(scale 1 2)
  math(EXPR cw "${sheet_w} * ${scale}")
  math(EXPR ch "${sheet_h} * ${scale}")
  set(args -size ${cw}x${ch} xc:none)
  foreach(i IN LISTS sheet_rows)
    qv_skin_sprite(${i})
    qv_skin_sprite_at(${scale})
    set(layer 0)
    foreach(source IN LISTS _sources)
      set(png "${WORK_DIR}/${i}-${layer}@${scale}x.png")
      qv_skin_run("${RSVG}" -w ${_sw} -h ${_sh} -o "${png}" "${ART_DIR}/icons/${source}")
      list(APPEND args "${png}" -geometry +${_sx}+${_sy} -composite)
      math(EXPR layer "${layer} + 1")
    endforeach()
  endforeach()
  qv_skin_scaled_file("${SHEET}" ${scale} out)
  # 32-bit RGBA without time stamps: the same sources always give the same bytes.
  qv_skin_run("${CONVERT}" ${args} -strip -define png:exclude-chunks=date,time
              "PNG32:${OUT_DIR}/${out}")
endforeach()
