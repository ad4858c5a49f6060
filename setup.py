"""The korvan Python package: `pip install --no-build-isolation .`

Builds the compiled module korvan._korvan with CMake (the library and the
module only: no program, no tests) for the Python that runs pip, and
installs it with the pure-Python part from python/korvan. The Python
dependencies come from Debian (scripts/install-deps.sh python).
"""
import os
import pathlib
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent


def version():
    text = (ROOT / "CMakeLists.txt").read_text()
    return re.search(r"project\(korvan VERSION ([0-9.]+)", text).group(1)


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        build.mkdir(parents=True, exist_ok=True)
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build),
                        "-DCMAKE_BUILD_TYPE=Release", "-DKORVAN_BUILD_PYTHON=ON",
                        "-DKORVAN_BUILD_TESTS=OFF", "-DKORVAN_BUILD_CLI=OFF",
                        f"-DPython3_EXECUTABLE={sys.executable}"], check=True)
        jobs = str(os.cpu_count() or 1)
        subprocess.run(["cmake", "--build", str(build), "-j", jobs,
                        "--target", "korvan_python"], check=True)
        built = next((build / "python" / "korvan").glob("_korvan*.so"))
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(built, target)


setup(
    name="korvan",
    version=version(),
    description="Analysis of flexible retaining walls: models, results as arrays, studies",
    packages=["korvan"],
    package_dir={"": "python"},
    package_data={"korvan": ["py.typed", "*.pyi"]},
    ext_modules=[Extension("korvan._korvan", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    python_requires=">=3.9",
    install_requires=["numpy", "pandas"],
    extras_require={"plot": ["matplotlib"], "dask": ["distributed"]},
    zip_safe=False,
    # setuptools' own build folder, apart from the CMake build folders.
    options={"build": {"build_base": "build-pip"}},
)
