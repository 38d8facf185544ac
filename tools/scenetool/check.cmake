# Converts the small COLLADA scene of SmallScene.cmake and describes both files alike; then
# refuses an input that does not load, leaving no output behind, and a wrong command line.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
include("${CMAKE_CURRENT_LIST_DIR}/../scenefile/SmallScene.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/../ToolCheck.cmake")

set(counts [[
nodes 7
geometries 1
triangles 2
materials 1
controllers 1
lights 1
cameras 1
]])
run(0 info scene.dae)
expect("${out}" "${counts}log: Element ignored: COLLADA/library_geometries/geometry/mesh/lines\n")

run(0 convert scene.dae converted.nsgml)
expect("${out}${err}" "")
file(READ "${WORK}/converted.nsgml" markup)
expect_match("${markup}" "<import desc=\"converted\\.nsg\"")
file(READ "${WORK}/converted.nsg" library HEX LIMIT 6)
expect("${library}" "4e5347323030")  # "NSG200"
# The converted scene has no import log, and one controller more: the animated translation
# (the animated X beside constant Y and Z) is named in the table so the markup can refer to it.
string(REPLACE "controllers 1" "controllers 2" converted_counts "${counts}")
run(0 info converted.nsgml)
expect("${out}" "${converted_counts}")
file(GLOB left "${WORK}/*.tmp")
expect("${left}" "")

# Without an extension, the library takes one of its own; an absolute input path works too.
run(0 convert "${WORK}/scene.dae" plain)
expect_match("${out}${err}" "^$")
run(0 info plain)
expect("${out}" "${converted_counts}")

run(1 convert missing.dae out.nsgml)
expect_match("${err}" "Descriptor 'missing\\.dae' could not be converted")
if(EXISTS "${WORK}/out.nsgml" OR EXISTS "${WORK}/out.nsg")
    message(FATAL_ERROR "a failed conversion left files behind")
endif()
run(1 info missing.nsgml)
run(2)
run(2 convert scene.dae)
run(2 info)
run(2 describe scene.dae)
