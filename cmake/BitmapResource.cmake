# cmake -DNAME=... -DINPUT=picture.txt -DOUTPUT=resource.cpp [-DKIND=icon] -P BitmapResource.cmake
# Writes a C++ source that holds the picture of INPUT (see VarnResources.cmake) as a BMP
# file image with 4 bits per pixel and registers it as resource NAME of its module. With
# KIND icon, the image is an icon file holding one icon of the picture, 16 colours, whose
# magenta pixels are transparent.
cmake_minimum_required(VERSION 3.25)

if(NOT DEFINED KIND)
  set(KIND bitmap)
endif()
if(NOT KIND MATCHES "^(bitmap|icon)$")
  message(FATAL_ERROR "KIND must be bitmap or icon, not ${KIND}")
endif()

# The standard 16-colour palette as blue, green, red (the order of a BMP palette entry).
set(palette
  "00 00 00" "00 00 80" "00 80 00" "00 80 80" "80 00 00" "80 00 80" "80 80 00" "C0 C0 C0"
  "80 80 80" "00 00 FF" "00 FF 00" "00 FF FF" "FF 00 00" "FF 00 FF" "FF FF 00" "FF FF FF")

# 1. Read the rows, top row first, and check that they form a rectangle of palette indices.
file(STRINGS ${INPUT} rows)
# Blank lines at the end are not rows.
list(LENGTH rows height)
while(height GREATER 0)
  math(EXPR last "${height} - 1")
  list(GET rows ${last} row)
  string(STRIP "${row}" row)
  if(NOT row STREQUAL "")
    break()
  endif()
  list(REMOVE_AT rows ${last})
  set(height ${last})
endwhile()
if(height EQUAL 0)
  message(FATAL_ERROR "${INPUT}: no pixel rows")
endif()
set(width -1)
set(line 0)
foreach(row IN LISTS rows)
  math(EXPR line "${line} + 1")
  string(STRIP "${row}" row)
  if(NOT row MATCHES "^[0-9A-Fa-f]+$")
    message(FATAL_ERROR "${INPUT}:${line}: a row must hold hexadecimal digits only")
  endif()
  string(LENGTH "${row}" length)
  if(width EQUAL -1)
    set(width ${length})
  elseif(NOT length EQUAL width)
    message(FATAL_ERROR "${INPUT}:${line}: ${length} pixels where the first row has ${width}")
  endif()
endforeach()

# 2. The bytes of the file image, as hexadecimal pairs.
set(bytes "")
function(append_le VALUE COUNT)
  set(out "${bytes}")
  foreach(i RANGE 1 ${COUNT})
    math(EXPR byte "${VALUE} & 255" OUTPUT_FORMAT HEXADECIMAL)
    string(SUBSTRING "${byte}" 2 -1 byte)
    string(TOUPPER "${byte}" byte)
    string(LENGTH "${byte}" n)
    if(n EQUAL 1)
      set(byte "0${byte}")
    endif()
    list(APPEND out ${byte})
    math(EXPR VALUE "${VALUE} >> 8")
  endforeach()
  set(bytes "${out}" PARENT_SCOPE)
endfunction()

math(EXPR row_size "((${width} * 4 + 31) / 32) * 4")
math(EXPR image_size "${row_size} * ${height}")
math(EXPR pixel_offset "14 + 40 + 16 * 4")
math(EXPR file_size "${pixel_offset} + ${image_size}")
# An icon's transparency mask: one bit per pixel, each row padded to four bytes.
math(EXPR mask_row_size "((${width} + 31) / 32) * 4")
math(EXPR mask_size "${mask_row_size} * ${height}")

if(KIND STREQUAL "bitmap")
  # BITMAPFILEHEADER: "BM", file size, two reserved words, offset of the pixels.
  list(APPEND bytes 42 4D)
  append_le(${file_size} 4)
  append_le(0 4)
  append_le(${pixel_offset} 4)
  set(header_height ${height})
