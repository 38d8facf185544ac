# Converts a small COLLADA file written here (a lit triangle moved by an animation, seen by a
# camera, with a line set the importer skips) and describes both files alike; then refuses an
# input that does not load, leaving no output behind, and a wrong command line.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(WRITE "${WORK}/scene.dae" [[<?xml version="1.0"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
<library_animations><animation>
<source id="in"><float_array id="in-a" count="2">0 1</float_array>
<technique_common><accessor source="#in-a" count="2"/></technique_common></source>
<source id="out"><float_array id="out-a" count="2">0 5</float_array>
<technique_common><accessor source="#out-a" count="2"/></technique_common></source>
<source id="ip"><Name_array id="ip-a" count="1">LINEAR</Name_array></source>
<sampler id="move"><input semantic="INPUT" source="#in"/><input semantic="OUTPUT" source="#out"/>
<input semantic="INTERPOLATION" source="#ip"/></sampler>
<channel source="#move" target="tri-node/t.X"/></animation></library_animations>
<library_cameras><camera id="cam"><optics><technique_common><perspective><xfov>45</xfov>
</perspective></technique_common></optics></camera></library_cameras>
<library_lights><light id="sun"><technique_common><directional><color>1 1 1</color></directional>
</technique_common></light></library_lights>
<library_effects><effect id="red"><profile_COMMON><technique sid="t"><lambert><diffuse>
<color>1 0 0 1</color></diffuse></lambert></technique></profile_COMMON></effect></library_effects>
<library_materials><material id="red-m"><instance_effect url="#red"/></material></library_materials>
<library_geometries><geometry id="tri"><mesh>
<source id="pos"><float_array id="pos-a" count="12">0 0 0 1 0 0 0 1 0 1 1 0</float_array>
<technique_common><accessor source="#pos-a" count="4" stride="3"/></technique_common></source>
<vertices id="v"><input semantic="POSITION" source="#pos"/></vertices>
<lines count="1"><input semantic="VERTEX" source="#v" offset="0"/><p>0 1</p></lines>
<polylist count="1"><input semantic="VERTEX" source="#v" offset="0"/><vcount>4</vcount><p>0 1 3 2</p></polylist>
</mesh></geometry></library_geometries>
<library_visual_scenes><visual_scene id="main">
<node id="eye"><instance_camera url="#cam"/></node>
<node id="light"><instance_light url="#sun"/></node>
<node id="tri-node" name="triangle"><translate sid="t">0 0 0</translate>
<instance_geometry url="#tri"><bind_material><technique_common>
<instance_material symbol="s" target="#red-m"/></technique_common></bind_material></instance_geometry>
</node></visual_scene></library_visual_scenes>
</COLLADA>
]])
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
