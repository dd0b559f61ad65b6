"""The keywords, names, defaults and ranges Python offers against the step registry's declarations."""
import csv
import os
import re
import subprocess

import numpy as np
import pytest

import torvane
from conftest import BATCH, make_substrate

HERE = os.path.dirname(os.path.abspath(__file__))
DEFINITIONS = torvane.step_definitions()
BY_NAME = {d["name"]: d for d in DEFINITIONS}


def snake_case(name):
    """The documented rule, written out again: words split at blanks, punctuation and capitals."""
    words = re.sub(r"([a-z0-9])([A-Z])", r"\1_\2", name)
    words = re.sub(r"([A-Z]+)([A-Z][a-z])", r"\1_\2", words)
    return "_".join(w.lower() for w in re.split(r"[^A-Za-z0-9]+", words.replace("_", " ")) if w)


def base_name(parameter):
    name = parameter["name"]
    return name[:-3] if parameter["kind"] == "material name or id" and name.endswith("_Id") else name


def required_keywords(definition, size):
    """Values for the keywords a step cannot do without, on a volume of that size."""
    values = {}
    for p in definition["parameters"]:
        if not p["required"]:
            continue
        if p["kind"] == "material name or id":
            values[p["keyword"]] = "Si"
        elif p["kind"].startswith("2-D array"):
            values[p["keyword"]] = np.zeros(size[:2], dtype=bool)
        elif p["kind"] == "text":
            values[p["keyword"]] = ""
        else:
            raise AssertionError("no stand-in for required %s of %s" % (p["keyword"], definition["name"]))
    return values


def test_every_list_step_is_offered_once_with_its_declared_names():
    types = torvane.step_types()
    assert list(types) == [d["name"] for d in DEFINITIONS]
    assert [d["type"] for d in DEFINITIONS] == sorted(d["type"] for d in DEFINITIONS)
    for definition in DEFINITIONS:
        assert definition["names"][0] == definition["name"]
        assert definition["summary"], definition["name"]


@pytest.mark.parametrize("definition", DEFINITIONS, ids=[d["name"] for d in DEFINITIONS])
def test_keywords_are_the_declared_names_in_snake_case(definition):
    parameters = definition["parameters"]
    keywords = [p["keyword"] for p in parameters]
    assert keywords == [snake_case(base_name(p)) for p in parameters]
    assert len(set(keywords)) == len(keywords), "two parameters share a keyword"
    assert torvane.step_types()[definition["name"]] == {p["keyword"]: (p["name"], p["kind"]) for p in parameters}
    for p in parameters:
        if p["applies_when"] is not None:
            assert p["applies_when"][0] in keywords


@pytest.mark.parametrize("keyword,expected", [
    ("Film Thickness", "film_thickness"),
    ("DepositOn", "deposit_on"),
    ("EtchDirectionValue", "etch_direction_value"),
    ("Horizontal to Vertical Ratio", "horizontal_to_vertical_ratio"),
    ("Lower Left Front Corner", "lower_left_front_corner"),
    ("RIEDepth", "rie_depth"),
])
def test_the_snake_case_rule_written_out_again_agrees_with_the_documented_examples(keyword, expected):
    assert snake_case(keyword) == expected


def test_help_lists_every_step_and_keyword_with_its_unit_range_and_default():
    text = torvane.Volume.run.__doc__
    for definition in DEFINITIONS:
        assert "\n" + definition["name"] in text
        for p in definition["parameters"]:
            # A keyword with aliases shows them before the colon: "thickness (also film_thickness): ...".
            shown = p["keyword"] + (" (also %s)" % ", ".join(p["aliases"]) if p["aliases"] else "")
            lines = [l for l in text.splitlines() if l.strip().startswith(shown + ": ")]
            assert lines, p["keyword"]
            assert any(p["range"] in l and p["default_text"] in l and (p["unit"] in l) for l in lines), \
                (definition["name"], p["keyword"], lines)


ALIASES = [
    # (name as a user writes it, the list name it stands for)
    ("Pour Material", "Spin Coating"),
    ("pour material", "Spin Coating"),
    ("Isotropic Etching", "Isotropic etching"),
    ("Thermal Oxidation", "Si Oxidation"),
    ("Simple Si Oxidation", "Si Oxidation"),
    ("RIE", "Simple RIE"),
    ("Random Walk Doping", "Doping (Random Walk CA)"),
    ("Moore Deposition", "Moore deposition"),
    ("Si Wet Etching", "Si wet etching"),
    ("BCA Wet Etch", "Si wet etching"),
    ("  CVD ", "CVD"),
]


