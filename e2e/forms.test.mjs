// The web-forms layer in a real browser, against the forms test server.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { launchBrowser } from './lib/browser.mjs';
import { startServer } from './lib/server.mjs';
import { acceptDialogs, formsTestServer, openPage as openStartPage, submitAndWait } from './lib/pages.mjs';

const program = formsTestServer;
let browser;

before(async () => { browser = await launchBrowser(); });
after(async () => { await browser.close(); });

const openPage = (server) => openStartPage(browser, server.url, '#WFEDIT1');

test('a quick double click fires the handler once and the text arrives unchanged', async () => {
  const server = await startServer(program);
  try {
    const page = await openPage(server);
    await page.fill('#WFEDIT1', '世界 𠮷 <b>&');
    await submitAndWait(page, () => page.dblclick('#WFBUTTON1'));
    assert.equal(await page.textContent('#WFLABEL1'), 'Hello, 世界 𠮷 <b>&');
    assert.equal(await page.textContent('#WFLABEL2'), '1');
    assert.equal(await page.inputValue('#WFEDIT1'), '世界 𠮷 <b>&');
    await page.close();
  } finally {
    await server.stop();
  }
});

test('a dismissed confirmation posts nothing, an accepted one posts', async () => {
  const server = await startServer(program);
  try {
    const page = await openPage(server);
    await page.fill('#WFEDIT1', 'A');
    await submitAndWait(page, () => page.click('#WFBUTTON1'));
    page.once('dialog', (dialog) => dialog.dismiss());
    await page.click('#WFBUTTON2');
    await page.waitForTimeout(300);
    assert.equal(await page.textContent('#WFLABEL1'), 'Hello, A');
    assert.equal(await page.evaluate(() => IsLocked()), false);
    page.once('dialog', (dialog) => dialog.accept());
    await submitAndWait(page, () => page.click('#WFBUTTON2'));
    assert.equal(await page.textContent('#WFLABEL1'), 'reset');
    await page.close();
  } finally {
    await server.stop();
  }
});

test('messages show as alerts in the order they were queued', async () => {
  const server = await startServer(program);
  try {
    const page = await openPage(server);
    const seen = [];
    acceptDialogs(page, seen);
    await submitAndWait(page, () => page.click('#WFBUTTON3'));
    await page.waitForTimeout(200);
    assert.deepEqual(seen, ['first', 'second']);
    await page.close();
  } finally {
    await server.stop();
  }
});

test('the anchored region follows the bottom edge and the content stays centred', async () => {
  const server = await startServer(program);
  try {
    const page = await openPage(server);
    await page.setViewportSize({ width: 1400, height: 900 });
    await page.waitForTimeout(300);
    const box = await page.locator('#WFREGION1').boundingBox();
    assert.ok(Math.abs(box.x + box.width / 2 - 700) < 30, `centre at ${box.x + box.width / 2}`);
    assert.ok(Math.abs(box.y + box.height - (900 - 90)) < 15, `bottom at ${box.y + box.height}`);
    await page.close();
  } finally {
    await server.stop();
  }
});

test('a page left open past the idle limit still works through its keep-alive', async () => {
  const server = await startServer(program, ['--idle', '3']);
  try {
    const page = await openPage(server);
    await page.waitForTimeout(5000);
    await page.fill('#WFEDIT1', 'still here');
    await submitAndWait(page, () => page.click('#WFBUTTON1'));
    assert.equal(await page.textContent('#WFLABEL1'), 'Hello, still here');
    await page.close();
  } finally {
    await server.stop();
  }
});

test('a page posted again from the history brings the resync warning and the current page', async () => {
  const server = await startServer(program);
  try {
    const page = await openPage(server);
    await page.fill('#WFEDIT1', 'first');
    await submitAndWait(page, () => page.click('#WFBUTTON1'));
    const stale = await page.evaluate(() => document.forms.SubmitForm.action);
    await page.fill('#WFEDIT1', 'second');
    await submitAndWait(page, () => page.click('#WFBUTTON1'));
    // The older page's form posts the track number the server has moved past.
    const seen = [];
    acceptDialogs(page, seen);
    await submitAndWait(page, () => page.evaluate((action) => {
      const form = document.forms.SubmitForm;
      form.action = action;
      form.WFEDIT1.value = 'ignored';
      form.WF_Action.value = 'WFBUTTON1';
      form.submit();
    }, stale));
    await page.waitForTimeout(200);
    assert.equal(seen.length, 1);
    assert.match(seen[0], /^You have attempted to post or refresh data from a page that {2}depends on information/);
    assert.equal(await page.textContent('#WFLABEL1'), 'Hello, second');
    assert.equal(await page.textContent('#WFLABEL2'), '2');
    await page.close();
  } finally {
    await server.stop();
  }
});

test('a session whose browser closed is freed after the idle limit', async () => {
  const server = await startServer(program, ['--idle', '2']);
  try {
    const page = await openPage(server);
    const action = await page.evaluate(() => document.forms.SubmitForm.action);
    await page.close();
    await new Promise((resolve) => setTimeout(resolve, 5000));
    const reply = await fetch(action, { method: 'POST', body: 'WF_Action=&WF_ActionParam=',
      headers: { 'Content-Type': 'application/x-www-form-urlencoded', 'User-Agent': 'Mozilla/5.0 Chrome/120.0 Safari/537.36' } });
    const body = await reply.text();
    assert.match(body, /Your session has expired/);
  } finally {
    await server.stop();
  }
});
