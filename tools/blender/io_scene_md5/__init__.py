# MD5 models in Blender through md5tool and Blender's own glTF add-on: import runs
# md5tool export to a temporary .glb and Blender's glTF importer (from a game's folder
# or .pk4, with the model's materials); export runs Blender's glTF exporter and
# md5tool import (also as a game's mod). The add-on touches no bone, action or mesh API
# beyond naming and keeping actions, so it follows Blender's versions with the glTF
# add-on that ships with each.

bl_info = {
    "name": "MD5 models (md5tool)",
    "author": "BRMath",
    "version": (1, 0, 0),
    "blender": (3, 4, 0),
    "location": "File > Import > MD5 (.md5mesh), File > Export > MD5",
    "description": "Import and export MD5 models with every clip, through md5tool and the glTF add-on",
    "category": "Import-Export",
}

import json
import math
import os
import platform
import shutil
import struct
import subprocess
import sys
import tempfile

import bpy
from bpy.props import BoolProperty, EnumProperty, FloatProperty, IntProperty, StringProperty

# Blender 3.4's glTF add-on uses numpy.bool, which numpy 1.24 no longer has.
try:
    import numpy
    if "bool" not in vars(numpy):  # asked without the attribute's own FutureWarning
        numpy.bool = bool
except ImportError:
    pass


class MD5Error(Exception):
    """A refusal, with the words the user is shown."""


# --- md5tool ---------------------------------------------------------------------

def bundled_md5tool():
    """The md5tool of this system that the add-on carries, or None."""
    folder = os.path.join(os.path.dirname(__file__), "bin")
    if sys.platform.startswith("win"):
        path = os.path.join(folder, "windows", "md5tool.exe")
    elif sys.platform.startswith("linux") and platform.machine() in ("x86_64", "AMD64"):
        path = os.path.join(folder, "linux-x86_64", "md5tool")
    else:
        return None
    return path if os.path.isfile(path) else None


def md5tool_path(context):
    chosen = ""
    addon = context.preferences.addons.get(__name__)
    if addon is not None:
        chosen = addon.preferences.md5tool.strip()
    path = bpy.path.abspath(chosen) if chosen else bundled_md5tool()
    if not path or not os.path.isfile(path):
        raise MD5Error("no md5tool for this system: set one in the add-on's preferences (Edit > Preferences > "
                       "Add-ons > MD5 models)")
    if not sys.platform.startswith("win") and not os.access(path, os.X_OK):
        os.chmod(path, os.stat(path).st_mode | 0o111)
    return path


def run_md5tool(context, arguments, scratch=None, named=""):
    """Runs md5tool; returns (its warning lines, its output). Raises MD5Error with its
    error line when it fails. A scratch file's name in its lines becomes `named`."""
    done = subprocess.run([md5tool_path(context)] + arguments, capture_output=True, text=True, errors="replace")
    text = done.stderr + done.stdout
    if scratch:
        text = text.replace(scratch, named)
    lines = [line for line in text.splitlines() if line.strip()]
    warnings = [line for line in lines if ": warning: " in line]
    if done.returncode != 0:
        errors = [line for line in lines if ": error: " in line or line.startswith("md5tool: ")]
        raise MD5Error((errors or lines or ["md5tool failed with status %d" % done.returncode])[-1])
    return warnings, done.stdout


# The engines md5tool check --target and import --target know, for both operators.
TARGETS = (("library", "This library", "Only this library's own rules"),
           ("doom3", "Doom 3", "Doom 3's limits and refusals"),
           ("bfg", "Doom 3 BFG", "Four weights a vertex, 256 joints, 16-bit indices"),
           ("quake", "Quake remaster", "The Quake remaster ports' limits: four weights a vertex, 16-bit indices"),
           ("quake2", "Quake 2 remaster", "256 joints, 32 meshes, 6,144 vertices and 8,192 weights a mesh, "
                                           "1,024 frames, joint names under 48 bytes"))

ARCHIVES = (".pk4", ".pak", ".pk3", ".pkz")


def say(operator, kind, lines):
    """Reports md5tool's lines; in background mode Blender prints them too."""
    for line in lines:
        operator.report({kind}, line)


