// A screenshot of the top of a report page (the overview and the first group), for the README.
// Usage: node screenshot.mjs PAGE.html OUTPUT.png [WIDTH HEIGHT]
import { chromium } from 'playwright-core';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const [pagePath, outputPath, width = '1280', height = '900'] = process.argv.slice(2);
if (!pagePath || !outputPath) {
  console.error('usage: node screenshot.mjs PAGE.html OUTPUT.png [WIDTH HEIGHT]');
  process.exit(2);
}
const profile = mkdtempSync(join(tmpdir(), 'quorvel-report-screenshot-'));
const context = await chromium.launchPersistentContext(profile, {
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync', '--hide-scrollbars'],
  viewport: { width: Number(width), height: Number(height) },
  offline: true,
});
try {
  const page = context.pages()[0] ?? await context.newPage();
  await page.goto(pathToFileURL(resolve(pagePath)).href, { waitUntil: 'load' });
  await page.screenshot({ path: outputPath });
} finally {
  await context.close();
  rmSync(profile, { recursive: true, force: true });
}
