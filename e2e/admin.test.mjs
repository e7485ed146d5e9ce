// The administration pages in a real browser: login, the exam list with its dialogs, and an
// exam's settings and question editor, checked against the stored rows.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { launchBrowser } from './lib/browser.mjs';
import { startExamServer, adminPassword } from './lib/exam.mjs';
import { acceptDialogs, openPage, submitAndWait } from './lib/pages.mjs';

// Runs a test on the home page of a fresh server, in a browser of its own. Rows are
// prepared (with `prepare`) before any session has the database open; the browser is closed
// before the server stops, so no idle connection of it holds the server up.
async function onHomePage(body, prepare = () => {}) {
  const server = await startExamServer();
  prepare(server);
  const browser = await launchBrowser();
  try {
    const page = await openPage(browser, server.url, 'text=【系统设置】');
    // Every alert is recorded and accepted.
    page.alerts = [];
    acceptDialogs(page, page.alerts);
    await body(server, page);
  } finally {
    await browser.close();
    await server.stop();
  }
}

// Runs a submitting action and returns the alerts the next page shows.
async function alertsAfter(page, action, expected = 1) {
  const seen = page.alerts.length;
  await submitAndWait(page, action);
  for (let i = 0; i < 40 && page.alerts.length < seen + expected; i++) await page.waitForTimeout(50);
  if (expected === 0) await page.waitForTimeout(100);
  return page.alerts.slice(seen);
}

async function clickLink(page, caption) {
  await submitAndWait(page, () => page.click(`a:has-text("${caption}")`));
}

async function logIn(page, typed = adminPassword) {
  await clickLink(page, '【系统设置】');
  await page.fill('#WFEDIT1', typed);
  await submitAndWait(page, () => page.click('#WFBUTTON1'));
  await page.waitForSelector('#tblWFGRID1');
}

// The link in the exam list's row of an exam.
function examAction(page, examId, caption) {
  const row = page.locator('#tblWFGRID1 tr', { has: page.locator('td', { hasText: new RegExp(`^${examId}$`) }) });
  return row.locator('a', { hasText: caption });
}

test('login: wrong passwords, blanks around the right one, and the attempt limit', async () => {
  await onHomePage(async (server, page) => {
    await clickLink(page, '【系统设置】');
    assert.equal(await page.title(), '登录管理平台---栎川考试系统');
    await page.fill('#WFEDIT1', 'wrong');
    assert.deepEqual(await alertsAfter(page, () => page.click('#WFBUTTON1')), ['密码错误！']);

    await page.fill('#WFEDIT1', `  ${adminPassword} `);
    assert.deepEqual(await alertsAfter(page, () => page.click('#WFBUTTON1'), 0), []);
    assert.equal(await page.title(), '考试列表---栎川考试系统');

    await clickLink(page, '【退出设置】');
    await clickLink(page, '【系统设置】');
    // The first wrong password still counts: a login in between does not clear it.
    for (let i = 2; i <= 10; i++) {
      await page.fill('#WFEDIT1', `wrong${i}`);
      assert.deepEqual(await alertsAfter(page, () => page.click('#WFBUTTON1')), ['密码错误！'], `attempt ${i}`);
    }
    // The eleventh is refused without a check, even with the right password.
    for (const typed of ['wrong10', adminPassword]) {
      await page.fill('#WFEDIT1', typed);
      assert.deepEqual(await alertsAfter(page, () => page.click('#WFBUTTON1')), ['密码错误次数过多，请稍后再试！']);
    }
    assert.equal(await page.title(), '登录管理平台---栎川考试系统');
  });
});

// Exams 1 and 2, which the test creates, get a question, an answer and a result each.
function papersOfExams1And2(server) {
  server.exec("INSERT INTO tm (testid,题型,题目,候选项,答案,分数) VALUES (1,'单选题','q','A.x','A',1),(2,'单选题','q','','A',1);" +
    "INSERT INTO dtxb (testid,tmid,xm,zd,考试标识) SELECT testid,id,'张三','A','' FROM tm;" +
    "INSERT INTO cj (testid,ip,姓名,成绩,考试标识) VALUES (1,'127.0.0.1','张三',1,''),(2,'127.0.0.1','张三',1,'');");
}