@pytest.mark.parametrize("name,list_name", ALIASES)
def test_a_step_is_run_by_any_of_its_names(name, list_name):
    keywords = {"Spin Coating": dict(material="Photoresist +", maximum_height=12),
                "Isotropic etching": dict(material="Si", depth=2.0),
                "Si Oxidation": dict(oxidation_thickness=2.0, micron_conversion=1.0),
                "Simple RIE": dict(material="Si", etch_depth=3),
                "Doping (Random Walk CA)": dict(cell_size=1.0, time_step_duration=0.1, diffusion_coefficient=1.0,
                                                doping_time=1.0, doping_threshold=0.5, surface_concentration=10.0,
                                                material="N-doped Si (100)", seed=5),
                "Moore deposition": dict(material="Cu (bulk)", thickness=2),
                "Si wet etching": dict(depth=2.0),
                "CVD": dict(material="Thermal Si02", thickness=2.0)}[list_name]
    by_alias, by_list_name = make_substrate(), make_substrate()
    by_alias.run(name, **keywords)
    by_list_name.run(list_name, **keywords)
    assert np.array_equal(by_alias.materials, by_list_name.materials)
    assert not np.array_equal(by_alias.materials, make_substrate().materials)


@pytest.mark.parametrize("definition", DEFINITIONS, ids=[d["name"] for d in DEFINITIONS])
def test_every_name_of_every_step_reaches_that_step(definition, si):
    for name in definition["names"] + [n.upper() for n in definition["names"]]:
        with pytest.raises(torvane.StepError) as raised:
            si.run(name, no_such_keyword=1)
        assert raised.value.code == 2
        assert raised.value.step == definition["name"]
        assert raised.value.reason == 'The process "%s" has no parameter "no_such_keyword".' % definition["name"]


@pytest.mark.parametrize("definition", DEFINITIONS, ids=[d["name"] for d in DEFINITIONS])
def test_keywords_left_out_take_the_declared_defaults(definition):
    size = (12, 12, 12)
    required = required_keywords(definition, size)
    # The walk draws from the clock unless seeded; both runs take one seed.
    fixed = dict(seed=3) if "seed" in [p["keyword"] for p in definition["parameters"]] else {}
    explicit = dict(required, **fixed)
    for p in definition["parameters"]:
        if p["default"] is not None:
            explicit[p["keyword"]] = p["default"]
        elif p["default_text"] == "default: the volume's height":
            explicit[p["keyword"]] = size[2]
    left_out = make_substrate(size, 6)
    given = make_substrate(size, 6)
    left_out.run(definition["name"], **required, **fixed)
    given.run(definition["name"], **explicit)
    assert left_out.size == given.size
    assert np.array_equal(left_out.materials, given.materials)


def test_substrate_takes_the_declared_defaults():
    declared = {p["keyword"]: p["default"] for p in BY_NAME["Create Substrate"]["parameters"]}
    vol = torvane.substrate(material="Si")
    assert vol.size == (declared["volume_size_x"], declared["volume_size_y"], declared["volume_size_z"])
    cells = vol.materials
    assert np.all(cells[:, :, :declared["substrate_size_z"]] == 1)
    assert np.all(cells[:, :, declared["substrate_size_z"]:] == 0)
    assert vol.origin == declared["lower_left_front_corner"]


def test_planarization_left_without_a_maximum_keeps_everything_below_the_volume_top(si):
    before = si.materials
    si.run("Planarization", minimum_height=0)
    assert np.array_equal(si.materials, before)


MASK = np.zeros((16, 16), bool)
WITHOUT_DEFAULT = [
    # (step, keywords, the executor's sentence for what is left out)
    ("Electroplating", dict(deposited_material="Cu (bulk)"),
     'The parameter "Conducting Material_Id" is missing or has no value.'),
    ("Photolithography", dict(top_mask=MASK, bottom_mask=MASK), 'The parameter "Material_Id" is missing or has no value.'),
    ("Save Image", dict(), 'The parameter "Filename" is missing or has no value.'),
]


@pytest.mark.parametrize("step,keywords,reason", WITHOUT_DEFAULT, ids=[w[2][15:40] for w in WITHOUT_DEFAULT])
def test_parameters_without_a_default_stay_required(si, step, keywords, reason):
    before = si.materials
    with pytest.raises(torvane.StepError) as raised:
        si.run(step, **keywords)
    assert (raised.value.code, raised.value.reason) == (1, reason)
    assert np.array_equal(si.materials, before)


