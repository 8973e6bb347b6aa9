# Makes the skinned glTF files that md5tool import is tested on, with Blender's own glTF
# exporter: run once, headless, and commit what it writes beside this script.
#   blender --background --factory-startup --python make_models.py
# The model: an armature object turned and scaled above its bones, bones created
# children first, a mesh of two materials whose one vertex has six weights, and three
# actions keyed at uneven times, LINEAR, STEP (Blender's CONSTANT) and CUBICSPLINE
# (Blender's BEZIER), each exported as an animation of its own.
import math
import os

import numpy

numpy.bool = bool  # the glTF add-on of Blender 3.4 still uses the alias numpy dropped

import bpy

here = os.path.dirname(os.path.abspath(__file__))
bpy.ops.wm.read_factory_settings(use_empty=True)
scene = bpy.context.scene
scene.render.fps = 24

# The armature: a chain root -> spine -> chest -> head, and two arms, created children first.
armature_data = bpy.data.armatures.new("Rig")
armature = bpy.data.objects.new("Armature", armature_data)
scene.collection.objects.link(armature)
armature.rotation_euler = (0, 0, math.radians(30))
armature.scale = (0.5, 0.5, 0.5)
bpy.context.view_layer.objects.active = armature
bpy.ops.object.mode_set(mode='EDIT')
bones = {}
layout = [  # name, head, tail, parent; children first
    ("head", (0, 0, 3.0), (0, 0, 3.8), "chest"),
    ("arm.L", (0.5, 0, 2.6), (1.6, 0, 2.6), "chest"),
    ("arm.R", (-0.5, 0, 2.6), (-1.6, 0, 2.6), "chest"),
    ("chest", (0, 0, 2.0), (0, 0, 3.0), "spine"),
    ("spine", (0, 0, 1.0), (0, 0, 2.0), "root"),
    ("root", (0, 0, 0), (0, 0, 1.0), None),
]
for name, head, tail, _ in layout:
    bone = armature_data.edit_bones.new(name)
    bone.head, bone.tail = head, tail
    bones[name] = bone
for name, _, _, parent in layout:
    if parent:
        bones[name].parent = bones[parent]
bpy.ops.object.mode_set(mode='OBJECT')

# The mesh: a column of quads along the bones and two arms, in two materials.
vertices, faces = [], []
for level in range(9):  # z from 0 to 4
    z = level * 0.5
    for corner in [(-0.3, -0.3), (0.3, -0.3), (0.3, 0.3), (-0.3, 0.3)]:
        vertices.append((corner[0], corner[1], z))
for level in range(8):
    for side in range(4):
        a = level * 4 + side
        b = level * 4 + (side + 1) % 4
        faces.append((a, b, b + 4, a + 4))
arm_start = len(vertices)
for sign in (1, -1):
    base = len(vertices)
    for x in (0.5, 1.0, 1.6):
        for dz in (-0.15, 0.15):
            vertices.append((sign * x, 0, 2.6 + dz))
    for step in range(2):
        a = base + 2 * step
        faces.append((a, a + 2, a + 3, a + 1) if sign > 0 else (a, a + 1, a + 3, a + 2))
mesh_data = bpy.data.meshes.new("Body")
mesh_data.from_pydata(vertices, [], faces)
mesh_data.update()
body = bpy.data.objects.new("Body", mesh_data)
scene.collection.objects.link(body)
body.parent = armature
for name, colour in (("Skin", (0.9, 0.7, 0.6, 1)), ("Cloth", (0.2, 0.3, 0.8, 1))):
    material = bpy.data.materials.new(name)
    material.diffuse_color = colour
    mesh_data.materials.append(material)
for polygon in mesh_data.polygons:
    polygon.material_index = 1 if polygon.index >= 16 else 0

# Weights: each column vertex between the two bones nearest its height; the arms to
# their bones; vertex 20 (z = 2.5) on all six bones.
groups = {name: body.vertex_groups.new(name=name) for name, _, _, _ in layout}
spans = [("root", 0, 1), ("spine", 1, 2), ("chest", 2, 3), ("head", 3, 4)]
for index, (x, y, z) in enumerate(vertices[:arm_start]):
    for name, low, high in spans:
        if low <= z <= high:
            groups[name].add([index], 0.5 if z in (low, high) and 0 < z < 4 else 1.0, 'ADD')
for index in range(arm_start, len(vertices)):
    groups["arm.L" if vertices[index][0] > 0 else "arm.R"].add([index], 1.0, 'REPLACE')
for weight, name in zip((0.3, 0.2, 0.2, 0.1, 0.1, 0.1), ("chest", "spine", "head", "arm.L", "arm.R", "root")):
    groups[name].add([20], weight, 'REPLACE')
modifier = body.modifiers.new("Armature", 'ARMATURE')
modifier.object = armature

# Three actions at uneven times (frames 0, 7, 11, 20 and 0, 5, 18, 24), each in an NLA track.
def make_action(name, interpolation, times):
    action = bpy.data.actions.new(name)
    armature.animation_data_create()
    armature.animation_data.action = action
    for key, frame in enumerate(times):
        angle = math.radians(25 * math.sin(key * 1.7))
        for bone_name, axis in (("spine", 0), ("chest", 1), ("arm.L", 2), ("arm.R", 2), ("head", 0)):
            pose_bone = armature.pose.bones[bone_name]
            pose_bone.rotation_mode = 'XYZ'
            rotation = [0.0, 0.0, 0.0]
            rotation[axis] = angle if bone_name != "arm.R" else -angle
            pose_bone.rotation_euler = rotation
            pose_bone.keyframe_insert("rotation_euler", frame=frame)
        root = armature.pose.bones["root"]
        root.location = (0.2 * key, 0, 0.1 * (key % 2))
        root.keyframe_insert("location", frame=frame)
    for curve in action.fcurves:
        for point in curve.keyframe_points:
            point.interpolation = interpolation
    track = armature.animation_data.nla_tracks.new()
    track.name = name
    track.strips.new(name, int(times[0]), action)
    armature.animation_data.action = None

make_action("Linear", 'LINEAR', (0, 7, 11, 20))
make_action("Step", 'CONSTANT', (0, 5, 18, 24))
make_action("Smooth", 'BEZIER', (0, 7, 11, 20))

bpy.ops.export_scene.gltf(filepath=os.path.join(here, "rigged.glb"), export_format='GLB', export_animations=True,
                          export_force_sampling=False, export_nla_strips=True, export_skins=True,
                          export_all_influences=True, export_def_bones=False, export_apply=False)
