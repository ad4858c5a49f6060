// The project as the forms edit it: the JSON form of docs/project-files.md,
// with the units, hints and limits of every field the forms show.

// Units by kind: [English, metric].
export const UNITS = {
  len: ['in', 'm'], depth_ft: ['ft', 'm'], dim: ['in', 'mm'], area_sec: ['in²', 'mm²'],
  inertia: ['in⁴', 'mm⁴'], modulus3: ['in³', 'mm³'], stress: ['lb/in²', 'kN/m²'],
  weight: ['lb/in³', 'kN/m³'], force: ['lb', 'kN'], moment: ['lb-in', 'kN-m'],
  line: ['lb/in', 'kN/m'], area_sup: ['in²', 'm²'], deg: ['deg', 'deg'],
  rad: ['rad', 'rad'], sdist: ['in', 'mm'], lstiff: ['lb/in', 'kN/m'],
  rstiff: ['lb-in/rad', 'kN-m/rad'], none: ['', ''],
};
export const unitText = (kind, metric) => (UNITS[kind] || UNITS.none)[metric ? 1 : 0];

export const SOILS = [
  ['soft_clay', 'soft clay'], ['stiff_clay_with_free_water', 'stiff clay with free water'],
  ['stiff_clay_without_free_water', 'stiff clay without free water'], ['sand', 'sand'],
  ['silt', 'silt (c-φ)'], ['rock', 'rock'], ['weak_rock', 'weak rock'],
];
export const EARTH_PRESSURE = [
  ['none', 'none'], ['specified', 'specified (form A)'], ['triangular', 'triangular (generated)'],
  ['fhwa', 'FHWA envelope'], ['soil_movement', 'soil movement'], ['uniform_clay', 'uniform, clay'],
  ['terzaghi_peck', 'Terzaghi-Peck envelope'],
];
export const PY_CURVES = [['generated', 'generated from the soil layers'], ['user', 'user-specified'], ['none', 'none']];
export const SHAPES = [
  'general', 'circular_pipe', 'rectangular_pipe', 'i_section', 'h_section', 'sheet_piling',
  'aisc_section', 'round_shaft', 'cased_shaft', 'rectangular_pile', 'square_prestressed',
  'round_prestressed', 'octagonal_prestressed', 'steel_pipe', 'h_pile', 'i_pile', 'user_defined_ei',
].map((s) => [s, s.replace(/_/g, ' ')]);

// A field: its member path below its object, label, unit kind, hint, kind
// of value and limits (checked as the user types; the server checks the rest).
const f = (key, label, unit, hint, opts = {}) => ({ key, label, unit, hint, type: 'real', ...opts });

export const GENERAL = [
  f('title', 'Title', 'none', 'at most 70 characters', { type: 'text', maxLength: 70 }),
  f('units', 'Units', 'none', 'every value of the stage is in this system', {
    type: 'select', options: [['english', 'English (in, lb)'], ['metric', 'metric (m, kN)']] }),
  f('stage', 'Stage code', 'none', '2 or more: one stage of a staged excavation', { type: 'int', min: 0 }),
  f('hinge_model', 'Hinges at lower tie backs', 'none', 'zero moment at the tie backs below the top one', { type: 'bool' }),
];

export const WALL = [
  f('increments', 'Increments N', 'none', 'stations 0..N down the wall; 1 to 409', { type: 'int', min: 1, max: 409, required: true }),
  f('increment_length', 'Increment length h', 'len', 'wall length = N·h', { min: 0, exclusiveMin: true, required: true }),
  f('height', 'Wall height', 'len', 'printed in the report', { min: 0 }),
  f('width', 'Wall width', 'len', 'width one analysis represents (pile spacing)', { min: 0 }),
  f('allowable_deflection', 'Allowable deflection', 'len', 'the iteration stops beyond it', { min: 0 }),
  f('closure_tolerance', 'Closure tolerance', 'len', 'closed when no deflection changes more', { min: 0 }),
  f('reference_depth', 'Reference depth', 'len', 'excavation line without generated p-y curves', { min: 0 }),
  f('max_iterations', 'Iteration limit', 'none', '0: one linear solution', { type: 'int', max: 100000 }),
  f('section_adjustment', 'Adjust EI on WA = WP', 'none', 'needs WA and equivalent diameters', { type: 'bool' }),
];

export const WALL_SECTION = [
  f('top', 'Top', 'depth_ft', 'depth below the top of the wall', { min: 0 }),
  f('bottom', 'Bottom', 'depth_ft', 'not above the top', { min: 0 }),
  f('cross_section', 'Cross section', 'none', 'its number, from 1', { type: 'int', min: 1 }),
];

export const CROSS_SECTION = [
  f('name', 'Name', 'none', '', { type: 'text', maxLength: 80 }),
  f('shape', 'Shape', 'none', '', { type: 'select', options: SHAPES }),
  f('properties.moment_of_inertia', 'I', 'inertia', 'moment of inertia', { min: 0 }),
  f('properties.elastic_modulus', 'E', 'stress', 'modulus of elasticity', { min: 0 }),
  f('properties.area', 'Area', 'area_sec', '', { min: 0 }),
  f('properties.section_modulus', 'S', 'modulus3', 'section modulus', { min: 0 }),
  f('properties.yield_stress', 'Yield stress', 'stress', '', { min: 0 }),
  f('dimensions.equivalent_diameter', 'Eq. diameter', 'dim', 'for the EI adjustment', { min: 0 }),
];

