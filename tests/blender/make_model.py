# A model made in Blender for the add-on's export test: an armature of three bones
# under a turned and scaled armature object, a mesh of two materials with a vertex
# weighted to two bones, and three actions of different lengths.
import math

import bpy


def make_model(scene):
    data = bpy.data.armatures.new("rig")
    armature = bpy.data.objects.new("rig", data)
    scene.collection.objects.link(armature)
    armature.location = (0.5, -0.25, 0.1)
    armature.rotation_euler = (0.0, 0.0, math.radians(30))
    armature.scale = (2.0, 2.0, 2.0)
    bpy.context.view_layer.objects.active = armature
    bpy.ops.object.mode_set(mode="EDIT")
    heads = [(0, 0, 0), (0, 0, 1), (0, 0.2, 2)]
    tails = [(0, 0, 1), (0, 0.2, 2), (0, 0.4, 2.8)]
    bones = []
    for b, name in enumerate(["base", "middle", "top"]):
        bone = data.edit_bones.new(name)
        bone.head, bone.tail = heads[b], tails[b]
        if bones:
            bone.parent = bones[-1]
            bone.use_connect = True
        bones.append(bone)
    bpy.ops.object.mode_set(mode="OBJECT")

    # A column of rings, one ring a bone; the ring at the first joint weighted to two.
    vertices, faces = [], []
    rings = [0.0, 0.5, 1.0, 1.5, 2.0, 2.4, 2.8]
    for z in rings:
        for k in range(6):
            a = k * math.pi / 3
            vertices.append((0.3 * math.cos(a), 0.3 * math.sin(a) + (0.2 if z > 1.0 else 0.0), z))
    for r in range(len(rings) - 1):
        for k in range(6):
            faces.append((r * 6 + k, r * 6 + (k + 1) % 6, (r + 1) * 6 + (k + 1) % 6, (r + 1) * 6 + k))
    mesh = bpy.data.meshes.new("column")
    mesh.from_pydata(vertices, [], faces)
    for name, colour in (("red", (0.8, 0.2, 0.2, 1)), ("blue", (0.2, 0.3, 0.8, 1))):
        material = bpy.data.materials.new(name)
        material.diffuse_color = colour
        mesh.materials.append(material)
    for polygon in mesh.polygons:
        polygon.material_index = 0 if polygon.index < 18 else 1
    column = bpy.data.objects.new("column", mesh)
    scene.collection.objects.link(column)
    column.parent = armature
    modifier = column.modifiers.new("rig", "ARMATURE")
    modifier.object = armature
    groups = {name: column.vertex_groups.new(name=name) for name in ("base", "middle", "top")}
    for v, z in enumerate(z for z in rings for _ in range(6)):
        if z == 1.0:
            groups["base"].add([v], 0.4, "REPLACE")
            groups["middle"].add([v], 0.6, "REPLACE")
        else:
            groups["base" if z < 1.0 else "middle" if z < 2.0 else "top"].add([v], 1.0, "REPLACE")

    # Three actions of 10, 17 and 24 frames, from frame 1.
    armature.animation_data_create()
    for name, length, axis in (("bend", 10, 0), ("twist", 17, 1), ("sway", 24, 2)):
        action = bpy.data.actions.new(name)
        action.use_fake_user = True
        armature.animation_data.action = action
        for frame in range(1, length + 1):
            angle = math.sin(frame / length * 2 * math.pi) * 0.6
            for b, bone in enumerate(armature.pose.bones):
                bone.rotation_mode = "QUATERNION"
                euler = [0.0, 0.0, 0.0]
                euler[(axis + b) % 3] = angle * (b + 1) / 3
                from mathutils import Euler
                bone.rotation_quaternion = Euler(euler).to_quaternion()
                bone.keyframe_insert("rotation_quaternion", frame=frame)
    armature.animation_data.action = bpy.data.actions["bend"]
    scene.frame_start, scene.frame_end = 1, 10
    return armature, column
