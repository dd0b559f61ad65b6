"""Cross-sections, measurements and exports of a volume from Python."""
import os
import struct

import numpy as np
import pytest

import torvane
from conftest import make_substrate


@pytest.fixture
def stack():
    """Si to z = 6 under 2 cells of oxide on a 12 x 10 x 12 volume, cells 0.5 x 1 x 2."""
    vol = torvane.Volume(size=(12, 10, 12), cell=(0.5, 1.0, 2.0))
    cells = np.zeros((12, 10, 12), dtype=np.uint32)
    cells[:, :, :6] = 1
    cells[:, :, 6:8] = 3
    cells[3, 4, 8] = 16  # a poly-Si bump on one column
    vol.set_materials(cells)
    return vol


def test_section_cells_are_the_planes_of_the_cell_array(stack):
    m = stack.materials
    # [row, column] with row 0 at the bottom.
    np.testing.assert_array_equal(stack.section_cells("x", 3), m[3, :, :].T)
    np.testing.assert_array_equal(stack.section_cells("y", 4), m[:, 4, :].T)
    np.testing.assert_array_equal(stack.section_cells("z", 7), m[:, :, 7].T)


def test_section_picture_and_png(tmp_path, stack):
    picture = stack.section("y", 4)
    assert picture.dtype == np.uint8 and picture.shape[2] == 4
    assert 800 <= picture.shape[1] <= 1700
    # Some pixel shows the oxide's catalogue colour.
    oxide = next(m for m in torvane.materials() if m["id"] == 3)["color"]
    rgb = np.array([round(c * 255) for c in oxide[:3]])
    assert np.any(np.all(np.abs(picture[:, :, :3].astype(int) - rgb) <= 1, axis=2))
    path = str(tmp_path / "y4.png")
    assert stack.section("y", 4, path=path) == path
    assert open(path, "rb").read(8) == b"\x89PNG\r\n\x1a\n"


@pytest.mark.parametrize("call, error", [
    (lambda v: v.section_cells("w", 1), ValueError),
    (lambda v: v.section_cells("x", 12), ValueError),
    (lambda v: v.section_cells("z", -1), ValueError),
    (lambda v: v.section("x", 0, particles="q"), ValueError),
    (lambda v: v.measure(columns=[(12, 0)]), ValueError),
    (lambda v: v.measure(columns=[(1,)]), TypeError),
    (lambda v: v.section("x", 1, path="/no/such/folder/x.png"), OSError),
    (lambda v: v.export_vti("/no/such/folder/v.vti"), OSError),
    (lambda v: v.export_stl("/no/such/folder/s"), OSError),
    (lambda v: v.export_stl("s", surface="round"), ValueError),
])
def test_bad_requests_raise_and_write_nothing(stack, call, error):
    before = stack.materials
    with pytest.raises(error):
        call(stack)
    np.testing.assert_array_equal(before, stack.materials)


def test_measure_matches_the_cells(tmp_path, stack):
    result = stack.measure(columns=[(3, 4), (0, 0)])
    m = stack.materials
    by_id = {entry["id"]: entry for entry in result["materials"]}
    for material in (1, 3, 16):
        assert by_id[material]["cells"] == int(np.count_nonzero(m == material))
        assert by_id[material]["volume"] == pytest.approx(by_id[material]["cells"] * 0.5 * 1.0 * 2.0)
    layers = [(l["material_id"], l["z_from"], l["z_to"]) for l in result["columns"][0]["layers"]]
    assert layers == [(1, 0, 12), (3, 12, 16), (16, 16, 18), (0, 18, 24)]
    assert result["top_surface"]["max"] == 18
    path = str(tmp_path / "m.json")
    assert stack.measure(path=path)["materials"] == result["materials"]
    assert os.path.exists(str(tmp_path / "m-materials.csv"))


def test_stl_encloses_the_cells_of_each_material(tmp_path, stack):
    files = stack.export_stl(str(tmp_path / "s"))
    assert sorted(os.path.basename(f) for f in files) == ["s-1.stl", "s-16.stl", "s-3.stl"]
    data = open(str(tmp_path / "s-16.stl"), "rb").read()
    count = struct.unpack_from("<I", data, 80)[0]
    assert count == 12  # one cell: six faces of two triangles
    volume = 0.0
    for t in range(count):
        v = np.array(struct.unpack_from("<9f", data, 84 + 50 * t + 12)).reshape(3, 3)
        volume += np.dot(v[0], np.cross(v[1], v[2])) / 6.0
    assert volume == pytest.approx(0.5 * 1.0 * 2.0)
    vti = stack.export_vti(str(tmp_path / "v.vti"))
    assert b'Name="material"' in open(vti, "rb").read()


def test_smooth_stl_is_closed_and_outward(tmp_path):
    # A ball of radius 10 cells: a smooth surface of about its area, every edge in two triangles.
    size = 24
    c = (np.indices((size, size, size)) + 0.5 - size / 2.0)
    ball = (c[0] ** 2 + c[1] ** 2 + c[2] ** 2 <= 100).astype(np.uint32) * 9
    vol = torvane.Volume(size=(size, size, size))
    vol.set_materials(ball)
    files = vol.export_stl(str(tmp_path / "b"), surface="smooth")
    assert [os.path.basename(f) for f in files] == ["b-9.stl"]
    data = open(files[0], "rb").read()
    count = struct.unpack_from("<I", data, 80)[0]
    assert len(data) == 84 + 50 * count
    edges = {}
    area = volume = 0.0
    for t in range(count):
        v = np.array(struct.unpack_from("<9f", data, 84 + 50 * t + 12)).reshape(3, 3)
        area += np.linalg.norm(np.cross(v[1] - v[0], v[2] - v[0])) / 2
        volume += np.dot(v[0], np.cross(v[1], v[2])) / 6.0
        for k in range(3):
            edge = (tuple(v[k]), tuple(v[(k + 1) % 3]))
            edges[edge] = edges.get(edge, 0) + 1
    assert all(n == 1 and edges.get((b, a)) == 1 for (a, b), n in edges.items())
    assert volume == pytest.approx(float(np.count_nonzero(ball)), rel=0.02)
    assert area == pytest.approx(4 * np.pi * 100, rel=0.05)


def test_substrate_section_through_the_step_runner():
    vol = make_substrate(size=(8, 8, 8), height=4)
    vol.run("CVD", material="Thermal Si02", thickness=2.0)
    cells = vol.section_cells("x", 2)
    assert list(cells[:, 3]) == [1, 1, 1, 1, 3, 3, 0, 0]
