// page-test.mjs - kro-pmi's 3D page in a real browser: headless Chromium (Debian's, WebGL through
// SwiftShader) driven by puppeteer-core, which downloads no browser.
//
//   node page-test.mjs --kro-pmi PATH --out DIR [--screenshots DIR] PART.stp...
//
// For each part: writes its page and its JSON with kro-pmi, loads the page, and checks that it
// fetches nothing and logs no error, that WebGL draws the part, that a click on a face lists
// exactly the tag query's answers for that face (kro-pmi --json's faces[].annotations), that a
// table row lights its annotation's faces, that a saved view turns the camera and shows its own
// annotations only, and that #aN selects annotation N. Prints each page's size and the time from
// navigation start to the first frame and to a pick answered. Exits non-zero with a clear
// message on any failure, a missing Chromium or missing npm packages among them.
import { execFileSync } from 'node:child_process';
import { existsSync, mkdirSync, readFileSync, statSync } from 'node:fs';
import { basename, dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const MAX_BYTES = 4 * 1024 * 1024;
const MAX_INTERACTIVE_MS = 3000;

function die(message) {
  console.error(`page-test: ${message}`);
  process.exit(1);
}

const args = process.argv.slice(2);
const option = (name) => {
  const i = args.indexOf(name);
  if (i < 0) return null;
  const [, value] = args.splice(i, 2);
  return value;
};
const kroPmi = option('--kro-pmi');
const out = option('--out');
const shots = option('--screenshots');
const parts = args;
if (!kroPmi || !out || parts.length === 0)
  die('usage: node page-test.mjs --kro-pmi PATH --out DIR [--screenshots DIR] PART.stp...');
const chromium = process.env.KRO_CHROMIUM || '/usr/bin/chromium';
if (!existsSync(chromium))
  die(`no Chromium at ${chromium}: install Debian's chromium (or set KRO_CHROMIUM)`);
if (!existsSync(join(here, '..', 'node_modules', 'puppeteer-core', 'package.json')))
  die(`puppeteer-core is missing: run \`npm ci\` in ${resolve(here, '..')}`);
const { default: puppeteer } = await import('puppeteer-core');

let failures = 0;
function check(ok, what) {
  if (!ok) {
    ++failures;
    console.error(`  FAILED: ${what}`);
  }
  return ok;
}
const same = (a, b) => JSON.stringify(a) === JSON.stringify(b);
const sorted = (a) => [...a].sort((x, y) => x - y);

mkdirSync(out, { recursive: true });
const browser = await puppeteer.launch({
  executablePath: chromium,
  headless: true,
  args: [
    '--headless=new',
    '--no-sandbox',
    '--use-angle=swiftshader',
    '--enable-unsafe-swiftshader',
    '--ignore-gpu-blocklist',
  ],
});

/// A page on `url` that lets no request out but the page's own file, and records console errors.
async function open(url, problems) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 900, deviceScaleFactor: 1 });
  await page.setRequestInterception(true);
  const own = url.split('#')[0];
  page.on('request', (request) => {
    const u = request.url();
    if (u.split('#')[0] === own || /^(data|about|blob):/.test(u)) return request.continue();
    problems.push(`request to ${u}`);
    return request.abort();
  });
  page.on('console', (m) => m.type() === 'error' && problems.push(`console error: ${m.text()}`));
  page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
  await page.goto(url, { waitUntil: 'load' });
  return page;
}

/// Where the view's pixel (x, y) is on the page, for the mouse.
async function onPage(page, p) {
  const box = await (await page.$('#view canvas')).boundingBox();
  return [box.x + p.x, box.y + p.y];
}

