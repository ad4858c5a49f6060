// The results of a run: the summary table, the depth diagrams of every
// problem (the stages of a staged excavation overlaid), the support forces
// and the p-y curves at chosen depths. Values come from the results JSON of
// /api/run (the document `korvan run --json` writes).
import { fmt, niceStep } from './sketch.js';

const NS = 'http://www.w3.org/2000/svg';
const COLOURS = ['#1f5fbf', '#c2410c', '#15803d', '#7e22ce', '#b91c1c', '#0e7490', '#a16207', '#4b5563'];
const svgEl = (tag, attrs = {}, text) => {
  const e = document.createElementNS(NS, tag);
  for (const [k, v] of Object.entries(attrs)) e.setAttribute(k, v);
  if (text !== undefined) e.textContent = text;
  return e;
};
const h = (tag, attrs = {}, ...kids) => {
  const e = document.createElement(tag);
  for (const [k, v] of Object.entries(attrs)) {
    if (v === undefined || v === null) continue;
    if (k === 'class') e.className = v; else if (k.startsWith('on')) e.addEventListener(k.slice(2), v); else e.setAttribute(k, v);
  }
  for (const c of kids.flat()) if (c != null) e.append(c.nodeType ? c : document.createTextNode(String(c)));
  return e;
};

// Shown units: depths in ft (English) or m; deflections in in or mm.
export function shownUnits(u) {
  const metric = u.system !== 'English';
  return {
    metric,
    depth: metric ? 'm' : 'ft', depthFactor: metric ? 1 : 1 / 12,
    deflection: metric ? 'mm' : 'in', deflectionFactor: metric ? 1000 : 1,
    moment: u.moment, force: u.force, line: u.soil_reaction, slope: u.slope,
  };
}

export const num = (v, digits = 4) => (v === null || v === undefined ? '—' : fmtValue(v, digits));
function fmtValue(v, digits) {
  if (v === 0) return '0';
  const a = Math.abs(v);
  if (a >= 1e7 || a < 1e-4) return v.toExponential(digits - 1);
  const d = Math.max(0, digits - 1 - Math.floor(Math.log10(a)));
  return v.toLocaleString('en-US', { minimumFractionDigits: Math.min(d, 6), maximumFractionDigits: Math.min(d, 6) });
}

// Consecutive stages of one unit system together, every other problem alone.
export function groups(problems) {
  const out = [];
  for (const p of problems) {
    const last = out[out.length - 1];
    const prev = last && last[last.length - 1];
    if (prev && p.stage !== null && prev.stage !== null && p.units.system === prev.units.system) last.push(p);
    else out.push([p]);
  }
  return out;
}

const name = (p) => (p.stage !== null ? `stage ${p.number}` : `problem ${p.number}`);

export function renderResults(host, run, state) {
  host.replaceChildren();
  const head = h('div', { class: 'results-section' },
    h('h3', {}, 'Run'),
    h('div', {}, `Status: `, h('b', { 'data-role': 'status' }, run.status), run.message ? ` — ${run.message}` : ''));
  host.append(head, summaryTable(run));
  for (const g of groups(run.problems)) host.append(groupSection(g));
  host.append(supportsSection(run), pyCurvesSection(run, state));
}

