// The front end: a project of stages edited in forms, checked by
// /api/validate as the user types, run by /api/run and shown as diagrams.
import { newProject } from './model.js';
import { renderForms } from './forms.js';
import { drawSketch } from './sketch.js';
import { renderResults } from './results.js';

const $ = (sel) => document.querySelector(sel);
const state = {
  project: null,      // the JSON model, when there is one
  data: null,         // the text of an input data file that has no forms (not converted)
  name: 'model',      // stem for saved files
  stage: 0,
  serverErrors: new Map(),
  run: null,          // the last /api/run answer
  pyChosen: [],
  textView: 'report',
};
window.korvan = { state };

// ---- the API ----------------------------------------------------------

async function api(path, body, type = 'text/plain') {
  const res = await fetch(path, body === undefined ? {} : { method: 'POST', body, headers: { 'Content-Type': type } });
  const text = await res.text();
  let json;
  try { json = JSON.parse(text); } catch { json = { error: `the server answered ${res.status}` }; }
  if (!res.ok) { const e = new Error(json.error || `HTTP ${res.status}`); e.body = json; e.status = res.status; throw e; }
  // The results document of a run as the server wrote it (the first
  // member, byte for byte as `korvan run --json` writes it): downloaded
  // as it is, not written again by the browser (which would lose -0.0).
  const head = '{"results":';
  if (text.startsWith(head)) json.resultsText = text.slice(head.length, text.indexOf(',"report":"'));
  return json;
}
const safeName = (n) => n.replace(/[^A-Za-z0-9._-]/g, '_').slice(0, 60);

// ---- notices and state ------------------------------------------------

function notice(text, bad = false) {
  const n = $('#notice');
  n.hidden = !text;
  n.textContent = text || '';
  n.classList.toggle('bad', bad);
}
function runState(text, cls = '') {
  const s = $('#run-state');
  s.textContent = text;
  s.className = `state ${cls}`;
}

// ---- opening ----------------------------------------------------------

function setProject(project, name) {
  state.project = project;
  state.data = null;
  state.name = name;
  state.stage = 0;
  state.serverErrors.clear();
  render();
  scheduleValidate(0);
}

async function openData(text, name) {
  try {
    const { project } = await api(`/api/convert?to=json&name=${encodeURIComponent(safeName(name) + '.dat')}`, text);
    setProject(project, name);
    notice('');
  } catch (e) {
    // No forms for it: it runs as it is.
    state.project = null;
    state.data = text;
    state.name = name;
    state.stage = 0;
    render();
    notice(`Opened ${name}.dat as an input data file: ${e.message}. Run analyses it as it is; the forms need a project.`, false);
  }
}