const timings = [];
try {
  for (const part of parts) {
    const name = basename(part).replace(/\.(stp|step)$/i, '');
    console.log(`${name}:`);
    const html = join(out, `${name}.html`);
    execFileSync(kroPmi, [part, '--html', html], { stdio: ['ignore', 'ignore', 'inherit'] });
    const json = JSON.parse(execFileSync(kroPmi, [part, '--json'], { maxBuffer: 1 << 28 }));
    const answers = new Map(json.faces.map((f) => [f.tag, f.annotations]));
    const bytes = statSync(html).size;
    check(bytes <= MAX_BYTES, `the page is ${bytes} bytes, more than ${MAX_BYTES}`);
    check(!/<(script|link|img|iframe)[^>]+(src|href)=/i.test(readFileSync(html, 'latin1')),
      'the page names no external resource');

    const problems = [];
    const url = pathToFileURL(html).href;
    const page = await open(url, problems);
    const time = await page.evaluate(async () => {
      const { firstFrameMs } = await window.kroTest.ready;
      const view = document.getElementById('view');
      window.kroTest.faceAt(view.clientWidth / 2, view.clientHeight / 2);
      return { firstFrameMs, interactiveMs: performance.now() };
    });
    timings.push({ part: name, bytes, ...time });
    console.log(
      `  page ${(bytes / 1048576).toFixed(2)} MB, first frame ${time.firstFrameMs.toFixed(0)} ms, ` +
        `pick answered ${time.interactiveMs.toFixed(0)} ms after navigation start`,
    );
    check(time.interactiveMs < MAX_INTERACTIVE_MS, `interactive after ${time.interactiveMs} ms`);
    const t = (f, ...a) => page.evaluate(f, ...a);

    // WebGL draws: the part's pixels are inked.
    const inked = await t(() => window.kroTest.inked());
    check(inked > 0.02 * 1280 * 900 * 0.62 * 0.7, `WebGL drew ${inked} pixels only`);

    // A click on a face lists exactly the tag query's answers for it: faces with answers, and
    // one without.
    const withAnswers = json.faces.filter((f) => f.annotations.length > 0).map((f) => f.tag);
    const without = json.faces.filter((f) => f.annotations.length === 0).map((f) => f.tag);
    let clicked = 0;
    for (const tag of [...withAnswers, ...without.slice(0, 40)]) {
      if (clicked >= 4 && answers.get(tag).length > 0) continue;
      const p = await t((tag) => window.kroTest.pixelOfFace(tag), tag);
      if (!p) continue;
      const [x, y] = await onPage(page, p);
      await page.mouse.click(x, y);
      const listed = await t(() => {
        const panel = document.getElementById('face-panel');
        return panel && {
          tag: Number(panel.dataset.tag),
          ids: [...panel.querySelectorAll('li')].map((li) => Number(li.dataset.id)),
        };
      });
      check(listed && listed.tag === tag, `a click at (${p.x}, ${p.y}) picks face ${tag}`) &&
        check(same(listed.ids, answers.get(tag)),
          `face ${tag} lists ${JSON.stringify(listed.ids)}, the tag query ` +
            JSON.stringify(answers.get(tag)));
      console.log(`  face ${tag}: listed ${JSON.stringify(listed && listed.ids)}`);
      if (answers.get(tag).length > 0) ++clicked;
      else break;
    }
    check(clicked > 0, 'a face with annotations is visible and picked');

    // A table row lights its annotation's faces (their pixels change colour), not the others,
    // and lists its datum system's datums.
    await page.keyboard.press('Escape');
    await t(() => window.kroTest.drawn());
    let lit = null;
    for (const a of json.annotations) {
      if (!a.tags.some((tag) => answers.has(tag))) continue;
      const p = await t(
        (tags) => tags.map((tag) => window.kroTest.pixelOfFace(tag)).find(Boolean),
        a.tags.filter((tag) => answers.has(tag)),
      );
      if (p) {
        lit = { a, p };
        if (a.frame) break;
      }
    }
    let other = null;
    if (check(lit, 'an annotation with a visible face')) {
      for (const f of json.faces) {
        if (lit.a.tags.includes(f.tag)) continue;
        other = await t((tag) => window.kroTest.pixelOfFace(tag), f.tag);
        if (other) break;
      }
      const before = await t((p, q) => [window.kroTest.pixel(p.x, p.y), q && window.kroTest.pixel(q.x, q.y)], lit.p, other);
      await page.click(`#row-a${lit.a.id}`);
      await t(() => window.kroTest.drawn());
      const after = await t((p, q) => [window.kroTest.pixel(p.x, p.y), q && window.kroTest.pixel(q.x, q.y)], lit.p, other);
      console.log(`  row ${lit.a.id}: face pixel ${before[0]} -> ${after[0]}`);
      check(!same(before[0], after[0]), `row ${lit.a.id} changes its face's pixel (${before[0]})`);
      check(!other || same(before[1], after[1]), 'another face keeps its colour');
      check(await t((id) => document.getElementById(`row-a${id}`).classList.contains('sel'), lit.a.id),
        'the row is selected');
      check((await t(() => location.hash)) === `#a${lit.a.id}`, 'the selection is in the URL');
      if (lit.a.frame) {
        const frame = json.frames.find((f) => f.id === lit.a.frame);
        const datums = await t(() =>
          [...document.querySelectorAll('#datums li')].map((li) => Number(li.dataset.id)));
        check(same(datums, frame.datums), `datums ${datums} are frame ${frame.id}'s`);
      }
    }
    if (shots && name.includes('ctc_01')) await page.screenshot({ path: join(shots, 'page-tolerance.png') });

    // Saved views: each turns the camera and shows its own annotations only; the default view
    // shows them all.
    await page.keyboard.press('Escape');
    await page.select('#views', '0');
    await t(() => window.kroTest.drawn());
    const drawable = sorted(await t(() => window.kroTest.shown()));
    const home = await t(() => window.kroTest.camera());
    if (shots && name.includes('ftc_07')) await page.screenshot({ path: join(shots, 'page-part.png') });
    for (const c of json.captures) {
      await page.select('#views', String(c.id));
      await t(() => window.kroTest.drawn());
      const shown = sorted(await t(() => window.kroTest.shown()));
      const expected = drawable.filter((id) => c.annotations.includes(id));
      check(same(shown, expected), `saved view ${c.id} shows ${shown}, expected ${expected}`);
      check(shown.length > 0, `saved view ${c.id} shows a callout`);
      const camera = await t(() => window.kroTest.camera());
      console.log(`  saved view ${c.id}: ${shown.length} of ${drawable.length} callouts`);
      check(!same(camera, home), `saved view ${c.id} moves the camera`);
      const d = camera.direction;
      const n = Math.hypot(...c.direction);
      if (n > 0)
        check(d.every((v, k) => Math.abs(v - c.direction[k] / n) < 1e-3),
          `saved view ${c.id} looks along its direction`);
      if (shots && name.includes('ftc_07') && c.id === 1)
        await page.screenshot({ path: join(shots, 'page-saved-view.png') });
    }
    if (json.captures.length) {
      await page.select('#views', '0');
      await t(() => window.kroTest.drawn());
      check(same(sorted(await t(() => window.kroTest.shown())), drawable), 'back to every callout');
    }
    await page.close();

    // The fragment selects on load.
    const chosen = lit ? lit.a.id : json.annotations.length;
    if (chosen) {
      const second = await open(`${url}#a${chosen}`, problems);
      await second.evaluate(() => window.kroTest.ready);
      check((await second.evaluate(() => window.kroTest.selected())) === chosen, `#a${chosen} selects it`);
      check(await second.evaluate((id) => {
        const panel = document.getElementById('annotation-panel');
        return document.getElementById(`row-a${id}`).classList.contains('sel') &&
          panel && Number(panel.dataset.id) === id;
      }, chosen), `#a${chosen} selects its row and describes it`);
      await second.close();
    }
    for (const p of problems) check(false, p);
  }
} finally {
  await browser.close();
}
console.log(JSON.stringify({ pages: timings }));
if (failures) die(`${failures} check(s) failed`);
console.log('page-test: all checks passed');
