# Bitmap resources embedded in a library: a picture kept as text in the source tree is
# turned into a BMP file image at build time and compiled into the target, registered
# under its name for platform::FindResource and TBitmap::LoadFromResourceName.
#
#   varn_add_bitmap_resource(TARGET NAME TEXTFILE)
#   varn_add_icon_resource(TARGET NAME TEXTFILE)
#
# TEXTFILE holds one line per pixel row, the top row first; each line has one hexadecimal
# digit per pixel, an index into the standard 16-colour palette:
#   0 black   1 maroon  2 green  3 olive   4 navy  5 purple   6 teal  7 silver
#   8 gray    9 red     A lime   B yellow  C blue  D magenta  E aqua  F white
# The image has 4 bits per pixel; its lower-left pixel is the colour drawn transparent.
# An icon resource is an icon file image with one icon of the picture, 16 colours, whose
# magenta pixels are transparent.
# Call it in the folder that defines TARGET; once this file is included, every folder can.

set(VARN_BITMAP_RESOURCE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/BitmapResource.cmake
    CACHE INTERNAL "The script that turns a picture into a resource source")

function(varn_add_bitmap_resource TARGET NAME TEXTFILE)
  get_filename_component(input ${TEXTFILE} ABSOLUTE)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/resources/${NAME}.cpp)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DNAME=${NAME} -DINPUT=${input} -DOUTPUT=${output}
            -P ${VARN_BITMAP_RESOURCE_SCRIPT}
    DEPENDS ${input} ${VARN_BITMAP_RESOURCE_SCRIPT}
    COMMENT "Bitmap resource ${NAME}"
    VERBATIM)
  target_sources(${TARGET} PRIVATE ${output})
endfunction()

function(varn_add_icon_resource TARGET NAME TEXTFILE)
  get_filename_component(input ${TEXTFILE} ABSOLUTE)
  # Named after the target too: several targets of one folder may carry an icon NAME.
  set(output ${CMAKE_CURRENT_BINARY_DIR}/resources/${TARGET}_${NAME}.cpp)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DNAME=${NAME} -DINPUT=${input} -DOUTPUT=${output} -DKIND=icon
            -P ${VARN_BITMAP_RESOURCE_SCRIPT}
    DEPENDS ${input} ${VARN_BITMAP_RESOURCE_SCRIPT}
    COMMENT "Icon resource ${NAME} of ${TARGET}"
    VERBATIM)
  target_sources(${TARGET} PRIVATE ${output})
endfunction()
