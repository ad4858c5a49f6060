"""The wall model: a project (JSON) as Python objects.

A :class:`Model` holds the problems (stages) of an input data file in the
form of a project file (docs/project-files.md): member names as there,
codes as words, values in the unit the input data file takes for them
(inches or metres for lengths; feet or metres for wall-section depths and
support depths and spacings). Members are read and set as attributes::

    model = korvan.Model.load("wall.dat")
    layer = model.problems[0].soil.layers[1]
    layer.at_top.friction_angle = 32       # degrees, at the top of the layer
    layer.friction_angle = 32              # top and bottom alike
    model.save("wall.json")
"""
from __future__ import annotations

import copy as _copy
import json
import numbers
import os
import pathlib
import re
from typing import Any, Iterator, Union

from . import _korvan
from ._errors import Diagnostic, InputError, input_error

PathLike = Union[str, "os.PathLike[str]"]

# The soil values given at the top and the bottom of a layer; on a layer
# they may be read and set as one (both ends alike).
LAYER_VALUES = ("unit_weight", "strength", "friction_angle", "epsilon50",
                "subgrade_modulus", "coefficient_or_rqd")
_LAYER_PATH = re.compile(r"layers\[\d+\]$")


def _plain(value: Any) -> Any:
    """A value as JSON holds it: numpy scalars, nodes and tuples unwrapped."""
    if isinstance(value, (Node, NodeList)):
        return _copy.deepcopy(value._data)
    if isinstance(value, bool) or value is None or isinstance(value, str):
        return value
    if isinstance(value, numbers.Integral):
        return int(value)
    if isinstance(value, numbers.Real):
        return float(value)
    if isinstance(value, dict):
        return {str(k): _plain(v) for k, v in value.items()}
    if isinstance(value, (list, tuple)):
        return [_plain(v) for v in value]
    if hasattr(value, "tolist"):  # numpy arrays and scalars (np.bool_)
        return _plain(value.tolist())
    raise TypeError(f"a {type(value).__name__} has no place in a project")


def _wrap(value: Any, path: str) -> Any:
    if isinstance(value, dict):
        return Node(value, path)
    if isinstance(value, list):
        return NodeList(value, path)
    return value


class Node:
    """An object of the project: its members as attributes and items.

    Reading a member that the project leaves out raises AttributeError (a
    member left out takes the value of an empty field: zero); use
    ``node.get(name, default)``. On a soil layer, the values of ``at_top``
    and ``at_bottom`` (unit_weight, strength, friction_angle, epsilon50,
    subgrade_modulus, coefficient_or_rqd) may be set as one, which sets
    both, and read as one when both ends agree.
    """

    __slots__ = ("_data", "_path")

    def __init__(self, data: dict, path: str = ""):
        object.__setattr__(self, "_data", data)
        object.__setattr__(self, "_path", path)

    def _is_layer(self) -> bool:
        return bool(_LAYER_PATH.search(self._path))

    def __getattr__(self, name: str) -> Any:
        if name.startswith("_"):
            raise AttributeError(name)
        data = self._data
        if name in data:
            return _wrap(data[name], f"{self._path}.{name}" if self._path else name)
        if name in LAYER_VALUES and self._is_layer():
            top = data.get("at_top", {}).get(name, 0)
            bottom = data.get("at_bottom", {}).get(name, 0)
            if top == bottom:
                return top
            raise AttributeError(
                f"{self._path}: {name} is {top} at the top and {bottom} at the "
                f"bottom; read at_top.{name} or at_bottom.{name}")
        raise AttributeError(f"{self._path or 'the project'} has no member {name!r}")

    def __setattr__(self, name: str, value: Any) -> None:
        if name.startswith("_"):
            raise AttributeError(f"{name}: not a member of a project")
        if name in LAYER_VALUES and self._is_layer() and name not in self._data:
            v = _plain(value)
            self._data.setdefault("at_top", {})[name] = v
            self._data.setdefault("at_bottom", {})[name] = v
            return
        self._data[name] = _plain(value)

    def __delattr__(self, name: str) -> None:
        try:
            del self._data[name]
        except KeyError:
            raise AttributeError(name) from None

    def __getitem__(self, name: str) -> Any:
        return _wrap(self._data[name], f"{self._path}.{name}" if self._path else name)

    def __setitem__(self, name: str, value: Any) -> None:
        self.__setattr__(name, value)

    def __delitem__(self, name: str) -> None:
        del self._data[name]

    def __contains__(self, name: object) -> bool:
        return name in self._data

    def __iter__(self) -> Iterator[str]:
        return iter(self._data)

    def __len__(self) -> int:
        return len(self._data)

    def __dir__(self):
        return sorted(set(self._data) | {"get", "to_dict"})

    def __eq__(self, other: object) -> bool:
        if isinstance(other, Node):
            return self._data == other._data
        return isinstance(other, dict) and self._data == other

    def __repr__(self) -> str:
        return f"<korvan {self._path or 'project'}: {json.dumps(self._data)[:200]}>"

    def get(self, name: str, default: Any = None) -> Any:
        """The member ``name``, or ``default`` when the project leaves it out."""
        try:
            return self.__getattr__(name)
        except AttributeError:
            return default

    def to_dict(self) -> dict:
        """A deep copy of the object as plain dicts and lists."""
        return _copy.deepcopy(self._data)


