#pragma once

// Small Quake and Quake 2 bases made at run time, with the files the remasters add:
// a soldier of four joints (origin; head, with an eye below it; weapon), three meshes
// (body on the origin, head on the head and the eye, weapon on the weapon) and one
// clip of six frames at 24 frames a second, in which the origin moves one unit along x
// a frame. Its old model names the frames stand1-3 and run1-3.
#include <string>
#include <utility>
#include <vector>

#include "support/temp_folder.h"

namespace brmath_test {

struct QuakeFiles {
    std::string quake;   // id1/: pak0.pak and pak1.pak, and loose files under them
    std::string quake2;  // baseq2/pak0.pak
};

// id1/pak0.pak: progs/soldier.mdl, .md5mesh and .md5anim (shaders "soldier" and
// "weapon"), gfx/palette.lmp and progs/soldier_00_00.lmp, a 4 x 2 skin whose pixel
// (3, 0) is full bright (index 250); pak1.pak: progs/weapon_00_00.png with
// progs/weapon_00_00_glow.png. Loose, under them: a soldier_00_00.lmp with no full
// brights. baseq2/pak0.pak: models/soldier/tris.md2 listing models/soldier/skin.pcx,
// and md5/tris.md5mesh, .md5anim, .md5scale (the head hidden at frame 4, the weapon
// twice its size with scale_positions at frame 5) and md5/skin.pcx.
QuakeFiles WriteQuakeFiles(const TempFolder& folder);

// The soldier's files, for tests that build bases of their own.
std::string SoldierMesh();
std::string SoldierClip();
std::string SoldierScale();

// A .pcx of the tests' palette, in which index i is (i, 255 - i, i / 2); the other old
// formats are quake_writer.h's.
std::string Pcx(int width, int height, const std::vector<uint8_t>& indices);
std::string Palette();

}  // namespace brmath_test
