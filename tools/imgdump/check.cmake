# Dumps a small Radiance file written here (its header is text and its flat pixels printable
# bytes), by name and by path, then refuses a text file, a missing file and a wrong command
# line.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
# 3 by 2, narrower than 8 so its scanlines are flat: four bytes a pixel, the top row first.
file(WRITE "${WORK}/sky.hdr" "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 2 +X 3\nABC@DEF@GHI@JKL@MNO@PQR@")
file(WRITE "${WORK}/notes.txt" "not an image\n")

function(run expected_result)
    execute_process(COMMAND "${TOOL}" ${ARGN} WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE result
                    OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT result EQUAL expected_result)
        message(FATAL_ERROR "imgdump ${ARGN} returned ${result}, not ${expected_result}:\n${out}${err}")
    endif()
    set(out "${out}" PARENT_SCOPE)
    set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect actual expected)
    if(NOT actual STREQUAL expected)
        message(FATAL_ERROR "expected:\n${expected}\ngot:\n${actual}")
    endif()
endfunction()

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