async function openFile(file) {
  const text = await file.text();
  const stem = file.name.replace(/\.[^.]*$/, '') || 'model';
  if (/\.json$/i.test(file.name) || /^\s*\{/.test(text)) {
    try { setProject(JSON.parse(text), stem); notice(''); } catch (e) { notice(`${file.name} is not JSON: ${e.message}`, true); }
  } else {
    await openData(text, stem);
  }
}

async function openExample(name, run) {
  try {
    const ex = await api(`/api/examples/${encodeURIComponent(name)}`);
    await openData(ex.data, ex.name);
    if (run) await doRun();
  } catch (e) { notice(`No example "${name}": ${e.message}`, true); }
}

// ---- rendering --------------------------------------------------------

function render() {
  renderStages();
  const form = $('#forms');
  const p = state.project;
  $('#save-dat').disabled = !p && !state.data;
  $('#save-json').disabled = !p;
  $('#add-stage').disabled = !p;
  $('#remove-stage').disabled = !p || p.problems.length < 2;
  const raw = $('#raw-note');
  raw.hidden = !!p;
  if (!p) {
    form.replaceChildren();
    raw.textContent = state.data ? 'An input data file without forms.' : '';
    drawSketch($('#sketch'), null);
    return;
  }
  if (state.stage >= p.problems.length) state.stage = p.problems.length - 1;
  renderForms(form, p, state.stage, {
    showError,
    changed: () => { drawSketch($('#sketch'), p.problems[state.stage]); renderStages(); scheduleValidate(); },
    rerender: () => render(),
  });
  drawSketch($('#sketch'), p.problems[state.stage]);
}

function renderStages() {
  const list = $('#stages');
  list.replaceChildren();
  const problems = state.project ? state.project.problems : state.data ? [{ title: `${state.name}.dat` }] : [];
  problems.forEach((p, k) => {
    const li = document.createElement('li');
    li.className = k === state.stage ? 'active' : '';
    if ([...state.serverErrors.keys()].some((path) => path.startsWith(`problems[${k}]`))) li.classList.add('bad');
    const n = document.createElement('span');
    n.className = 'num';
    n.textContent = `${k + 1}.`;
    li.append(n, p.title || '(untitled)');
    li.addEventListener('click', () => { state.stage = k; render(); });
    list.append(li);
  });
}

function showError(el) {
  const path = el.dataset.path;
  const msg = el.dataset.localError || state.serverErrors.get(path) || '';
  el.classList.toggle('bad', !!msg);
  const box = document.querySelector(`.err[data-for="${CSS.escape(path)}"]`);
  if (box) box.textContent = msg;
}

// ---- validation as the user types -------------------------------------

let validateTimer = 0;
let validateSeq = 0;
function scheduleValidate(delay = 300) {
  clearTimeout(validateTimer);
  validateTimer = setTimeout(validate, delay);
}

async function validate() {
  if (!state.project) return;
  const seq = ++validateSeq;
  const out = $('#validate-state');
  try {
    const r = await api(`/api/validate?name=${encodeURIComponent(safeName(state.name) + '.json')}`, JSON.stringify(state.project), 'application/json');
    if (seq !== validateSeq) return;
    state.serverErrors.clear();
    const loose = [];
    for (const d of r.diagnostics) {
      if (d.path && document.querySelector(`[data-path="${CSS.escape(d.path)}"]`)) state.serverErrors.set(d.path, d.message);
      else loose.push(d.path ? `${d.path}: ${d.message}` : d.message);
    }
    for (const el of document.querySelectorAll('#forms [data-path]')) showError(el);
    out.textContent = r.ok ? 'The project reads whole.' : loose.length ? loose.join('\n') : `${r.diagnostics.length} fault(s): see the fields marked.`;
    out.dataset.ok = String(r.ok);
    renderStages();
  } catch (e) {
    if (seq === validateSeq) out.textContent = `Not checked: ${e.message}`;
  }
}

// ---- running ----------------------------------------------------------

async function doRun() {
  if (!state.project && !state.data) { notice('Nothing to run: open a file or an example, or start a new project.', true); return; }
  const isProject = !!state.project;
  const body = isProject ? JSON.stringify(state.project) : state.data;
  const name = safeName(state.name) + (isProject ? '.json' : '.dat');
  runState('running…');
  document.body.dataset.run = 'running';
  $('#run').disabled = true;
  try {
    const r = await api(`/api/run?name=${encodeURIComponent(name)}`, body, isProject ? 'application/json' : 'text/plain');
    state.run = r;
    const st = r.results.status;
    runState(st, st === 'completed' ? 'ok' : 'bad');
    notice(r.results.message ? r.results.message : '', !!r.results.message);
    $('#results-empty').hidden = true;
    renderResults($('#results'), r.results, state);
    showText();
    for (const id of ['#dl-report', '#dl-html', '#dl-json']) $(id).disabled = false;
    showView('results');
  } catch (e) {
    runState('failed', 'bad');
    notice(e.message, true);
  } finally {
    $('#run').disabled = false;
    document.body.dataset.run = 'done';
  }
}

function showText() {
  const r = state.run;
  $('#report-text').textContent = r ? (r[state.textView] || '') : '';
}

function showView(view) {
  for (const b of document.querySelectorAll('.tabs button')) b.classList.toggle('active', b.dataset.view === view);
  for (const v of document.querySelectorAll('.view')) v.classList.toggle('active', v.id === `view-${view}`);
}

// ---- saving -----------------------------------------------------------

function download(name, text, type) {
  const url = URL.createObjectURL(new Blob([text], { type }));
  const a = document.createElement('a');
  a.href = url;
  a.download = name;
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 1000);
}