class NodeList:
    """A list of the project (problems, layers, tie backs, ...): indexed,
    iterated and edited as a list; its objects are :class:`Node`."""

    __slots__ = ("_data", "_path")

    def __init__(self, data: list, path: str):
        self._data = data
        self._path = path

    def __getitem__(self, k: int) -> Any:
        if isinstance(k, slice):
            return [self[i] for i in range(*k.indices(len(self._data)))]
        if k < 0:
            k += len(self._data)
        return _wrap(self._data[k], f"{self._path}[{k}]")

    def __setitem__(self, k: int, value: Any) -> None:
        self._data[k] = _plain(value)

    def __delitem__(self, k: int) -> None:
        del self._data[k]

    def __len__(self) -> int:
        return len(self._data)

    def __iter__(self) -> Iterator[Any]:
        return (self[k] for k in range(len(self._data)))

    def __eq__(self, other: object) -> bool:
        if isinstance(other, NodeList):
            return self._data == other._data
        return isinstance(other, list) and self._data == other

    def __repr__(self) -> str:
        return f"<korvan {self._path}: {len(self._data)} items>"

    def append(self, value: Any) -> None:
        """Appends an object (a dict, or a Node copied)."""
        self._data.append(_plain(value))

    def insert(self, k: int, value: Any) -> None:
        """Inserts an object before index ``k``."""
        self._data.insert(k, _plain(value))

    def pop(self, k: int = -1) -> Any:
        """Removes and returns the object at index ``k``."""
        return _wrap(self._data.pop(k), f"{self._path}[{k}]")

    def to_list(self) -> list:
        """A deep copy of the list as plain dicts and lists."""
        return _copy.deepcopy(self._data)


def _read_text(path: pathlib.Path) -> str:
    # Input data files are ASCII by rule; other bytes (a title typed in
    # another code page) are kept one for one.
    return path.read_bytes().decode("utf-8", "surrogateescape")


