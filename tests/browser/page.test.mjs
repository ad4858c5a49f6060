// The page of `korvan serve` in a headless Chromium (the system's
// /usr/bin/chromium, driven by puppeteer-core; no browser is downloaded).
//
//   KORVAN=build/korvan KORVAN_SOURCE=. KORVAN_BROWSER_DEPS=dir-with-node_modules \
//   KORVAN_ARTEFACTS=build/browser-artefacts node --test tests/browser/page.test.mjs
//
// Screenshots of each view go to KORVAN_ARTEFACTS.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawn, execFileSync } from 'node:child_process';
import { createRequire } from 'node:module';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

const korvan = path.resolve(process.env.KORVAN || 'build/korvan');
const source = path.resolve(process.env.KORVAN_SOURCE || '.');
const deps = path.resolve(process.env.KORVAN_BROWSER_DEPS || path.join(source, 'tests/browser'));
const artefacts = path.resolve(process.env.KORVAN_ARTEFACTS || 'browser-artefacts');
const chromium = process.env.CHROMIUM || '/usr/bin/chromium';
const puppeteer = createRequire(path.join(deps, 'package.json'))('puppeteer-core');

let server, url, browser;
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'korvan-browser-'));
fs.mkdirSync(artefacts, { recursive: true });

before(async () => {
  server = spawn(korvan, ['serve', '--port', '0'], { stdio: ['ignore', 'pipe', 'inherit'] });
  url = await new Promise((resolve, reject) => {
    let out = '';
    const timer = setTimeout(() => reject(new Error(`no address from korvan serve: ${out}`)), 10000);
    server.stdout.on('data', (d) => {
      out += d;
      const m = /(http:\/\/127\.0\.0\.1:\d+\/)/.exec(out);
      if (m) { clearTimeout(timer); resolve(m[1]); }
    });
    server.on('exit', (code) => reject(new Error(`korvan serve ended with ${code}: ${out}`)));
  });
  browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: ['--no-sandbox', '--headless=new', '--disable-gpu', '--disable-dev-shm-usage', '--no-first-run'],
  });
});

after(async () => {
  if (browser) await browser.close();
  if (server) server.kill('SIGTERM');
  fs.rmSync(work, { recursive: true, force: true });
});

async function newPage() {
  const page = await browser.newPage();
  await page.setViewport({ width: 1366, height: 800 });
  const errors = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  page.on('requestfailed', (r) => errors.push(`request failed: ${r.url()}`));
  // Nothing leaves the machine: every request goes to the server itself.
  page.on('request', (r) => { if (!r.url().startsWith(url) && !r.url().startsWith('blob:') && !r.url().startsWith('data:')) errors.push(`outside request: ${r.url()}`); });
  page.errors = errors;
  return page;
}

const shot = (page, name) => page.screenshot({ path: path.join(artefacts, `${name}.png`), fullPage: false });

// The CLI's JSON results for an input file.
function cliResults(input) {
  const out = fs.mkdtempSync(path.join(work, 'cli-'));
  try { execFileSync(korvan, ['run', input, '--json', '-o', out], { stdio: 'ignore' }); } catch { /* status 1..3 still writes */ }
  const stem = path.basename(input).replace(/\.[^.]*$/, '');
  const file = fs.existsSync(path.join(out, `${stem}.results.json`)) ? `${stem}.results.json` : `${stem}.json`;
  return { ...JSON.parse(fs.readFileSync(path.join(out, file), 'utf8')), dir: out };
}

const maxMoment = (page, row = 1) => page.$eval(`tr[data-problem="${row}"] [data-role="max-moment"]`, (e) => Number(e.dataset.value));