else()
  if(width GREATER 255 OR height GREATER 255)
    message(FATAL_ERROR "${INPUT}: an icon is at most 255 pixels wide and high")
  endif()
  # The icon directory with one entry: width, height, 16 colours, one plane, 4 bits per
  # pixel, the size of the image and its offset (after the 6 + 16 bytes of the directory).
  append_le(0 2)
  append_le(1 2)
  append_le(1 2)
  append_le(${width} 1)
  append_le(${height} 1)
  append_le(16 1)
  append_le(0 1)
  append_le(1 2)
  append_le(4 2)
  math(EXPR icon_size "40 + 16 * 4 + ${image_size} + ${mask_size}")
  append_le(${icon_size} 4)
  append_le(22 4)
  # The image's header counts the colour rows and the mask rows together.
  math(EXPR header_height "${height} * 2")
  math(EXPR image_size "${image_size} + ${mask_size}")
endif()
# BITMAPINFOHEADER: size, width, height (positive: bottom-up rows), one plane, 4 bits per
# pixel, no compression, image size, resolution unknown, 16 colours used, all important.
append_le(40 4)
append_le(${width} 4)
append_le(${header_height} 4)
append_le(1 2)
append_le(4 2)
append_le(0 4)
append_le(${image_size} 4)
append_le(0 4)
append_le(0 4)
append_le(16 4)
append_le(0 4)
foreach(colour IN LISTS palette)
  string(REPLACE " " ";" colour "${colour}")
  list(APPEND bytes ${colour} 00)
endforeach()

# The pixels, bottom row first, two per byte with the left one in the high half, each row
# padded with zeros to a multiple of four bytes.
math(EXPR last "${height} - 1")
math(EXPR padding "${row_size} - (${width} + 1) / 2")
foreach(index RANGE ${last} 0 -1)
  list(GET rows ${index} row)
  string(STRIP "${row}" row)
  string(TOUPPER "${row}" row)
  if(KIND STREQUAL "icon")
    # A transparent pixel is black in the colour rows; the mask makes it transparent.
    string(REPLACE "D" "0" row "${row}")
  endif()
  math(EXPR odd "${width} % 2")
  if(odd)
    string(APPEND row "0")
  endif()
  string(LENGTH "${row}" length)
  math(EXPR stop "${length} - 2")
  foreach(position RANGE 0 ${stop} 2)
    string(SUBSTRING "${row}" ${position} 2 pair)
    list(APPEND bytes ${pair})
  endforeach()
  if(padding GREATER 0)
    foreach(i RANGE 1 ${padding})
      list(APPEND bytes 00)
    endforeach()
  endif()
endforeach()

# An icon's mask, bottom row first: bit 1 (the high bit first) for a magenta pixel.
if(KIND STREQUAL "icon")
  foreach(index RANGE ${last} 0 -1)
    list(GET rows ${index} row)
    string(STRIP "${row}" row)
    string(TOUPPER "${row}" row)
    math(EXPR stop "${mask_row_size} * 8 - 1")
    set(byte 0)
    foreach(x RANGE 0 ${stop})
      set(bit 0)
      if(x LESS width)
        string(SUBSTRING "${row}" ${x} 1 pixel)
        if(pixel STREQUAL "D")
          set(bit 1)
        endif()
      endif()
      math(EXPR byte "(${byte} << 1) | ${bit}")
      math(EXPR in_byte "${x} % 8")
      if(in_byte EQUAL 7)
        append_le(${byte} 1)
        set(byte 0)
      endif()
    endforeach()
  endforeach()
endif()

# 3. The C++ source: the bytes, twelve to a line, and the registrar.
set(array "")
set(column 0)
foreach(byte IN LISTS bytes)
  if(column EQUAL 0)
    string(APPEND array "\n   ")
  endif()
  string(APPEND array " 0x${byte},")
  math(EXPR column "(${column} + 1) % 12")
endforeach()

get_filename_component(source_name ${INPUT} NAME)
if(KIND STREQUAL "icon")
  set(kind_title "Icon")
else()
  set(kind_title "Bitmap")
endif()
file(WRITE ${OUTPUT}.new
"// ${kind_title} resource ${NAME}, made from ${source_name} at build time; not to be edited.
#include \"platform/Resources.h\"

namespace {

const unsigned char Image[] = {${array}
};

const platform::TResourceRegistrar Registrar(\"${NAME}\", Image, sizeof Image);

}  // namespace
")
file(RENAME ${OUTPUT}.new ${OUTPUT})
