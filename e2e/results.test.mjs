// The results page in a real browser: reached from the home page through the login and the
// exam list, on papers written straight into a fresh database.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { launchBrowser } from './lib/browser.mjs';
import { adminPassword, startExamServer } from './lib/exam.mjs';
import { acceptDialogs, submitAndWait, waitUntilReady } from './lib/pages.mjs';

let browser;

before(async () => { browser = await launchBrowser(); });
after(async () => { await browser.close(); });

const hostileName = '<img src=x onerror=alert(1)>';

// One exam (id 1) with two single-choice questions (ids 11 and 12, answers B and A), and
// a second exam whose results must stay untouched.
function prepareExam(server, papers) {
  const statements = [
    "INSERT INTO test (id,考试名称) VALUES (1,'期中考试'), (2,'别的考试')",
    "INSERT INTO tm (id,testid,题型,题目,候选项,答案,分数) VALUES " +
      "(11,1,'单选题','一加一等于几？'||char(13,10),'A.一'||char(13,10)||'B.二'||char(13,10),'B',50), " +
      "(12,1,'单选题','天是什么颜色？'||char(13,10),'A.蓝'||char(13,10)||'B.红'||char(13,10),'A',50)",
    "INSERT INTO cj (testid,ip,姓名,成绩,考试标识,提交时间) VALUES (2,'10.0.0.9','别人',50,'','2024-05-02 09:00:00')",
  ];
  for (const paper of papers) {
    const tag = paper.tag === null ? 'NULL' : `'${paper.tag}'`;
    const name = paper.name.replaceAll("'", "''");
    statements.push(`INSERT INTO cj (testid,ip,姓名,成绩,考试标识,提交时间) VALUES ` +
      `(1,'10.0.0.7','${name}',${paper.score},${tag},'${paper.time}')`);
    paper.answers.forEach((answer, i) => {
      statements.push(`INSERT INTO dtxb (testid,tmid,xm,zd,考试标识) VALUES (1,${11 + i},'${name}','${answer}',${tag})`);
    });
  }
  server.exec(statements.join(';\n') + ';');
}

const waitUnlocked = waitUntilReady;

// Home page, "【系统设置】", the password, then "点击查看" of the exam named examName.
async function openResults(server, examName, dialogs) {
  const page = await browser.context.newPage();
  acceptDialogs(page, dialogs);
  await page.goto(server.url + '/');
  await page.waitForSelector('text=【系统设置】');
  await waitUnlocked(page);
  await submitAndWait(page, () => page.click('text=【系统设置】'));
  await page.fill('#WFEDIT1', adminPassword);
  await submitAndWait(page, () => page.click('#WFBUTTON1'));
  const row = page.locator('#tblWFGRID1 tr', { hasText: examName });
  await submitAndWait(page, () => row.locator('a', { hasText: '点击查看' }).click());
  assert.equal(await page.title(), '考试成绩及统计---栎川考试系统');
  return page;
}

// The grid's cell texts, row by row.
async function gridTexts(page) {
  return page.$$eval('#tblWFGRID1 tr', (rows) =>
    rows.map((row) => [...row.cells].map((cell) => cell.textContent.replace(/\u00a0/g, '').trim())));
}

// The answer details with line breaks as LF and without the final one.
async function memoText(page) {
  return (await page.inputValue('#WFMEMO1')).replace(/\r\n/g, '\n').replace(/\n+$/, '');
}

function statistics(page) {
  return page.textContent('#WFLABEL5');
}

