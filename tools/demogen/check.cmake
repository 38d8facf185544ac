# Generates the demo's content twice and checks that both runs give the same bytes as the files
# in data/ (-DDATA=<that folder>), that every
# scene and the floor load through the default resource proxy with their texture (scenecheck,
# run with -DSCENECHECK=<its binary>), and that a wrong command line is refused.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/first" "${WORK}/second")

include("${CMAKE_CURRENT_LIST_DIR}/../ToolCheck.cmake")

run(2)
run(2 pictures "${WORK}/first")
run(0 all "${WORK}/first")
run(0 all "${WORK}/second")

file(GLOB written RELATIVE "${WORK}/first" "${WORK}/first/*")
list(SORT written)
set(expected floor.dae music.ogg texture.png)
foreach(i RANGE 0 14)
    string(LENGTH "${i}" digits)
    if(digits EQUAL 1)
        set(i "0${i}")
    endif()
    list(APPEND expected "scene${i}.dae")
endforeach()
list(SORT expected)
expect("${written}" "${expected}")

foreach(name IN LISTS written)
    file(SHA256 "${WORK}/first/${name}" first)
    file(SHA256 "${WORK}/second/${name}" second)
    file(SHA256 "${DATA}/${name}" committed)
    if(NOT first STREQUAL second)
        message(FATAL_ERROR "${name} differs between two runs")
    endif()
    if(NOT first STREQUAL committed)
        message(FATAL_ERROR "data/${name} is not what the generator writes: run demogen all data")
    endif()
endforeach()

set(TOOL "${SCENECHECK}")
set(WORK "${WORK}/first")
foreach(name IN LISTS written)
    if(name MATCHES "\\.dae$")
        run(0 "${name}")
        expect_match("${out}" "^nodes [0-9]+\ngeometries [0-9]+\ntriangles [0-9]+\nmaterials [1-9]")
        # A hint would mean the texture was skipped.
        if(out MATCHES "Hint:")
            message(FATAL_ERROR "${name}: ${out}")
        endif()
    endif()
endforeach()
