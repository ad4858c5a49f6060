"""Shared fixtures of the Python tests: the repository, the command-line
program and a local Dask cluster."""
import os
import pathlib
import shutil

import pytest

ROOT = pathlib.Path(os.environ.get("KORVAN_SOURCE_DIR",
                                   pathlib.Path(__file__).resolve().parents[2]))
EXAMPLES = sorted((ROOT / "examples").glob("*.dat"))
GOLDEN_INPUTS = sorted((ROOT / "tests" / "golden").glob("*/input.dat"))


def cli_path():
    path = os.environ.get("KORVAN_CLI") or shutil.which("korvan")
    if not path:
        guess = ROOT / "build" / "korvan"
        path = str(guess) if guess.exists() else None
    return path


@pytest.fixture(scope="session")
def cli():
    path = cli_path()
    if not path:
        pytest.skip("the korvan program is not built (set KORVAN_CLI)")
    return path


@pytest.fixture(scope="session")
def dask_client():
    """A local cluster of two worker processes on loopback."""
    distributed = pytest.importorskip("distributed")
    # The workers import korvan from where this process found it.
    import korvan
    package_parent = str(pathlib.Path(korvan.__file__).resolve().parents[1])
    old = os.environ.get("PYTHONPATH")
    os.environ["PYTHONPATH"] = package_parent + (os.pathsep + old if old else "")
    cluster = distributed.LocalCluster(n_workers=2, threads_per_worker=1,
                                       processes=True, host="127.0.0.1",
                                       dashboard_address=":0")
    client = distributed.Client(cluster)
    try:
        yield client
    finally:
        client.close()
        cluster.close()
        if old is None:
            os.environ.pop("PYTHONPATH", None)
        else:
            os.environ["PYTHONPATH"] = old
