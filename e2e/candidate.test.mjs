// A candidate in Chromium: choosing an exam, answering it, handing it in and the page after
// the hand-in, checked against what the browser shows and the rows the server stores.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { launchBrowser } from './lib/browser.mjs';
import { startExamServer } from './lib/exam.mjs';
import { acceptDialogs, submitAndWait, waitUntilReady } from './lib/pages.mjs';

let browser;

before(async () => { browser = await launchBrowser(); });
after(async () => { await browser.close(); });

// A page of the browser that records every alert and accepts every confirmation.
async function newCandidate() {
  const page = await browser.context.newPage();
  page.alerts = [];
  acceptDialogs(page, page.alerts, { alertsOnly: true });
  return page;
}

const settle = waitUntilReady;

async function openHome(server, page) {
  await page.goto(server.url + '/');
  await page.waitForSelector('#tblWFGRID1');
  await settle(page);
}


// Clicks an exam name on the home page.
async function chooseExam(page, name) {
  await submitAndWait(page, () => page.locator('#tblWFGRID1 a', { hasText: name }).first().click());
}

async function startExam(server, name) {
  const page = await newCandidate();
  await openHome(server, page);
  await chooseExam(page, name);
  await page.waitForSelector('#WFBUTTON4');
  return page;
}

const next = (page) => submitAndWait(page, () => page.click('#WFBUTTON2'));
const previous = (page) => submitAndWait(page, () => page.click('#WFBUTTON1'));
const chooseOption = (page, index) => page.check(`#WFRADIOGROUP1_INPUT_${index + 1}`);
const checkBox = (page, letter) => page.check(`input[name="X${letter}_CHECKBOX"]`);

async function handIn(page, name) {
  await page.fill('#WFEDIT1', name);
  await submitAndWait(page, () => page.click('#WFBUTTON4'));
}

// The question shown: its type, its text and the options the candidate can choose from.
async function shownQuestion(page) {
  return page.evaluate(() => {
    const visible = (element) => element && element.offsetParent !== null;
    const radios = [...document.querySelectorAll('#WFRADIOGROUP1 label')].map((label) => label.textContent);
    const boxes = ['A', 'B', 'C', 'D', 'E', 'F']
      .map((letter) => document.getElementById('X' + letter))
      .filter(visible)
      .map((box) => box.textContent.trim());
    return {
      type: document.getElementById('WFLABEL2').textContent,
      text: document.getElementById('WFMEMO1').value.trim(),
      options: visible(document.getElementById('WFRADIOGROUP1')) ? radios : boxes,
    };
  });
}

async function gridColours(page) {
  return page.$$eval('#tblWFGRID1 td', (cells) => cells.map((cell) => cell.getAttribute('bgcolor')));
}

function sqlText(text) {
  return "'" + text.replaceAll("'", "''") + "'";
}

// Adds an exam with its questions ([type, text, options, answer, points]); returns its id.
function addExam(server, name, questions, switches = {}) {
  const { set1 = 0, set3 = 1, set4 = 0, set5 = 0, tag = null } = switches;
  server.exec(`INSERT INTO test (考试名称,set1,set3,set4,set5,考试标识) VALUES (${sqlText(name)},${set1},${set3},` +
              `${set4},${set5},${tag === null ? 'null' : sqlText(tag)})`);
  const [{ id }] = server.rows(`select max(id) as id from test`);
  for (const [type, text, options, answer, points] of questions) {
    server.exec(`INSERT INTO tm (testid,题型,题目,候选项,答案,分数) VALUES (${id},${sqlText(type)},` +
                `${sqlText(text + '\r\n')},${sqlText(options)},${sqlText(answer)},${points})`);
  }
  return id;
}

const lines = (...options) => options.map((option) => option + '\r\n').join('');
const CURRENT = '#FEA97F';
const DONE = '#F4FEE9';
const OPEN = '#B6C6C7';

