"""Cells as numpy arrays, documents, process lists and the running thread."""
import os
import re
import signal
import subprocess
import sys
import threading
import time

import numpy as np
import pytest

import torvane
from conftest import BATCH, EXAMPLES, count, make_substrate

SI, OXIDE = 1, 3


def test_materials_are_indexed_x_y_z_like_the_cells():
    vol = torvane.substrate(material=SI, volume_size_x=7, volume_size_y=6, volume_size_z=5,
                            substrate_size_x=3, substrate_size_y=2, substrate_size_z=4,
                            substrate_delta_x=1, substrate_delta_y=3, substrate_delta_z=0)
    expected = np.zeros((7, 6, 5), dtype=np.uint32)
    expected[1:4, 3:5, 0:4] = SI
    cells = vol.materials
    assert cells.dtype == np.uint32
    assert np.array_equal(cells, expected)


def test_materials_is_a_copy_and_set_materials_writes_the_cells():
    vol = torvane.Volume(size=(4, 3, 2), cell=(0.5, 1.0, 2.0), origin=(1.0, 2.0, 3.0))
    assert vol.size == (4, 3, 2) and vol.cell == (0.5, 1.0, 2.0) and vol.origin == (1.0, 2.0, 3.0)
    cells = vol.materials
    cells[0, 0, 0] = OXIDE
    assert vol.materials[0, 0, 0] == 0
    pattern = np.array([0, SI, OXIDE], dtype=np.int64)[np.arange(24).reshape(4, 3, 2) % 3]
    vol.set_materials(pattern)
    assert np.array_equal(vol.materials, pattern)
    # The engines see what was written: an oxide layer under empty cells etches away.
    layered = torvane.Volume(size=(4, 3, 3))
    cells = np.zeros((4, 3, 3), dtype=np.uint8)
    cells[:, :, 0] = SI
    cells[:, :, 1] = OXIDE
    layered.set_materials(cells)
    layered.run("Simple RIE", material=OXIDE, etch_depth=5, etch_direction_value=1)
    assert count(layered, OXIDE) == 0 and count(layered, SI) == 12


@pytest.mark.parametrize("array,error", [
    (np.zeros((4, 3), dtype=np.int32), ValueError),
    (np.zeros((3, 4, 2), dtype=np.int32), ValueError),
    (np.zeros((4, 3, 2), dtype=np.float64), TypeError),
    (np.full((4, 3, 2), 999, dtype=np.int32), ValueError),
    (np.full((4, 3, 2), -1, dtype=np.int32), ValueError),
])
def test_bad_arrays_are_refused_and_the_cells_kept(array, error):
    vol = torvane.Volume(size=(4, 3, 2))
    before = np.full((4, 3, 2), SI, dtype=np.uint32)
    before[1, 1, 1] = OXIDE
    vol.set_materials(before)
    with pytest.raises(error):
        vol.set_materials(array)
    assert np.array_equal(vol.materials, before)


def test_an_unknown_id_after_known_ones_is_found():
    vol = torvane.Volume(size=(2, 2, 2))
    array = np.full((2, 2, 2), SI, dtype=np.int32)
    array[1, 1, 1] = 4242
    with pytest.raises(ValueError, match="4242"):
        vol.set_materials(array)
    assert not vol.materials.any()


def test_impossible_volume_size_is_refused():
    with pytest.raises(ValueError, match="at least one cell"):
        torvane.Volume(size=(0, 4, 4))
    with pytest.raises(ValueError, match="too large"):
        torvane.Volume(size=(100000, 100000, 100000))
    for size in ((-1, 2, 2), (2, 2), "abc"):
        with pytest.raises(TypeError, match="size must be three whole numbers"):
            torvane.Volume(size=size)


def test_copy_is_independent(si):
    copy = si.copy()
    copy.run("CVD", material=OXIDE, thickness=2.0)
    assert count(si, OXIDE) == 0 and count(copy, OXIDE) > 0


