# Converts a small OBJ model written here, then checks what `ngmtool info` says about the file
# and that a file which is not NGM is refused.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
# A unit quad facing +z (a polygon of four corners) and a triangle of its back, as two objects
# sharing positions, texture coordinates and one normal.
file(WRITE "${WORK}/card.obj" [[
o front
v 0 0 0
v 1 0 0
v 1 1 0
v 0 1 0
vt 0 0
vt 1 0
vt 1 1
vt 0 1
vn 0 0 1
vn 0 0 -1
f 1/1/1 2/2/1 3/3/1 4/4/1
o back
f 1/1/2 3/3/2 2/2/2
]])

include("${CMAKE_CURRENT_LIST_DIR}/../ToolCheck.cmake")

run(0 obj card.obj card.ngm)
expect("${out}" "card.ngm: 7 vertices, 3 triangles in 2 submeshes\n")
run(0 info card.ngm)
expect("${out}" [[
card.ngm: NGM200, 7 vertices, 9 indices of 16 bits
  attribute 0: N_POSITION, 3 x float, from (0, 0, 0) to (1, 1, 0)
  attribute 1: N_NORMAL, 3 x float, from (0, 0, -1) to (0, 0, 1)
  attribute 2: N_TEXCOORD0, 2 x float, from (0, 0) to (1, 1)
  submesh 0: triangles, 6 indices from 0, vertices 0 to 3
  submesh 1: triangles, 3 indices from 6, vertices 4 to 6
]])
run(1 info card.obj)
expect("${err}" "ngmtool: Unsupported Format\n")
run(2 info)