async function saveDat() {
  if (!state.project) { if (state.data) download(`${state.name}.dat`, state.data, 'text/plain'); return; }
  try {
    const r = await api('/api/convert?to=dat', JSON.stringify(state.project), 'application/json');
    download(`${state.name}.dat`, r.data, 'text/plain');
  } catch (e) { notice(`Cannot save as .dat: ${e.message}`, true); }
}

// ---- wiring -----------------------------------------------------------

function wire() {
  $('#new-project').addEventListener('click', () => { setProject(newProject(), 'model'); notice(''); });
  $('#open-file').addEventListener('change', (e) => { const f = e.target.files[0]; if (f) openFile(f); e.target.value = ''; });
  $('#examples').addEventListener('change', (e) => {
    const n = e.target.value;
    e.target.value = '';
    if (!n) return;
    // The address names the example shown, so that it can be passed on.
    if (location.hash === `#example=${n}`) openExample(n, true); else location.hash = `example=${n}`;
  });
  $('#save-json').addEventListener('click', () => download(`${state.name}.json`, JSON.stringify(state.project, null, 2) + '\n', 'application/json'));
  $('#save-dat').addEventListener('click', saveDat);
  $('#run').addEventListener('click', doRun);
  $('#dl-report').addEventListener('click', () => download(`${state.name}.out`, state.run.report, 'text/plain'));
  $('#dl-html').addEventListener('click', () => download(`${state.name}.html`, state.run.html, 'application/xhtml+xml'));
  $('#dl-json').addEventListener('click', () => download(`${state.name}.results.json`, state.run.resultsText, 'application/json'));
  $('#add-stage').addEventListener('click', () => {
    const p = state.project;
    const copy = JSON.parse(JSON.stringify(p.problems[state.stage]));
    // Stages of a staged excavation carry a stage code of 2 or more.
    if (!(copy.stage >= 2)) copy.stage = 2;
    if (!(p.problems[state.stage].stage >= 2)) p.problems[state.stage].stage = 2;
    copy.title = `${copy.title || ''}`.slice(0, 60) + ' (NEXT)';
    p.problems.splice(state.stage + 1, 0, copy);
    state.stage += 1;
    render();
    scheduleValidate();
  });
  $('#remove-stage').addEventListener('click', () => {
    const p = state.project;
    if (p.problems.length < 2) return;
    p.problems.splice(state.stage, 1);
    state.stage = Math.max(0, state.stage - 1);
    render();
    scheduleValidate();
  });
  for (const b of document.querySelectorAll('.tabs button')) b.addEventListener('click', () => showView(b.dataset.view));
  for (const b of document.querySelectorAll('.subtabs button')) {
    b.addEventListener('click', () => {
      state.textView = b.dataset.text;
      for (const o of document.querySelectorAll('.subtabs button')) o.classList.toggle('active', o === b);
      showText();
    });
  }
  // Drag and drop of a file anywhere on the page.
  const drop = $('#drop');
  let depth = 0;
  window.addEventListener('dragenter', (e) => { if (e.dataTransfer.types.includes('Files')) { depth++; drop.hidden = false; e.preventDefault(); } });
  window.addEventListener('dragover', (e) => e.preventDefault());
  window.addEventListener('dragleave', () => { if (--depth <= 0) { depth = 0; drop.hidden = true; } });
  window.addEventListener('drop', (e) => {
    e.preventDefault();
    depth = 0;
    drop.hidden = true;
    const f = e.dataTransfer.files[0];
    if (f) openFile(f);
  });
  window.addEventListener('hashchange', fromHash);
}

function fromHash() {
  const m = /^#example=([A-Za-z0-9_]+)$/.exec(location.hash);
  if (m) openExample(m[1], true);
}

async function start() {
  wire();
  try {
    const list = await api('/api/examples');
    const sel = $('#examples');
    for (const ex of list) {
      const o = document.createElement('option');
      o.value = ex.name;
      o.textContent = ex.name.replace(/_/g, ' ');
      o.title = ex.title;
      sel.append(o);
    }
  } catch (e) { notice(`The examples could not be listed: ${e.message}`, true); }
  if (location.hash) fromHash(); else setProject(newProject(), 'model');
  document.body.dataset.ready = 'true';
}

start();
