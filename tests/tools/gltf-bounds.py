#!/usr/bin/env python3
"""Reads a glTF (binary .glb, or .gltf with its buffer embedded as base64)
with nothing but the standard library, checks what every reader relies on
(the position accessor's bounds are those of the positions in the buffer,
each index names a vertex), and prints the positions' bounds:
    gltf-bounds.py FILE  ->  "xmin ymin zmin xmax ymax zmax"; exit 1 on a fault
"""
import base64
import json
import struct
import sys

data = open(sys.argv[1], "rb").read()
if data[:4] == b"glTF":
    length, kind = struct.unpack_from("<I4s", data, 12)
    assert kind == b"JSON", kind
    document = json.loads(data[20:20 + length])
    binary_at = 20 + length
    binary_length, kind = struct.unpack_from("<I4s", data, binary_at)
    assert kind == b"BIN\0", kind
    buffer = data[binary_at + 8:binary_at + 8 + binary_length]
else:
    document = json.loads(data)
    uri = document["buffers"][0]["uri"]
    buffer = base64.b64decode(uri.split(",", 1)[1])
assert len(buffer) >= document["buffers"][0]["byteLength"], "buffer shorter than it says"


def read(accessor_index, form):
    accessor = document["accessors"][accessor_index]
    view = document["bufferViews"][accessor["bufferView"]]
    start = view.get("byteOffset", 0) + accessor.get("byteOffset", 0)
    size = struct.calcsize("<" + form)
    items = [struct.unpack_from("<" + form, buffer, start + k * size) for k in range(accessor["count"])]
    assert start + len(items) * size <= view.get("byteOffset", 0) + view["byteLength"], "past its view"
    return accessor, items


primitive = document["meshes"][0]["primitives"][0]
positions_accessor, positions = read(primitive["attributes"]["POSITION"], "3f")
indices_accessor, indices = read(primitive["indices"], "I")
low = [min(p[k] for p in positions) for k in range(3)]
high = [max(p[k] for p in positions) for k in range(3)]
if positions_accessor["min"] != low or positions_accessor["max"] != high:
    # The accessor's bounds are written as decimals: the same float within its precision.
    for said, real in zip(positions_accessor["min"] + positions_accessor["max"], low + high):
        if abs(said - real) > 1e-6 * max(1.0, abs(real)):
            sys.exit(f"accessor bounds {positions_accessor['min']} {positions_accessor['max']} "
                     f"are not the positions' {low} {high}")
assert all(0 <= i[0] < len(positions) for i in indices), "an index names no vertex"
assert len(indices) % 3 == 0, "indices are not whole triangles"
print(" ".join(f"{value:.9g}" for value in low + high))