def operator_options(operator, wanted):
    """The options of a glTF operator that this Blender has, of those wanted."""
    known = set(operator.get_rna_type().properties.keys())
    return {name: value for name, value in wanted.items() if name in known}


# --- Import ----------------------------------------------------------------------

def glb_animations(path):
    """Each animation of a .glb md5tool wrote: (name, frames, frame rate), from its
    key times (frame f at f / rate, and one more key closing the loop)."""
    with open(path, "rb") as file:
        header = file.read(20)
        length = struct.unpack_from("<I", header, 12)[0]
        document = json.loads(file.read(length))
    clips = []
    for animation in document.get("animations", []):
        times = document["accessors"][animation["samplers"][0]["input"]]
        frames = times["count"] - 1
        rate = round(frames / times["max"][0]) if frames > 0 and times["max"][0] > 0 else 24
        clips.append((animation.get("name", ""), frames, rate))
    return clips


def scene_rate(rates):
    """A rate at which every clip's keys land on whole frames: the least common multiple
    of the clips' rates (24 and 60 give 120), or the highest where that passes 1000."""
    common = 1
    for rate in rates:
        common = common * rate // math.gcd(common, rate)
    return common if common <= 1000 else max(rates)


class FileOperator:
    """An operator that asks for its file or folder and reports a refusal as an error."""

    def invoke(self, context, event):
        context.window_manager.fileselect_add(self)
        return {"RUNNING_MODAL"}

    def execute(self, context):
        try:
            return self.run(context)
        except MD5Error as error:
            say(self, "ERROR", [str(error)])
            return {"CANCELLED"}


