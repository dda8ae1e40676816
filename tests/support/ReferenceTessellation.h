#pragma once

#include "mesh/PolygonsIndexedNormal.h"
#include "primitives/PrimitiveParametric.h"

// The straightforward reading of the tessellation and normal rules: every
// surface function evaluated per vertex through the virtual calls, every face
// normal scattered into its three vertices in triangle order. Slow on purpose;
// the production code must match it bit for bit.
namespace VextalReference {

// Allocates the mesh and writes every vertex and triangle; normals stay zero.
void tessellate(const Vextal::PrimitiveParametric& primitive, Vextal::PolygonsIndexedNormal& mesh);
// The same over another grid than the primitive's counts.
void tessellate(const Vextal::PrimitiveParametric& primitive, Vextal::GridSize grid,
                Vextal::PolygonsIndexedNormal& mesh);

// Per-vertex normals from the mesh's vertices and triangles.
void computeNormals(Vextal::PolygonsIndexedNormal& mesh);

} // namespace VextalReference
