// Grids in a real browser, against the forms test server's grid page.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { launchBrowser } from './lib/browser.mjs';
import { startServer } from './lib/server.mjs';
import { formsTestServer, openPage as openStartPage, submitAndWait } from './lib/pages.mjs';

const program = formsTestServer;
let browser;
let server;

before(async () => {
  browser = await launchBrowser();
  server = await startServer(program, ['--page', 'grid']);
});
after(async () => {
  await server.stop();
  await browser.close();
});

const openPage = () => openStartPage(browser, server.url, '#tblWFDBGRID1');
const clickAndWait = (page, link) => submitAndWait(page, () => link.click());

test('a grid cell click reaches the handler with its row and column', async () => {
  const page = await openPage();
  try {
    assert.equal(await page.textContent('#WFLABEL1'), 'none');
    await clickAndWait(page, page.locator('#tblWFGRID1 a', { hasText: '2,1' }));
    assert.equal(await page.textContent('#WFLABEL1'), 'WFGrid1 2 1');
    await clickAndWait(page, page.locator('#tblWFGRID1 a', { hasText: '1,2' }));
    assert.equal(await page.textContent('#WFLABEL1'), 'WFGrid1 1 2');
  } finally {
    await page.close();
  }
});

test('a database-grid link posts its record\'s value', async () => {
  const page = await openPage();
  try {
    const row = page.locator('#tblWFDBGRID1 tr', { hasText: '第二题' });
    const id = (await row.locator('td').first().textContent()).trim();
    assert.match(id, /^\d+$/);
    await clickAndWait(page, page.locator('#tblWFDBGRID1 a', { hasText: '第二题' }));
    assert.equal(await page.textContent('#WFLABEL1'), `题目 ${id}`);
    // Question text written as text, and an apostrophe in a value posted as %27.
    assert.equal(await page.locator('#tblWFDBGRID1 a').first().textContent(), '第一题 <b>粗</b>');
    await clickAndWait(page, page.locator('#tblWFDBGRID1 a', { hasText: "O'K" }));
    assert.equal(await page.textContent('#WFLABEL1'), '答案 O%27K');
  } finally {
    await page.close();
  }
});
