# The small COLLADA scene the scene tools' checks load: a red triangle (a polylist quad) moved
# along X by an animation, a camera, a directional light, and a line set the importer skips.
# Included by a check script after it has made WORK.
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
