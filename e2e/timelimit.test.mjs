// The exam's time limit, the hand-in question that names unanswered questions, and editing a
// question, in Chromium against the stored rows. A minute of a time limit lasts
// EXAM_MINUTE_SECONDS seconds in these servers, so a one-minute exam ends in a few seconds.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { launchBrowser } from './lib/browser.mjs';
import { adminPassword, startExamServer } from './lib/exam.mjs';
import { acceptDialogs, submitAndWait, waitUntilReady } from './lib/pages.mjs';

const minuteSeconds = 5;
process.env.EXAM_MINUTE_SECONDS = String(minuteSeconds);

let browser;
before(async () => { browser = await launchBrowser(); });
after(async () => { await browser.close(); });

// Exam 1 with three single-choice questions (ids 11 to 13, answers B, A, B, 1 point each),
// shown in stored order, with the given time limit in minutes.
function prepareExam(server, limit) {
  const q = (id, text, answer) =>
    `(${id},1,'单选题','${text}'||char(13,10),'A.甲'||char(13,10)||'B.乙'||char(13,10),'${answer}',1)`;
  server.exec([
    `INSERT INTO test (id,考试名称,set1,set3,考试时限) VALUES (1,'限时考试',0,1,${limit})`,
    `INSERT INTO tm (id,testid,题型,题目,候选项,答案,分数) VALUES ${q(11, '第一题', 'B')}, ${q(12, '第二题', 'A')}, ` +
      `${q(13, '第三题', 'B')}`,
  ].join(';\n') + ';');
}

// A candidate's page on the exam: every dialog recorded, confirmations answered by `confirm`.
async function openExam(server, { confirm = true } = {}) {
  const page = await browser.context.newPage();
  page.dialogs = [];
  page.on('dialog', (dialog) => {
    page.dialogs.push(dialog.message());
    (dialog.type() === 'confirm' && !confirm ? dialog.dismiss() : dialog.accept()).catch(() => {});
  });
  await page.goto(server.url + '/');
  await page.waitForSelector('#tblWFGRID1');
  await waitUntilReady(page);
  await submitAndWait(page, () => page.locator('#tblWFGRID1 a', { hasText: '限时考试' }).click());
  await page.waitForSelector('#WFBUTTON4');
  return page;
}

const choose = (page, index) => page.check(`#WFRADIOGROUP1_INPUT_${index + 1}`);
const next = (page) => submitAndWait(page, () => page.click('#WFBUTTON2'));

function paper(server) {
  return {
    result: server.rows('select 姓名,成绩,自动交卷 from cj'),
    answers: server.rows('select tmid,xm,zd from dtxb order by tmid'),
  };
}

test('a one-minute exam hands itself in with the answers given, under a made-up name', async () => {
  const server = await startExamServer();
  try {
    prepareExam(server, 1);
    const page = await openExam(server);
    assert.match(await page.textContent('#WFLABEL12'), /^剩余时间 00:0[0-5]$/);
    assert.equal(await page.textContent('#WFLABEL11'), '第 1 / 3 题');
    await choose(page, 1);
    await next(page);
    assert.equal(await page.textContent('#WFLABEL11'), '第 2 / 3 题');
    // Chosen but not posted: the page's own hand-in carries it.
    await choose(page, 0);
    await page.waitForFunction(() => document.title === '交卷完成---栎川考试系统', null, { timeout: 20000 });
    await waitUntilReady(page);
    const name = '未填写姓名-127.0.0.1';
    assert.match(await page.textContent('#WFLABEL2'), new RegExp(`^姓名：${name}  成绩：2  （考试时间已到`));
    assert.deepEqual(paper(server), {
      result: [{ 姓名: name, 成绩: 2, 自动交卷: 1 }],
      answers: [{ tmid: 11, xm: name, zd: 'B' }, { tmid: 12, xm: name, zd: 'A' }, { tmid: 13, xm: name, zd: '' }],
    });
    // The five-minute warning is for longer exams only.
    assert.deepEqual(page.dialogs, []);
  } finally {
    await server.stop();
  }
});