class ImportMD5(FileOperator, bpy.types.Operator):
    """Import an MD5 model with every clip beside it, or a model of a game's folder or archive with its materials"""
    bl_idname = "import_scene.md5"
    bl_label = "Import MD5"
    bl_options = {"REGISTER", "UNDO"}

    filepath: StringProperty(subtype="FILE_PATH")
    filter_glob: StringProperty(default="*.md5mesh;*.pk4;*.pak;*.pk3;*.pkz", options={"HIDDEN"})
    scale: FloatProperty(name="Scale", description="Metres per model unit", default=1.0, min=1e-6, max=1e6)
    clips: StringProperty(name="Clips", description="The clips to import, by name, separated by commas (empty: all)",
                          default="")
    game: StringProperty(name="Game", subtype="FILE_PATH", default="",
                         description="A game's folder or archive (.pk4, .pak, .pk3, .pkz) to find the model in, with "
                                     "its declarations, materials and skins (an archive chosen as the file is one too)")
    model: StringProperty(name="Model", default="",
                          description="With a game: the model declaration's, entityDef's or mesh's name, or a Quake "
                                      "model's path (progs/X.mdl, DIR/tris.md2)")
    target: EnumProperty(name="Target", items=TARGETS, default="library",
                         description="Also report what this engine would refuse or change in the model's files")

    def source(self):
        """md5tool export's arguments for the model asked for."""
        chosen = bpy.path.abspath(self.filepath) if self.filepath else ""
        bases = [bpy.path.abspath(self.game)] if self.game else []
        if chosen.lower().endswith(ARCHIVES):
            bases.append(chosen)
        elif chosen and not bases:
            if not chosen.lower().endswith(".md5mesh") or not os.path.isfile(chosen):
                raise MD5Error("import reads an existing .md5mesh file, not \"%s\"" % self.filepath)
            return [chosen]
        model = self.model or (chosen if chosen.lower().endswith(".md5mesh") else "")
        if not model:
            raise MD5Error("name the game's model to import (its declaration, entityDef or mesh)")
        arguments = [model]
        for base in bases:
            arguments += ["--base", base]
        return arguments

    def run(self, context):
        source = self.source()
        with tempfile.TemporaryDirectory(prefix="md5-import-") as folder:
            glb = os.path.join(folder, "model.glb")
            warnings, _ = run_md5tool(context, ["export"] + source + ["-o", glb, "--scale", repr(self.scale)])
            say(self, "WARNING", warnings + self.target_lines(context, source))
            clips = glb_animations(glb)
            wanted = [name.strip() for name in self.clips.split(",") if name.strip()]
            missing = [name for name in wanted if name not in [clip[0] for clip in clips]]
            if missing:
                raise MD5Error("the model has no clip %s (its clips: %s)" % (", ".join(missing),
                                                                              ", ".join(c[0] for c in clips)))
            scene = context.scene
            if clips:
                scene.render.fps = scene_rate([clip[2] for clip in clips])
                scene.render.fps_base = 1.0
            before = set(bpy.data.objects)
            actions_before = set(bpy.data.actions)
            result = bpy.ops.import_scene.gltf(filepath=glb)
            if "FINISHED" not in result:
                raise MD5Error("Blender's glTF importer did not read md5tool's export of %s" % source[0])
        added = [o for o in bpy.data.objects if o not in before]
        armature = next((o for o in added if o.type == "ARMATURE"), None)
        self.keep_clips(armature, clips, wanted, actions_before)
        # Newer glTF importers add a sphere that draws the bones, in a hidden collection.
        shown = [o for o in added if not all(c.hide_viewport for c in o.users_collection)]
        say(self, "INFO", ["%s: %d objects, %d clips" % (os.path.basename(source[0]), len(shown),
                                                         len(wanted or clips))])
        return {"FINISHED"}

    def target_lines(self, context, source):
        """What md5tool check --target says of the model's files (refusals included)."""
        if self.target == "library":
            return []
        done = subprocess.run([md5tool_path(context), "check"] + source + ["--target", self.target],
                              capture_output=True, text=True, errors="replace")
        return [line for line in done.stdout.splitlines() if (": %s: " % self.target) in line]

    def keep_clips(self, armature, clips, wanted, actions_before):
        """One action per clip, named after it and kept; the first one active and the
        scene's frame range set from it."""
        if armature is None:
            return
        names = [clip[0] for clip in clips]
        actions = [a for a in bpy.data.actions if a not in actions_before]
        by_clip = {}
        for action in actions:
            # The glTF importer names an object's action ANIMATION_OBJECT.
            name = next((n for n in sorted(names, key=len, reverse=True)
                         if action.name == n or action.name.startswith(n + "_")), None)
            if name is None or name in by_clip:
                continue
            by_clip[name] = action
        for name, action in by_clip.items():
            if wanted and name not in wanted:
                bpy.data.actions.remove(action)
                continue
            action.name = name
            action.use_fake_user = True
        kept = [name for name in names if name in by_clip and (not wanted or name in wanted)]
        frames = {clip[0]: clip[1] for clip in clips}
        if armature.animation_data is None:
            armature.animation_data_create()
        # The importer's NLA tracks would play every clip at once over the active one.
        for track in list(armature.animation_data.nla_tracks):
            armature.animation_data.nla_tracks.remove(track)
        if kept:
            first = bpy.data.actions[kept[0]]
            play(armature.animation_data, first)
            scene = bpy.context.scene
            # The action's last key closes the loop on the first: the clip's frames end before it.
            start = int(round(first.frame_range[0]))
            scene.frame_start, scene.frame_end = start, start + max(1, frames[kept[0]]) - 1
            scene.frame_set(scene.frame_start)


# --- Export ----------------------------------------------------------------------

def deformed_meshes(armature, scene):
    return [o for o in scene.objects if o.type == "MESH" and
            any(m.type == "ARMATURE" and m.object == armature for m in o.modifiers)]


# Since 4.4 an action keeps its curves in layers, strips and channel bags, one bag for
# each slot, and an object plays one slot of an action; 5.0 removed Action.fcurves.
# These helpers are the add-on's only reads and writes of curves and assignments.

def curve_sets(action):
    """(slot, curves) for each set of F-curves in the action: its channel bags where
    Blender has them, else (None, Action.fcurves)."""
    bags = [bag for layer in getattr(action, "layers", ()) for strip in layer.strips
            for bag in getattr(strip, "channelbags", ())]
    if bags or not hasattr(action, "fcurves"):
        return [(getattr(bag, "slot", None), bag.fcurves) for bag in bags]
    return [(None, action.fcurves)]


def play(holder, action, slot=None):
    """Lets an object's animation data or an NLA strip play the action, through the
    slot given or else the action's first slot for objects, where Blender has slots."""
    holder.action = action
    if action is None or not hasattr(holder, "action_slot"):
        return
    if slot is None:
        slot = next((s for s in action.slots
                     if getattr(s, "target_id_type", "OBJECT") in ("OBJECT", "UNSPECIFIED")), None)
    if slot is not None and holder.action_slot != slot:
        holder.action_slot = slot


