// The choice controls in a real browser: each posts its state, the server fires the
// control's events, and the next page shows what the server holds.
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
  server = await startServer(program, ['--page', 'choice']);
});
after(async () => {
  await server.stop();
  await browser.close();
});

const openPage = () => openStartPage(browser, server.url, '#WFCHECKBOX1');

const state = (page) => page.textContent('#WFLABEL1');
const fired = (page) => page.textContent('#WFLABEL2');
const box = 'input[name="WFCHECKBOX1_CHECKBOX"]';

test('the check box posts from its box and from its caption', async () => {
  const page = await openPage();
  try {
    assert.equal(await state(page), 'checked=no radio=0 combo=-1 list=');
    await submitAndWait(page, () => page.click(box));
    assert.equal(await state(page), 'checked=yes radio=0 combo=-1 list=');
    assert.equal(await fired(page), 'box changed, box clicked');
    assert.equal(await page.isChecked(box), true);
    // The caption is markup (bold text) and toggles the box when clicked.
    await submitAndWait(page, () => page.click('#WFCHECKBOX1 b'));
    assert.equal(await state(page), 'checked=no radio=0 combo=-1 list=');
    assert.equal(await fired(page), 'box changed, box clicked');
    assert.equal(await page.isChecked(box), false);
  } finally {
    await page.close();
  }
});

test('the radio group fires only for a changed choice', async () => {
  const page = await openPage();
  try {
    await submitAndWait(page, () => page.click('#WFRADIOGROUP1_INPUT_2'));
    assert.match(await state(page), / radio=1 /);
    assert.equal(await fired(page), 'radio clicked');
    assert.equal(await page.isChecked('#WFRADIOGROUP1_INPUT_2'), true);
    await submitAndWait(page, () => page.click('#WFRADIOGROUP1 i'));
    assert.match(await state(page), / radio=2 /);
    assert.equal(await fired(page), 'radio clicked');
    assert.equal(await page.isChecked('#WFRADIOGROUP1_INPUT_3'), true);
    await submitAndWait(page, () => page.click('#WFRADIOGROUP1_INPUT_3'));
    assert.match(await state(page), / radio=2 /);
    assert.equal(await fired(page), 'none');
  } finally {
    await page.close();
  }
});

test('the combo box posts its selection on change and carries the other values along', async () => {
  const page = await openPage();
  try {
    await submitAndWait(page, () => page.click(box));
    assert.equal(await page.locator('select[name="WFCOMBOBOX1"] option').first().textContent(), '-- No Selection --');
    await submitAndWait(page, () => page.selectOption('select[name="WFCOMBOBOX1"]', '1'));
    assert.equal(await state(page), 'checked=yes radio=0 combo=1 list=');
    assert.equal(await fired(page), 'combo changed');
    const options = await page.locator('select[name="WFCOMBOBOX1"] option').allTextContents();
    assert.deepEqual(options, ['数学', '语文 <&>']);
    assert.equal(await page.inputValue('select[name="WFCOMBOBOX1"]'), '1');
  } finally {
    await page.close();
  }
});

test('a multiple choice list posts every selected item with the next click', async () => {
  const page = await openPage();
  try {
    await page.selectOption('select[name="WFLISTBOX1"]', ['1', '3']);
    await submitAndWait(page, () => page.click('#WFBUTTON1'));
    assert.equal(await state(page), 'checked=no radio=0 combo=-1 list=1 3');
    assert.equal(await fired(page), 'button clicked');
    const selected = await page.$$eval('select[name="WFLISTBOX1"] option', (options) =>
      options.filter((o) => o.selected).map((o) => o.value));
    assert.deepEqual(selected, ['1', '3']);
  } finally {
    await page.close();
  }
});