def test_particle_counts_appear_after_random_walk_doping(si):
    assert si.particle_counts("N") is None
    si.run("Doping (Random Walk CA)", cell_size=1.0, time_step_duration=0.1, diffusion_coefficient=1.0,
           doping_time=1.0, doping_threshold=0.5, surface_concentration=10.0, material=14)
    counts = [si.particle_counts(kind) for kind in ("N", "P")]
    present = [c for c in counts if c is not None]
    assert present and present[0].shape == si.size and present[0].sum() > 0
    with pytest.raises(ValueError):
        si.particle_counts("Q")


def test_document_round_trip(tmp_path, si):
    si.run("CVD", material=OXIDE, thickness=2.0)
    other = torvane.Volume(size=(3, 2, 1), origin=(10.0, 0.0, 0.0))
    other.set_materials(np.array([[[1], [3]], [[3], [1]], [[0], [1]]]))
    written = torvane.save(str(tmp_path / "scene"), [si, other])
    assert written.endswith("scene.tvn")
    volumes = torvane.load(written)
    assert [v.size for v in volumes] == [si.size, other.size]
    assert np.array_equal(volumes[0].materials, si.materials)
    assert np.array_equal(volumes[1].materials, other.materials)
    assert volumes[1].origin == (10.0, 0.0, 0.0)
    single = si.save(str(tmp_path / "one.tvn"))
    assert np.array_equal(torvane.load(single)[0].materials, si.materials)


def test_failed_save_keeps_the_previous_document(tmp_path, si):
    path = str(tmp_path / "kept.tvn")
    si.save(path)
    before = open(path, "rb").read()
    with pytest.raises(OSError):
        si.save(str(tmp_path / "missing-folder" / "x.tvn"))
    assert open(path, "rb").read() == before


def test_unreadable_and_foreign_files_raise(tmp_path):
    with pytest.raises(OSError):
        torvane.load(str(tmp_path / "nothing.tvn"))
    foreign = tmp_path / "foreign.tvn"
    foreign.write_text("<not-a-document/>")
    with pytest.raises(ValueError):
        torvane.load(str(foreign))
    with pytest.raises(OSError):
        torvane.ProcessList.load(str(tmp_path / "nothing.plst"))


def vgroove():
    return torvane.ProcessList.load(os.path.join(EXAMPLES, "v-groove.plst"))


def test_process_list_steps_run_one_by_one_equal_the_list_run():
    plist = vgroove()
    steps = plist.steps
    assert len(plist) == len(steps) and steps[0][0] == "Create Substrate"
    by_steps = torvane.substrate(**steps[0][1])
    for name, keywords in steps[1:]:
        by_steps.run(name, **keywords)
    calls = []
    whole = plist.run(progress=lambda k, n, name: calls.append((k, n, name)))
    assert calls == [(k + 1, len(steps), steps[k][0]) for k in range(len(steps))]
    assert np.array_equal(whole.materials, by_steps.materials)


def test_process_list_runs_on_a_given_volume(si):
    plist = vgroove()
    rest = plist.steps[1:]
    # Without its own "Create Substrate" the list would need a volume; with one it makes its own.
    result = plist.run(vol=si)
    assert result is si
    assert si.size == (64, 64, 56)
    assert len(rest) > 0


def test_progress_callbacks_see_and_may_use_the_volume_being_run():
    plist = vgroove()
    vol = torvane.Volume(size=(1, 1, 1))
    snapshots = []

    def progress(k, n, name):
        snapshots.append(vol.copy())
        if name == "CVD":
            # A step of its own between the list's steps, on the same volume.
            vol.run("Moore deposition", material="Cu (bulk)", thickness=1)

    plist.run(vol=vol, progress=progress)
    assert len(snapshots) == len(plist)
    assert snapshots[0].size == (64, 64, 56)
    assert count(snapshots[1], 3) > 0 and count(snapshots[1], 5) == 0
    assert count(vol, 5) > 0
    assert np.array_equal(snapshots[-1].materials, vol.materials)


