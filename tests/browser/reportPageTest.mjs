// Opens a report page from disk in the system's Chromium and checks it as a reader would meet
// it: no console error, no request leaving the file, every group's section with its pictures,
// overview links that reach their sections, the sorting script, and the page without script.
// Usage: node reportPageTest.mjs PAGE.html SCREENSHOT.png
// Exit status: 0 when every check passed, 1 otherwise.
import { chromium } from 'playwright-core';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const [pagePath, screenshotPath] = process.argv.slice(2);
if (!pagePath || !screenshotPath) {
  console.error('usage: node reportPageTest.mjs PAGE.html SCREENSHOT.png');
  process.exit(2);
}
const pageUrl = pathToFileURL(resolve(pagePath)).href;
// The JSON file beside the page says independently which groups there are.
const study = JSON.parse(readFileSync(resolve(pagePath).replace(/\.html$/, '.json'), 'utf8'));

const failures = [];
const check = (condition, what) => {
  if (!condition) failures.push(what);
  console.log(`${condition ? 'ok  ' : 'FAIL'} ${what}`);
};

const launchFlags = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

async function openContext(profile, javaScriptEnabled) {
  return chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: launchFlags,
    javaScriptEnabled,
    viewport: { width: 1400, height: 1000 },
    offline: true,
  });
}

// Every request of the page is recorded; the page itself and data: URIs are all it may ask for.
function watch(page, requests, consoleErrors) {
  page.on('request', (request) => requests.push(request.url()));
  page.on('console', (message) => { if (message.type() === 'error') consoleErrors.push(message.text()); });
  page.on('pageerror', (error) => consoleErrors.push(String(error)));
}

const profile = mkdtempSync(join(tmpdir(), 'quorvel-report-browser-'));
const context = await openContext(join(profile, 'with-script'), true);
try {
  const page = context.pages()[0] ?? await context.newPage();
  const requests = [], consoleErrors = [];
  watch(page, requests, consoleErrors);
  const started = Date.now();
  await page.goto(pageUrl, { waitUntil: 'load' });
  console.log(`page loaded in ${Date.now() - started} ms`);

  const runs = study.runs;
  check(runs.length > 0, `the JSON file lists ${runs.length} groups`);
  check(await page.locator('table.overview tbody tr').count() === runs.length, 'one overview row per group');

  for (let i = 0; i < runs.length; ++i) {
    const run = runs[i];
    const id = `run-${i + 1}`;
    const section = page.locator(`section#${id}`);
    check(await section.count() === 1, `${id} (${run.protocol}): its section is there`);
    check((await section.getAttribute('data-status')) === run.status, `${id}: status ${run.status}`);
    if (run.status === 'ok') {
      check(await section.locator('svg.design-matrix image.cells').count() === 1, `${id}: design-matrix picture`);
      check(await section.locator('svg.heat-map image.cells').count() === 1, `${id}: correlation heat map`);
      if (run.framewiseDisplacement)
        check(await section.locator('svg.fd-trace path.trace').count() === 1, `${id}: FD trace`);
      // Each picture's PNG decodes in the browser to the size the group calls for.
      const sizes = await section.locator('image.cells').evaluateAll((images) => Promise.all(images.map((image) =>
        new Promise((done) => {
          const decoded = new Image();
          decoded.onload = () => done([decoded.naturalWidth, decoded.naturalHeight]);
          decoded.onerror = () => done([0, 0]);
          decoded.src = image.getAttribute('href');
        }))));
      const columns = run.predictors.length;
      const pictureRows = Math.min(run.rows, 560);  // longer runs are averaged down to 560 rows
      check(sizes.length === 2 && sizes[0][0] === columns && sizes[0][1] === pictureRows,
        `${id}: design-matrix cells decode to ${columns} x ${pictureRows} (got ${JSON.stringify(sizes[0])})`);
      check(sizes.length === 2 && sizes[1][0] === columns && sizes[1][1] === columns,
        `${id}: heat-map cells decode to ${columns} x ${columns} (got ${JSON.stringify(sizes[1])})`);
      const shown = await section.locator('svg.design-matrix').boundingBox();
      check(shown && shown.width > 100 && shown.height > 300, `${id}: the design matrix is drawn at a readable size`);
    } else {
      const reason = await section.locator('.reason').textContent();
      check(reason.includes(run.reason), `${id}: the reason is shown`);
    }
  }

  // Each overview link scrolls its section into view and names it in the address.
  for (let i = 0; i < runs.length; ++i) {
    const id = `run-${i + 1}`;
    await page.evaluate(() => window.scrollTo(0, 0));
    await page.locator(`table.overview a[href="#${id}"]`).click();
    await page.waitForFunction((hash) => location.hash === hash, `#${id}`);
    const top = await page.locator(`section#${id}`).evaluate((section) => section.getBoundingClientRect().top);
    const targeted = await page.evaluate((hash) => document.querySelector(':target')?.id === hash.slice(1), `#${id}`);
    // In view: at the top, or lower where the page ends before the section could reach it.
    check(targeted && top >= -1 && top < 1000, `overview link to ${id} reaches its section (top at ${Math.round(top)} px)`);
  }

  // The sorting script: the index column sorted twice runs backwards.
  await page.evaluate(() => window.scrollTo(0, 0));
  const indexHeader = page.locator('table.overview thead th').first();
  await indexHeader.click();
  await indexHeader.click();
  const order = await page.locator('table.overview tbody tr td:first-child').allTextContents();
  const backwards = runs.map((_, i) => String(runs.length - i));
  check(JSON.stringify(order) === JSON.stringify(backwards), `sorting the overview by # twice: ${order.join(',')}`);
  await indexHeader.click();

  await page.screenshot({ path: screenshotPath, fullPage: false });
  console.log(`screenshot: ${screenshotPath}`);

  const outside = requests.filter((url) => url !== pageUrl && !url.startsWith('data:'));
  check(outside.length === 0, `no request leaves the file${outside.length ? ': ' + outside.join(' ') : ''}`);
  check(consoleErrors.length === 0, `no console error${consoleErrors.length ? ': ' + consoleErrors.join(' | ') : ''}`);
} finally {
  await context.close();
}

// Without script the page still shows every group.
const plain = await openContext(join(profile, 'without-script'), false);
try {
  const page = plain.pages()[0] ?? await plain.newPage();
  const requests = [], consoleErrors = [];
  watch(page, requests, consoleErrors);
  await page.goto(pageUrl, { waitUntil: 'load' });
  check(await page.locator('section.run').count() === study.runs.length, 'without script: every section is there');
  check(await page.locator('table.overview tbody tr').count() === study.runs.length, 'without script: the overview is there');
  check(requests.every((url) => url === pageUrl || url.startsWith('data:')), 'without script: no request leaves the file');
} finally {
  await plain.close();
  rmSync(profile, { recursive: true, force: true });
}

console.log(failures.length === 0 ? 'all checks passed' : `${failures.length} check(s) failed`);
process.exit(failures.length === 0 ? 0 : 1);
