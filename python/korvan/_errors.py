"""Input errors as exceptions."""
from __future__ import annotations

from dataclasses import dataclass
from typing import Any, Mapping, Sequence


@dataclass(frozen=True)
class Diagnostic:
    """Where an input fault stands and what it is.

    Attributes:
        file: the input as shown (a file name, or the name given to a text).
        line: 1-based line of an input data file; 0 in a project (JSON) or
            when the fault is on no one line.
        record: the record group, ``"wall-geometry record"``; empty if none.
        field: 1-based field of the record; 0 when not one field.
        field_name: the name of the field, ``"deflection closure tolerance"``.
        message: what is wrong, ``'expected a real, found "x"'``.
        path: in a project, the JSON path of the value at fault,
            ``"problems[0].soil.layers[1].at_top.friction_angle"``.
    """

    file: str = ""
    line: int = 0
    record: str = ""
    field: int = 0
    field_name: str = ""
    message: str = ""
    path: str = ""

    @classmethod
    def from_dict(cls, d: Mapping[str, Any]) -> "Diagnostic":
        """A diagnostic from a dict of its parts (missing parts empty)."""
        return cls(**{k: d[k] for k in ("file", "line", "record", "field",
                                        "field_name", "message", "path")
                      if k in d})

    def __str__(self) -> str:
        where = self.file
        if self.path:
            return f"{where}: {self.path}: {self.message}"
        if self.line:
            where += f":{self.line}"
        what = self.record
        if self.field:
            what += f", field {self.field}"
            if self.field_name:
                what += f" ({self.field_name})"
        return f"{where}: {what + ': ' if what else ''}{self.message}"


class InputError(ValueError):
    """An input the engine refuses: a fault in an input data file or project.

    ``str(error)`` is the one-line diagnostic, as the command line prints it.
    The parts are attributes: ``file``, ``line``, ``record``, ``field``,
    ``field_name``, ``path`` (the JSON path in a project), ``message``
    (what is wrong) and ``diagnostics`` (every fault found, as
    :class:`Diagnostic`; the first is the one the attributes give).
    """

    def __init__(self, text: str, diagnostics: Sequence[Diagnostic] = ()):
        super().__init__(text)
        self.diagnostics: list[Diagnostic] = list(diagnostics)
        first = self.diagnostics[0] if self.diagnostics else Diagnostic(message=text)
        self.file: str = first.file
        self.line: int = first.line
        self.record: str = first.record
        self.field: int = first.field
        self.field_name: str = first.field_name
        self.path: str = first.path
        self.message: str = first.message

    def __reduce__(self):
        return (InputError, (str(self), self.diagnostics))


def input_error(text: str, diagnostics: Sequence[Mapping[str, Any]]) -> InputError:
    ds = [Diagnostic.from_dict(d) for d in diagnostics]
    if not text and ds:
        text = str(ds[0])
    return InputError(text, ds)
