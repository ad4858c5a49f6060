"""Models in code: reading and editing the project, conversion both ways,
and validation errors with their JSON paths."""
import json

import numpy as np
import pytest

import korvan
from conftest import EXAMPLES, ROOT

SAND_WALL = ROOT / "examples" / "soldier_pile_sand_two_tiebacks.dat"


def loaded(path):
    """A model read from an input data file (converted to a project)."""
    return korvan.Model.load(path)


def hand_made():
    return korvan.Model.from_dict({
        "format": "korvan-project", "version": 1,
        "problems": [{"title": "HAND MADE", "units": "english",
                      "soil": {"layers": [
                          {"soil": "sand", "top": 0, "bottom": 120,
                           "at_top": {"friction_angle": 30, "unit_weight": 0.07},
                           "at_bottom": {"friction_angle": 34, "unit_weight": 0.07}}]}}]})


def test_members_read_and_set_as_attributes():
    model = hand_made()
    layer = model.problems[0].soil.layers[0]
    assert layer.soil == "sand" and layer.at_bottom.friction_angle == 34
    assert layer.unit_weight == 0.07  # both ends agree
    with pytest.raises(AttributeError, match="at the top and 34 at the bottom"):
        layer.friction_angle
    layer.friction_angle = np.float64(32.5)
    assert layer.at_top.friction_angle == layer.at_bottom.friction_angle == 32.5
    model.problems[0].wall = {"increments": np.int64(40)}
    model.problems[0].hinge_model = np.bool_(True)
    model.problems[0].user_curves = [{"points": np.array([[-1.0, 2.0], [1.0, -2.0]])}]
    model.problems[0].wall.increment_length = 6
    model.problems[0]["title"] = "EDITED"
    model.problems[0].soil.layers.append(layer)
    model.problems[0].soil.layers[1].top = 120
    with pytest.raises(AttributeError, match="no member 'strength'"):
        model.problems[0].soil.strength
    assert model.problems[0].soil.get("strength", 0) == 0
    project = json.loads(model.to_json())
    problem = project["problems"][0]
    assert problem["title"] == "EDITED"
    assert problem["wall"] == {"increments": 40, "increment_length": 6}
    assert type(problem["wall"]["increments"]) is int
    assert problem["hinge_model"] is True
    assert problem["user_curves"][0]["points"] == [[-1.0, 2.0], [1.0, -2.0]]
    layers = problem["soil"]["layers"]
    assert [x["top"] for x in layers] == [0, 120]  # the appended layer is a copy
    assert layers[1]["at_top"]["friction_angle"] == 32.5


def test_copies_are_independent():
    model = hand_made()
    other = model.copy()
    other.problems[0].soil.layers[0].at_top.friction_angle = 20
    assert model.problems[0].soil.layers[0].at_top.friction_angle == 30
    again = korvan.Model.from_text(model.to_json(), name="m.json", check=False)
    assert again.project == model.project


def test_json_and_data_forms_run_to_the_numbers_of_the_file(tmp_path):
    for path in EXAMPLES:
        model = loaded(path)
        expected = korvan.run(path).to_dict()["problems"]
        model.save(tmp_path / "m.json")
        model.save(tmp_path / "m.dat")
        for form in ("m.json", "m.dat"):
            again = korvan.Model.load(tmp_path / form)
            got = korvan.run(again).to_dict()["problems"]
            for g, e in zip(got, expected):
                assert g["stations"] == e["stations"], f"{path.name} via {form}"
                assert g["summary"] == e["summary"], f"{path.name} via {form}"
        # A project file runs from its path as well.
        assert korvan.run(tmp_path / "m.json").to_dict()["problems"] == got
        # The data file written from the project reads back to the same project.
        assert korvan.Model.load(tmp_path / "m.dat").project == model.project


def test_an_edit_changes_the_results():
    model = loaded(SAND_WALL)
    before = korvan.run(model).problems[0].summary["max_deflection"]["value"]
    for layer in model.problems[0].soil.layers:
        layer.friction_angle = layer.at_top.friction_angle + 5
    after = korvan.run(model).problems[0].summary["max_deflection"]["value"]
    assert abs(after) < abs(before)


def test_a_fault_names_its_json_path():
    model = loaded(SAND_WALL)
    model.problems[0].soil.layers[0].at_top.friction_angle = "thirty"
    faults = model.validate()
    assert faults and faults[0].path == "problems[0].soil.layers[0].at_top.friction_angle"
    with pytest.raises(korvan.InputError) as caught:
        model.check()
    assert caught.value.path == "problems[0].soil.layers[0].at_top.friction_angle"
    assert caught.value.line == 0 and caught.value.file.endswith(".json")
    with pytest.raises(korvan.InputError) as caught:
        korvan.run(model)
    assert caught.value.path == "problems[0].soil.layers[0].at_top.friction_angle"
    with pytest.raises(korvan.InputError) as caught:
        model.to_dat()
    assert caught.value.path == "problems[0].soil.layers[0].at_top.friction_angle"


def test_a_faulty_project_file_raises_on_loading_unless_asked(tmp_path):
    model = loaded(SAND_WALL)
    model.problems[0].wall.increments = 0
    path = tmp_path / "wall.json"
    model.save(path)
    with pytest.raises(korvan.InputError) as caught:
        korvan.Model.load(path)
    e = caught.value
    assert (e.file, e.line, e.record) == ("wall.json", 0, "wall-geometry record")
    assert e.path.startswith("problems[0].wall") and "increments" in e.message
    assert str(e).startswith(f"wall.json: {e.path}: ")
    # Read as it is, mended in code, and run.
    mended = korvan.Model.load(path, check=False)
    mended.problems[0].wall.increments = 60
    assert korvan.run(mended.check()).ok