def test_failed_list_step_raises_with_the_volume_so_far(tmp_path):
    text = open(os.path.join(EXAMPLES, "v-groove.plst")).read()
    # The second step's thickness becomes unreadable.
    broken = text.replace('parameter-name="Thickness" parameter-type="double" parameter-data="2"',
                          'parameter-name="Thickness" parameter-type="double" parameter-data="nan"', 1)
    assert broken != text
    path = tmp_path / "broken.plst"
    path.write_text(broken)
    with pytest.raises(torvane.StepError) as raised:
        torvane.ProcessList.load(str(path)).run()
    assert raised.value.code == 2 and raised.value.step == "CVD"
    assert raised.value.reason == '"Thickness" must be a finite number from 0 to 1000000000 units, not nan.'
    assert raised.value.volume is not None and raised.value.volume.size == (64, 64, 56)


def test_progress_errors_stop_the_run_before_the_next_step():
    seen = []

    def progress(k, n, name):
        seen.append(k)
        if k == 2:
            raise RuntimeError("enough")

    with pytest.raises(RuntimeError, match="enough"):
        vgroove().run(progress=progress)
    assert seen == [1, 2]


def steps_of(text, types):
    """A process list made of the v-groove list's steps of the given types, in that order."""
    head = text[:text.index("<Process-Data")]
    blocks = re.findall(r"<Process-Data .*?</Process-Data>", text, re.S)
    by_type = {}
    for block in blocks:
        by_type.setdefault(int(re.search(r'process-type="(\d+)"', block).group(1)), block)
    return head + "\n".join(by_type[t] for t in types) + "\n</Process-List>\n"


def test_ctrl_c_stops_the_list_between_steps(tmp_path):
    text = open(os.path.join(EXAMPLES, "v-groove.plst")).read()
    # Substrate, an atomistic etch, then an oxide: Ctrl+C after the substrate runs neither.
    path = tmp_path / "interrupted.plst"
    path.write_text(steps_of(text, [11, 1, 4]))
    plist = torvane.ProcessList.load(str(path))
    finished = []

    def progress(k, n, name):
        finished.append(k)
        os.kill(os.getpid(), signal.SIGINT)

    vol = torvane.Volume(size=(1, 1, 1))
    with pytest.raises(KeyboardInterrupt):
        plist.run(vol=vol, progress=progress)
    assert finished == [1]
    assert vol.size == (64, 64, 56)
    assert count(vol, SI) == 64 * 64 * 40 and count(vol, OXIDE) == 0


def long_random_walk_list(tmp_path):
    """A substrate, then a random walk of 6 million time steps: minutes of work that only Ctrl+C ends."""
    text = open(os.path.join(EXAMPLES, "checks", "random-walk-junction-dt1.plst")).read()
    for name, value in (("Substrate Size X", 24), ("Substrate Size Y", 24), ("Volume Size X", 24),
                        ("Volume Size Y", 24), ("Doping Time", 5e6)):
        text, replaced = re.subn(r'(parameter-name="%s" parameter-type="\w+" parameter-data=")[^"]*' % name,
                                 r"\g<1>%s" % value, text)
        assert replaced == 1
    path = tmp_path / "endless.plst"
    path.write_text(text)
    return torvane.ProcessList.load(str(path))


def interrupt_after(seconds):
    timer = threading.Timer(seconds, os.kill, (os.getpid(), signal.SIGINT))
    timer.start()
    return timer


def test_ctrl_c_inside_a_long_step_of_a_list_ends_it_and_puts_its_cells_back(tmp_path):
    plist = long_random_walk_list(tmp_path)
    timers = []
    vol = torvane.Volume(size=(1, 1, 1))
    try:
        with pytest.raises(KeyboardInterrupt):
            # Once the substrate is made; the signal then lands inside the random walk.
            plist.run(vol=vol, progress=lambda k, n, name: timers.append(interrupt_after(0.3)))
    finally:
        for timer in timers:
            timer.join()
    assert len(timers) == 1
    assert vol.size == (24, 24, 44)
    assert count(vol, SI) == 24 * 24 * 40 and count(vol, 15) == 0