test('an answer posted after the deadline is not stored; a closed page is handed in at its keep-alive', async () => {
  const server = await startExamServer();
  try {
    prepareExam(server, 1);
    const late = await openExam(server);
    await late.fill('#WFEDIT1', '迟到的人');
    await choose(late, 1);
    await next(late);
    // A page whose clock is stopped (as a tampered one) posts long after the deadline.
    await late.evaluate(() => clearInterval(GExamClock));
    const closed = await openExam(server);
    await choose(closed, 1);
    await next(closed);
    const closedId = await closed.evaluate(() => GAppID);
    const agent = await closed.evaluate(() => navigator.userAgent);
    await closed.close();

    await late.waitForTimeout((minuteSeconds + 4) * 1000);
    await choose(late, 0);
    await next(late);
    assert.equal(await late.title(), '交卷完成---栎川考试系统');
    assert.deepEqual(paper(server), {
      result: [{ 姓名: '迟到的人', 成绩: 1, 自动交卷: 1 }],
      answers: [{ tmid: 11, xm: '迟到的人', zd: 'B' }, { tmid: 12, xm: '迟到的人', zd: '' },
        { tmid: 13, xm: '迟到的人', zd: '' }],
    });

    // The keep-alive as the page sends it (a page stopped in the browser, or a script that
    // only keeps the session alive).
    assert.equal((await fetch(`${server.url}/PING/${closedId}`, { headers: { 'User-Agent': agent } })).status, 200);
    const name = '未填写姓名-127.0.0.1';
    assert.deepEqual(server.rows(`select 成绩,自动交卷 from cj where 姓名='${name}'`), [{ 成绩: 1, 自动交卷: 1 }]);
    assert.deepEqual(server.rows(`select tmid,zd from dtxb where xm='${name}' order by tmid`),
      [{ tmid: 11, zd: 'B' }, { tmid: 12, zd: '' }, { tmid: 13, zd: '' }]);
  } finally {
    await server.stop();
  }
});

test('five minutes before the end of a longer exam the candidate is warned once', async () => {
  const server = await startExamServer();
  try {
    // Six minutes: the warning comes one minute in.
    prepareExam(server, 6);
    const page = await openExam(server);
    const warning = '距离考试结束还有5分钟，请抓紧时间！';
    for (let i = 0; i < 40 && page.dialogs.length === 0; i++) await page.waitForTimeout(250);
    assert.deepEqual(page.dialogs, [warning]);
    // The page drawn anew keeps counting down from the same deadline and does not warn again.
    await next(page);
    await page.waitForTimeout(1500);
    assert.deepEqual(page.dialogs, [warning]);
    assert.match(await page.textContent('#WFLABEL12'), /^剩余时间 00:(1\d|2[0-4])$/);
    await page.close();
  } finally {
    await server.stop();
  }
});

test('the hand-in question names the unanswered questions, counting the one shown as the browser has it', async () => {
  const server = await startExamServer();
  try {
    prepareExam(server, 0);
    const page = await openExam(server, { confirm: false });
    assert.equal(await page.isVisible('#WFLABEL12'), false);
    await choose(page, 1);
    await next(page);
    await page.click('#WFBUTTON4');
    await choose(page, 0);
    await page.click('#WFBUTTON4');
    await next(page);
    await choose(page, 1);
    await page.fill('#WFEDIT1', '王五');
    await page.click('#WFBUTTON4');
    assert.deepEqual(page.dialogs, [
      '您还有 2 道题未作答（第 2、3 题），确定要交卷吗？',
      '您还有 1 道题未作答（第 3 题），确定要交卷吗？',
      '交卷后将不能继续修改答题，您确认要交卷吗？',
    ]);
    // Declined each time: nothing stored.
    assert.deepEqual(server.rows('select * from cj'), []);
  } finally {
    await server.stop();
  }
});