function summaryTable(run) {
  const t = h('table', { class: 'summary', 'data-role': 'summary' });
  t.append(h('thead', {}, h('tr', {},
    ['', 'Title', 'Outcome', 'Iterations', 'Max deflection', 'at', 'Max + moment', 'at', 'Max − moment', 'at', 'Max shear', 'at']
      .map((c, k) => h('th', { class: k < 3 ? 'text' : '' }, c)))));
  const body = h('tbody');
  for (const p of run.problems) {
    const u = shownUnits(p.units);
    const s = p.summary || {};
    const pair = (m, factor, unit, role) => (m ? [
      h('td', { 'data-role': role, 'data-value': String(m.value) }, `${num(m.value * factor)} ${unit}`),
      h('td', {}, `${num(m.depth * u.depthFactor)} ${u.depth}`)] : [h('td', { 'data-role': role }, '—'), h('td', {}, '')]);
    body.append(h('tr', { 'data-problem': String(p.number) },
      h('td', { class: 'text' }, name(p)), h('td', { class: 'text' }, p.title), h('td', { class: 'text' }, p.outcome),
      h('td', {}, String(p.iterations)),
      pair(s.max_deflection, u.deflectionFactor, u.deflection, 'max-deflection'),
      pair(s.max_positive_moment, 1, u.moment, 'max-moment'),
      pair(s.max_negative_moment, 1, u.moment, 'min-moment'),
      pair(s.max_shear, 1, u.force, 'max-shear')));
  }
  t.append(body);
  return h('div', { class: 'results-section' }, h('h3', {}, 'Summary'), t,
    h('div', { class: 'note' }, `Moments and shears per ${run.problems[0] ? widthText(run.problems[0]) : 'wall width'}.`));
}

const widthText = (p) => `${num(p.wall_width)} ${p.units.length} of wall`;

function groupSection(g) {
  const u = shownUnits(g[0].units);
  const sec = h('div', { class: 'results-section', 'data-role': 'diagrams' },
    h('h3', {}, g.length > 1 ? `Stages ${g.map((p) => p.number).join(', ')}` : `${name(g[0])}: ${g[0].title}`));
  const levels = [];
  for (const p of g) {
    if (p.excavation_depth !== null) levels.push({ depth: p.excavation_depth * u.depthFactor, label: g.length > 1 ? `excavation ${p.number}` : 'excavation', kind: 'exc' });
    for (const w of [p.water_table_backfill, p.water_table_excavation]) if (w !== null && w !== undefined) levels.push({ depth: w * u.depthFactor, kind: 'water' });
  }
  const series = (value) => g.map((p, k) => ({ name: name(p), colour: COLOURS[k % COLOURS.length],
    points: p.stations.map((s) => [value(s), s.depth * u.depthFactor]) }));
  const ep = g.some((p) => p.earth_pressure && p.earth_pressure.length);
  const charts = [
    ['Deflection', u.deflection, (s) => s.deflection * u.deflectionFactor],
    ['Slope', u.slope, (s) => s.slope],
    ['Moment', u.moment, (s) => s.moment],
    ['Shear', u.force, (s) => s.shear],
    ['Soil reaction', u.line, (s) => s.soil_reaction],
  ].map(([title, unit, value]) => depthChart({ title, unit, depthUnit: u.depth, series: series(value), levels }));
  const wallEnd = Math.max(...g.map((p) => p.wall_length * u.depthFactor));
  charts.push(ep
    ? depthChart({ title: 'Earth pressure', unit: u.line, depthUnit: u.depth, levels,
      series: g.map((p, k) => ({ name: name(p), colour: COLOURS[k % COLOURS.length],
        points: (p.earth_pressure || []).map((q) => [q.load, q.depth * u.depthFactor]).filter((q) => q[1] <= wallEnd * (1 + 1e-9)) })) })
    : depthChart({ title: 'Net force per station', unit: u.force, depthUnit: u.depth, levels, series: series((s) => s.net_force) }));
  const legend = h('div', { class: 'legend' }, g.map((p, k) => h('span', {}, h('i', { style: `background:${COLOURS[k % COLOURS.length]}` }), name(p), ` (${p.outcome})`)));
  sec.append(legend, h('div', { class: 'charts' }, charts),
    h('div', { class: 'note' }, 'The curves are the station values of the report; at a clamped or loaded end the summary gives the moment and shear as checked by hand (docs/json-results.md).'));
  if (g.some((p) => !p.stations.length)) sec.append(h('div', { class: 'note' }, 'A problem without station results (not closed or stopped) has no curves.'));
  return sec;
}