test('an example link opens the example, runs it and shows the CLI\'s maximum moment', async () => {
  const page = await newPage();
  await page.goto(`${url}#example=sand_cantilever_water_metric`);
  await page.waitForSelector('[data-role="max-moment"]', { timeout: 30000 });
  const cli = cliResults(path.join(source, 'examples/sand_cantilever_water_metric.dat'));
  assert.equal(await maxMoment(page), cli.problems[0].summary.max_positive_moment.value);
  // Six depth diagrams, hover reads a value at a depth.
  assert.equal(await page.$$eval('[data-role="diagrams"] .chart', (c) => c.length), 6);
  const chart = await page.$('[data-chart="Moment"] svg');
  const box = await chart.boundingBox();
  await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
  const readout = await page.$eval('[data-chart="Moment"] [data-role="readout"]', (e) => e.textContent);
  assert.match(readout, /m: .*\d/);
  await shot(page, 'results');
  // The downloads: the JSON results are the CLI's, the HTML report draws.
  const downloads = fs.mkdtempSync(path.join(work, 'downloads-'));
  const cdp = await page.createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  const fetched = async (button, name) => {
    await page.click(button);
    const file = path.join(downloads, name);
    for (let k = 0; k < 100 && !fs.existsSync(file); k++) await new Promise((r) => setTimeout(r, 100));
    return fs.readFileSync(file, 'utf8');
  };
  // (the page ran the example as a project: only the input's name differs)
  const stem = 'sand_cantilever_water_metric';
  const cliText = fs.readFileSync(path.join(cli.dir, `${stem}.results.json`), 'utf8');
  assert.equal((await fetched('#dl-json', `${stem}.results.json`)).replace(`"${stem}.json"`, `"${stem}.dat"`), cliText);
  assert.match(await fetched('#dl-html', 'sand_cantilever_water_metric.html'), /<svg/);
  assert.match(await fetched('#dl-report', 'sand_cantilever_water_metric.out'), /CANTILEVER SHEET PILE, 10 M/);
  await page.click('.tabs button[data-view="report"]');
  assert.match(await page.$eval('#report-text', (e) => e.textContent), /CANTILEVER SHEET PILE, 10 M/);
  await shot(page, 'report');
  await page.click('.tabs button[data-view="model"]');
  await shot(page, 'model');
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('a new project from the forms: sketch, field errors as one types, run', async () => {
  const page = await newPage();
  await page.goto(url);
  await page.waitForSelector('body[data-ready="true"]');
  await page.click('#new-project');
  const phi = '[data-path="problems[0].soil.layers[0].at_top.friction_angle"]';
  await page.waitForSelector(phi);
  // The sketch draws the wall, the excavation line and the water tables.
  assert.equal(await page.$$eval('#sketch [data-kind="wall"]', (e) => e.length), 1);
  assert.equal(await page.$$eval('#sketch [data-kind="water"]', (e) => e.length), 2);
  // An impossible friction angle is marked at its field as it is typed.
  await page.click(phi, { clickCount: 3 });
  await page.type(phi, '95');
  await page.waitForFunction((s) => document.querySelector(`.err[data-for="${CSS.escape(s)}"]`).textContent !== '',
    {}, phi.slice(12, -2));
  assert.match(await page.$eval(`.err[data-for="problems[0].soil.layers[0].at_top.friction_angle"]`, (e) => e.textContent), /above 60/);
  assert.equal(await page.$eval(phi, (e) => e.classList.contains('bad')), true);
  await shot(page, 'field-error');
  // Corrected, the error goes.
  await page.click(phi, { clickCount: 3 });
  await page.type(phi, '33');
  await page.waitForFunction(() => document.querySelector('.err[data-for="problems[0].soil.layers[0].at_top.friction_angle"]').textContent === '');
  // A tie back added in the form appears in the sketch.
  const before = await page.$$eval('#sketch [data-kind="tie-back"]', (e) => e.length);
  await page.evaluate(() => [...document.querySelectorAll('button')].find((b) => b.textContent === '+ tie back').click());
  await page.type('[data-path="problems[0].tie_backs[0].depth"]', '1');
  assert.equal(await page.$$eval('#sketch [data-kind="tie-back"]', (e) => e.length), before + 1);
  await page.evaluate(() => [...document.querySelectorAll('button')].find((b) => b.title === 'remove tie back 1').click());
  // The lower sand layer, removed and typed in again: 3 to 12 m, 20 kN/m³,
  // k = 16,300 kN/m³ at its top and bottom.
  const click = (text) => page.evaluate((t) => [...document.querySelectorAll('button')].find((b) => b.textContent === t || b.title === t).click(), text);
  await click('remove layer 2');
  assert.equal(await page.$('[data-path="problems[0].soil.layers[1].top"]'), null);
  await click('+ layer');
  const set = async (p, v) => {
    const sel = `[data-path="problems[0].soil.layers[1].${p}"]`;
    await page.click(sel, { clickCount: 3 });
    await page.type(sel, v);
  };
  await set('bottom', '12');
  for (const end of ['at_top', 'at_bottom']) {
    await set(`${end}.unit_weight`, '20');
    await set(`${end}.subgrade_modulus`, '16300');
  }
  assert.equal(await page.$eval('[data-path="problems[0].soil.layers[1].top"]', (e) => e.value), '3');
  // Run the project built in the forms, and compare with the CLI's run of
  // the same project file.
  await page.click('#run');
  await page.waitForSelector('[data-role="max-moment"]', { timeout: 30000 });
  const project = await page.evaluate(() => JSON.stringify(window.korvan.state.project));
  const file = path.join(work, 'model.json');
  fs.writeFileSync(file, project);
  const cli = cliResults(file);
  assert.equal(cli.status, 'completed');
  assert.equal(await page.$eval('[data-role="status"]', (e) => e.textContent), 'completed');
  assert.equal(await maxMoment(page), cli.problems[0].summary.max_positive_moment.value);
  // The new project is the sand cantilever of the shipped example, built
  // from the forms: the same numbers.
  const example = cliResults(path.join(source, 'examples/sand_cantilever_water_metric.dat'));
  assert.deepEqual(cli.problems[0].summary, example.problems[0].summary);
  await shot(page, 'new-project-results');
  // A second stage, excavated deeper: both stages run, drawn together.
  await page.click('.tabs button[data-view="model"]');
  await page.click('#add-stage');
  assert.equal(await page.$$eval('#stages li', (l) => l.length), 2);
  const exc = '[data-path="problems[1].soil.free_height"]';
  await page.click(exc, { clickCount: 3 });
  await page.type(exc, '4.5');
  await page.click('#run');
  await page.waitForFunction(() => document.querySelectorAll('[data-role="summary"] tbody tr').length === 2);
  assert.deepEqual(await page.$$eval('[data-role="summary"] tbody tr td:nth-child(3)', (c) => c.map((e) => e.textContent)), ['completed', 'completed']);
  assert.equal(await page.$$eval('[data-chart="Moment"] polyline', (p) => p.length), 2);
  const staged = path.join(work, 'staged.json');
  fs.writeFileSync(staged, await page.evaluate(() => JSON.stringify(window.korvan.state.project)));
  assert.equal(await maxMoment(page, 2), cliResults(staged).problems[1].summary.max_positive_moment.value);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('an example changed in its forms: the CLI gives the same maximum moment', async () => {
  const page = await newPage();
  await page.goto(url);
  await page.waitForSelector('body[data-ready="true"]');
  await page.goto(`${url}#example=sand_cantilever_water_metric`);
  await page.waitForSelector('[data-role="max-moment"]', { timeout: 30000 });
  await page.click('.tabs button[data-view="model"]');
  const phi = '[data-path="problems[0].soil.layers[1].at_top.friction_angle"]';
  await page.waitForSelector(phi);
  await page.click(phi, { clickCount: 3 });
  await page.type(phi, 'x30');
  // The server's diagnostic for the value, at its field.
  await page.waitForFunction(() => /number/.test(document.querySelector('.err[data-for="problems[0].soil.layers[1].at_top.friction_angle"]').textContent), { timeout: 10000 });
  for (const p of ['at_top', 'at_bottom']) {
    const sel = `[data-path="problems[0].soil.layers[1].${p}.friction_angle"]`;
    await page.click(sel, { clickCount: 3 });
    await page.type(sel, '36');
  }
  await page.click('#run');
  await page.waitForFunction(() => document.body.dataset.run === 'done');
  await page.waitForSelector('[data-role="max-moment"]');
  const project = await page.evaluate(() => JSON.stringify(window.korvan.state.project));
  const file = path.join(work, 'changed.json');
  fs.writeFileSync(file, project);
  const cli = cliResults(file);
  const shown = await maxMoment(page);
  assert.equal(shown, cli.problems[0].summary.max_positive_moment.value);
  // and the change mattered
  const original = cliResults(path.join(source, 'examples/sand_cantilever_water_metric.dat'));
  assert.notEqual(shown, original.problems[0].summary.max_positive_moment.value);
  // Saved as an input data file, the changed model runs to the same numbers.
  const downloads = fs.mkdtempSync(path.join(work, 'downloads-'));
  const cdp = await page.createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  await page.click('#save-dat');
  const saved = path.join(downloads, 'sand_cantilever_water_metric.dat');
  for (let k = 0; k < 100 && !fs.existsSync(saved); k++) await new Promise((r) => setTimeout(r, 100));
  assert.equal(cliResults(saved).problems[0].summary.max_positive_moment.value, shown);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('an input data file opened by the file picker runs with all its stages', async () => {
  const page = await newPage();
  await page.goto(url);
  await page.waitForSelector('body[data-ready="true"]');
  const picker = await page.$('#open-file');
  await picker.uploadFile(path.join(source, 'examples/staged_excavation.dat'));
  await page.waitForFunction(() => document.querySelector('#stages li') && /staged|STAGE|EXCAV/i.test(document.querySelector('#stages').textContent));
  await page.click('#run');
  await page.waitForFunction(() => document.body.dataset.run === 'done');
  await page.waitForSelector('[data-role="summary"] tbody tr');
  assert.equal(await page.$$eval('[data-role="summary"] tbody tr', (r) => r.length), 2);
  const cli = cliResults(path.join(source, 'examples/staged_excavation.dat'));
  assert.equal(await maxMoment(page, 2), cli.problems[1].summary.max_positive_moment.value);
  // The two stages overlaid in one set of diagrams.
  assert.equal(await page.$$eval('[data-role="diagrams"]', (d) => d.length), 1);
  assert.equal(await page.$$eval('[data-chart="Deflection"] polyline', (p) => p.length), 2);
  await shot(page, 'staged');
  // A project file dropped on the page opens in the forms.
  const dropped = await page.evaluate(() => window.korvan.state.project);
  dropped.problems[0].title = 'DROPPED PROJECT';
  await page.evaluate((text) => {
    const data = new DataTransfer();
    data.items.add(new File([text], 'dropped.json', { type: 'application/json' }));
    window.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true, cancelable: true }));
  }, JSON.stringify(dropped));
  await page.waitForFunction(() => /DROPPED PROJECT/.test(document.querySelector('#stages').textContent));
  assert.equal(await page.$$eval('#stages li', (l) => l.length), 2);
  assert.deepEqual(page.errors, []);
  await page.close();
});