def bone_actions(armature):
    """(action, slot) for every action that animates the armature's bones; the slot is
    None where Blender has none."""
    bones = {bone.name for bone in armature.data.bones}
    prefix = 'pose.bones["'
    found = []
    for action in bpy.data.actions:
        for slot, curves in curve_sets(action):
            if any(c.data_path.startswith(prefix) and c.data_path[len(prefix):].split('"]')[0] in bones
                   for c in curves):
                found.append((action, slot))
                break
    return found


def slide(action, frames):
    """Moves every key of the action by `frames` (whole frames: moved back exactly)."""
    for _, curves in curve_sets(action):
        for curve in curves:
            for key in curve.keyframe_points:
                key.co.x += frames
                key.handle_left.x += frames
                key.handle_right.x += frames
            curve.update()


class ExportMD5(FileOperator, bpy.types.Operator):
    """Export an armature, the meshes it deforms and every action of its bones as MD5"""
    bl_idname = "export_scene.md5"
    bl_label = "Export MD5"
    bl_options = {"REGISTER"}

    directory: StringProperty(subtype="DIR_PATH")
    name: StringProperty(name="Name", description="The files' name (default: the armature's)", default="")
    use_selection: BoolProperty(name="Selected only", description="Export the selected armature", default=False)
    scale: FloatProperty(name="Scale", description="Model units a metre", default=1.0, min=1e-6, max=1e6)
    fps: IntProperty(name="Frame rate", description="Frames a second (default 0: the scene's)", default=0, min=0,
                     max=1000)
    layout: EnumProperty(name="Layout", default="FILES", items=(
        ("FILES", "MD5 files", "NAME.md5mesh and NAME_<action>.md5anim in the folder"),
        ("MOD", "Game mod folder", "The folder as a game's mod: models/md5/NAME/ with the clips and the materials' "
                                   "maps as TGA, materials/NAME.mtr, def/NAME.def declaring model NAME"),
        ("PK4", "Game .pk4", "The mod's files as NAME.pk4 in the folder")))
    target: EnumProperty(name="Target", items=TARGETS, default="library",
                         description="Make the files fit this engine (each vertex keeps the weights it keeps), or "
                                     "refuse with the limit named")

    def armature(self, context):
        scene = context.scene
        armatures = [o for o in scene.objects if o.type == "ARMATURE"]
        selected = [o for o in armatures if o.select_get()]
        if self.use_selection or len(armatures) > 1:
            if len(selected) == 1:
                return selected[0]
            if not armatures:
                raise MD5Error("the scene has no armature: MD5 needs a skeleton (add an armature and weight the "
                               "meshes to its bones)")
            raise MD5Error("%d armatures and %d of them selected: select the one to export" %
                           (len(armatures), len(selected)))
        if not armatures:
            raise MD5Error("the scene has no armature: MD5 needs a skeleton (add an armature and weight the meshes to "
                           "its bones)")
        return armatures[0]

    def run(self, context):
        scene = context.scene
        armature = self.armature(context)
        meshes = deformed_meshes(armature, scene)
        if not meshes:
            raise MD5Error("no mesh is deformed by %s: give a mesh an Armature modifier on it" % armature.name)
        bones = {bone.name for bone in armature.data.bones}
        for mesh in meshes:
            groups = {g.index for g in mesh.vertex_groups if g.name in bones}
            if not any(e.group in groups and e.weight > 0 for v in mesh.data.vertices for e in v.groups):
                raise MD5Error("%s has no weights on %s's bones: weight its vertices (Weight Paint, or Parent > "
                               "With Automatic Weights)" % (mesh.name, armature.name))
        directory = bpy.path.abspath(self.directory or "//")
        name = self.name or armature.name
        rate = self.fps or int(round(scene.render.fps / scene.render.fps_base))
        actions = bone_actions(armature)
        with tempfile.TemporaryDirectory(prefix="md5-export-") as folder:
            glb = os.path.join(folder, "model.glb")
            self.write_gltf(context, armature, meshes, actions, glb)
            out = os.path.join(folder, "md5")
            target = {"FILES": ["-o", out], "MOD": ["--mod", out],
                      "PK4": ["--pk4", os.path.join(folder, name + ".pk4")]}[self.layout]
            fit = ["--target", self.target] if self.target != "library" else []
            warnings, _ = run_md5tool(context, ["import", glb] + target + fit + ["--name", name, "--fps", str(rate),
                                                "--scale", repr(self.scale)], glb, armature.name)
            say(self, "WARNING", warnings)
            if self.layout == "PK4":
                out = folder
            written = sorted(os.path.relpath(os.path.join(root, file), out) for root, _, files in os.walk(out)
                             for file in files if self.layout != "PK4" or file == name + ".pk4")
            for file in written:
                os.makedirs(os.path.dirname(os.path.join(directory, file)), exist_ok=True)
                shutil.copyfile(os.path.join(out, file), os.path.join(directory, file + ".partial"))
            for file in written:
                os.replace(os.path.join(directory, file + ".partial"), os.path.join(directory, file))
        say(self, "INFO", ["%s: %s" % (directory, ", ".join(written))])
        return {"FINISHED"}

    def write_gltf(self, context, armature, meshes, actions, path):
        """The armature, its meshes and each action as one glTF animation (an NLA track
        an action, for the time of the export), every weight kept."""
        data = armature.animation_data or armature.animation_data_create()
        saved = (data.action, getattr(data, "action_slot", None), [(t, t.mute) for t in data.nla_tracks])
        for track, _ in saved[2]:
            track.mute = True
        added, shifted = [], []
        try:
            play(data, None)
            # MD5 clips start at their first frame, and glTF's exporter writes an action's
            # frame F at F / fps: each action slides to frame 0 for the export, so that the
            # frames Blender shows for it are the clip's frames.
            for action, slot in actions:
                start = action.frame_range[0]
                if start != 0:
                    slide(action, -start)
                    shifted.append((action, start))
                track = data.nla_tracks.new()
                track.name = action.name
                play(track.strips.new(action.name, 0, action), action, slot)
                added.append(track)
            selection = {o: o.select_get() for o in context.scene.objects}
            for o in context.scene.objects:
                o.select_set(o == armature or o in meshes)
            try:
                options = operator_options(bpy.ops.export_scene.gltf, {
                    "filepath": path, "export_format": "GLB", "use_selection": True, "export_all_influences": True,
                    "export_animations": True, "export_nla_strips": True, "export_force_sampling": True,
                    "export_skins": True, "export_apply": False, "export_yup": True, "export_def_bones": False,
                    "export_morph": False, "export_cameras": False, "export_lights": False,
                })
                result = bpy.ops.export_scene.gltf(**options)
            finally:
                for o, chosen in selection.items():
                    o.select_set(chosen)
            if "FINISHED" not in result:
                raise MD5Error("Blender's glTF exporter did not write the model")
        finally:
            for track in added:
                data.nla_tracks.remove(track)
            for action, start in shifted:
                slide(action, start)
            play(data, saved[0], saved[1])
            for track, mute in saved[2]:
                track.mute = mute


# --- Registration ----------------------------------------------------------------

class MD5Preferences(bpy.types.AddonPreferences):
    bl_idname = __name__

    md5tool: StringProperty(name="md5tool", subtype="FILE_PATH", default="",
                            description="Another md5tool to run (default: the one the add-on carries for this system)")

    def draw(self, context):
        self.layout.prop(self, "md5tool")


def menu_import(self, context):
    self.layout.operator(ImportMD5.bl_idname, text="MD5 (.md5mesh)")


def menu_export(self, context):
    self.layout.operator(ExportMD5.bl_idname, text="MD5")


classes = (MD5Preferences, ImportMD5, ExportMD5)


def register():
    for cls in classes:
        bpy.utils.register_class(cls)
    bpy.types.TOPBAR_MT_file_import.append(menu_import)
    bpy.types.TOPBAR_MT_file_export.append(menu_export)


def unregister():
    bpy.types.TOPBAR_MT_file_export.remove(menu_export)
    bpy.types.TOPBAR_MT_file_import.remove(menu_import)
    for cls in reversed(classes):
        bpy.utils.unregister_class(cls)