test('exam list: create, change the password, delete an exam with everything it has', async () => {
  await onHomePage(async (server, page) => {
    await logIn(page);

    await clickLink(page, '【新建考试】');
    await page.fill('#WFEDIT1', '期中 <考试>');
    await submitAndWait(page, () => page.click('#WFBUTTON1'));
    await clickLink(page, '【新建考试】');
    assert.equal(await page.inputValue('#WFEDIT1'), '');
    await submitAndWait(page, () => page.click('#WFBUTTON1'));
    const exams = server.rows('select id,考试名称,set1,set2,set3 from test order by id');
    assert.deepEqual(exams.map((e) => [e.考试名称, e.set1, e.set2, e.set3]), [['期中 <考试>', 0, 0, 0], ['', 0, 0, 0]]);
    assert.equal(await page.locator('#tblWFGRID1 tr').count(), 3);
    assert.equal(await examAction(page, exams[0].id, '点击删除').count(), 1);

    await clickLink(page, '【修改密码】');
    const change = async (oldPassword, newPassword, repeated) => {
      await page.fill('#WFEDIT2', oldPassword);
      await page.fill('#WFEDIT3', newPassword);
      await page.fill('#WFEDIT4', repeated);
      return alertsAfter(page, () => page.click('#WFBUTTON2'));
    };
    assert.deepEqual(await change('', 'n1', 'n1'), ['原密码和新设密码不能为空！']);
    assert.deepEqual(await change(adminPassword, 'n1', 'n2'), ['新设密码和重复密码不一致！！']);
    assert.deepEqual(await change(adminPassword.toUpperCase(), 'n1', 'n1'), ['原密码错误！！！']);
    assert.deepEqual(server.rows('select setz from shezhi'), [{ setz: adminPassword }]);
    assert.deepEqual(await change(adminPassword, 'Neu 1', 'Neu 1'), ['你已经成功的修改了密码，再次登录请使用新密码！']);
    assert.deepEqual(server.rows('select setz from shezhi'), [{ setz: 'Neu 1' }]);

    const [first, second] = exams.map((e) => e.id);
    assert.deepEqual([first, second], [1, 2]);
    await submitAndWait(page, () => examAction(page, first, '点击删除').click());
    assert.equal(await page.textContent('#WFLABEL8'), '您确实要删除期中 <考试>及其所有题目及成绩信息吗？');
    assert.deepEqual(await alertsAfter(page, () => page.click('a:has-text("【删除】")'), 0), []);
    const left = (table, column) => server.rows(`select ${column} as exam from ${table} order by 1`).map((r) => r.exam);
    assert.deepEqual(left('test', 'id'), [second]);
    assert.deepEqual(left('tm', 'testid'), [second]);
    assert.deepEqual(left('dtxb', 'testid'), [second]);
    assert.deepEqual(left('cj', 'testid'), [second]);
    assert.equal(await page.locator('#tblWFGRID1 tr').count(), 2);
  }, papersOfExams1And2);
});

