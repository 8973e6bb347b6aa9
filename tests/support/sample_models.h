#pragma once

#include <string>

namespace brmath_test {

// A two-joint rig: "origin" at the root and "hip" one unit up the y axis, one mesh of
// three vertices. Vertex 0 sits on origin, vertex 1 on hip, vertex 2 is shared half
// and half.
inline const std::string kRigMesh = R"(MD5Version 10
commandline "made by the tests"

numJoints 2
numMeshes 1

joints {
	"origin"	-1 ( 0 0 0 ) ( 0 0 0 )		// the root
	"hip"	0 ( 0 1 0 ) ( 0 0 0 )		// origin's child
}

mesh {
	// meshes: body
	shader "models/body.tga"

	numverts 3
	vert 0 ( 0 0 ) 0 1
	vert 1 ( 1 0 ) 1 1
	vert 2 ( 0 1 ) 2 2

	numtris 1
	tri 0 0 1 2

	numweights 4
	weight 0 0 1 ( 0 0 0 )
	weight 1 1 1 ( 1 0 0 )
	weight 2 1 0.5 ( 0 0 2 )
	weight 3 0 0.5 ( 0 2 0 )
}
)";

// A two-frame clip of the rig: origin static, hip animated in position x and
// orientation x.
inline const std::string kTwoFrameHipClip = R"(MD5Version 10
commandline "made by the tests"

numFrames 2
numJoints 2
frameRate 24
numAnimatedComponents 2

hierarchy {
	"origin"	-1 0 0	//
	"hip"	0 9 0	// Tx Qx
}

bounds {
	( -1 -1 -1 ) ( 1 1 1 )
	( -1 -1 -1 ) ( 1 1 1 )
}

baseframe {
	( 0 0 0 ) ( 0 0 0 )
	( 0 1 0 ) ( 0 0 0 )
}

frame 0 {
	0.5 0.6
}

frame 1 {
	0.7 0.8
}
)";

// The text with the first occurrence of `from` replaced (the tests' way of breaking a
// sample file in one place); `from` must occur.
std::string ReplaceOnce(std::string text, const std::string& from, const std::string& to);

// Builds a clip of `frames` frames in which the root "origin" moves to (f, 0, 0) at
// frame f and "hip" (under origin) moves to (0, 1, f) at frame f, both unrotated.
std::string MakeLinearClip(int frames);

}  // namespace brmath_test
