"""Every step type through keywords, and the refusals that leave the cells alone."""
import math
import warnings

import numpy as np
import pytest

import torvane
from conftest import count, make_substrate

SI, OXIDE, AL, CU, RESIST, N_SI = 1, 3, 4, 5, 11, 14

half_mask = np.zeros((16, 16), dtype=bool)
half_mask[:8, :] = True  # opaque over x < 8

# (step, keywords, what must hold afterwards given the cells before and after)
STEPS = [
    ("CVD", dict(material="Thermal Si02", thickness=2.0),
     lambda b, a: np.count_nonzero(a == OXIDE) > 0 and np.array_equal(a[b == SI], b[b == SI])),
    ("Isotropic Deposition", dict(material=OXIDE, film_thickness=2.0),
     lambda b, a: np.count_nonzero(a == OXIDE) > 0),
    ("Anisotropic Deposition", dict(material=AL, film_thickness=3.0, horizontal_to_vertical_ratio=0.5),
     lambda b, a: np.count_nonzero(a == AL) > 0),
    ("Moore deposition", dict(material=CU, thickness=2),
     lambda b, a: np.all(a[:, :, 8:10] == CU) and np.all(a[:, :, 10:] == 0)),
    ("PVD", dict(material=AL, thickness=2.0, horizontal_to_vertical_ratio=0.2, deposit_on=1),
     lambda b, a: np.count_nonzero(a == AL) > 0),
    ("Spin Coating", dict(material="Photoresist +", maximum_height=12),
     lambda b, a: np.all(a[:, :, 8:12] == RESIST) and np.all(a[:, :, 12:] == 0)),
    ("Electroplating", dict(film_thickness=2.0, conducting_material=SI, deposited_material=CU),
     lambda b, a: np.count_nonzero(a == CU) > 0),
    ("Isotropic etching", dict(material=SI, depth=2.0),
     lambda b, a: np.count_nonzero(a == SI) < np.count_nonzero(b == SI)),
    ("Anisotropic Etching", dict(material=SI, etch_depth=2.0, horizontal_to_vertical_ratio=0.0),
     lambda b, a: np.count_nonzero(a == SI) < np.count_nonzero(b == SI)),
    ("Moore etching", dict(material=SI, depth=2),
     lambda b, a: np.all(a[:, :, 6:] == 0) and np.all(a[:, :, :6] == SI)),
    ("Simple RIE", dict(material=SI, etch_depth=3, etch_direction_value=1),
     lambda b, a: np.all(a[:, :, 5:] == 0) and np.all(a[:, :, :5] == SI)),
    ("Planarization", dict(maximum_height=6, minimum_height=0),
     lambda b, a: np.all(a[:, :, 6:] == 0) and np.all(a[:, :, :6] == SI)),
    ("Doping", dict(doping_depth=2.0, doped_material="N-doped Si (100)"),
     lambda b, a: np.count_nonzero(a == N_SI) > 0),
    ("Ion Implantation", dict(annealing_distance=1.0, implantation_depth=2.0, vertical_spread=1.0,
                              doped_material=N_SI),
     lambda b, a: np.count_nonzero(a == N_SI) > 0),
    ("Si Oxidation", dict(oxidation_time_set=False, micron_conversion=1.0, oxidation_thickness=2.0),
     lambda b, a: np.count_nonzero(a == OXIDE) > 0),
    ("Si Oxidation", dict(oxidation_time_set=True, micron_conversion=30.0, oxidation_pressure=1.0,
                          oxidation_temperature=1373.0, oxidation_time=1.0),
     lambda b, a: np.count_nonzero(a == OXIDE) > 0),
    ("Doping (Random Walk CA)", dict(cell_size=1.0, time_step_duration=0.1, diffusion_coefficient=1.0,
                                     doping_time=1.0, doping_threshold=0.5, surface_concentration=10.0,
                                     material=N_SI),
     lambda b, a: not np.array_equal(a, b)),
    ("Si wet etching", dict(depth=2.0),
     lambda b, a: np.count_nonzero(a == SI) < np.count_nonzero(b == SI)),
    ("Si Oxidation", dict(oxidation_time_set=True, micron_conversion=10.0, oxidation_pressure=1.0,
                          oxidation_temperature=1373.0, oxidation_time=1.0, ambient=1, orientation=111),
     lambda b, a: np.count_nonzero(a == OXIDE) > 0),
    ("Anisotropic Wet Etch", dict(etchant=0, concentration=30.0, temperature=80.0, time=1.5),
     lambda b, a: np.count_nonzero(a == SI) < np.count_nonzero(b == SI)),
    ("Save Image", dict(filename=""),
     lambda b, a: np.array_equal(a, b)),
]


