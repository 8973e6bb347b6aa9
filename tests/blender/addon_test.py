# The MD5 add-on in Blender, headless: it installs from its zip into a fresh user
# folder; import gives one action per clip that poses as the library does; export
# of what was imported, and of a model made here, poses as Blender does; a game's
# model comes in with its maps and goes out as a mod, a Quake model with its frame-name
# clips and an engine's limits; refusals leave nothing behind.
#   blender -b --factory-startup --python-exit-code 1 --python addon_test.py -- ZIP MD5TOOL SOURCE WORK
import json
import math
import os
import re
import shutil
import struct
import subprocess
import sys

import bpy
from mathutils import Vector, kdtree

zip_path, md5tool, source, work = sys.argv[sys.argv.index("--") + 1:]
sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_model import make_model  # noqa: E402

failures = []
largest = {}


def fail(what):
    print("FAILED: " + what)
    failures.append(what)


def clear_scene():
    for o in list(bpy.data.objects):
        bpy.data.objects.remove(o)
    for a in list(bpy.data.actions):
        bpy.data.actions.remove(a)
    bpy.context.scene.render.fps = 24


def pose_json(mesh, clip=None, frames=()):
    arguments = [md5tool, "pose", mesh, "--json"]
    if clip is not None:
        arguments += ["--clip", str(clip)]
    for f in frames:
        arguments += ["--frame", str(f)]
    return json.loads(subprocess.run(arguments, capture_output=True, check=True).stdout)["states"]


def clips_of(mesh):
    """(name, frames, rate) of each clip, in the library's order, from md5tool info."""
    out = subprocess.run([md5tool, "info", mesh], capture_output=True, text=True, check=True).stdout
    clips, inside = [], False
    for line in out.splitlines():
        if line == "clips:":
            inside = True
        elif inside and line.startswith("  ") and ": " in line and " frames at " in line:
            head, rest = line.strip().split(": ", 1)
            frames, rate = rest.split(" frames at ")
            clips.append((head.split(" ", 1)[1], int(frames), int(rate.split(" fps")[0])))
        elif inside and not line.startswith("  "):
            inside = False
    return clips


def used_vertices(mesh_path):
    """Per mesh block with triangles, the indices its triangles use, in order: the
    vertices Blender's glTF importer keeps, in its order."""
    blocks, current = [], None
    with open(mesh_path) as file:
        for line in file:
            words = line.split()
            if words[:2] == ["mesh", "{"]:
                current = set()
                blocks.append(current)
            elif words and words[0] == "tri" and current is not None:
                current.update(int(w) for w in words[2:5])
    return [(b, v) for b, used in enumerate(blocks) for v in sorted(used)]


def library_vertices(state, order=None):
    meshes = state["meshes"]
    if order is None:
        return [Vector(v["position"]) for m in meshes for v in m["vertices"]]
    return [Vector(meshes[b]["vertices"][v]["position"]) for b, v in order]


def diagonal(points):
    low = Vector([min(p[i] for p in points) for i in range(3)])
    high = Vector([max(p[i] for p in points) for i in range(3)])
    return (high - low).length


def blender_vertices(objects):
    depsgraph = bpy.context.evaluated_depsgraph_get()
    points = []
    for o in objects:
        evaluated = o.evaluated_get(depsgraph)
        mesh = evaluated.to_mesh()
        points += [o.matrix_world @ v.co for v in mesh.vertices]
        evaluated.to_mesh_clear()
    return points


def record(check, distance):
    largest[check] = max(largest.get(check, 0.0), distance)


def nearest_map(points, targets):
    """For each point, the index of the nearest target."""
    tree = kdtree.KDTree(len(targets))
    for i, p in enumerate(targets):
        tree.insert(p, i)
    tree.balance()
    return [tree.find(p)[1] for p in points]


# 1. Install into the fresh user folder: as a legacy add-on everywhere, and as an
# extension where Blender has them (4.2 on), which the rest of the test then uses.
def installed(how, module):
    if not (hasattr(bpy.ops.import_scene, "md5") and hasattr(bpy.ops.export_scene, "md5")):
        fail("the add-on's operators do not exist after installing %s %s" % (how, zip_path))
    return sys.modules[module]


bpy.ops.preferences.addon_install(filepath=zip_path)
bpy.ops.preferences.addon_enable(module="io_scene_md5")
addon = installed("as an add-on", "io_scene_md5")
if bpy.app.version >= (4, 2, 0):
    # Removed by hand: the remove operator redraws a window, which background mode lacks.
    bpy.ops.preferences.addon_disable(module="io_scene_md5")
    shutil.rmtree(os.path.join(os.path.dirname(addon.__file__)))
    bpy.ops.extensions.package_install_files(filepath=zip_path, repo="user_default", enable_on_install=True)
    addon = installed("as an extension", "bl_ext.user_default.io_scene_md5")
    print("installed as the extension %s from %s" % (addon.__name__, os.path.dirname(addon.__file__)))


