"""Shared set-up of the module's tests.

HOME points at a fresh temporary folder before torvane is imported: the module
writes its catalogues to ~/Torvane, and tests never touch the real home.
"""
import os
import shutil
import sys
import tempfile

_home = tempfile.mkdtemp(prefix="torvane-python-home-")
os.environ["HOME"] = _home

import numpy as np  # noqa: E402
import pytest  # noqa: E402

import torvane  # noqa: E402

EXAMPLES = os.environ.get(
    "TORVANE_EXAMPLES_DIR", os.path.join(os.path.dirname(__file__), "..", "..", "examples"))
BATCH = os.environ.get("TORVANE_BATCH", "")


def pytest_unconfigure(config):
    shutil.rmtree(_home, ignore_errors=True)


def make_substrate(size=(16, 16, 16), height=8, material="Si"):
    """A box substrate of `height` cells filling the volume's bottom."""
    nx, ny, nz = size
    return torvane.substrate(material=material, volume_size_x=nx, volume_size_y=ny, volume_size_z=nz,
                             substrate_size_x=nx, substrate_size_y=ny, substrate_size_z=height)


def count(vol, material):
    return int(np.count_nonzero(vol.materials == material))


@pytest.fixture
def si():
    return make_substrate()