test('exam settings: name, tag, the five switches, adding and deleting questions', async () => {
  await onHomePage(async (server, page) => {
    const [{ id }] = server.rows('select id from test');
    await logIn(page);
    await submitAndWait(page, () => examAction(page, id, '点击设置').click());
    assert.equal(await page.title(), '考试设置---栎川考试系统');
    assert.equal(await page.inputValue('#WFEDIT1'), '期末');

    await page.fill('#WFEDIT1', "期末 'A'");
    assert.deepEqual(await alertsAfter(page, () => page.click('#WFLINK1')), ['考试名称修改完成！！！']);
    await page.fill('#WFEDIT4', '一班');
    assert.deepEqual(await alertsAfter(page, () => page.click('#WFLINK9')), ['考试标识修改完成！！！']);
    const exam = () => server.rows(`select 考试名称,考试标识,set1,set2,set3,set4,set5 from test where id=${id}`)[0];
    let expected = { 考试名称: "期末 'A'", 考试标识: '一班', set1: 0, set2: 0, set3: 0, set4: 0, set5: 1 };
    assert.deepEqual(exam(), expected);

    for (const s of ['s1', 's2', 's3', 's4', 's5']) {
      const column = 'set' + s.slice(1);
      const next = 1 - expected[column];
      // "启用" is the first choice; it stores 0, except for the hint (s4), where it stores 1.
      const choice = s === 's4' ? 1 - next : next;
      await submitAndWait(page, () => page.click(`#${s.toUpperCase()}_INPUT_${choice + 1}`));
      expected = { ...expected, [column]: next };
      assert.deepEqual(exam(), expected, s);
    }

    await clickLink(page, '【新增试题】');
    const questions = () => server.rows('select 题型,题目,候选项,答案,分数 from tm order by id');
    await page.fill('#WFMEMO1', '首都？');
    await page.fill('#WFMEMO2', '\n  \n北京\n上海\n\n');
    await page.fill('#WFEDIT2', '1.5');
    await page.check('#WFRADIOGROUP5_INPUT_2');
    assert.deepEqual(await alertsAfter(page, () => page.click('#WFBUTTON1'), 0), []);

    await page.fill('#WFMEMO1', '字母分值');
    await page.fill('#WFEDIT2', 'abc');
    await page.check('#WFRADIOGROUP5_INPUT_1');
    assert.deepEqual(await alertsAfter(page, () => page.click('#WFBUTTON1')), ['题目分值必须为数字！！！']);
    await page.fill('#WFEDIT2', '2');
    await submitAndWait(page, () => page.click('#WFRADIOGROUP4_INPUT_2'));
    assert.equal(await page.isVisible('#WFRADIOGROUP5'), false);
    await page.fill('#WFMEMO1', '哺乳动物？');
    await page.fill('#WFMEMO2', '鲸\n鲨鱼\n蝙蝠\n企鹅');
    assert.deepEqual(await alertsAfter(page, () => page.click('#WFBUTTON1')), ['正确答案未选择！请检查！！！']);
    await page.check('input[name=XA_CHECKBOX]');
    await page.check('input[name=XC_CHECKBOX]');
    assert.deepEqual(await alertsAfter(page, () => page.click('#WFBUTTON1'), 0), []);

    await page.fill('#WFMEMO2', '留下的');
    await submitAndWait(page, () => page.click('#WFRADIOGROUP4_INPUT_3'));
    assert.equal(await page.inputValue('#WFMEMO2'), '对\n错\n');
    await page.fill('#WFMEMO1', '水往低处流。');
    await page.check('input[name=XA_CHECKBOX]');
    assert.deepEqual(await alertsAfter(page, () => page.click('#WFBUTTON1'), 0), []);
    await clickLink(page, '【关闭】');

    assert.deepEqual(questions(), [
      { 题型: '单选题', 题目: '首都？\r\n', 候选项: 'A.北京\r\nB.上海\r\n', 答案: 'B', 分数: 1.5 },
      { 题型: '多选题', 题目: '哺乳动物？\r\n', 候选项: 'A.鲸\r\nB.鲨鱼\r\nC.蝙蝠\r\nD.企鹅\r\n', 答案: 'AC', 分数: 2 },
      { 题型: '判断题', 题目: '水往低处流。\r\n', 候选项: 'A.对\r\nB.错\r\n', 答案: 'A', 分数: 2 },
    ]);
    assert.equal(await page.locator('#tblWFDBGRID1 tr').count(), 4);

    await submitAndWait(page, () => page.click('a:has-text("哺乳动物？")'));
    assert.equal(await page.textContent('#WFLABEL18'), '您确实要删除该题目及成绩信息吗？');
    await submitAndWait(page, () => page.click('a:has-text("【删除】")'));
    assert.deepEqual(questions().map((q) => q.题型), ['单选题', '判断题']);
    assert.equal(await page.locator('#tblWFDBGRID1 tr').count(), 3);
  }, (server) => server.exec("INSERT INTO test (考试名称,set1,set2,set3,set4,set5) VALUES ('期末',0,0,0,0,1)"));
});
