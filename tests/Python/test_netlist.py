"""Cantilever netlists and the volume's unit length from Python."""
import math
import os
import subprocess

import numpy as np
import pytest

import torvane
from conftest import BATCH, EXAMPLES, make_substrate


def beam_volume(material, length=20, width=3, thickness=2):
    """An oxide anchor with one beam of `material` along +x, nothing above or below it."""
    vol = make_substrate(size=(length + 5, width + 2, thickness + 2), height=1)
    cells = np.zeros((length + 5, width + 2, thickness + 2), dtype=np.uint32)
    cells[:3, :, :] = 3
    cells[3:3 + length, 1:1 + width, 1:1 + thickness] = material
    vol.set_materials(cells)
    return vol


def catalogue(name):
    return next(m for m in torvane.materials() if m["name"] == name)


@pytest.mark.parametrize("name", ["Au (bulk)", "Al (bulk)"])
def test_beam_frequency_is_the_euler_bernoulli_first_mode(tmp_path, name):
    m = catalogue(name)
    vol = beam_volume(m["id"])
    path = str(tmp_path / "beam.cir")
    beams = vol.extract_netlist(path)
    assert len(beams) == 1
    b = beams[0]
    # Cells of 1 unit, one unit 1 um: L = 20 um, w = 3 um, h = 2 um.
    L, w, h = 20e-6, 3e-6, 2e-6
    assert (b["length_m"], b["width_m"], b["thickness_m"]) == pytest.approx((L, w, h))
    f1 = 1.8751040687119611 ** 2 / (2 * math.pi) * math.sqrt(
        m["young_modulus"] * w * h ** 3 / 12 / (m["density"] * w * h)) / L ** 2
    assert b["frequency_hz"] == pytest.approx(f1, rel=0.05)
    assert b["frequency_hz"] == pytest.approx(1 / (2 * math.pi * math.sqrt(b["mass_kg"] * b["compliance_m_per_n"])))
    lines = open(path).read().splitlines()
    assert lines[0] == "Model extracted by Torvane" and lines[-1].strip() == ".end"
    values = {line.split()[0]: float(line.split()[3]) for line in lines[1:-1]}
    assert values["c1"] == pytest.approx(b["mass_kg"], rel=1e-5)
    assert values["l1"] == pytest.approx(b["compliance_m_per_n"], rel=1e-5)
    assert b["material"] == m["id"] and b["axis"] == "x" and b["cells"] == (20, 3, 2)


def test_no_cantilever_raises_and_writes_nothing(tmp_path):
    path = tmp_path / "none.cir"
    with pytest.raises(ValueError, match="No model data"):
        make_substrate().extract_netlist(str(path))
    assert not path.exists()
    with pytest.raises(OSError):
        beam_volume(9).extract_netlist("/no/such/folder/beam.cir")


@pytest.mark.skipif(not BATCH, reason="TORVANE_BATCH names no torvane-batch")
def test_extraction_is_the_one_torvane_batch_writes(tmp_path):
    document, batch_netlist = str(tmp_path / "c.tvn"), str(tmp_path / "batch.cir")
    subprocess.run([BATCH, os.path.join(EXAMPLES, "cantilever.plst"), "--out", document,
                    "--netlist", batch_netlist], check=True, capture_output=True)
    (vol,) = torvane.load(document)
    ours = str(tmp_path / "python.cir")
    beams = vol.extract_netlist(ours)
    assert open(ours).read() == open(batch_netlist).read()
    assert len(beams) == open(ours).read().count("\nc")


def test_unit_length_is_a_substrate_keyword_kept_by_documents(tmp_path):
    assert torvane.Volume(size=(2, 2, 2)).unit_length == 1.0
    assert make_substrate().unit_length == 1.0
    vol = torvane.substrate(material="Si", volume_size_x=4, volume_size_y=4, volume_size_z=4, unit_length=0.25)
    assert vol.unit_length == 0.25
    assert vol.copy().unit_length == 0.25
    path = vol.save(str(tmp_path / "u.tvn"))
    assert torvane.load(path)[0].unit_length == 0.25
    with pytest.raises(AttributeError):
        vol.unit_length = 2.0
    # Measurements and netlists go through it.
    assert vol.measure()["volume"]["cell"] == [0.25, 0.25, 0.25]
    assert vol.measure()["volume"]["units"] == "\u00b5m"


@pytest.mark.parametrize("bad", [0.0, -1.0, float("nan"), float("inf")])
def test_bad_unit_length_is_refused(bad):
    with pytest.raises(torvane.StepError, match="Unit Length"):
        torvane.substrate(material="Si", volume_size_x=4, volume_size_y=4, volume_size_z=4, unit_length=bad)


def test_frequency_scales_inversely_with_the_unit_length(tmp_path):
    # f1 grows with h / L^2: the same cells at half a micrometre per unit resonate twice as fast.
    m = catalogue("Au (bulk)")
    cells = beam_volume(m["id"]).materials
    small = torvane.substrate(material="Si", volume_size_x=cells.shape[0], volume_size_y=cells.shape[1],
                              volume_size_z=cells.shape[2], unit_length=0.5)
    small.set_materials(cells)
    one = beam_volume(m["id"]).extract_netlist(str(tmp_path / "one.cir"))[0]
    half = small.extract_netlist(str(tmp_path / "half.cir"))[0]
    assert half["frequency_hz"] == pytest.approx(2 * one["frequency_hz"], rel=1e-9)
    assert half["length_m"] == pytest.approx(one["length_m"] / 2)