test('settings: the time limit is checked and saved; an edited question keeps its id and place', async () => {
  const server = await startExamServer();
  try {
    prepareExam(server, 0);
    const page = await browser.context.newPage();
    page.alerts = [];
    acceptDialogs(page, page.alerts);
    const alertsAfter = async (action) => {
      const seen = page.alerts.length;
      await submitAndWait(page, action);
      for (let i = 0; i < 40 && page.alerts.length === seen; i++) await page.waitForTimeout(50);
      return page.alerts.slice(seen);
    };
    await page.goto(server.url + '/');
    await page.waitForSelector('text=【系统设置】');
    await waitUntilReady(page);
    await submitAndWait(page, () => page.click('text=【系统设置】'));
    await page.fill('#WFEDIT1', adminPassword);
    await submitAndWait(page, () => page.click('#WFBUTTON1'));
    await submitAndWait(page, () => page.locator('#tblWFGRID1 a', { hasText: '点击设置' }).click());
    assert.equal(await page.title(), '考试设置---栎川考试系统');
    assert.equal(await page.inputValue('#WFEDIT5'), '0');

    const limit = () => server.rows('select 考试时限 from test where id=1')[0].考试时限;
    for (const [typed, message] of [['abc', '考试时限必须为整数（分钟）！！！'], ['1.5', '考试时限必须为整数（分钟）！！！'],
      ['601', '考试时限不能超过600分钟！！！']]) {
      await page.fill('#WFEDIT5', typed);
      assert.deepEqual(await alertsAfter(() => page.click('#WFLINK13')), [message], typed);
      assert.equal(limit(), 0);
    }
    await page.fill('#WFEDIT5', '600');
    assert.deepEqual(await alertsAfter(() => page.click('#WFLINK13')), ['考试时限修改完成！！！']);
    assert.equal(limit(), 600);

    const row = page.locator('#tblWFDBGRID1 tr', { hasText: '第二题' });
    await submitAndWait(page, () => row.locator('a', { hasText: '编辑' }).click());
    assert.equal(await page.textContent('#WFLABEL3'), '修改试题');
    assert.equal(await page.inputValue('#WFMEMO1'), '第二题\n');
    assert.equal(await page.inputValue('#WFMEMO2'), '甲\n乙\n');
    assert.equal(await page.isChecked('#WFRADIOGROUP5_INPUT_1'), true);
    assert.equal(await page.inputValue('#WFEDIT2'), '1');

    // The same rules as adding: an answer past the options is refused.
    await page.fill('#WFMEMO1', '改过的第二题');
    await page.fill('#WFMEMO2', '甲');
    await page.check('#WFRADIOGROUP5_INPUT_2');
    assert.deepEqual(await alertsAfter(() => page.click('#WFBUTTON5')), ['答案B超出候选项范围（共1项）']);
    await page.fill('#WFMEMO2', '甲\n乙\n丙');
    await page.fill('#WFEDIT2', '2');
    assert.deepEqual(await alertsAfter(() => page.click('#WFBUTTON5')), ['试题修改完成！！！']);
    assert.deepEqual(server.rows('select id,题目,候选项,答案,分数 from tm order by id'), [
      { id: 11, 题目: '第一题\r\n', 候选项: 'A.甲\r\nB.乙\r\n', 答案: 'B', 分数: 1 },
      { id: 12, 题目: '改过的第二题\r\n', 候选项: 'A.甲\r\nB.乙\r\nC.丙\r\n', 答案: 'B', 分数: 2 },
      { id: 13, 题目: '第三题\r\n', 候选项: 'A.甲\r\nB.乙\r\n', 答案: 'B', 分数: 1 },
    ]);
    assert.equal(await page.isVisible('#WFREGION2'), false);
    assert.match(await page.textContent('#tblWFDBGRID1'), /改过的第二题/);

    // The next candidate sees the new text in its old place.
    server.exec('UPDATE test SET 考试时限=0');
    const candidate = await openExam(server);
    const cells = await candidate.$$eval('#tblWFGRID1 td', (tds) => tds.map((td) => td.textContent.trim()));
    assert.deepEqual(cells, ['1.第一题', '2.改过的第二题', '3.第三题']);
    await next(candidate);
    assert.equal(await candidate.inputValue('#WFMEMO1'), '改过的第二题\n');
  } finally {
    await server.stop();
  }
});
