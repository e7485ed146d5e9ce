// Memo, link, timer and image against the forms test server's basic-controls page.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { launchBrowser } from './lib/browser.mjs';
import { startServer } from './lib/server.mjs';
import { formsTestServer, openPage, submitAndWait as postAndWait } from './lib/pages.mjs';

const program = formsTestServer;
let browser;

before(async () => { browser = await launchBrowser(); });
after(async () => { await browser.close(); });

async function withPage(run) {
  const server = await startServer(program, ['--page', 'basic']);
  try {
    const page = await openPage(browser, server.url, '#WFMEMO1');
    await run(page);
    await page.close();
  } finally {
    await server.stop();
  }
}

async function submitAndWait(page, action) {
  await postAndWait(page, action);
  await page.waitForSelector('#WFMEMO1');
}

function hexBytes(text) {
  return [...Buffer.from(text, 'utf8')].map((b) => b.toString(16).toUpperCase().padStart(2, '0')).join(' ');
}

test('a memo text with line breaks and a character outside GBK arrives and comes back unchanged', async () => {
  await withPage(async (page) => {
    const typed = '\n第一行 𠮷 <b>&amp;\n\nlast\n';
    await page.fill('#WFMEMO1', typed);
    await submitAndWait(page, () => page.click('#WFBUTTON1'));
    // Browsers post every line break of a textarea as CR LF.
    assert.equal(await page.textContent('#WFLABEL1'), hexBytes(typed.replaceAll('\n', '\r\n')));
    assert.equal(await page.inputValue('#WFMEMO1'), typed);
  });
});

test('a link click fires its handler once per click', async () => {
  await withPage(async (page) => {
    await submitAndWait(page, () => page.click('#WFLINK1'));
    assert.equal(await page.textContent('#WFLABEL2'), '1');
    await submitAndWait(page, () => page.click('#WFLINK1'));
    assert.equal(await page.textContent('#WFLABEL2'), '2');
  });
});

test('a started timer posts the page once after its interval', async () => {
  await withPage(async (page) => {
    await submitAndWait(page, () => page.click('#WFBUTTON2'));
    const started = Date.now();
    await page.waitForFunction(() => document.getElementById('WFLABEL3')?.textContent === '1', null,
                               { timeout: 5000 });
    const elapsed = Date.now() - started;
    assert.ok(elapsed >= 800, `posted after ${elapsed} ms`);
    // The handler stopped the timer: no second tick.
    await page.waitForTimeout(1500);
    assert.equal(await page.textContent('#WFLABEL3'), '1');
  });
});

test('pressing the image posts the position inside it', async () => {
  await withPage(async (page) => {
    await submitAndWait(page, () => page.click('#WFIMAGEFILE1', { position: { x: 30, y: 12 } }));
    assert.equal(await page.textContent('#WFLABEL4'), '30,12');
  });
});