class Model:
    """A wall model: the problems (stages) of an input data file as a project.

    Build one with :meth:`load` (a ``.dat`` or ``.json`` file),
    :meth:`from_text`, :meth:`from_dict` or ``Model()`` (no problems), edit it
    through :attr:`problems`, run it with :func:`korvan.run`, and save it
    with :meth:`save` in either form. An input data file is converted to a
    project when it is read; the two run to the same numbers.

    Attributes:
        name: the project's name, shown in the report header and in
            diagnostics (``"wall.json"`` for a model read from ``wall.dat``
            or ``wall.json``; ``"model.json"`` by default).
    """

    def __init__(self, project: dict | None = None, *, name: str = "model.json"):
        self.name = _json_name(name)
        self.project: dict = _plain(project) if project is not None else {
            "format": "korvan-project", "version": 1, "problems": []}

    # -- construction -----------------------------------------------------
    @classmethod
    def load(cls, path: PathLike, *, check: bool = True) -> "Model":
        """Reads an input data file (any suffix but ``.json``) or a project
        (``.json``).

        Raises :class:`InputError` for an input data file that a run would
        refuse (with its file, line, record and field), for a project that
        is not JSON (with its line) and, when ``check`` is true, for a
        project with a fault (with the JSON path of the value at fault).
        ``check=False`` reads a faulty project as it is, to mend it in code.
        """
        p = pathlib.Path(path)
        return cls.from_text(_read_text(p), name=p.name, check=check)

    @classmethod
    def from_text(cls, text: str, *, name: str = "input.dat",
                  format: str | None = None, check: bool = True) -> "Model":
        """A model from the text of an input data file (``format="dat"``) or a
        project (``format="json"``); by default the form follows the suffix
        of ``name``, which diagnostics show. Raises :class:`InputError` as
        :meth:`load` does."""
        form = format or ("json" if _korvan.is_project_name(name) else "dat")
        if form == "dat":
            converted, message, diagnostics = _korvan.data_to_project(
                text.encode("utf-8", "surrogateescape"), name)
            if diagnostics:
                raise input_error(message, diagnostics)
            m = cls(name=name)
            m.project = json.loads(converted)
            return m
        if form != "json":
            raise ValueError(f'format: "dat" or "json", not {format!r}')
        try:
            project = json.loads(text)
        except json.JSONDecodeError as e:
            d = Diagnostic(file=name, line=e.lineno, message=f"not JSON: {e.msg}")
            raise InputError(f"{name}:{e.lineno}: not JSON: {e.msg}", [d]) from None
        if not isinstance(project, dict):
            d = Diagnostic(file=name, message="a project is a JSON object")
            raise InputError(f"{name}: a project is a JSON object", [d])
        m = cls(name=name)
        m.project = project
        if check:
            m.check()
        return m

    @classmethod
    def from_dict(cls, project: dict, *, name: str = "model.json") -> "Model":
        """A model from a project as dicts and lists (copied; not checked:
        see :meth:`check`)."""
        return cls(project, name=name)

    def copy(self) -> "Model":
        """An independent copy (edit one without touching the other)."""
        m = Model.__new__(Model)
        m.name = self.name
        m.project = _copy.deepcopy(self.project)
        return m

    __copy__ = copy

    def __deepcopy__(self, memo) -> "Model":
        return self.copy()

    # -- the project -------------------------------------------------------
    @property
    def problems(self) -> NodeList:
        """The problems (stages), in order: ``model.problems[0].wall.increments``."""
        return NodeList(self.project.setdefault("problems", []), "problems")

    def __getitem__(self, name: str) -> Any:
        return _wrap(self.project[name], name)

    def to_json(self, indent: int = 2) -> str:
        """The project as JSON text."""
        return json.dumps(self.project, indent=indent, ensure_ascii=False) + "\n"

    def to_dat(self) -> str:
        """The model as the text of an input data file. Raises
        :class:`InputError` (with the JSON path) for a fault of the
        project."""
        text, message, diagnostics = _korvan.project_to_data(self.to_json(), self.name)
        if diagnostics:
            raise input_error(message, diagnostics)
        return text

    def save(self, path: PathLike) -> None:
        """Writes the model: a project for a ``.json`` name, else an input
        data file."""
        p = pathlib.Path(path)
        if _korvan.is_project_name(p.name):
            p.write_text(self.to_json(), encoding="utf-8")
        else:
            p.write_bytes(self.to_dat().encode("utf-8", "surrogateescape"))

    # -- checks --------------------------------------------------------------
    def validate(self) -> list[Diagnostic]:
        """The faults of the model, each with its JSON path: every value of
        the wrong kind, or the first fault a run would stop on. Empty when a
        run would read the whole model."""
        return [Diagnostic.from_dict(d) for d in
                _korvan.validate_project(self.to_json(), self.name)]

    def check(self) -> "Model":
        """Raises :class:`InputError` (every fault in ``diagnostics``) when
        :meth:`validate` finds a fault; returns the model."""
        faults = self.validate()
        if faults:
            raise InputError(str(faults[0]), faults)
        return self

    # -- running -------------------------------------------------------------
    def run_input(self) -> tuple[str, str]:
        """The text a run reads (the project's JSON) and its name."""
        return self.to_json(), self.name

    def __repr__(self) -> str:
        return f"<korvan.Model {self.name}: {len(self.project.get('problems', []))} problems>"


def _json_name(name: str) -> str:
    """The name of the project form of an input named ``name``."""
    if _korvan.is_project_name(name):
        return name
    stem = name.rsplit(".", 1)[0] if "." in name else name
    return (stem or "model") + ".json"
