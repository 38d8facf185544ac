# demosync writes the same project as the one in data/sync/ (-DDATA=<that folder>), and refuses
# a wrong command line.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/project")
include("${CMAKE_CURRENT_LIST_DIR}/../ToolCheck.cmake")

run(2)
run(0 "${WORK}/project")
file(GLOB written RELATIVE "${WORK}/project" "${WORK}/project/*")
list(SORT written)
expect("${written}" "gui_layout.xml;syncdata.bin")
foreach(name IN LISTS written)
    file(SHA256 "${WORK}/project/${name}" made)
    file(SHA256 "${DATA}/${name}" committed)
    if(NOT made STREQUAL committed)
        message(FATAL_ERROR "data/sync/${name} is not what demosync writes: run demosync data/sync")
    endif()
endforeach()