// A diagram of values against depth (depth down), with a read-out of every
// series at the depth under the pointer.
export function depthChart({ title, unit, depthUnit, series, levels = [], xTitle }) {
  const W = 260, H = 330, L = 44, R = 8, T = 22, B = 30;
  let xmin = Infinity, xmax = -Infinity, dmax = 0;
  for (const s of series) for (const [x, d] of s.points) {
    if (Number.isFinite(x)) { xmin = Math.min(xmin, x); xmax = Math.max(xmax, x); }
    if (Number.isFinite(d)) dmax = Math.max(dmax, d);
  }
  if (!Number.isFinite(xmin)) { xmin = -1; xmax = 1; }
  if (xmin > 0) xmin = 0;
  if (xmax < 0) xmax = 0;
  if (xmax === xmin) { xmax += 1; xmin -= 1; }
  const pad = (xmax - xmin) * 0.05; xmin -= pad; xmax += pad;
  if (!(dmax > 0)) dmax = 1;
  const X = (x) => L + ((x - xmin) / (xmax - xmin)) * (W - L - R);
  const Y = (d) => T + (d / dmax) * (H - T - B);
  const svg = svgEl('svg', { viewBox: `0 0 ${W} ${H}`, role: 'img', 'aria-label': `${title} against depth` });
  svg.append(svgEl('text', { x: L, y: 13, 'font-size': 11, 'font-weight': 600 }, `${xTitle || title} (${unit})`));
  svg.append(svgEl('rect', { x: L, y: T, width: W - L - R, height: H - T - B, fill: '#fff', stroke: '#bbb' }));
  const ds = niceStep(dmax / 6);
  for (let d = 0; d <= dmax + 1e-9; d += ds) {
    svg.append(svgEl('line', { x1: L, x2: W - R, y1: Y(d), y2: Y(d), stroke: '#eee' }));
    svg.append(svgEl('text', { x: L - 3, y: Y(d) + 3, 'font-size': 9, 'text-anchor': 'end' }, fmt(d)));
  }
  const xs = niceStep((xmax - xmin) / 4);
  for (let x = Math.ceil(xmin / xs) * xs; x <= xmax; x += xs) {
    svg.append(svgEl('line', { x1: X(x), x2: X(x), y1: T, y2: H - B, stroke: Math.abs(x) < xs * 1e-6 ? '#888' : '#eee' }));
    svg.append(svgEl('text', { x: X(x), y: H - B + 11, 'font-size': 9, 'text-anchor': 'middle' }, fmt(Math.abs(x) < xs * 1e-6 ? 0 : x)));
  }
  svg.append(svgEl('text', { x: 4, y: H - 4, 'font-size': 9 }, `depth (${depthUnit})`));
  for (const l of levels) {
    if (!(l.depth >= 0 && l.depth <= dmax)) continue;
    svg.append(svgEl('line', { x1: L, x2: W - R, y1: Y(l.depth), y2: Y(l.depth), stroke: l.kind === 'water' ? '#1f6fd1' : '#222', 'stroke-dasharray': l.kind === 'water' ? '4 3' : '', 'stroke-width': l.kind === 'water' ? 1 : 1.2 }));
  }
  for (const s of series) {
    const pts = s.points.filter(([x, d]) => Number.isFinite(x) && Number.isFinite(d));
    if (!pts.length) continue;
    svg.append(svgEl('polyline', { points: pts.map(([x, d]) => `${X(x).toFixed(2)},${Y(d).toFixed(2)}`).join(' '), fill: 'none', stroke: s.colour, 'stroke-width': 1.5 }));
  }
  const guide = svgEl('line', { x1: L, x2: W - R, y1: -10, y2: -10, stroke: '#999', 'stroke-dasharray': '2 2', visibility: 'hidden' });
  svg.append(guide);
  const readout = h('div', { class: 'readout', 'data-role': 'readout' });
  const at = (d) => {
    guide.setAttribute('y1', Y(d)); guide.setAttribute('y2', Y(d)); guide.setAttribute('visibility', 'visible');
    readout.replaceChildren(h('b', {}, `${fmt(d)} ${depthUnit}: `),
      ...series.map((s) => { const v = interpolate(s.points, d); return h('span', { style: `color:${s.colour}` }, `${series.length > 1 ? s.name + ' ' : ''}${num(v)} `); }));
  };
  svg.addEventListener('mousemove', (e) => {
    const box = svg.getBoundingClientRect();
    const y = ((e.clientY - box.top) / box.height) * H;
    const d = ((y - T) / (H - T - B)) * dmax;
    if (d >= 0 && d <= dmax) at(d);
  });
  svg.addEventListener('mouseleave', () => { guide.setAttribute('visibility', 'hidden'); });
  const fig = h('div', { class: 'chart', 'data-chart': title }, readout);
  fig.prepend(svg);
  fig._at = at;
  return fig;
}

