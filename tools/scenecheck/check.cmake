# Loads the small COLLADA scene of SmallScene.cmake, then refuses a broken one, a missing one
# and a wrong command line.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
include("${CMAKE_CURRENT_LIST_DIR}/../scenefile/SmallScene.cmake")
file(WRITE "${WORK}/broken.dae" [[<?xml version="1.0"?>
<COLLADA version="1.4.1"><library_visual_scenes><visual_scene id="main"><node><lookat>0 0 0 1 1 1 0 0 1</lookat>
</node></visual_scene></library_visual_scenes></COLLADA>
]])

include("${CMAKE_CURRENT_LIST_DIR}/../ToolCheck.cmake")

# The tree: the scene's name node; the camera and light nodes; the triangle's name,
# translation, material and geometry nodes.
set(counts [[
nodes 7
geometries 1
triangles 2
materials 1
controllers 1
lights 1
cameras 1
log: Element ignored: COLLADA/library_geometries/geometry/mesh/lines
]])
run(0 scene.dae)
expect("${out}" "${counts}")
run(0 "${WORK}/scene.dae")
expect("${out}" "${counts}")

run(1 broken.dae)
expect("${out}" "")
expect_match("${err}" "COLLADALoader: Error: Unsupported transform type: lookat\\. In COLLADA/library_visual_scenes/visual_scene/node/lookat\n")
run(1 missing.dae)
expect_match("${err}" "Descriptor 'missing\\.dae' could not be converted")
run(2)
