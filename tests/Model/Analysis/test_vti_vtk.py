"""The .vti files Torvane writes, read back with VTK's own XML reader."""
import os
import subprocess

import pytest
import vtk
from vtk.util.numpy_support import vtk_to_numpy

IDS = [0, 1, 3, 9]
SX, SY, SZ = 5, 4, 3


def read(path):
    reader = vtk.vtkXMLImageDataReader()
    reader.SetFileName(str(path))
    reader.Update()
    assert reader.GetErrorCode() == 0
    image = reader.GetOutput()
    assert image is not None and image.GetNumberOfCells() > 0
    return image


@pytest.fixture(scope="module")
def samples(tmp_path_factory):
    folder = tmp_path_factory.mktemp("vti")
    env = dict(os.environ, HOME=str(folder))
    subprocess.run([os.environ["TORVANE_VTI_SAMPLES"], str(folder)], check=True, env=env, cwd=folder)
    return folder


def cell_id(x, y, z):
    # VTK's cell order: x fastest, then y, then z.
    return x + SX * (y + SY * z)


FORMS = ["", "-zlib"]


@pytest.mark.parametrize("form", FORMS)
def test_geometry_is_the_volume(samples, form):
    image = read(samples / f"sample{form}.vti")
    assert image.GetDimensions() == (SX + 1, SY + 1, SZ + 1)
    assert image.GetSpacing() == pytest.approx((1.0, 2.0, 0.5))
    assert image.GetOrigin() == pytest.approx((1.0, -2.0, 3.0))
    assert image.GetNumberOfCells() == SX * SY * SZ


@pytest.mark.parametrize("form", FORMS)
def test_material_and_particles_equal_the_cells(samples, form):
    data = read(samples / f"sample{form}.vti").GetCellData()
    assert data.GetScalars().GetName() == "material"
    material = vtk_to_numpy(data.GetArray("material"))
    particles = vtk_to_numpy(data.GetArray("particles"))
    n = vtk_to_numpy(data.GetArray("particles_n"))
    assert data.GetArray("particles_p") is None
    for x in range(SX):
        for y in range(SY):
            for z in range(SZ):
                i = cell_id(x, y, z)
                assert material[i] == IDS[(x + 2 * y + 3 * z) % 4], (x, y, z)
                # A cell's whole count: 100x + 10y + z staying and one leaving each way.
                assert particles[i] == 100 * x + 10 * y + z + 6
                assert n[i] == particles[i]


@pytest.mark.parametrize("form", FORMS)
def test_dopant_concentration_is_float_cell_data(samples, form):
    data = read(samples / f"sample{form}.vti").GetCellData()
    boron = data.GetArray("dopant_B")
    assert boron.GetDataType() == vtk.VTK_FLOAT
    assert data.GetArray("dopant_P") is None
    values = vtk_to_numpy(boron)
    for x in range(SX):
        for y in range(SY):
            for z in range(SZ):
                assert values[cell_id(x, y, z)] == pytest.approx((x + 10 * y + 100 * z) * 1e15, rel=1e-6)


@pytest.mark.parametrize("form", FORMS)
def test_volume_without_counts_has_only_material(samples, form):
    data = read(samples / f"plain{form}.vti").GetCellData()
    assert data.GetNumberOfArrays() == 1
    assert data.GetArray("material").GetDataType() == vtk.VTK_UNSIGNED_INT


@pytest.mark.parametrize("form", FORMS)
def test_large_volume_comes_back_cell_for_cell(samples, form):
    import numpy as np
    image = read(samples / f"large{form}.vti")
    assert image.GetDimensions() == (71, 61, 81)
    material = vtk_to_numpy(image.GetCellData().GetArray("material")).reshape(80, 60, 70)  # z, y, x
    z, y, x = np.meshgrid(np.arange(80), np.arange(60), np.arange(70), indexing="ij")
    assert np.array_equal(material, (7 * x + 3 * y + z) % 5)