// The value of a series at depth d, linear between its points.
export function interpolate(points, d) {
  for (let k = 1; k < points.length; k++) {
    const [x0, d0] = points[k - 1], [x1, d1] = points[k];
    if ((d0 <= d && d <= d1) || (d1 <= d && d <= d0)) return d1 === d0 ? x1 : x0 + ((x1 - x0) * (d - d0)) / (d1 - d0);
  }
  return null;
}

function supportsSection(run) {
  const rows = [];
  for (const p of run.problems) {
    const u = shownUnits(p.units);
    for (const s of p.supports || []) {
      rows.push(h('tr', {},
        h('td', { class: 'text' }, name(p)), h('td', { class: 'text' }, `${s.kind} ${s.number}`),
        h('td', {}, `${num(s.depth * u.depthFactor)} ${u.depth}`), h('td', {}, `${num(s.angle)}°`),
        h('td', { 'data-role': 'support-force', 'data-value': String(s.force_per_support) }, `${num(s.force_per_support)} ${p.units.force}`),
        h('td', {}, `${num(s.horizontal_force_per_station)} ${p.units.force}`),
        h('td', {}, s.prestress ? `${num(s.prestress)} ${p.units.force}` : '')));
    }
  }
  const sec = h('div', { class: 'results-section' }, h('h3', {}, 'Support forces'));
  if (!rows.length) { sec.append(h('div', { class: 'note' }, 'No tie backs or struts.')); return sec; }
  sec.append(h('table', { class: 'summary' }, h('thead', {}, h('tr', {},
    ['Problem', 'Support', 'Depth', 'Angle', 'Force per support', 'Horizontal per station', 'Prestress'].map((c, k) => h('th', { class: k < 2 ? 'text' : '' }, c)))),
  h('tbody', {}, rows)));
  return sec;
}

function pyCurvesSection(run, state) {
  const sec = h('div', { class: 'results-section', 'data-role': 'py-curves' }, h('h3', {}, 'p-y curves'));
  const withCurves = run.problems.filter((p) => p.py_curves && p.py_curves.length);
  if (!withCurves.length) { sec.append(h('div', { class: 'note' }, 'No p-y curves.')); return sec; }
  const pick = h('select', { title: 'problem' }, withCurves.map((p) => h('option', { value: String(p.number) }, `${name(p)}: ${p.title}`)));
  const depths = h('select', { multiple: '', size: 6, title: 'depths (Ctrl-click for several)' });
  const holder = h('div', { class: 'py-chart' });
  const fill = () => {
    const p = withCurves.find((q) => String(q.number) === pick.value) || withCurves[0];
    const u = shownUnits(p.units);
    depths.replaceChildren(...p.py_curves.map((c, k) => h('option', { value: String(k) }, `${num(c.depth * u.depthFactor)} ${u.depth} (station ${c.station})`)));
    const n = p.py_curves.length;
    const chosen = state.pyChosen && state.pyChosen.length ? state.pyChosen : [0, Math.floor(n / 2), n - 1];
    for (const k of new Set(chosen.filter((k) => k < n))) depths.options[k].selected = true;
    draw();
  };
  const draw = () => {
    const p = withCurves.find((q) => String(q.number) === pick.value) || withCurves[0];
    const u = shownUnits(p.units);
    const chosen = [...depths.selectedOptions].map((o) => Number(o.value));
    state.pyChosen = chosen;
    holder.replaceChildren(pyChart(p, chosen, u));
  };
  pick.addEventListener('change', () => { state.pyChosen = []; fill(); });
  depths.addEventListener('change', draw);
  sec.append(h('div', { class: 'py-controls' }, pick, ' ', depths), holder);
  fill();
  return sec;
}

