# cmake -P SkinPreview.cmake: pictures for looking at the skin's images, not shipped.
#   ART_DIR  skin/art   IMAGES_DIR  the folder qv_skin_images fills   OUT_DIR  where they go
#   CONVERT, MONTAGE    ImageMagick's convert and montage
# Writes, for each sheet, the sheet at 1x and 2x with every rectangle on the surface it is drawn
# on; a contact sheet per sheet showing each icon enlarged (1x four times, 2x twice, side by side)
# with its rectangle, state and source; and each animation's frames side by side.
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/SkinTables.cmake")

qv_skin_load("${ART_DIR}")
qv_skin_check_tables("${ART_DIR}")

set(page "#9AA5B1")
set(surface_light "#FFFFFF")
set(surface_dark "#1E2A38")
set(work "${OUT_DIR}/work")
file(REMOVE_RECURSE "${work}")
file(MAKE_DIRECTORY "${work}")

qv_skin_indices(${QV_SPRITE_COUNT} rows)
foreach(sheet IN LISTS QV_SHEETS)
  string(REGEX REPLACE "\\.png$" "" stem "${sheet}")
  list(GET QV_SHEET_${sheet} 0 sheet_w)
  list(GET QV_SHEET_${sheet} 1 sheet_h)
  foreach(scale 1 2)
    if(scale EQUAL 1)
      set(file "${IMAGES_DIR}/${sheet}")
    else()
      set(file "${IMAGES_DIR}/${stem}@2x.png")
    endif()
    math(EXPR cw "${sheet_w} * ${scale}")
    math(EXPR ch "${sheet_h} * ${scale}")
    set(args -size ${cw}x${ch} "xc:${page}")
    foreach(i IN LISTS rows)
      qv_skin_sprite(${i})
      if(NOT _sheet STREQUAL sheet)
        continue()
      endif()
      math(EXPR x "${_l} * ${scale}")
      math(EXPR y "${_t} * ${scale}")
      math(EXPR x2 "(${_r} * ${scale}) - 1")
      math(EXPR y2 "(${_b} * ${scale}) - 1")
      list(APPEND args -fill "${surface_${_surface}}" -draw "rectangle ${x},${y} ${x2},${y2}")
    endforeach()
    qv_skin_run("${CONVERT}" ${args} "${file}" -composite "${OUT_DIR}/${stem}-${scale}x.png")
  endforeach()

  # Contact sheet: one tile per rectangle.
  set(tiles "")
  foreach(i IN LISTS rows)
    qv_skin_sprite(${i})
    if(NOT _sheet STREQUAL sheet)
      continue()
    endif()
    math(EXPR x2 "${_l} * 2")
    math(EXPR y2 "${_t} * 2")
    math(EXPR w2 "${_w} * 2")
    math(EXPR h2 "${_h} * 2")
    set(bg "${surface_${_surface}}")
    set(tile "${work}/${stem}-${i}.png")
    list(JOIN _sources "+" sources)
    string(REPLACE ".svg" "" sources "${sources}")
    qv_skin_run("${CONVERT}" -background "${bg}"
      "(" "${IMAGES_DIR}/${sheet}" -crop ${_w}x${_h}+${_l}+${_t} +repage -filter point
          -scale 400% -flatten ")"
      "(" "${IMAGES_DIR}/${stem}@2x.png" -crop ${w2}x${h2}+${x2}+${y2} +repage -filter point
          -scale 200% -flatten ")"
      -bordercolor "${bg}" -border 6 +append
      "(" -background "${page}" -fill black -font DejaVu-Sans -pointsize 11
          "label:${_l},${_t},${_r},${_b} ${_state}\n${sources}" ")"
      -gravity center -background "${page}" -append "${tile}")
    list(APPEND tiles "${tile}")
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
    if(scale EQUAL 1)
      set(file "${IMAGES_DIR}/${anim}")
    else()
      set(file "${IMAGES_DIR}/${stem}@2x.gif")
    endif()
    math(EXPR zoom "200 / ${scale}")
    qv_skin_run("${CONVERT}" "${file}" -coalesce -filter point -scale ${zoom}%
                -bordercolor "${page}" -border 4 +append "${OUT_DIR}/frames-${stem}-${scale}x.png")
  endforeach()
endforeach()
file(REMOVE_RECURSE "${work}")
