// The elevation of a stage, drawn to scale from the forms: the wall, the
// soil layers behind and in front of it, the water tables, the excavation
// line, the supports and the surcharges. Depths are shown in ft or m.
const NS = 'http://www.w3.org/2000/svg';
const COLOURS = {
  soft_clay: '#c9b48a', stiff_clay_with_free_water: '#b39a6c', stiff_clay_without_free_water: '#a88e5f',
  sand: '#ead9a0', silt: '#d8c8a8', rock: '#a9a9a9', weak_rock: '#bdb8ad',
};

const el = (tag, attrs = {}, text) => {
  const e = document.createElementNS(NS, tag);
  for (const [k, v] of Object.entries(attrs)) e.setAttribute(k, v);
  if (text !== undefined) e.textContent = text;
  return e;
};
const num = (v) => (typeof v === 'number' && Number.isFinite(v) ? v : undefined);

export function drawSketch(host, p) {
  host.replaceChildren();
  if (!p) return;
  const metric = p.units === 'metric';
  // Internal lengths (in, m) and feet-or-metre fields to shown depths.
  const len = (v) => (num(v) === undefined ? undefined : metric ? v : v / 12);
  const ftm = (v) => num(v);
  const unit = metric ? 'm' : 'ft';
  const wall = p.wall || {};
  const wallLength = len((num(wall.increments) || 0) * (num(wall.increment_length) || 0)) || 0;
  const soil = p.soil;
  const layers = (soil && soil.layers) || [];
  const exc = len(soil ? soil.free_height : wall.reference_depth);
  let bottom = wallLength;
  for (const l of layers) bottom = Math.max(bottom, len(l.bottom) || 0);
  if (!(bottom > 0)) {
    host.append(el('svg', { viewBox: '0 0 300 60' })).append(el('text', { x: 10, y: 30, class: 'note' }, 'Give the wall its increments and increment length to see it.'));
    return;
  }
  const W = 340, H = 460, top = 30, left = 46, right = W - 10, wallX = left + (right - left) * 0.55;
  const scale = (H - top - 20) / bottom;
  const y = (d) => top + d * scale;
  const svg = el('svg', { viewBox: `0 0 ${W} ${H}`, role: 'img', 'aria-label': 'elevation of the wall' });
  // Soil bands: behind the wall from the layer's top, in front from the
  // excavation line down.
  for (const l of layers) {
    const t = len(l.top), b = len(l.bottom);
    if (t === undefined || b === undefined || !(b > t)) continue;
    const fill = COLOURS[l.soil] || '#ddd';
    svg.append(el('rect', { x: left, y: y(t), width: wallX - left, height: (b - t) * scale, fill, stroke: '#8a7a5a', 'stroke-width': 0.5 }));
    const ft = Math.max(t, exc || 0);
    if (b > ft) svg.append(el('rect', { x: wallX, y: y(ft), width: right - wallX, height: (b - ft) * scale, fill, stroke: '#8a7a5a', 'stroke-width': 0.5 }));
    svg.append(el('text', { x: left + 4, y: y(t) + 11, 'font-size': 9, fill: '#4a3f2a' }, String(l.soil).replace(/_/g, ' ')));
  }
  // Depth ticks.
  const step = niceStep(bottom / 8);
  for (let d = 0; d <= bottom + 1e-9; d += step) {
    svg.append(el('line', { x1: left - 4, x2: left, y1: y(d), y2: y(d), stroke: '#555' }));
    svg.append(el('text', { x: left - 6, y: y(d) + 3, 'text-anchor': 'end', 'font-size': 9 }, fmt(d)));
  }
  svg.append(el('text', { x: 4, y: 12, 'font-size': 10 }, `depth (${unit})`));
  svg.append(el('text', { x: left + 2, y: top - 6, 'font-size': 9, fill: '#555' }, 'backfill'));
  svg.append(el('text', { x: right - 2, y: top - 6, 'font-size': 9, fill: '#555', 'text-anchor': 'end' }, 'excavation'));
  // Excavation line.
  if (exc !== undefined) {
    svg.append(el('line', { x1: wallX, x2: right, y1: y(exc), y2: y(exc), stroke: '#222', 'stroke-width': 2, 'data-kind': 'excavation' }));
    svg.append(el('text', { x: right - 2, y: y(exc) + 11, 'font-size': 9, 'text-anchor': 'end' }, `excavation ${fmt(exc)} ${unit}`));
  }
  // Water tables.
  if (soil) {
    const water = (d, x1, x2, label) => {
      if (!(d > 0) && d !== 0) return;
      svg.append(el('line', { x1, x2, y1: y(d), y2: y(d), stroke: '#1f6fd1', 'stroke-width': 1.5, 'stroke-dasharray': '5 3', 'data-kind': 'water' }));
      const cx = (x1 + x2) / 2;
      svg.append(el('path', { d: `M${cx - 5},${y(d) - 8} L${cx + 5},${y(d) - 8} L${cx},${y(d) - 1} Z`, fill: '#1f6fd1' }));
      svg.append(el('text', { x: cx + 8, y: y(d) - 2, 'font-size': 9, fill: '#1f6fd1' }, label));
    };
    water(len(soil.water_table_backfill), left, wallX, 'water');
    water(len(soil.water_table_excavation), wallX, right, 'water');
  }
  // The wall.
  svg.append(el('rect', { x: wallX - 3, y: y(0), width: 6, height: wallLength * scale, fill: '#3c4656', 'data-kind': 'wall' }));
  // Supports: tie backs into the backfill, struts into the excavation.
  const support = (s, k, tie) => {
    const d = ftm(s.depth);
    if (d === undefined) return;
    const depth = d;  // ft or m, as entered
    const a = ((num(s.angle) || 0) * Math.PI) / 180;
    // Its unbonded length to scale, kept within the drawing.
    const room = (tie ? wallX - left : right - wallX) - 20;
    const L = Math.min(Math.max(num(s.unbonded_length) || bottom * 0.25, bottom * 0.1) * scale, room / Math.max(Math.cos(a), 0.2));
    const dx = Math.cos(a) * L, dy = Math.sin(a) * L;
    const x2 = tie ? wallX - dx : wallX + dx;
    svg.append(el('line', { x1: wallX, y1: y(depth), x2, y2: y(depth) + dy, stroke: tie ? '#b3261e' : '#6a3fb3', 'stroke-width': 2, 'data-kind': tie ? 'tie-back' : 'strut' }));
    if (tie) svg.append(el('line', { x1: x2, y1: y(depth) + dy, x2: x2 - Math.cos(a) * 18, y2: y(depth) + dy + Math.sin(a) * 18, stroke: '#b3261e', 'stroke-width': 5 }));
    svg.append(el('text', { x: tie ? wallX - 6 : wallX + 6, y: y(depth) - 3, 'font-size': 9, 'text-anchor': tie ? 'end' : 'start' }, `${tie ? 'T' : 'S'}${k + 1}`));
  };
  (p.tie_backs || []).forEach((s, k) => support(s, k, true));
  (p.struts || []).forEach((s, k) => support(s, k, false));
  // Surcharges on the backfill surface, at their distance from the wall.
  if (soil) {
    const maxX = (wallX - left) / scale;  // ft or m drawn behind the wall
    const arrow = (x, label) => {
      const px = Math.max(left + 4, wallX - Math.min(x, maxX) * scale);
      svg.append(el('line', { x1: px, x2: px, y1: top - 22, y2: y(0) - 2, stroke: '#c25e00', 'stroke-width': 1.5, 'data-kind': 'surcharge' }));
      svg.append(el('path', { d: `M${px - 4},${y(0) - 8} L${px + 4},${y(0) - 8} L${px},${y(0) - 1} Z`, fill: '#c25e00' }));
      svg.append(el('text', { x: px + 3, y: top - 14, 'font-size': 9, fill: '#c25e00' }, label));
    };
    for (const s of soil.surcharges || []) {
      const x = num(s.distance);
      if (x === undefined) continue;
      arrow(metric ? x / 1000 : x / 12, s.type || 'load');
    }
    const sf = soil.surface || {};
    if (num(sf.pressure) > 0) {
      svg.append(el('rect', { x: left, y: y(0) - 6, width: wallX - left, height: 5, fill: '#c25e00', opacity: 0.5, 'data-kind': 'surcharge' }));
    }
    for (const key of ['point_load', 'line_load', 'strip_load']) {
      if (num(sf[key]) > 0) arrow(len(num(sf.distance) || 0), key.replace('_', ' '));
    }
  }
  svg.append(el('line', { x1: left, x2: right, y1: y(0), y2: y(0), stroke: '#6b5a3a' }));
  host.append(svg);
}

export function niceStep(raw) {
  if (!(raw > 0)) return 1;
  const p = 10 ** Math.floor(Math.log10(raw));
  for (const m of [1, 2, 2.5, 5, 10]) if (m * p >= raw) return m * p;
  return 10 * p;
}

const compact = new Intl.NumberFormat('en-US', { notation: 'compact', maximumSignificantDigits: 3 });

// A short label for an axis: 250, 0.005, 1.5E-4, 120K, 2.5M.
export function fmt(v) {
  if (v === 0) return '0';
  const a = Math.abs(v);
  if (a >= 1e4) return compact.format(v);
  if (a < 1e-3) return v.toExponential(1).toUpperCase();
  return String(Number(v.toPrecision(4)));
}