export const SOIL = [
  f('free_height', 'Excavation depth', 'len', 'free height: depth of the excavation line', { min: 0 }),
  f('water_table_backfill', 'Water behind', 'len', 'depth of the water table, backfill side', { min: 0 }),
  f('water_table_excavation', 'Water in front', 'len', 'depth of the water table, excavation side', { min: 0 }),
  f('water_pressure', 'Water pressure behind', 'none', 'include the backfill water pressure', { type: 'bool' }),
  f('width_pressure', 'Width WA', 'len', 'width taking the earth pressure', { min: 0 }),
  f('width_resistance', 'Width WP', 'len', 'width of the soil resistance', { min: 0 }),
  f('active_factor', 'Active-pressure factor', 'none', 'multiplies the active pressure', { min: 0 }),
  f('backfill_slope', 'Backfill slope', 'deg', 'between −90 and 90', { min: -90, max: 90, exclusiveMin: true, exclusiveMax: true }),
  f('excavation_slope', 'Excavation slope', 'deg', 'between −90 and 90', { min: -90, max: 90, exclusiveMin: true, exclusiveMax: true }),
];

export const PY_OPTIONS = [
  f('loading', 'p-y loading', 'none', 'static or cyclic curves', { type: 'select', options: [['static', 'static'], ['cyclic', 'cyclic']] }),
  f('load_cycles', 'Load cycles', 'none', 'cyclic loading only', { min: 0 }),
];

export const SURFACE = [
  f('pressure', 'Surface pressure', 'stress', 'uniform, on the backfill', { min: 0 }),
  f('distance', 'Distance', 'len', 'from the wall to the surcharge', { min: 0 }),
  f('point_load', 'Point load', 'force', ''),
  f('line_load', 'Line load', 'line', ''),
  f('strip_load', 'Strip load', 'stress', ''),
  f('strip_width', 'Strip width', 'len', '', { min: 0 }),
];

export const SURCHARGE = [
  f('type', 'Type', 'none', '', { type: 'select', options: [['point', 'point'], ['line', 'line'], ['strip', 'strip']] }),
  f('load', 'Load', 'none', 'force, line load or pressure by type'),
  f('distance', 'x', 'sdist', 'horizontal distance (middle of a strip)', { min: 0 }),
  f('width', 'B', 'sdist', 'strip width', { min: 0 }),
  f('vertical', 'v', 'sdist', 'vertical distance', { min: 0 }),
  f('factor', 'f', 'none', 'factor'),
];

export const LAYER = [
  f('soil', 'Soil model', 'none', 'the p-y and pressure model of the layer', { type: 'select', options: SOILS }),
  f('top', 'Top', 'len', 'depth below the top of the wall', { min: 0 }),
  f('bottom', 'Bottom', 'len', 'not above the top', { min: 0 }),
];
export const LAYER_VALUES = [
  f('unit_weight', 'γ', 'weight', 'total unit weight', { min: 0 }),
  f('strength', 'c / su', 'stress', 'cohesion or undrained strength (rock: compressive)', { min: 0 }),
  f('friction_angle', 'φ', 'deg', 'friction angle, 0 to 60', { min: 0, max: 60 }),
  f('epsilon50', 'ε50', 'none', 'strain at half the strength (rock: krm)', { min: 0 }),
  f('subgrade_modulus', 'k', 'weight', 'modulus of subgrade reaction (rock: mass modulus)', { min: 0 }),
  f('coefficient_or_rqd', 'K / RQD', 'none', 'optional K (rock: RQD)', { min: 0 }),
];

export const TIE_BACK = [
  f('depth', 'Depth', 'depth_ft', 'below the top of the wall', { min: 0 }),
  f('area', 'Area', 'area_sup', 'tendon area', { min: 0 }),
  f('modulus', 'E', 'stress', 'elastic modulus', { min: 0 }),
  f('unbonded_length', 'Unbonded', 'depth_ft', 'unbonded length', { min: 0 }),
  f('angle', 'Angle', 'deg', 'to the horizontal', { min: -90, max: 90 }),
  f('spacing', 'Spacing', 'depth_ft', 'along the wall', { min: 0 }),
  f('prestress', 'Prestress', 'force', 'lock-off force', { min: 0 }),
];
export const STRUT = TIE_BACK.slice(0, 6);

export const LOAD = [
  f('continued', 'Pair', 'none', 'paired with the next entry (linear between)', { type: 'bool' }),
  f('from', 'From', 'none', 'first station', { type: 'int' }),
  f('to', 'To', 'none', 'last station', { type: 'int' }),
  f('load', 'Load Q', 'force', 'per station (w·h for a distributed load)'),
  f('torque', 'Torque', 'moment', ''),
  f('axial', 'Axial', 'force', ''),
];

