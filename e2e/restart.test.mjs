// An exam page open in Chromium while the server process is killed and started again on
// the same folder and port: the next click brings the paper back with its answers, the
// candidate is told, and the paper hands in with everything answered before the kill.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launchBrowser } from './lib/browser.mjs';
import { spawnServer } from './lib/server.mjs';
import { adminPassword, examServerProgram } from './lib/exam.mjs';
import { acceptDialogs, submitAndWait, waitUntilReady } from './lib/pages.mjs';

const resumedMessage = '服务器已重新启动，您的答题已恢复，请继续答题。';

let browser;
const folder = mkdtempSync(join(tmpdir(), 'e2e-restart-'));

before(async () => { browser = await launchBrowser(); });
after(async () => {
  await browser.close();
  rmSync(folder, { recursive: true, force: true });
});

// The server program in the test's folder; resolves with the child and its port.
function run(args) {
  return spawnServer(examServerProgram, [...args, '-headless', '-bind', '127.0.0.1'], folder);
}

function kill9(child) {
  const ended = new Promise((resolve) => child.on('exit', resolve));
  child.kill('SIGKILL');
  return ended;
}

async function shown(page) {
  return page.evaluate(() => ({
    question: document.getElementById('WFMEMO1').value.trim(),
    checked: [...document.querySelectorAll('#WFRADIOGROUP1 input')].findIndex((input) => input.checked),
    boxes: ['A', 'B', 'C', 'D', 'E', 'F'].filter((letter) => {
      const box = document.querySelector(`input[name="X${letter}_CHECKBOX"]`);
      return box && box.checked && box.offsetParent !== null;
    }).join(''),
    name: document.getElementById('WFEDIT1').value,
    progress: document.getElementById('WFLABEL10').textContent,
  }));
}

test('the exam page survives a server restart with its answers and hands in', async () => {
  const first = await run(['-initdb', '-password', adminPassword, '-demo', '-port', '0']);
  const url = `http://127.0.0.1:${first.port}`;
  const page = await browser.context.newPage();
  const alerts = [];
  acceptDialogs(page, alerts, { alertsOnly: true });
  await page.goto(url + '/');
  await page.waitForSelector('#tblWFGRID1');
  await waitUntilReady(page);
  await submitAndWait(page, () => page.locator('#tblWFGRID1 a', { hasText: '常识小测验' }).first().click());
  await page.waitForSelector('#WFBUTTON4');

  // Answer the first three questions as the random order gives them: the first option of
  // a one-answer question, the first and last option of a multiple-choice question.
  const given = [];
  for (let i = 0; i < 3; i += 1) {
    const multiple = await page.evaluate(() => document.getElementById('WFLABEL2').textContent === '多选题');
    const question = (await shown(page)).question;
    if (multiple) {
      await page.check('input[name="XA_CHECKBOX"]');
      await page.check('input[name="XC_CHECKBOX"]');
      given.push({ question, answer: 'AC' });
    } else {
      await page.check('#WFRADIOGROUP1_INPUT_1');
      given.push({ question, answer: 'A' });
    }
    if (i === 1) await page.fill('#WFEDIT1', '重启考生');
    await submitAndWait(page, () => page.click('#WFBUTTON2'));
  }
  const before = await shown(page);
  assert.equal(before.progress, '已答 3 / 6 题');

  await kill9(first.child);
  const second = await run(['-port', String(first.port)]);
  try {
    // This click is not carried out: the page comes back as it was left, with the message.
    await submitAndWait(page, () => page.click('#WFBUTTON2'));
    assert.ok(alerts.includes(resumedMessage), JSON.stringify(alerts));
    const after = await shown(page);
    assert.equal(after.question, before.question);
    assert.equal(after.progress, '已答 3 / 6 题');
    assert.equal(after.name, '重启考生');

    // The answers are back in the page: the question before shows its answer.
    await submitAndWait(page, () => page.click('#WFBUTTON1'));
    const previous = await shown(page);
    assert.equal(previous.question, given[2].question);
    if (given[2].answer === 'AC') assert.equal(previous.boxes, 'AC');
    else assert.equal(previous.checked, 0);

    await submitAndWait(page, () => page.click('#WFBUTTON4'));
    assert.equal(await page.title(), '交卷完成---栎川考试系统');
    const { execFileSync } = await import('node:child_process');
    const rows = JSON.parse(execFileSync('sqlite3', ['-cmd', '.timeout 5000', '-json', join(folder, 'db1.db'),
      "select tm.题目 as question, dtxb.zd as answer from dtxb, tm where dtxb.tmid = tm.id and dtxb.xm = '重启考生'"],
    { encoding: 'utf8' }));
    assert.equal(rows.length, 6);
    const answered = rows.filter((row) => row.answer !== '')
      .map((row) => ({ question: row.question.trim(), answer: row.answer }));
    assert.deepEqual(answered.sort((a, b) => a.question.localeCompare(b.question)),
      given.sort((a, b) => a.question.localeCompare(b.question)));
  } finally {
    await kill9(second.child);
  }
});
