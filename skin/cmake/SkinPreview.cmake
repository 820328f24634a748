# cmake -P SkinPreview.cmake: pictures for looking at the skin's images, not shipped.
#   ART_DIR  skin/art   IMAGES_DIR  the folder qv_skin_images fills   OUT_DIR  where they go
#   CONVERT, MONTAGE    ImageMagick's convert and montage
# Writes, for each sheet, the sheet at 1x and 2x with every rectangle on the surface it is drawn
# on; a contact sheet per sheet showing each icon enlarged (1x four times, 2x twice, side by side)
# with its rectangle, state and source; and each animation's frames side by side.
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/SkinTables.cmake")
qv_skin_load("${ART_DIR}")

set(page "#9AA5B1")
set(surface_light "#FFFFFF")
set(surface_dark "#1E2A38")
set(work "${OUT_DIR}/work")
file(REMOVE_RECURSE "${work}")
file(MAKE_DIRECTORY "${work}")

foreach(sheet IN LISTS QV_SHEETS)
  string(REGEX REPLACE "\\.png$" "" stem "${sheet}")
  list(GET QV_SHEET_${sheet} 0 sheet_w)
  list(GET QV_SHEET_${sheet} 1 sheet_h)
  qv_skin_sheet_rows("${sheet}" sheet_rows)
  qv_skin_scaled_file("${sheet}" 2 sheet2)
  set(tiles "")
  foreach(scale 1 2)
    math(EXPR cw "${sheet_w} * ${scale}")
    math(EXPR ch "${sheet_h} * ${scale}")
    set(args -size ${cw}x${ch} "xc:${page}")
    foreach(i IN LISTS sheet_rows)
      qv_skin_sprite(${i})
      qv_skin_sprite_at(${scale})
      set(bg "${surface_${_surface}}")
      list(APPEND args -fill "${bg}" -draw "rectangle ${_sx},${_sy} ${_sx2},${_sy2}")
      if(scale EQUAL 1)
        continue()
      endif()
      # Contact sheet tile: the 1x icon enlarged four times beside the 2x one enlarged twice.
      set(tile "${work}/${stem}-${i}.png")
      list(JOIN _sources "+" sources)
      string(REPLACE ".svg" "" sources "${sources}")
      qv_skin_run("${CONVERT}" -background "${bg}"
        "(" "${IMAGES_DIR}/${sheet}" -crop ${_w}x${_h}+${_l}+${_t} +repage -filter point
            -scale 400% -flatten ")"
        "(" "${IMAGES_DIR}/${sheet2}" -crop ${_sw}x${_sh}+${_sx}+${_sy} +repage -filter point
            -scale 200% -flatten ")"
        -bordercolor "${bg}" -border 6 +append
        "(" -background "${page}" -fill black -font DejaVu-Sans -pointsize 11
            "label:${_l},${_t},${_r},${_b} ${_state}\n${sources}" ")"
        -gravity center -background "${page}" -append "${tile}")
      list(APPEND tiles "${tile}")
    endforeach()
    qv_skin_scaled_file("${sheet}" ${scale} file)
    qv_skin_run("${CONVERT}" ${args} "${IMAGES_DIR}/${file}" -composite
                "${OUT_DIR}/${stem}-${scale}x.png")
  endforeach()
  list(LENGTH tiles columns)
  if(columns GREATER 6)
    set(columns 6)
  endif()
  qv_skin_run("${MONTAGE}" -background "${page}" ${tiles}
              -tile ${columns}x -geometry +6+6 "${OUT_DIR}/contact-${stem}.png")
endforeach()

foreach(anim IN LISTS QV_ANIMS)
  string(REGEX REPLACE "\\.gif$" "" stem "${anim}")
  foreach(scale 1 2)
    qv_skin_scaled_file("${anim}" ${scale} file)
    math(EXPR zoom "200 / ${scale}")
    qv_skin_run("${CONVERT}" "${IMAGES_DIR}/${file}" -coalesce -filter point -scale ${zoom}%
                -bordercolor "${page}" -border 4 +append "${OUT_DIR}/frames-${stem}-${scale}x.png")
  endforeach()
endforeach()
file(REMOVE_RECURSE "${work}")