test('choosing and answering an exam: refusals, moving between questions, options and the stored letters', async () => {
  const server = await startExamServer();
  try {
    addExam(server, '没有习题的考试', []);
    const exam = addExam(server, '导航考试', [
      ['单选题', '第一题', lines('A.甲', 'B.乙', 'C.丙'), 'B', 1],
      ['多选题', '第二题', lines('A.一', 'B.二', 'C.三'), 'AC', 2],
      ['单选题', '第三题', '', 'F', 1],
      ['多选题', '第四题', '', 'ABCDEF', 1],
    ]);
    const page = await newCandidate();
    await openHome(server, page);
    await chooseExam(page, '没有习题的考试');
    assert.deepEqual(page.alerts, ['该考试项目尚未设置习题，请选择其它考试项目或设置习题后再进行测试！']);
    assert.equal(await page.title(), '首页---栎川考试系统');

    await chooseExam(page, '导航考试');
    assert.equal(await page.title(), '考试页面---栎川考试系统');
    assert.equal(await page.textContent('#WFLABEL1'), '导航考试');
    assert.deepEqual(await shownQuestion(page), { type: '单选题', text: '第一题', options: ['A.甲', 'B.乙', 'C.丙'] });
    assert.deepEqual(await gridColours(page), [CURRENT, OPEN, OPEN, OPEN]);

    await chooseOption(page, 1);
    await previous(page);
    assert.deepEqual(page.alerts.slice(1), ['已经是第一题']);
    assert.equal(await page.isChecked('#WFRADIOGROUP1_INPUT_2'), true);

    await next(page);
    assert.deepEqual(await shownQuestion(page), { type: '多选题', text: '第二题', options: ['A.一', 'B.二', 'C.三'] });
    assert.equal(await page.locator('input[name="XD_CHECKBOX"]').count(), 0);
    assert.deepEqual(await gridColours(page), [DONE, CURRENT, OPEN, OPEN]);
    await checkBox(page, 'C');
    await checkBox(page, 'A');
    await next(page);
    const generic = ['A.选项', 'B.选项', 'C.选项', 'D.选项', 'E.选项', 'F.选项'];
    assert.deepEqual(await shownQuestion(page), { type: '单选题', text: '第三题', options: generic });
    await chooseOption(page, 5);
    await next(page);
    assert.deepEqual((await shownQuestion(page)).options, generic);
    await checkBox(page, 'F');
    await checkBox(page, 'B');
    await next(page);
    assert.deepEqual(page.alerts.slice(2), ['已经是最后一题']);

    // Back through the navigator: the answers are still there.
    await submitAndWait(page, () => page.locator('#tblWFGRID1 a').nth(1).click());
    assert.equal(await page.isChecked('input[name="XA_CHECKBOX"]'), true);
    assert.equal(await page.isChecked('input[name="XB_CHECKBOX"]'), false);
    assert.equal(await page.isChecked('input[name="XC_CHECKBOX"]'), true);
    assert.deepEqual(await gridColours(page), [DONE, CURRENT, DONE, DONE]);

    await handIn(page, '导航者');
    assert.equal(await page.title(), '交卷完成---栎川考试系统');
    assert.deepEqual(server.rows('select zd from dtxb order by rowid').map((row) => row.zd), ['B', 'AC', 'F', 'BF']);
    assert.deepEqual(server.rows('select testid,ip,姓名,成绩,考试标识 from cj'),
                     [{ testid: exam, ip: '127.0.0.1', 姓名: '导航者', 成绩: 4.0, 考试标识: '' }]);
    await page.close();
  } finally {
    await server.stop();
  }
});

test('names, duplicate papers, exam tags and scores', async () => {
  const server = await startExamServer();
  try {
    const exam = addExam(server, '计分考试', [
      ['单选题', '二分题', lines('A.a', 'B.b'), 'B', 2],
      ['多选题', '三分题', lines('A.a', 'B.b', 'C.c', 'D.d'), 'ACD', 3],
      ['判断题', '一分半题', lines('A.对', 'B.错'), 'A', 1.5],
    ], { tag: '一班' });
    const answer = async (page, first, second, third) => {
      if (first !== null) await chooseOption(page, first);
      await next(page);
      for (const letter of second) await checkBox(page, letter);
      await next(page);
      if (third !== null) await chooseOption(page, third);
    };

    const page = await startExam(server, '计分考试');
    await answer(page, 1, 'AC', null);
    await handIn(page, '   ');
    assert.deepEqual(page.alerts, ['姓名不能为空']);
    assert.equal(server.rows('select count(*) as n from dtxb')[0].n, 0);
    await handIn(page, '  张三  ');
    assert.equal(await page.title(), '交卷完成---栎川考试系统');
    assert.equal(await page.textContent('#WFLABEL2'), '姓名：张三  成绩：2');

    const again = await startExam(server, '计分考试');
    await answer(again, 1, '', 0);
    await handIn(again, '张三');
    assert.deepEqual(again.alerts, ['已经存在相同的姓名，请修改姓名！！！']);
    assert.equal(await again.title(), '考试页面---栎川考试系统');

    server.exec(`update test set 考试标识='二班' where id=${exam}`);
    await handIn(again, '张三');
    assert.equal(await again.textContent('#WFLABEL2'), '姓名：张三  成绩：3.5');

    assert.deepEqual(server.rows('select 姓名,成绩,考试标识 from cj order by rowid'),
                     [{ 姓名: '张三', 成绩: 2.0, 考试标识: '一班' }, { 姓名: '张三', 成绩: 3.5, 考试标识: '二班' }]);
    assert.deepEqual(server.rows('select xm,zd,考试标识 from dtxb order by rowid'), [
      { xm: '张三', zd: 'B', 考试标识: '一班' }, { xm: '张三', zd: 'AC', 考试标识: '一班' },
      { xm: '张三', zd: '', 考试标识: '一班' },
      { xm: '张三', zd: 'B', 考试标识: '二班' }, { xm: '张三', zd: '', 考试标识: '二班' },
      { xm: '张三', zd: 'A', 考试标识: '二班' },
    ]);
    await page.close();
    await again.close();
  } finally {
    await server.stop();
  }
});