def use_action(armature, action):
    addon.play(armature.animation_data, action)


# A model of two roots and four clips at three rates, from the test data.
multi = os.path.join(work, "multi")
shutil.rmtree(multi, ignore_errors=True)
os.makedirs(multi)
shutil.copy(os.path.join(source, "tests/data/gltf/skeletons.md5mesh"), multi)
wave = open(os.path.join(source, "tests/data/gltf/skeletons_wave.md5anim")).read()
for name, rate in (("wave", 24), ("wave_fast", 60), ("wave_mid", 30), ("wave_slow", 12)):
    with open(os.path.join(multi, "skeletons_%s.md5anim" % name), "w") as file:
        file.write(re.sub(r"frameRate \d+", "frameRate %d" % rate, wave))

models = [os.path.join(source, "samples/robot/robot.md5mesh"), os.path.join(multi, "skeletons.md5mesh")]
for mesh in models:
    # 2. Import: an action per clip, named after it, posing as the library does.
    clear_scene()
    before = set(bpy.data.objects)
    if "FINISHED" not in bpy.ops.import_scene.md5(filepath=mesh):
        fail("import of %s" % mesh)
        continue
    added = [o for o in bpy.data.objects if o not in before]
    armature = next(o for o in added if o.type == "ARMATURE")
    # Newer glTF importers add a hidden sphere that draws the bones: not the model's.
    meshes = [o for o in added if o in addon.deformed_meshes(armature, bpy.context.scene)]
    clips = clips_of(mesh)
    names = [os.path.splitext(f)[0] for f in sorted(os.listdir(os.path.dirname(mesh))) if f.endswith(".md5anim")]
    fps = bpy.context.scene.render.fps
    for name, frames, rate in clips:
        action = bpy.data.actions.get(name)
        if action is None or int(round(action.frame_range[1])) != frames * fps // rate or not action.use_fake_user:
            fail("%s: no kept action %s of %d frames (actions: %s)" % (mesh, name, frames,
                 [(a.name, tuple(a.frame_range)) for a in bpy.data.actions]))
    if mesh.endswith("skeletons.md5mesh") and fps != 120:
        fail("the scene's rate is %d, not 120, where the keys at 12, 24, 30 and 60 a second land on whole frames" % fps)
    order = used_vertices(mesh)
    bind = library_vertices(pose_json(mesh)[0], order)
    size = diagonal(bind)
    for c, (name, frames, rate) in enumerate(clips):
        use_action(armature, bpy.data.actions[name])
        samples = sorted({0, frames // 2, frames - 1})
        states = pose_json(mesh, c, samples)
        for f, state in zip(samples, states):
            bpy.context.scene.frame_set(f * fps // rate)
            got, expected = blender_vertices(meshes), library_vertices(state, order)
            if len(got) != len(expected):
                fail("%s: Blender has %d vertices, the library %d" % (mesh, len(got), len(expected)))
                break
            record("import", max((a - b).length for a, b in zip(got, expected)) / size)

    # 3. Exported again by the add-on: the library poses it as the original.
    out = os.path.join(work, "roundtrip-" + os.path.basename(mesh))
    shutil.rmtree(out, ignore_errors=True)
    if "FINISHED" not in bpy.ops.export_scene.md5(directory=out):
        fail("export of the imported %s" % mesh)
        continue
    stem = os.path.splitext(os.path.basename(mesh))[0]
    written = sorted(os.listdir(out))
    check = subprocess.run([md5tool, "check", "--strict"] + written, cwd=out, capture_output=True, text=True)
    if check.returncode != 0:
        fail("md5tool check --strict on the round trip of %s: %s" % (mesh, check.stdout + check.stderr))
    copy = os.path.join(out, stem + ".md5mesh")
    copied = {name[len(stem) + 1:]: c for c, (name, _, _) in enumerate(clips_of(copy))}
    mapping = nearest_map(library_vertices(pose_json(copy)[0]), library_vertices(pose_json(mesh)[0]))
    # Exported at the scene's rate: frame f of a clip at `rate` is frame f * fps / rate.
    for c, (name, frames, rate) in enumerate(clips):
        if name not in copied:
            fail("the round trip of %s has no clip %s (it has %s)" % (mesh, name, sorted(copied)))
            continue
        samples = sorted({0, frames // 2, frames - 1})
        again = pose_json(copy, copied[name], [f * fps // rate for f in samples])
        for original, again in zip(pose_json(mesh, c, samples), again):
            a, b = library_vertices(original), library_vertices(again)
            record("round trip", max((b[i] - a[mapping[i]]).length for i in range(len(b))) / size)

# 4. A model made in Blender: every action a clip that poses as Blender does.
clear_scene()
armature, column = make_model(bpy.context.scene)
made = os.path.join(work, "made")
shutil.rmtree(made, ignore_errors=True)
if "FINISHED" not in bpy.ops.export_scene.md5(directory=made):
    fail("export of the model made in Blender")
else:
    written = sorted(os.listdir(made))
    check = subprocess.run([md5tool, "check", "--strict"] + written, cwd=made, capture_output=True, text=True)
    if check.returncode != 0:
        fail("md5tool check --strict on the made model: " + check.stdout + check.stderr)
    mesh = os.path.join(made, "rig.md5mesh")
    clips = {name: (c, frames) for c, (name, frames, _) in enumerate(clips_of(mesh))}
    lengths = {"bend": 10, "twist": 17, "sway": 24}
    if sorted(clips) != ["rig_bend", "rig_sway", "rig_twist"]:
        fail("the made model's clips are %s" % sorted(clips))
    armature.data.pose_position = "REST"
    rest = blender_vertices([column])
    armature.data.pose_position = "POSE"
    bind = library_vertices(pose_json(mesh)[0])
    size = diagonal(rest)
    mapping = nearest_map(bind, rest)
    record("made in Blender, bind pose", max((bind[i] - rest[mapping[i]]).length for i in range(len(bind))) / size)
    for action_name, length in lengths.items():
        c, frames = clips.get("rig_" + action_name, (None, 0))
        if c is None or frames != length:
            fail("clip rig_%s: %s frames, not %d" % (action_name, frames, length))
            continue
        use_action(armature, bpy.data.actions[action_name])
        samples = sorted({0, frames // 2, frames - 1})
        for f, state in zip(samples, pose_json(mesh, c, samples)):
            bpy.context.scene.frame_set(int(bpy.data.actions[action_name].frame_range[0]) + f)
            got, posed = blender_vertices([column]), library_vertices(state)
            record("made in Blender", max((posed[i] - got[mapping[i]]).length for i in range(len(posed))) / size)

# 5. A game's model: from its .pk4 with its materials' maps, and back out as a mod.
def material_images(objects):
    """For each object's material: the names of the inputs an image drives, through a
    normal map node where there is one."""
    found = set()
    for o in objects:
        for slot in o.material_slots:
            tree = slot.material.node_tree if slot.material else None
            for link in (tree.links if tree else ()):
                if link.from_node.type == "TEX_IMAGE":
                    target = link.to_node
                    found.add("Normal" if target.type == "NORMAL_MAP" else link.to_socket.name)
    return found


clear_scene()
game = os.path.join(source, "samples/game/pak000.pk4")
before = set(bpy.data.objects)
if "FINISHED" not in bpy.ops.import_scene.md5(filepath=game, model="robot"):
    fail("import of robot from %s" % game)
else:
    added = [o for o in bpy.data.objects if o not in before and o.type == "MESH"]
    maps = material_images(added)
    if not {"Base Color", "Normal"} <= maps:
        fail("the game robot's materials have images for %s, not the base colour and the normal" % sorted(maps))
    if sorted(a.name for a in bpy.data.actions if a.use_fake_user) != ["idle", "walk", "wave"]:
        fail("the game robot's actions are %s" % sorted(a.name for a in bpy.data.actions))
    mod = os.path.join(work, "mod")
    shutil.rmtree(mod, ignore_errors=True)
    if "FINISHED" not in bpy.ops.export_scene.md5(directory=mod, name="bot", layout="MOD"):
        fail("export of the game robot as a mod")
    else:
        info = subprocess.run([md5tool, "info", "bot", "--base", mod], capture_output=True, text=True)
        clips = [line.split(":")[0].strip() for line in info.stdout.split("clips:\n")[-1].splitlines()[:3]]
        if info.returncode != 0 or clips != ["0 idle", "1 walk", "2 wave"] or "not found" in info.stdout or \
                "    diffuse models/md5/bot/" not in info.stdout or "    normal models/md5/bot/" not in info.stdout:
            fail("md5tool info of the mod: %s%s" % (info.stdout, info.stderr))
        else:
            print("the game robot back as a mod: %s" % ", ".join(sorted(os.listdir(os.path.join(mod, "models/md5/bot")))))

# 6. A normal map lit the right way round: a square facing the camera
# (tests/data/square_game) whose one-pixel normal map leans every normal one way, drawn by Cycles with the sun up and to the
# left: leaning left or up (the game's green points down the image) is brighter.
def square_brightness(red, green):
    game = os.path.join(work, "square")
    shutil.rmtree(game, ignore_errors=True)
    shutil.copytree(os.path.join(source, "tests/data/square_game"), game)
    blue = round((1 - ((red - 128) / 127) ** 2 - ((green - 128) / 127) ** 2) ** 0.5 * 127 + 128)
    with open(os.path.join(game, "textures", "lean.tga"), "wb") as file:
        file.write(bytes([0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 32, blue, green, red]))
    clear_scene()
    bpy.ops.import_scene.md5(filepath="", game=game, model="square")
    scene = bpy.context.scene
    camera = bpy.data.objects.new("camera", bpy.data.cameras.new("camera"))
    camera.location = (0, -6, 1)
    camera.rotation_euler = (math.radians(90), 0, 0)
    sun = bpy.data.objects.new("sun", bpy.data.lights.new("sun", "SUN"))
    sun.rotation_euler = (math.radians(45), math.radians(-45), 0)  # light from the upper left, towards +y
    for o in (camera, sun):
        scene.collection.objects.link(o)
    scene.camera = camera
    scene.render.engine = "CYCLES"
    scene.cycles.samples = 4
    scene.cycles.use_denoising = False
    scene.render.resolution_x = scene.render.resolution_y = 16
    scene.render.filepath = os.path.join(work, "square.png")
    scene.world = None
    bpy.ops.render.render(write_still=True)
    picture = bpy.data.images.load(scene.render.filepath, check_existing=False)
    pixels = list(picture.pixels)
    middle = (8 * 16 + 8) * 4
    bpy.data.images.remove(picture)
    return sum(pixels[middle:middle + 3]) / 3


lit = {lean: square_brightness(*values) for lean, values in
       (("left", (56, 128)), ("right", (200, 128)), ("up", (128, 56)), ("down", (128, 200)))}
print("Cycles draws the leaning squares: %s" % ", ".join("%s %.3f" % item for item in lit.items()))
if not (lit["left"] > lit["right"] and lit["up"] > lit["down"]):
    fail("Blender lights the normal map the wrong way round: %s" % lit)

def refused(call, what):
    try:
        result = call()
    except RuntimeError as error:
        print("refused as it should be: %s" % str(error).strip().splitlines()[-1])
        return
    if "CANCELLED" not in result:
        fail(what + " was not refused")


# 6b. A Quake model from its .pak: the one clip cut by the .mdl's frame names; a
# target's say on import, and export fitted to a target or refused with its limit.
def pack(files):
    """A Quake PACK file of (name, bytes) pairs."""
    data, directory = b"", b""
    for name, payload in files:
        directory += name.encode().ljust(56, b"\0") + struct.pack("<ii", 12 + len(data), len(payload))
        data += payload
    return b"PACK" + struct.pack("<ii", 12 + len(data), len(directory)) + data + directory


def mdl(frames):
    """A Quake .mdl of one vertex and a 2 x 1 skin, with named frames."""
    header = b"IDPO" + struct.pack("<i", 6) + bytes(40) + struct.pack("<9i", 1, 2, 1, 1, 0, len(frames), 0, 0, 0)
    body = struct.pack("<i", 0) + bytes(2) + bytes(12)
    for name in frames:
        body += struct.pack("<i", 0) + bytes(8) + name.encode().ljust(16, b"\0") + bytes(4)
    return header + body


clear_scene()
rig = os.path.join(source, "tests/data/rig")
quake = os.path.join(work, "pak0.pak")
with open(os.path.join(rig, "rig.md5mesh"), "rb") as mesh, open(os.path.join(rig, "zigzag.md5anim"), "rb") as clip:
    files = [("progs/rig.md5mesh", mesh.read()), ("progs/rig.md5anim", clip.read())]
with open(quake, "wb") as file:
    file.write(pack(files + [("progs/rig.mdl", mdl(["walk%d" % n for n in range(1, 6)] + ["run1", "run2", "run3", "run4", "run5"]))]))
if "FINISHED" not in bpy.ops.import_scene.md5(filepath=quake, model="progs/rig.mdl", target="quake2"):
    fail("import of progs/rig.mdl from %s" % quake)
elif sorted(a.name for a in bpy.data.actions if a.use_fake_user) != ["run", "walk"]:
    fail("the Quake rig's actions are %s" % sorted(a.name for a in bpy.data.actions))
else:
    fitted = os.path.join(work, "fitted")
    if "FINISHED" not in bpy.ops.export_scene.md5(directory=fitted, name="rig", target="bfg"):
        fail("export of the Quake rig fitted to bfg")
    armature = next(o for o in bpy.data.objects if o.type == "ARMATURE")
    armature.data.bones[0].name = "b" * 50
    refused(lambda: bpy.ops.export_scene.md5(directory=os.path.join(work, "long"), name="rig", target="quake2"),
            "a joint name over quake2's 47 bytes")

# Quake 2's .md5scale through Blender: the scaled joint's scale-only child comes in as a
# bone with scale keys, and goes out again as the clip's .md5scale.
def md2(frames):
    """A Quake 2 .md2 of one vertex and no skin, with named frames."""
    header = struct.pack("<4s16i", b"IDP2", 8, 2, 1, 44, 0, 1, 0, 0, 0, len(frames), 68, 68, 68, 68, 68 + 44 * len(frames),
                         68 + 44 * len(frames))
    return header + b"".join(bytes(24) + name.encode().ljust(16, b"\0") + bytes(4) for name in frames)


clear_scene()
quake2 = os.path.join(work, "q2.pak")
with open(quake2, "wb") as file:
    file.write(pack([("models/rig/md5/tris.md5mesh", files[0][1]), ("models/rig/md5/tris.md5anim", files[1][1]),
                     ("models/rig/md5/tris.md5scale", b'{ "hip": { "7": 0 } }'),
                     ("models/rig/tris.md2", md2(["walk%d" % n for n in range(1, 6)] + ["run%d" % n for n in range(1, 6)]))]))
if "FINISHED" not in bpy.ops.import_scene.md5(filepath=quake2, model="models/rig/tris.md2"):
    fail("import of models/rig/tris.md2 from %s" % quake2)
elif not any(b.name == "hip.scale" for o in bpy.data.objects if o.type == "ARMATURE" for b in o.data.bones):
    fail("Blender has no bone hip.scale: %s" % [b.name for o in bpy.data.objects if o.type == "ARMATURE" for b in o.data.bones])
else:
    scaled = os.path.join(work, "scaled")
    shutil.rmtree(scaled, ignore_errors=True)
    if "FINISHED" not in bpy.ops.export_scene.md5(directory=scaled, name="rig"):
        fail("export of the Quake 2 rig")
    elif sorted(f for f in os.listdir(scaled) if f.endswith(".md5scale")) != ["rig_run.md5scale"]:
        fail("the Quake 2 rig back from Blender: %s" % sorted(os.listdir(scaled)))
    else:
        with open(os.path.join(scaled, "rig_run.md5scale")) as file:
            written = json.load(file)
        if written != {"hip": {"scale_positions": False, "2": 0}}:
            fail("the .md5scale back from Blender is %s" % written)
        else:
            print("the .md5scale back from Blender: %s" % written)

# 7. Refusals: nothing written, nothing added.

clear_scene()
empty = os.path.join(work, "empty")
refused(lambda: bpy.ops.export_scene.md5(directory=empty), "a scene without an armature")
if os.path.exists(empty) and os.listdir(empty):
    fail("a refused export wrote " + str(os.listdir(empty)))
armature, column = make_model(bpy.context.scene)
for group in list(column.vertex_groups):
    column.vertex_groups.remove(group)
refused(lambda: bpy.ops.export_scene.md5(directory=empty), "a mesh without weights")
if os.path.exists(empty) and os.listdir(empty):
    fail("a refused export wrote " + str(os.listdir(empty)))
clear_scene()
bad = os.path.join(work, "bad.md5mesh")
with open(bad, "w") as file:
    file.write('MD5Version 10\ncommandline ""\nnumJoints 1\nnumMeshes 1\njoints {\n  "root" 5 ( 0 0 0 ) ( 0 0 0 )\n}\n')
refused(lambda: bpy.ops.import_scene.md5(filepath=bad), "a malformed .md5mesh")
if len(bpy.data.objects) != 0:
    fail("a refused import added %d objects" % len(bpy.data.objects))

for check, distance in largest.items():
    print("%s: largest posing distance %.3g of the diagonal" % (check, distance))
    if distance > 1e-4:
        fail("%s poses %.3g of the diagonal apart (at most 1e-4)" % (check, distance))
print("Blender %s: %d failed" % (bpy.app.version_string, len(failures)))
sys.exit(1 if failures else 0)
