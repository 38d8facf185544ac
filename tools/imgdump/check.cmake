# Dumps a small Radiance file written here (its header is text and its flat pixels printable
# bytes), by name and by path, then refuses a text file, a missing file and a wrong command
# line.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
# 3 by 2, narrower than 8 so its scanlines are flat: four bytes a pixel, the top row first.
file(WRITE "${WORK}/sky.hdr" "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 2 +X 3\nABC@DEF@GHI@JKL@MNO@PQR@")
file(WRITE "${WORK}/notes.txt" "not an image\n")

include("${CMAKE_CURRENT_LIST_DIR}/../ToolCheck.cmake")

set(sky "3 2\n414243404445464047484940\n4a4b4c404d4e4f4050515240\n")
run(0 sky.hdr)
expect("${out}" "${sky}")
expect("${err}" "")
run(0 "${WORK}/sky.hdr")
expect("${out}" "${sky}")

run(1 notes.txt)
expect("${out}" "")
expect("${err}" [[
Descriptor 'notes.txt' could not be converted to an object: 
HDRLoader: Not a valid #?RADIANCE HDR file
TGALoader: Not a TGA file
PNGLoader: Not a PNG file
JPEGLoader: Not a JPG file
]])
run(1 missing.png)
string(FIND "${err}" "HDRLoader: Descriptor 'missing.png' could not be converted" found)
if(found EQUAL -1)
    message(FATAL_ERROR "no report for a missing file:\n${err}")
endif()
run(2)