test('the list: statistics, order by score, the tag filter, a hostile name shown as text, deletes', async () => {
  const server = await startExamServer();
  try {
    prepareExam(server, [
      { name: 'Li', score: 80, tag: '一班', time: '2024-05-01 10:00:00', answers: ['B', 'A'] },
      { name: hostileName, score: 100, tag: '', time: '2024-05-01 10:01:00', answers: ['B', 'B'] },
      { name: 'Zhao', score: 90, tag: null, time: '2024-05-01 10:02:00', answers: ['A', 'A'] },
    ]);
    const dialogs = [];
    const page = await openResults(server, '期中考试', dialogs);

    assert.equal(await statistics(page),
      '参考人数：3   总成绩：270   平均分：90.00 [ 提示：单击学生姓名查看答题详情；点击成绩删除该成绩 ]');
    assert.deepEqual(await gridTexts(page), [
      ['姓名', '考试标识', '成绩', '提交时间', 'IP地址'],
      [hostileName, '', '100', '2024-05-01 10:01:00', '10.0.0.7'],
      ['Zhao', '', '90', '2024-05-01 10:02:00', '10.0.0.7'],
      ['Li', '一班', '80', '2024-05-01 10:00:00', '10.0.0.7'],
    ]);
    assert.equal(await page.locator('#tblWFGRID1 img').count(), 0);

    // The filter: all results, the tags found, and empty items for the empty and the
    // missing tag; an empty item finds only the missing tag.
    const options = await page.$$eval('#WFCOMBOBOX1 option', (list) => list.map((o) => o.textContent));
    assert.equal(options[0], '全部成绩');
    assert.deepEqual([...options].sort(), ['', '', '一班', '全部成绩']);
    await submitAndWait(page, () => page.selectOption('#WFCOMBOBOX1', { index: options.indexOf('一班') }));
    assert.deepEqual((await gridTexts(page)).map((row) => row[0]), ['姓名', 'Li']);
    assert.match(await statistics(page), /^参考人数：1   总成绩：80   平均分：80\.00/);
    for (const index of options.flatMap((text, i) => (text === '' ? [i] : []))) {
      await submitAndWait(page, () => page.selectOption('#WFCOMBOBOX1', { index }));
      assert.deepEqual((await gridTexts(page)).map((row) => row[0]), ['姓名', 'Zhao']);
    }
    await submitAndWait(page, () => page.selectOption('#WFCOMBOBOX1', { index: 0 }));

    // A click on the hostile candidate's score asks before deleting, naming them as text.
    await submitAndWait(page, () => page.locator('#tblWFGRID1 tr').nth(1).locator('a').click());
    assert.ok(await page.isVisible('#WFREGION3'));
    assert.equal(await page.textContent('#WFLABEL3'), `您确实要删除${hostileName}的测试成绩吗？`);
    await submitAndWait(page, () => page.click('#WFLINK5'));
    assert.ok(!(await page.isVisible('#WFREGION3')));
    await submitAndWait(page, () => page.locator('#tblWFGRID1 tr').nth(1).locator('a').click());
    await submitAndWait(page, () => page.click('#WFLINK4'));
    assert.ok(!(await page.isVisible('#WFREGION3')));
    assert.deepEqual(server.rows('select 姓名 from cj where testid=1 order by 成绩 desc'), [{ 姓名: 'Zhao' }, { 姓名: 'Li' }]);
    assert.deepEqual(server.rows(`select count(*) as n from dtxb where xm='${hostileName}'`), [{ n: 0 }]);
    assert.match(await statistics(page), /^参考人数：2   总成绩：170   平均分：85\.00/);

    // Deleting all results asks first (accepted here) and keeps the other exam's.
    await submitAndWait(page, () => page.click('#WFLINK3'));
    assert.equal(await statistics(page), '尚无人参加该项考试！');
    assert.equal(await page.locator('#tblWFGRID1').count(), 0);
    assert.deepEqual(server.rows('select testid, count(*) as n from cj group by testid'), [{ testid: 2, n: 1 }]);
    assert.deepEqual(server.rows('select count(*) as n from dtxb'), [{ n: 0 }]);
    assert.deepEqual(dialogs, ['确定要删除该考试的全部成绩信息吗？删除后无法恢复！']);
    await page.close();
  } finally {
    await server.stop();
  }
});

test('the matrix: correct answers, rates, coloured wrong answers and the answer details', async () => {
  const server = await startExamServer();
  try {
    prepareExam(server, [
      { name: 'Li', score: 100, tag: '', time: '2024-05-01 10:00:00', answers: ['B', 'A'] },
      { name: 'Wang', score: 50, tag: '', time: '2024-05-01 10:01:00', answers: ['B', 'B'] },
      { name: 'Zhao', score: 50, tag: '', time: '2024-05-01 10:02:00', answers: ['A', 'A'] },
    ]);
    const dialogs = [];
    const page = await openResults(server, '期中考试', dialogs);
    await submitAndWait(page, () => page.click('#WFRADIOGROUP1_INPUT_2'));

    const texts = await gridTexts(page);
    assert.deepEqual(texts.slice(0, 3), [
      ['姓名', '考试标识', '成绩', '提交时间', 'IP地址', '11', '12'],
      ['标准答案', '', '---', '---', '---', 'B', 'A'],
      ['正确率[%]', '', '---', '---', '---', '66.67', '66.67'],
    ]);
    assert.equal(texts[3][0], 'Li');
    assert.deepEqual(Object.fromEntries(texts.slice(3).map((row) => [row[0], [row[5], row[6]]])),
      { Li: ['B', 'A'], Wang: ['B', 'B'], Zhao: ['A', 'A'] });
    const colours = await page.$$eval('#tblWFGRID1 tr', (rows) =>
      rows.slice(3).map((row) => [row.cells[5].getAttribute('bgcolor'), row.cells[6].getAttribute('bgcolor')]));
    const byName = Object.fromEntries(texts.slice(3).map((row, i) => [row[0], colours[i]]));
    assert.deepEqual(byName, { Li: [null, null], Wang: [null, '#FEA97F'], Zhao: ['#FEA97F', null] });
    assert.equal(await page.getAttribute('#tblWFGRID1 tr:first-child td:nth-child(6)', 'title'),
      '一加一等于几？\nA.一\nB.二\n');

    // Wang's details: only the wrong answer, then every answer.
    const wangRow = 3 + texts.slice(3).findIndex((row) => row[0] === 'Wang');
    await submitAndWait(page, () => page.locator('#tblWFGRID1 tr').nth(wangRow).locator('td').first().locator('a').click());
    assert.ok(await page.isVisible('#WFREGION4'));
    assert.equal(await page.textContent('#HANG'), String(wangRow));
    const wrongOnly = '题目编号：12\n天是什么颜色？\nA.蓝\nB.红\n\n标准答案：A    作答选项:B\n----------------------------';
    assert.equal(await memoText(page), wrongOnly);
    await submitAndWait(page, () => page.click('input[name=WFCHECKBOX2_CHECKBOX]'));
    assert.equal(await memoText(page),
      '题目编号：11\n一加一等于几？\nA.一\nB.二\n\n标准答案：B    作答选项:B\n----------------------------\n' + wrongOnly);
    await submitAndWait(page, () => page.click('#WFLINK6'));
    assert.ok(!(await page.isVisible('#WFREGION4')));
    assert.deepEqual(dialogs, []);
    await page.close();
  } finally {
    await server.stop();
  }
});
