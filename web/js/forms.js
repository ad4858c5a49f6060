// The forms of one stage: every input carries the JSON path of its value
// (data-path), so that a diagnostic of /api/validate finds its field.
import * as M from './model.js';

const h = (tag, attrs = {}, ...kids) => {
  const e = document.createElement(tag);
  for (const [k, v] of Object.entries(attrs)) {
    if (v === undefined || v === null || v === false) continue;
    if (k === 'class') e.className = v;
    else if (k.startsWith('on')) e.addEventListener(k.slice(2), v);
    else e.setAttribute(k, v === true ? '' : v);
  }
  for (const c of kids.flat()) if (c != null) e.append(c.nodeType ? c : document.createTextNode(String(c)));
  return e;
};

const shown = (v) => (v === undefined || v === null ? '' : String(v));

// An input for `field` of `obj` whose JSON path is `path`.
function input(field, obj, path, ctx) {
  const value = M.getIn(obj, field.key);
  let el;
  if (field.type === 'select') {
    el = h('select', { 'data-path': path, title: field.hint });
    const opts = field.options.slice();
    // A code that has no word of its own is kept as read.
    if (value !== undefined && !opts.some(([v]) => v === value)) opts.push([value, String(value)]);
    if (value === undefined) el.append(h('option', { value: '' }, '—'));
    for (const [v, text] of opts) el.append(h('option', { value: String(v), selected: String(v) === String(value) }, text));
  } else if (field.type === 'bool') {
    el = h('input', { type: 'checkbox', 'data-path': path, checked: value === true, title: field.hint });
  } else {
    el = h('input', {
      type: 'text', 'data-path': path, value: shown(value), title: field.hint,
      inputmode: field.type === 'text' ? undefined : 'decimal', spellcheck: 'false',
    });
  }
  el._field = field;
  const edit = () => {
    let v;
    if (field.type === 'bool') v = el.checked ? true : undefined;
    else if (field.type === 'select') {
      const raw = el.value;
      const opt = field.options.find(([o]) => String(o) === raw);
      v = raw === '' ? undefined : opt ? opt[0] : (Number.isFinite(Number(raw)) ? Number(raw) : raw);
    } else v = M.parseValue(field, el.value);
    M.setIn(obj, field.key, v);
    el.dataset.localError = M.checkValue(field, v);
    ctx.showError(el);
    ctx.changed(field);
  };
  el.addEventListener(field.type === 'bool' || field.type === 'select' ? 'change' : 'input', edit);
  el.dataset.localError = M.checkValue(field, value);
  return el;
}

function fieldBlock(field, obj, prefix, ctx) {
  const path = `${prefix}.${field.key}`;
  const el = input(field, obj, path, ctx);
  const unit = M.unitText(field.unit, ctx.metric);
  return h('div', { class: 'field' },
    h('label', {}, field.label, unit ? h('span', { class: 'unit' }, `(${unit})`) : null),
    el, h('div', { class: 'err', 'data-for': path }), field.hint ? h('div', { class: 'hint' }, field.hint) : null);
}

function fieldset(legend, ...kids) {
  return h('fieldset', {}, h('legend', {}, legend), ...kids);
}

function fieldsGrid(fields, obj, prefix, ctx) {
  return h('div', { class: 'fields' }, fields.map((f) => fieldBlock(f, obj, prefix, ctx)));
}

function header(fields, ctx) {
  return h('tr', {}, h('th', {}, '#'), fields.map((f) => {
    const unit = M.unitText(f.unit, ctx.metric);
    return h('th', { title: f.hint }, f.label, unit ? h('span', { class: 'unit' }, ` ${unit}`) : null);
  }), h('th'));
}

function cell(field, obj, path, ctx) {
  return h('td', {}, input(field, obj, path, ctx), h('div', { class: 'err', 'data-for': path }));
}

// A list of records as an editable table.
function table(list, fields, prefix, ctx, make, name) {
  const body = h('tbody');
  list.forEach((row, k) => {
    body.append(h('tr', {}, h('td', { class: 'idx' }, k + 1),
      fields.map((f) => cell(f, row, `${prefix}[${k}].${f.key}`, ctx)),
      h('td', {}, h('button', { type: 'button', title: `remove ${name} ${k + 1}`, onclick: () => { list.splice(k, 1); ctx.rerender(); } }, '×'))));
  });
  return h('div', {},
    list.length ? h('table', { class: 'grid' }, h('thead', {}, header(fields, ctx)), body) : h('div', { class: 'note' }, `no ${name}s`),
    h('div', { class: 'row-buttons' }, h('button', { type: 'button', onclick: () => { list.push(make(list)); ctx.rerender(); } }, `+ ${name}`)));
}