@pytest.mark.parametrize("step,keywords,holds", STEPS, ids=[s[0] for s in STEPS])
def test_step_runs_by_keywords(si, step, keywords, holds):
    before = si.materials
    si.run(step, **keywords)
    assert holds(before, si.materials)


def test_photolithography_takes_masks_as_arrays_indexed_x_y():
    vol = make_substrate()
    vol.run("Spin Coating", material=RESIST, maximum_height=12)
    before = vol.materials
    vol.run("Photolithography", material=RESIST, top_mask=half_mask,
            bottom_mask=np.zeros((0, 0), dtype=bool))
    after = vol.materials
    # Only one half of the resist is exposed and removed; the other keeps it.
    kept_low = np.array_equal(after[:8, :, 8:12], before[:8, :, 8:12])
    kept_high = np.array_equal(after[8:, :, 8:12], before[8:, :, 8:12])
    assert kept_low != kept_high


def test_create_substrate_through_run_replaces_the_cells(si):
    si.run("Create Substrate", material=OXIDE, volume_size_x=4, volume_size_y=5, volume_size_z=6,
           substrate_size_x=4, substrate_size_y=5, substrate_size_z=2, spherical_substrate=False,
           lower_left_front_corner=(0, 0, 0), substrate_delta_x=0, substrate_delta_y=0, substrate_delta_z=0)
    assert si.size == (4, 5, 6)
    assert count(si, OXIDE) == 4 * 5 * 2


def test_material_by_name_and_by_id_give_the_same_cells():
    by_name = make_substrate()
    by_id = make_substrate()
    by_name.run("CVD", material="Thermal Si02", thickness=2.0)
    by_id.run("CVD", material=OXIDE, thickness=2.0)
    assert np.array_equal(by_name.materials, by_id.materials)


def test_numpy_scalars_are_taken_as_numbers(si):
    reference = make_substrate()
    reference.run("Moore deposition", material=CU, thickness=3)
    si.run("Moore deposition", material=np.uint32(CU), thickness=np.float32(3.0))
    assert np.array_equal(si.materials, reference.materials)
    # numpy's bool_ is a flag, not the index 0 or 1 (which numpy warns about, and will refuse).
    by_flag = make_substrate()
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        by_flag.run("Si Oxidation", oxidation_time_set=np.bool_(False), micron_conversion=1.0,
                    oxidation_thickness=2.0)
    by_bool = make_substrate()
    by_bool.run("Si Oxidation", oxidation_time_set=False, micron_conversion=1.0, oxidation_thickness=2.0)
    assert np.array_equal(by_flag.materials, by_bool.materials)


