#!/usr/bin/env python3
"""Benchmarks of the Python module against the same work in torvane-batch.

    HOME=$(mktemp -d) PYTHONPATH=build/python python3 bench/python/modulebench.py \
        [--batch build/src/torvane-batch] [--repeat 20]

1. Call overhead: one "CVD" step (oxide, thickness 5) on the same flat silicon
   substrate, as vol.run and as the step line torvane-batch prints, on a
   large volume (engine-bound) and a 4 x 4 x 4 one (overhead-bound). vol.run
   is timed around the call; the cells are put back, untimed, before each call.
2. A step the runner refuses after reading every parameter: the cost of the
   module's conversions and StepError alone (compare BM_BatchStepParameters).
3. vol.materials (the numpy copy of the cells) on 256 x 256 x 128.

Prints milliseconds per call (median) and the ratios.
"""
import argparse
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np

import torvane

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLES = os.path.join(HERE, "..", "..", "examples")


def substrate(nx, ny, nz):
    return torvane.substrate(material="Si", volume_size_x=nx, volume_size_y=ny, volume_size_z=nz,
                             substrate_size_x=nx, substrate_size_y=ny, substrate_size_z=nz // 2)


def time_vol_run(size, repeat):
    vol = substrate(*size)
    start_cells = vol.materials
    times = []
    for _ in range(repeat):
        vol.set_materials(start_cells)
        begin = time.perf_counter()
        vol.run("CVD", material="Thermal Si02", thickness=5.0)
        times.append((time.perf_counter() - begin) * 1000)
    return statistics.median(times)


def time_refused_run(repeat):
    """What vol.run adds to the runner: a CVD the runner reads and checks whole, then refuses
    (thickness -1) before the engine; compare with BM_BatchStepParameters of torvane_bench."""
    vol = substrate(4, 4, 4)
    calls = 20000
    best = None
    for _ in range(max(3, repeat // 5)):
        begin = time.perf_counter()
        for _ in range(calls):
            try:
                vol.run("CVD", material="Thermal Si02", thickness=-1.0)
            except torvane.StepError:
                pass
        elapsed = (time.perf_counter() - begin) / calls * 1e6
        best = elapsed if best is None else min(best, elapsed)
    return best


def substrate_and_cvd_list(size):
    """The v-groove list's substrate and CVD steps with this size and a thickness of 5."""
    text = open(os.path.join(EXAMPLES, "v-groove.plst")).read()
    blocks = re.findall(r"<Process-Data .*?</Process-Data>", text, re.S)
    substrate_block, cvd_block = blocks[0], blocks[1]
    for axis, n in zip("XYZ", size):
        substrate_block = re.sub(r'("Volume Size %s" parameter-type="uint" parameter-data=")\d+' % axis,
                                 r"\g<1>%d" % n, substrate_block)
        sub = n if axis != "Z" else n // 2
        substrate_block = re.sub(r'("Substrate Size %s" parameter-type="uint" parameter-data=")\d+' % axis,
                                 r"\g<1>%d" % sub, substrate_block)
    cvd_block = re.sub(r'("Thickness" parameter-type="double" parameter-data=")[^"]+', r"\g<1>5", cvd_block)
    head = text[:text.index("<Process-Data")]
    return head + substrate_block + "\n" + cvd_block + "\n</Process-List>\n"


def time_batch(batch, size, repeat, work):
    path = os.path.join(work, "cvd.plst")
    with open(path, "w") as out:
        out.write(substrate_and_cvd_list(size))
    step_ms, process_ms = [], []
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    for _ in range(repeat):
        begin = time.perf_counter()
        done = subprocess.run([batch, path, "--out", os.path.join(work, "cvd.tvn")], env=env, cwd=work,
                              capture_output=True, text=True, check=True)
        process_ms.append((time.perf_counter() - begin) * 1000)
        step_ms.append(int(re.search(r"^2/2\s+CVD\s+.*?(\d+) ms$", done.stdout, re.M).group(1)))
    return statistics.median(step_ms), statistics.median(process_ms)


def time_materials(repeat):
    vol = substrate(256, 256, 128)
    times = []
    for _ in range(repeat):
        begin = time.perf_counter()
        cells = vol.materials
        times.append((time.perf_counter() - begin) * 1000)
    assert cells.shape == (256, 256, 128)
    return statistics.median(times), cells.nbytes


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--batch", default=os.path.join(HERE, "..", "..", "build", "src", "torvane-batch"))
    parser.add_argument("--repeat", type=int, default=20)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as work:
        for size in ((128, 128, 64), (4, 4, 4)):
            python_ms = time_vol_run(size, args.repeat)
            step_ms, process_ms = time_batch(args.batch, size, max(3, args.repeat // 4), work)
            print("CVD on %s: vol.run %.3f ms; torvane-batch step line %d ms (whole program %.1f ms); "
                  "vol.run / step line %s" % ("x".join(map(str, size)), python_ms, step_ms, process_ms,
                                             "%.2f" % (python_ms / step_ms) if step_ms else "n/a (step < 1 ms)"))
    print("refused CVD through vol.run (parameters read and checked, no engine, StepError raised): "
          "%.2f us per call" % time_refused_run(args.repeat))
    materials_ms, nbytes = time_materials(args.repeat)
    print("vol.materials on 256x256x128: %.2f ms (%.0f Mcells/s, %.0f MB copied)"
          % (materials_ms, 256 * 256 * 128 / materials_ms / 1000, nbytes / 1e6))


if __name__ == "__main__":
    sys.exit(main())