def test_ctrl_c_inside_a_long_step_ends_it_and_puts_its_cells_back(tmp_path):
    name, keywords = long_random_walk_list(tmp_path).steps[1]
    vol = make_substrate(size=(24, 24, 44), height=40)
    before = vol.materials
    timer = interrupt_after(0.3)
    try:
        with pytest.raises(KeyboardInterrupt):
            vol.run(name, **keywords)
    finally:
        timer.join()
    assert np.array_equal(vol.materials, before)
    # The volume is whole: the next step runs on it.
    vol.run("CVD", material=OXIDE, thickness=1.0)
    assert count(vol, OXIDE) == 24 * 24



def test_engine_runs_release_the_gil():
    counter = [0]
    stop = threading.Event()

    def count_on():
        while not stop.is_set():
            counter[0] += 1
            time.sleep(0.0001)  # gives the GIL back, so the run's callbacks can take it

    marks = []
    previous = sys.getswitchinterval()
    # No forced switches: the counter runs only while the running thread has released the GIL.
    sys.setswitchinterval(100.0)
    thread = threading.Thread(target=count_on)
    thread.start()
    try:
        vgroove().run(progress=lambda k, n, name: marks.append(counter[0]))
    finally:
        stop.set()
        thread.join()
        sys.setswitchinterval(previous)
    # The counter went on while the steps ran.
    assert marks[-1] > marks[0]


def test_materials_catalogue_is_listed():
    materials = {m["id"]: m for m in torvane.materials()}
    assert materials[1]["name"] == "Si"
    assert materials[3]["name"] == "Thermal Si02"
    assert len(materials[1]["color"]) == 4


@pytest.mark.skipif(not BATCH, reason="TORVANE_BATCH names no torvane-batch")
def test_v_groove_script_equals_torvane_batch(tmp_path):
    script = os.path.join(EXAMPLES, "python", "v_groove.py")
    env = dict(os.environ, PYTHONPATH=os.pathsep.join(sys.path))
    done = subprocess.run([sys.executable, script, "--batch", BATCH, "--work", str(tmp_path)], env=env,
                          capture_output=True, text=True, timeout=600)
    assert done.returncode == 0, done.stdout + done.stderr
    assert "cell for cell" in done.stdout


def test_thread_count_changes_no_result():
    saved = torvane.threads()
    results = []
    try:
        for n in (1, 2, 3, 7):
            torvane.set_threads(n)
            assert torvane.threads() == n
            vol = make_substrate(size=(23, 9, 12), height=5)
            vol.run("Isotropic Deposition", material=OXIDE, film_thickness=2.5)
            results.append(vol.materials)
        for bad in (-1, 1025):
            with pytest.raises(ValueError):
                torvane.set_threads(bad)
        assert torvane.threads() == 7  # a refused count changes nothing
    finally:
        torvane.set_threads(saved)
    assert all(np.array_equal(results[0], r) for r in results[1:])
    assert count(make_substrate(size=(23, 9, 12), height=5), SI) < np.count_nonzero(results[0])


def test_concentration_is_a_float32_field_of_the_volume_shape():
    vol = torvane.Volume(size=(3, 2, 60), cell=(0.01, 0.01, 0.01))
    cells = np.zeros((3, 2, 60), dtype=np.uint32)
    cells[:, :, :50] = SI
    vol.set_materials(cells)
    assert np.array_equal(vol.concentration("P"), np.zeros((3, 2, 60), dtype=np.float32))
    vol.run("Dopant Implant", species="BF2", energy=100.0, dose=2e14, tilt=0.0)
    boron = vol.concentration("b")
    assert boron.dtype == np.float32 and boron.shape == (3, 2, 60)
    # The dose in cm^-2: concentrations times the cell height of 1e-6 cm.
    assert boron[1, 1, :].sum(dtype=np.float64) * 1e-6 == pytest.approx(2e14, rel=0.01)
    assert not boron[:, :, 50:].any()
    assert not vol.concentration("As").any()
    with pytest.raises(ValueError, match=r'"BF2" is no dopant species: give B, P, As, Sb'):
        vol.concentration("BF2")
    with pytest.raises(ValueError, match="dopant takes B, P, As, Sb"):
        vol.section("y", 0, dopant="Ga")
    # A copy and a saved document carry the field.
    assert np.array_equal(vol.copy().concentration("B"), boron)