REFUSED = [
    # (step, keywords, code, the runner's sentence)
    ("CVD", dict(material=OXIDE, thicknes=2.0), 2,
     'The process "CVD" has no parameter "thicknes". Did you mean thickness or film_thickness?'),
    ("CVD", dict(thickness=2.0), 1, 'The parameter "Material_Id" is missing or has no value.'),
    ("CVD", dict(material=OXIDE, thickness="thick"), 2, 'The value of "Thickness" is not a number.'),
    ("CVD", dict(material=OXIDE, thickness=[2.0]), 2, 'The value of "Thickness" is not a number.'),
    ("CVD", dict(material=OXIDE, thickness=math.nan), 2,
     '"Thickness" must be a finite number from 0 to 1000000000 units, not nan.'),
    ("CVD", dict(material=OXIDE, thickness=-1.0), 2,
     '"Thickness" must be a finite number from 0 to 1000000000 units, not -1.'),
    ("CVD", dict(material="Unobtainium", thickness=2.0), 2,
     'There is no material named "Unobtainium" (given by "Material_Id") in the materials catalogue.'),
    ("CVD", dict(material=999, thickness=2.0), 2,
     'Material 999 given by "Material_Id" is not in the materials catalogue.'),
    ("Moore etching", dict(material=SI, depth=math.inf), 2,
     '"Depth" must be a finite number from 1 to 999999999 cells, not inf.'),
    ("Planarization", dict(maximum_height=2, minimum_height=5), 2,
     '"Minimum Height" (5) is above "Maximum Height" (2).'),
    ("Planarization", dict(maximum_height=-2, minimum_height=0), 2,
     'The value of "Maximum Height" is not a whole number of zero or more.'),
    ("PVD", dict(material=AL, thickness=1.0, horizontal_to_vertical_ratio=0.5, deposit_on=7), 2,
     '"DepositOn" must be 1 (top), 2 (bottom) or 3 (both sides), not 7.'),
    ("Photolithography", dict(material=RESIST, top_mask=[1, 0], bottom_mask=np.zeros((0, 0), bool)), 2,
     'The value of "Top Mask" is not a bit mask.'),
    ("Photolithography", dict(material=RESIST, top_mask=half_mask, top_mask_width=3,
                              bottom_mask=np.zeros((0, 0), bool)), 2,
     '"Top Mask" holds 256 bits, but a mask of 3 x 16 cells needs 48.'),
    ("Create Substrate", dict(material=SI, volume_size_x=0, volume_size_y=4, volume_size_z=4,
                              substrate_size_x=1, substrate_size_y=1, substrate_size_z=1,
                              spherical_substrate=False, lower_left_front_corner=(0, 0, 0),
                              substrate_delta_x=0, substrate_delta_y=0, substrate_delta_z=0), 1,
     '"Volume Size X" must be a finite number from 1 to 1000000000 cells, not 0.'),
    ("Create Substrate", dict(material=SI, volume_size_x=4, volume_size_y=4, volume_size_z=4,
                              substrate_size_x=1, substrate_size_y=1, substrate_size_z=1,
                              spherical_substrate=False, lower_left_front_corner=(0, math.nan, 0),
                              substrate_delta_x=0, substrate_delta_y=0, substrate_delta_z=0), 1,
     '"Lower Left Front Corner" must be a finite position.'),
    ("CVDD", dict(), 3, 'There is no process named "CVDD". Did you mean "CVD" or "PVD"?'),
]


@pytest.mark.parametrize("step,keywords,code,reason", REFUSED, ids=[r[3][:40] for r in REFUSED])
def test_refused_step_raises_the_runners_sentence_and_keeps_the_cells(si, step, keywords, code, reason):
    si.run("CVD", material=OXIDE, thickness=1.0)
    before = si.materials
    size = si.size
    with pytest.raises(torvane.StepError) as raised:
        si.run(step, **keywords)
    assert raised.value.code == code
    assert raised.value.reason == reason
    assert si.size == size
    assert np.array_equal(si.materials, before)


def test_impossible_substrate_size_is_refused_by_the_runner():
    with pytest.raises(torvane.StepError) as raised:
        torvane.substrate(material=SI, volume_size_x=100000, volume_size_y=100000, volume_size_z=100000,
                          substrate_size_x=1, substrate_size_y=1, substrate_size_z=1)
    # Create Substrate reports every failure as code 1, with the reason.
    assert raised.value.code == 1
    assert "is too large" in raised.value.reason


def test_every_step_type_is_offered_with_snake_case_keywords():
    types = torvane.step_types()
    assert len(types) == 26
    assert types["CVD"] == {"material": ("Material_Id", "material name or id"),
                            "thickness": ("Thickness", "number")}
    pvd = types["PVD"]
    assert pvd["deposit_on"][0] == "DepositOn"
    assert pvd["horizontal_to_vertical_ratio"][0] == "Horizontal to Vertical Ratio"
    substrate = types["Create Substrate"]
    # Both kinds of substrate: a box and a sphere.
    for keyword in ("spherical_substrate", "substrate_radius", "substrate_center_x", "substrate_delta_z",
                    "lower_left_front_corner"):
        assert keyword in substrate
    oxidation = types["Si Oxidation"]
    for keyword in ("oxidation_time", "oxidation_temperature", "oxidation_pressure", "oxidation_thickness",
                    "ambient", "orientation"):
        assert keyword in oxidation
    assert set(types["Anisotropic Wet Etch"]) == {"etchant", "concentration", "temperature", "time"}
    assert set(types["Electroplating"]) == {"film_thickness", "conducting_material", "deposited_material"}