function pyChart(p, chosen, u) {
  const W = 420, H = 300, L = 56, R = 10, T = 20, B = 30;
  const curves = chosen.map((k) => p.py_curves[k]).filter(Boolean);
  let ymin = Infinity, ymax = -Infinity, pmin = Infinity, pmax = -Infinity;
  for (const c of curves) for (const [y, q] of c.points) { ymin = Math.min(ymin, y); ymax = Math.max(ymax, y); pmin = Math.min(pmin, q); pmax = Math.max(pmax, q); }
  if (!curves.length || !Number.isFinite(ymin)) return h('div', { class: 'note' }, 'Choose one or more depths.');
  if (ymax === ymin) { ymax += 1; ymin -= 1; }
  if (pmax === pmin) { pmax += 1; pmin -= 1; }
  const X = (y) => L + ((y - ymin) / (ymax - ymin)) * (W - L - R);
  const Y = (q) => T + ((pmax - q) / (pmax - pmin)) * (H - T - B);
  const svg = svgEl('svg', { viewBox: `0 0 ${W} ${H}`, role: 'img', 'aria-label': 'p-y curves' });
  svg.append(svgEl('rect', { x: L, y: T, width: W - L - R, height: H - T - B, fill: '#fff', stroke: '#bbb' }));
  svg.append(svgEl('text', { x: L, y: 13, 'font-size': 11, 'font-weight': 600 }, `p (${p.units.py_p}) against y (${p.units.py_y})`));
  const ys = niceStep((ymax - ymin) / 5), ps = niceStep((pmax - pmin) / 5);
  for (let y = Math.ceil(ymin / ys) * ys; y <= ymax; y += ys) svg.append(svgEl('text', { x: X(y), y: H - B + 12, 'font-size': 9, 'text-anchor': 'middle' }, fmt(Math.abs(y) < ys * 1e-6 ? 0 : y)));
  for (let q = Math.ceil(pmin / ps) * ps; q <= pmax; q += ps) {
    svg.append(svgEl('line', { x1: L, x2: W - R, y1: Y(q), y2: Y(q), stroke: '#eee' }));
    svg.append(svgEl('text', { x: L - 3, y: Y(q) + 3, 'font-size': 9, 'text-anchor': 'end' }, fmt(Math.abs(q) < ps * 1e-6 ? 0 : q)));
  }
  const legend = h('div', { class: 'legend' });
  curves.forEach((c, k) => {
    const colour = COLOURS[k % COLOURS.length];
    svg.append(svgEl('polyline', { points: c.points.map(([y, q]) => `${X(y).toFixed(2)},${Y(q).toFixed(2)}`).join(' '), fill: 'none', stroke: colour, 'stroke-width': 1.5 }));
    legend.append(h('span', {}, h('i', { style: `background:${colour}` }), `${num(c.depth * u.depthFactor)} ${u.depth}${c.generated ? '' : ' (given)'}`));
  });
  return h('div', { class: 'chart' }, svg, legend);
}