test('the page after the hand-in follows the exam switches and sends the browser home after ten seconds', async () => {
  const server = await startExamServer();
  try {
    const question = [['单选题', '题', lines('A.a', 'B.b'), 'A', 5]];
    addExam(server, '显示且回顾', question, { set1: 0, set5: 0 });
    addExam(server, '只回顾', question, { set1: 1, set5: 0 });
    addExam(server, '只显示', question, { set1: 0, set5: 1 });
    const name = '<b>"O\'Neil"</b>';

    const shown = await startExam(server, '显示且回顾');
    await chooseOption(shown, 0);
    await handIn(shown, name);
    const handedInAt = Date.now();
    assert.equal(await shown.textContent('#WFLABEL1'), '交卷成功');
    assert.equal(await shown.textContent('#WFLABEL2'), `姓名：${name}  成绩：5`);
    assert.equal(await shown.inputValue('#upym input[name="testxm"]'), name);
    assert.equal(await shown.inputValue('#upym input[name="testcj"]'), '5');
    assert.equal(await shown.inputValue('#button'), '点击查看答题详情');

    const reviewOnly = await startExam(server, '只回顾');
    await handIn(reviewOnly, '李四');
    assert.equal(await reviewOnly.textContent('#WFLABEL2'), '');
    assert.equal(await reviewOnly.inputValue('#upym input[name="testcj"]'), '0');

    const scoreOnly = await startExam(server, '只显示');
    await handIn(scoreOnly, '王五');
    assert.equal(await scoreOnly.textContent('#WFLABEL2'), '姓名：王五  成绩：0');
    assert.equal(await scoreOnly.locator('#upym').count(), 0);

    // The timer ends the session and the browser lands on a new home page.
    await shown.waitForSelector('#tblWFGRID1', { timeout: 20000 });
    const waited = Date.now() - handedInAt;
    assert.ok(waited >= 9000, `redirected after ${waited} ms`);
    assert.equal(await shown.title(), '首页---栎川考试系统');
    for (const page of [shown, reviewOnly, scoreOnly]) await page.close();
  } finally {
    await server.stop();
  }
});

test('the demo exam from start to hand-in, and a new order of its questions on every start', async () => {
  const server = await startExamServer({ demo: true });
  try {
    const [{ id }] = server.rows('select id from test');
    const answers = Object.fromEntries(server.rows(`select 题目,答案 from tm where testid=${id}`)
      .map((row) => [row.题目.trim(), row.答案]));
    const orders = new Set();
    for (let start = 0; start < 4; start += 1) {
      const page = await startExam(server, '常识小测验');
      orders.add(JSON.stringify(await page.$$eval('#tblWFGRID1 td', (cells) => cells.map((cell) => cell.textContent))));
      await page.close();
    }
    assert.ok(orders.size > 1, 'the questions came in one order every time');

    const page = await startExam(server, '常识小测验');
    for (let question = 0; question < 6; question += 1) {
      const shown = await shownQuestion(page);
      const answer = answers[shown.text];
      for (const letter of answer) {
        if (shown.type === '多选题') await checkBox(page, letter);
        else await chooseOption(page, letter.charCodeAt(0) - 65);
      }
      if (question < 5) await next(page);
    }
    await handIn(page, '演示考生');
    assert.equal(await page.textContent('#WFLABEL2'), '姓名：演示考生  成绩：13');
    assert.equal(server.rows(`select count(*) as n from dtxb where testid=${id} and zd=(select 答案 from tm where tm.id=tmid)`)[0].n, 6);
    await page.close();
  } finally {
    await server.stop();
  }
});