// Soil layers: the model, top and bottom, then the values at the top and
// at the bottom of the layer on two rows.
function layersTable(soil, prefix, ctx) {
  const list = soil.layers || (soil.layers = []);
  const body = h('tbody');
  list.forEach((layer, k) => {
    const p = `${prefix}.layers[${k}]`;
    for (const end of ['at_top', 'at_bottom']) {
      if (!layer[end]) layer[end] = M.emptyValues();
      const first = end === 'at_top';
      body.append(h('tr', { class: first ? 'layer-top' : 'layer-bottom' },
        h('td', { class: 'idx' }, first ? k + 1 : ''),
        M.LAYER.map((f) => (first ? cell(f, layer, `${p}.${f.key}`, ctx) : h('td'))),
        h('td', { class: 'hint' }, first ? 'top' : 'bottom'),
        M.LAYER_VALUES.map((f) => cell(f, layer[end], `${p}.${end}.${f.key}`, ctx)),
        h('td', {}, first ? h('button', { type: 'button', title: `remove layer ${k + 1}`, onclick: () => { list.splice(k, 1); ctx.rerender(); } }, '×') : null)));
    }
  });
  const head = h('tr', {}, h('th', {}, '#'),
    [...M.LAYER, { label: 'at', unit: 'none' }, ...M.LAYER_VALUES].map((f) => {
      const unit = M.unitText(f.unit, ctx.metric);
      return h('th', { title: f.hint || '' }, f.label, unit ? h('span', { class: 'unit' }, ` ${unit}`) : null);
    }), h('th'));
  const add = () => {
    const last = list[list.length - 1];
    const top = last ? last.bottom || 0 : 0;
    list.push({ soil: last ? last.soil : 'sand', top, bottom: top, at_top: { ...(last ? last.at_bottom : M.emptyValues()) }, at_bottom: { ...(last ? last.at_bottom : M.emptyValues()) } });
    ctx.rerender();
  };
  return h('div', {},
    list.length ? h('table', { class: 'grid layers' }, h('thead', {}, head), body) : h('div', { class: 'note' }, 'no layers'),
    h('div', { class: 'row-buttons' }, h('button', { type: 'button', onclick: add }, '+ layer')));
}

const GENERATED = new Set(['triangular', 'fhwa', 'soil_movement', 'uniform_clay', 'terzaghi_peck']);
export const needsSoil = (p) => GENERATED.has(p.earth_pressure && p.earth_pressure.option) ||
  (typeof (p.earth_pressure && p.earth_pressure.option) === 'number' && p.earth_pressure.option >= 2) ||
  p.py_curves === 'generated';

const stash = new WeakMap();  // soil put aside while the options need none

// Renders the forms of problem `index` into `form`. `hooks.changed(field)`
// is called after every edit; `hooks.rerender()` when the shape changes.
export function renderForms(form, project, index, hooks) {
  const p = project.problems[index];
  const prefix = `problems[${index}]`;
  const ctx = {
    metric: M.isMetric(p),
    showError: hooks.showError,
    changed: (field) => {
      if (field.key === 'units' || field.key === 'option' || field === PY_FIELD) {
        // A soil profile to fill in (in the stage's units: no numbers of
        // another unit system), or the one put aside.
        if (needsSoil(p) && !p.soil) p.soil = stash.get(p) || { active_factor: 1, loading: 'static', surcharges: [], layers: [] };
        if (!needsSoil(p) && p.soil) { stash.set(p, p.soil); delete p.soil; }
        hooks.rerender();
      }
      hooks.changed();
    },
    rerender: () => { hooks.rerender(); hooks.changed(); },
  };
  form.replaceChildren();
  if (!p.wall) p.wall = {};
  const EP = { key: 'option', label: 'Earth pressure', unit: 'none', hint: 'the active pressure on the wall', type: 'select', options: M.EARTH_PRESSURE };
  if (!p.earth_pressure) p.earth_pressure = { option: 'none' };
  form.append(
    fieldset('Stage', fieldsGrid(M.GENERAL, p, prefix, ctx)),
    fieldset('Wall', fieldsGrid(M.WALL, p.wall, `${prefix}.wall`, ctx)),
    fieldset('Wall sections (top down)', table(p.wall_sections || (p.wall_sections = []), M.WALL_SECTION, `${prefix}.wall_sections`, ctx,
      (l) => ({ top: l.length ? l[l.length - 1].bottom : 0, bottom: 0, cross_section: 1 }), 'wall section')),
    fieldset('Cross sections', crossSections(p, prefix, ctx)),
    fieldset('Earth pressure and p-y curves',
      h('div', { class: 'fields' }, fieldBlock(EP, p.earth_pressure, `${prefix}.earth_pressure`, ctx),
        fieldBlock(PY_FIELD, p, prefix, ctx)),
      p.earth_pressure.option === 'specified'
        ? table(p.earth_pressure.points || (p.earth_pressure.points = []), M.EP_POINT, `${prefix}.earth_pressure.points`, ctx, () => ({ depth: 0, pressure: 0 }), 'pressure point')
        : null,
      p.user_curves ? h('div', { class: 'note' }, `${p.user_curves.length} user-specified p-y curves, kept as read (edit them in the .json or .dat file)`) : null),
  );
  if (p.soil) {
    const s = p.soil;
    if (!s.surface) s.surface = {};
    form.append(
      fieldset('Soil profile: excavation, water tables, widths', fieldsGrid(M.SOIL, s, `${prefix}.soil`, ctx)),
      fieldset('Soil layers', layersTable(s, `${prefix}.soil`, ctx)),
      fieldset('p-y options', fieldsGrid(M.PY_OPTIONS, s, `${prefix}.soil`, ctx),
        pyFactors(p, prefix, ctx)),
      fieldset('Surface loads', fieldsGrid(M.SURFACE, s.surface, `${prefix}.soil.surface`, ctx)),
      fieldset('Surcharges', table(s.surcharges || (s.surcharges = []), M.SURCHARGE, `${prefix}.soil.surcharges`, ctx,
        () => ({ type: 'line', load: 0, distance: 0, width: 0, vertical: 0, factor: 1 }), 'surcharge')),
    );
  } else {
    form.append(fieldset('p-y options', pyFactors(p, prefix, ctx)));
  }
  form.append(
    fieldset('Tie backs', table(p.tie_backs || (p.tie_backs = []), M.TIE_BACK, `${prefix}.tie_backs`, ctx,
      () => ({ depth: 0, area: 0, modulus: 0, unbonded_length: 0, angle: 15, spacing: 0, prestress: 0 }), 'tie back')),
    fieldset('Struts and rakers', table(p.struts || (p.struts = []), M.STRUT, `${prefix}.struts`, ctx,
      () => ({ depth: 0, area: 0, modulus: 0, unbonded_length: 0, angle: 0, spacing: 0 }), 'strut')),
    fieldset('Loads at stations', table(p.loads || (p.loads = []), M.LOAD, `${prefix}.loads`, ctx,
      () => ({ from: 0, to: 0, load: 0, torque: 0, axial: 0 }), 'load')),
    fieldset('Springs (restraints)', table(p.restraints || (p.restraints = []), M.RESTRAINT, `${prefix}.restraints`, ctx,
      () => ({ from: 0, to: 0, lateral: 0, rotational: 0 }), 'restraint')),
    h('div', { class: 'err', 'data-for': '' }),
  );
  for (const el of form.querySelectorAll('[data-path]')) hooks.showError(el);
}