def ranged_parameters():
    """(step, parameter, a value just outside its declared range) for every bounded number."""
    cases = []
    for definition in DEFINITIONS:
        for p in definition["parameters"]:
            if p["kind"] not in ("number", "whole number >= 0", "whole number") or p["minimum"] is None:
                continue
            if p["kind"] == "number" or p["minimum"] > 0 or p["above_minimum"]:
                outside = p["minimum"] if p["above_minimum"] else p["minimum"] - 1
            elif p["maximum"] is not None and p["maximum"] < 2 ** 32 - 1:
                outside = p["maximum"] + 1  # below zero is no whole number at all
            else:
                continue
            cases.append((definition, p, outside))
    return cases


RANGED = ranged_parameters()


@pytest.mark.parametrize("definition,parameter,outside", RANGED,
                         ids=["%s/%s" % (d["name"], p["keyword"]) for d, p, _ in RANGED])
def test_a_value_outside_the_declared_range_is_refused_by_name_and_range(definition, parameter, outside):
    vol = make_substrate()
    before = vol.materials
    keywords = required_keywords(definition, vol.size)
    if parameter["applies_when"] is not None:
        keyword, value = parameter["applies_when"]
        keywords[keyword] = value
    keywords[parameter["keyword"]] = outside
    with pytest.raises(torvane.StepError) as raised:
        vol.run(definition["name"], **keywords)
    assert raised.value.code in (1, 2)
    reason = raised.value.reason
    assert reason.startswith('"%s" must be a finite number ' % parameter["name"]), reason
    assert parameter["range"] in reason or "zero" in reason, reason
    assert np.array_equal(vol.materials, before)


def test_the_registry_has_a_bounded_number_in_every_family_it_checks():
    # The table above is not empty by accident: lengths, cell counts, SI values and choices of time.
    names = {(d["name"], p["name"]) for d, p, _ in RANGED}
    for expected in [("CVD", "Thickness"), ("Create Substrate", "Volume Size X"),
                     ("Doping (Random Walk CA)", "Cell Size"), ("Si Oxidation", "Oxidation Pressure")]:
        assert expected in names


def shared_out_of_range_rows():
    path = os.path.join(HERE, "..", "data", "out-of-range-values.tsv")
    with open(path, encoding="utf-8") as f:
        rows = [r for r in csv.reader(f, delimiter="\t", quoting=csv.QUOTE_NONE) if r and not r[0].startswith("#")]
    assert rows, path
    return rows


def python_value(text):
    return float(text) if re.search(r"[.eE]|nan|inf", text) else int(text)


SHARED = shared_out_of_range_rows()


@pytest.mark.parametrize("step,parameter,value,code,others,sentence", SHARED,
                         ids=["%s/%s=%s" % tuple(r[:3]) for r in SHARED])
def test_out_of_range_values_are_refused_with_the_sentence_torvane_batch_prints(step, parameter, value, code,
                                                                              others, sentence):
    types = torvane.step_types()[step]
    keyword_of = {name[:-3] if name.endswith("_Id") else name: keyword for keyword, (name, _) in types.items()}
    keywords = {}
    for pair in filter(None, others.split("; ")):
        name, given = pair.split("=", 1)
        keywords[keyword_of[name]] = {"true": True, "false": False}.get(given, given)
    keywords[keyword_of[parameter]] = python_value(value)
    vol = make_substrate()
    before = vol.materials
    with pytest.raises(torvane.StepError) as raised:
        vol.run(step, **keywords)
    assert (raised.value.code, raised.value.reason) == (int(code), sentence)
    assert np.array_equal(vol.materials, before)


@pytest.mark.skipif(not BATCH, reason="TORVANE_BATCH names no torvane-batch")
def test_torvane_batch_lists_the_same_steps_and_parameters():
    listing = subprocess.run([BATCH, "--list-steps"], capture_output=True, text=True, check=True).stdout
    listed = {}
    current = None
    for line in listing.splitlines():
        header = re.match(r"^(\S.*) \(list type (\d+)\)$", line)
        if header:
            current = listed.setdefault(header.group(1), [])
        elif line.startswith("    ") and current is not None:
            current.append(line.strip().split(": ", 1)[0].split(" (also ", 1)[0])
    assert listed == {d["name"]: [base_name(p) for p in d["parameters"]] for d in DEFINITIONS}


def test_python_md_keyword_table_matches_the_module():
    path = os.path.join(HERE, "..", "..", "docs", "PYTHON.md")
    with open(path, encoding="utf-8") as f:
        rows = [l for l in f if l.startswith("| `")]
    documented = {}
    for row in rows:
        step, keywords = row.strip().strip("|").split("|")[:2]
        documented[step.strip().strip("`")] = set(re.findall(r"`([a-z_0-9]+)`", keywords))
    assert documented == {name: set(keywords) for name, keywords in torvane.step_types().items()}