export const RESTRAINT = [
  f('from', 'From', 'none', 'first station', { type: 'int' }),
  f('to', 'To', 'none', 'last station', { type: 'int' }),
  f('continued', 'Pair', 'none', 'paired with the next entry', { type: 'bool' }),
  f('lateral', 'Lateral', 'lstiff', 'transverse spring stiffness', { min: 0 }),
  f('rotational', 'Rotational', 'rstiff', 'rotational spring stiffness', { min: 0 }),
];

export const EP_POINT = [
  f('depth', 'Depth', 'len', '', { min: 0 }),
  f('pressure', 'Pressure', 'line', 'pressure times width'),
];

export const PY_FACTOR = [
  f('depth', 'Depth', 'len', '', { min: 0 }),
  f('p', 'p factor', 'none', '', { min: 0 }),
  f('y', 'y factor', 'none', '', { min: 0 }),
];

// Members below an object by a dotted key.
export function getIn(obj, key) {
  return key.split('.').reduce((o, k) => (o == null ? undefined : o[k]), obj);
}
export function setIn(obj, key, value) {
  const parts = key.split('.');
  let o = obj;
  for (const k of parts.slice(0, -1)) {
    if (o[k] == null || typeof o[k] !== 'object') o[k] = {};
    o = o[k];
  }
  const last = parts[parts.length - 1];
  if (value === undefined) delete o[last]; else o[last] = value;
}

// The text of a field as a value: a number when it reads as one, the text
// itself when it does not (so the server names the fault), none when empty.
export function parseValue(field, text) {
  if (field.type === 'text' || field.type === 'select') return text;
  const t = String(text).trim();
  if (t === '') return undefined;
  const n = Number(t);
  if (/^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$/.test(t) && Number.isFinite(n)) return n;
  return t;
}

// What is wrong with a value as typed, by the field's own limits; '' if nothing.
export function checkValue(field, value) {
  if (value === undefined) return field.required ? 'required' : '';
  if (field.type === 'text') {
    return field.maxLength && value.length > field.maxLength ? `at most ${field.maxLength} characters` : '';
  }
  if (field.type === 'select' || field.type === 'bool') return '';
  if (typeof value !== 'number') return `expected a number, found "${value}"`;
  if (field.type === 'int' && !Number.isInteger(value)) return 'expected a whole number';
  if (field.min !== undefined && (field.exclusiveMin ? value <= field.min : value < field.min)) {
    return field.exclusiveMin ? `must be above ${field.min}` : `must not be below ${field.min}`;
  }
  if (field.max !== undefined && (field.exclusiveMax ? value >= field.max : value > field.max)) {
    return field.exclusiveMax ? `must be below ${field.max}` : `must not be above ${field.max}`;
  }
  return '';
}

export const emptyValues = () => ({ unit_weight: 0, strength: 0, friction_angle: 0, epsilon50: 0, subgrade_modulus: 0, coefficient_or_rqd: 0 });

// A new project: one stage, a 10 m steel sheet pile cantilevered 4 m out
// of medium dense sand, generated earth pressure and p-y curves.
export function newProject() {
  const sand = (g, k) => ({ unit_weight: g, strength: 0, friction_angle: 33, epsilon50: 0, subgrade_modulus: k, coefficient_or_rqd: 0 });
  return {
    format: 'korvan-project',
    version: 1,
    problems: [{
      title: 'CANTILEVER SHEET PILE, 10 M, MEDIUM DENSE SAND',
      units: 'metric',
      wall: {
        increments: 40, increment_length: 0.25, allowable_deflection: 0.5, closure_tolerance: 1e-5,
        reference_depth: 4, width: 1, height: 10, max_iterations: 100,
      },
      wall_sections: [{ top: 0, bottom: 10, cross_section: 1 }],
      cross_sections: [{
        shape: 'sheet_piling', ei: 'elastic', name: 'SHEET PILE, PER METRE OF WALL',
        dimensions: { equivalent_diameter: 1000, external_width: 600, external_depth: 380, flange_thickness: 9.5, web_thickness: 9.5 },
        properties: { area: 15000, section_modulus: 1800000, moment_of_inertia: 3.42e8, yield_stress: 355000, elastic_modulus: 2.1e8 },
        remark: 'I = 34200 CM4 PER METRE',
      }],
      earth_pressure: { option: 'triangular' },
      py_curves: 'generated',
      soil: {
        free_height: 4, width_pressure: 1, width_resistance: 1, water_table_backfill: 3,
        water_table_excavation: 4, active_factor: 1, water_pressure: true,
        surcharges: [], loading: 'static', load_cycles: 0,
        layers: [
          { soil: 'sand', top: 0, bottom: 3, at_top: sand(18, 24400), at_bottom: sand(18, 24400) },
          { soil: 'sand', top: 3, bottom: 12, at_top: sand(20, 16300), at_bottom: sand(20, 16300) },
        ],
      },
    }],
  };
}

export const isMetric = (p) => p && p.units === 'metric';