const PY_FIELD = { key: 'py_curves', label: 'p-y curves', unit: 'none', hint: 'the soil in front of the wall', type: 'select', options: M.PY_CURVES };

function pyFactors(p, prefix, ctx) {
  const on = !!p.py_factors;
  const box = h('input', { type: 'checkbox', checked: on, onchange: (e) => {
    if (e.target.checked) p.py_factors = { option: 'table_only', rows: [] }; else delete p.py_factors;
    ctx.rerender();
  } });
  const parts = [h('label', {}, box, ' p-y modification factors')];
  if (on) {
    const OPT = { key: 'option', label: 'Factors', unit: 'none', hint: 'with or without the spacing reduction', type: 'select',
      options: [['table_only', 'table only'], ['with_spacing_reduction', 'with spacing reduction']] };
    parts.push(h('div', { class: 'fields' }, fieldBlock(OPT, p.py_factors, `${prefix}.py_factors`, ctx)),
      table(p.py_factors.rows || (p.py_factors.rows = []), M.PY_FACTOR, `${prefix}.py_factors.rows`, ctx, () => ({ depth: 0, p: 1, y: 1 }), 'factor row'));
  }
  return h('div', {}, ...parts);
}

function crossSections(p, prefix, ctx) {
  const list = p.cross_sections || (p.cross_sections = []);
  const elastic = list.map((c, k) => [c, k]).filter(([c]) => (c.ei || 'elastic') === 'elastic');
  const body = h('tbody');
  for (const [c, k] of elastic) {
    if (!c.properties) c.properties = {};
    body.append(h('tr', {}, h('td', { class: 'idx' }, k + 1),
      M.CROSS_SECTION.map((f) => cell(f, c, `${prefix}.cross_sections[${k}].${f.key}`, ctx)),
      h('td', {}, h('button', { type: 'button', title: `remove cross section ${k + 1}`, onclick: () => { list.splice(k, 1); ctx.rerender(); } }, '×'))));
  }
  const others = list.length - elastic.length;
  return h('div', {},
    elastic.length ? h('table', { class: 'grid' }, h('thead', {}, header(M.CROSS_SECTION, ctx)), body) : null,
    others ? h('div', { class: 'note' }, `${others} nonlinear section(s), kept as read`) : null,
    h('div', { class: 'row-buttons' }, h('button', { type: 'button', onclick: () => {
      list.push({ shape: 'general', ei: 'elastic', name: `SECTION ${list.length + 1}`, properties: { moment_of_inertia: 0, elastic_modulus: 0 } });
      ctx.rerender();
    } }, '+ cross section')),
    h('div', { class: 'hint' }, 'EI = E·I; the other values are kept for the report.'));
}
