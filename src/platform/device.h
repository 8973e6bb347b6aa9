#pragma once

// The device the host draws with. Windows hosts pass the real Direct3D 8 device; other
// hosts implement the stand-in of brmath/d3d8_standin.h, which has the same two
// operations at the same places. Only a declaration is needed outside drawing.
struct IDirect3DDevice8;
