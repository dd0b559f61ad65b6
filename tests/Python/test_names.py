"""Names that match: keyword aliases, material spellings, the nearest names in errors, chaining, the version."""
import os
import subprocess
import sys

import numpy as np
import pytest

import torvane
from conftest import BATCH, count, make_substrate

DEFINITIONS = torvane.step_definitions()
ALIASED = [(d["name"], p) for d in DEFINITIONS for p in d["parameters"] if p["aliases"]]
OXIDE, POLY = 3, 16


def required(definition_name):
    """A material for the steps that need one, by the material keyword the step has."""
    definition = next(d for d in DEFINITIONS if d["name"] == definition_name)
    values = {}
    for p in definition["parameters"]:
        if p["required"] and p["kind"] == "material name or id":
            values[p["keyword"]] = "Poly-Si"
    return values


def test_the_spellings_that_differ_between_similar_steps_are_aliases():
    pairs = {(name, p["keyword"], alias) for name, p in ALIASED for alias in p["aliases"]}
    for expected in [("CVD", "thickness", "film_thickness"), ("Isotropic Deposition", "film_thickness", "thickness"),
                     ("Isotropic etching", "depth", "etch_depth"), ("Anisotropic Etching", "etch_depth", "depth")]:
        assert expected in pairs


@pytest.mark.parametrize("name,parameter", ALIASED, ids=["%s:%s" % (n, p["keyword"]) for n, p in ALIASED])
def test_an_alias_keyword_sets_the_same_parameter(name, parameter):
    # Poly-Si on silicon, which each of these steps changes by 2 (cells or units); the wet etch needs bare silicon.
    start = make_substrate()
    if name != "Si wet etching":
        start.run("CVD", material="Poly-Si", thickness=2)
    keywords = required(name)
    by_keyword = start.copy().run(name, **keywords, **{parameter["keyword"]: 2})
    assert not np.array_equal(by_keyword.materials, start.materials)
    for alias in parameter["aliases"]:
        aliased = start.copy().run(name, **keywords, **{alias: 2})
        assert np.array_equal(aliased.materials, by_keyword.materials), alias


def test_a_parameter_given_twice_is_refused_naming_both_keywords(si):
    before = si.materials
    with pytest.raises(torvane.StepError) as raised:
        si.run("CVD", material="Si", thickness=1, film_thickness=2)
    assert raised.value.code == 2
    assert "thickness" in str(raised.value) and "film_thickness" in str(raised.value)
    assert np.array_equal(si.materials, before)


@pytest.mark.parametrize("keyword", ["thickness", "film_thickness"])
def test_a_refusal_names_the_keyword_the_caller_used(si, keyword):
    with pytest.raises(torvane.StepError) as raised:
        si.run("CVD", material="Si", **{keyword: -1})
    # The runner's sentence stays as the runner says it; the message adds the keyword.
    assert raised.value.reason == '"Thickness" must be a finite number from 0 to 1000000000 units, not -1.'
    assert str(raised.value) == ('"Thickness" (%s) must be a finite number from 0 to 1000000000 units, not -1.'
                                 % keyword)


@pytest.mark.parametrize("spelling", ["Thermal SiO2", "Thermal Si02", "thermal sio2", OXIDE])
def test_thermal_oxide_is_found_however_it_is_spelled(si, spelling):
    si.run("CVD", material=spelling, thickness=2)
    assert count(si, OXIDE) > 0


def test_a_list_made_with_the_alias_stores_the_catalogue_name(si, tmp_path):
    # The step a script builds is the one a list holds: id 3, name "Thermal Si02".
    si.run("CVD", material="Thermal SiO2", thickness=2)
    by_name = make_substrate().run("CVD", material="Thermal Si02", thickness=2)
    assert np.array_equal(si.materials, by_name.materials)
    a, b = str(tmp_path / "a.tvn"), str(tmp_path / "b.tvn")
    si.save(a)
    by_name.save(b)
    assert open(a, "rb").read() == open(b, "rb").read()


@pytest.mark.parametrize("call,suggested", [
    (lambda v: v.run("Isotropic etchin", material="Si"), '"Isotropic etching"'),
    (lambda v: v.run("CVD", material="Si", thicknes=1), "thickness"),
    (lambda v: v.run("CVD", material="Thermal SiO3", thickness=1), '"Thermal Si02"'),
    (lambda v: v.run("CVD", material="Poly-Sj", thickness=1), '"Poly-Si"'),
])
def test_unknown_names_get_the_nearest_ones(si, call, suggested):
    before = si.materials
    with pytest.raises(torvane.StepError) as raised:
        call(si)
    assert "Did you mean " + suggested in str(raised.value), str(raised.value)
    assert np.array_equal(si.materials, before)


def test_photolithography_without_a_bottom_mask_means_none():
    resist = make_substrate().run("Pour Material", material="Photoresist +", maximum_height=10)
    top = np.zeros((16, 16), dtype=bool)
    top[:8, :] = True
    only_top = resist.copy().run("Photolithography", material="Photoresist +", top_mask=top)
    both = resist.copy().run("Photolithography", material="Photoresist +", top_mask=top,
                             bottom_mask=np.zeros((0, 0), dtype=bool))
    assert np.array_equal(only_top.materials, both.materials)
    # The resist stays under the opaque half only.
    assert count(only_top, 11) == 8 * 16 * 2
    # No mask at all develops every run of positive resist that meets empty space.
    bare = resist.copy().run("Photolithography", material="Photoresist +")
    assert count(bare, 11) == 0
    assert count(bare, 1) == count(resist, 1)


def test_run_returns_the_volume_so_steps_chain(si):
    returned = si.run("CVD", material="Poly-Si", thickness=1)
    assert returned is si
    chained = make_substrate().run("CVD", material="Poly-Si", thickness=1).run("Isotropic etching", material="Poly-Si",
                                                                              etch_depth=1)
    one_by_one = make_substrate()
    one_by_one.run("CVD", material="Poly-Si", thickness=1)
    one_by_one.run("Isotropic etching", material="Poly-Si", depth=1)
    assert np.array_equal(chained.materials, one_by_one.materials)


def test_the_module_has_the_projects_version():
    assert isinstance(torvane.__version__, str)
    parts = torvane.__version__.split(".")
    assert len(parts) >= 2 and all(p.isdigit() for p in parts), torvane.__version__


@pytest.mark.skipif(not BATCH, reason="TORVANE_BATCH names no torvane-batch")
def test_the_version_is_the_one_torvane_batch_and_torvane_sweep_print():
    for program in ("torvane-batch", "torvane-sweep"):
        path = os.path.join(os.path.dirname(BATCH), program)
        printed = subprocess.run([path, "--version"], capture_output=True, text=True, check=True).stdout
        assert printed == "%s %s\n" % (program, torvane.__version__)


def test_interpreter_exit_leaves_no_thread_storage_warnings(tmp_path):
    # Steps spread over the pool's threads; they must be gone before Qt's statics.
    script = ("import torvane\n"
              "v = torvane.substrate(material='Si', volume_size_x=48, volume_size_y=48, volume_size_z=24,\n"
              "                      substrate_size_x=48, substrate_size_y=48, substrate_size_z=12)\n"
              "v.run('CVD', material='Poly-Si', thickness=3).run('Moore deposition', material='Si', thickness=2)\n"
              "v.run('Si wet etching', depth=1)\n")
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=300,
                          env=dict(os.environ, HOME=str(tmp_path)))
    assert done.returncode == 0, done.stderr
    assert "QThreadStorage" not in done.stderr
    assert "QThread: Destroyed while thread is still running" not in done.stderr
