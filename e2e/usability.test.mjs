// What teachers and candidates meet in Chromium at 1366 × 768: the hint switch, the
// confirmation before all results go, long options and question texts, the Chinese error
// page, and working by keyboard.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { launchBrowser } from './lib/browser.mjs';
import { adminPassword, examServerProgram, startExamServer } from './lib/exam.mjs';
import { startServer } from './lib/server.mjs';
import { acceptDialogs, submitAndWait, waitUntilReady } from './lib/pages.mjs';

let browser;

before(async () => { browser = await launchBrowser(); });
after(async () => { await browser.close(); });

async function newPage() {
  const page = await browser.context.newPage();
  await page.setViewportSize({ width: 1366, height: 768 });
  page.alerts = [];
  return page;
}

function sqlText(text) {
  return "'" + text.replaceAll("'", "''") + "'";
}

// Adds an exam with its questions ([type, text, options, answer]); returns its id.
function addExam(server, name, questions, { set4 = 0 } = {}) {
  server.exec(`INSERT INTO test (考试名称,set1,set3,set4,set5) VALUES (${sqlText(name)},0,1,${set4},0)`);
  const [{ id }] = server.rows('select max(id) as id from test');
  for (const [type, text, options, answer] of questions) {
    server.exec(`INSERT INTO tm (testid,题型,题目,候选项,答案,分数) VALUES (${id},${sqlText(type)},` +
                `${sqlText(text + '\r\n')},${sqlText(options)},${sqlText(answer)},1)`);
  }
  return id;
}

const lines = (...options) => options.map((option) => option + '\r\n').join('');

async function openHome(server, page) {
  await page.goto(server.url + '/');
  await page.waitForSelector('text=【系统设置】');
  await waitUntilReady(page);
}

async function startExam(server, page, name) {
  await openHome(server, page);
  await submitAndWait(page, () => page.locator('#tblWFGRID1 a', { hasText: name }).first().click());
  await page.waitForSelector('#WFBUTTON4');
}

async function logIn(server, page) {
  await openHome(server, page);
  await submitAndWait(page, () => page.click('text=【系统设置】'));
  await page.fill('#WFEDIT1', adminPassword);
  await submitAndWait(page, () => page.click('#WFBUTTON1'));
  await page.waitForSelector('#tblWFGRID1');
}

async function openExamPage(server, page, examId, caption) {
  await logIn(server, page);
  const row = page.locator('#tblWFGRID1 tr', { has: page.locator('td', { hasText: new RegExp(`^${examId}$`) }) });
  await submitAndWait(page, () => row.locator('a', { hasText: caption }).click());
}

const hintShown = (page) => page.isVisible('#WFLABEL9');

test('the hint shows exactly when "启用" is chosen, and a stored 1 still shows it', async () => {
  const server = await startExamServer();
  try {
    const old = addExam(server, '旧库考试', [['单选题', '一题', lines('A.甲', 'B.乙'), 'B']], { set4: 1 });
    const fresh = addExam(server, '新考试', [['单选题', '二题', lines('A.甲', 'B.乙'), 'A']]);

    const candidate = await newPage();
    await startExam(server, candidate, '旧库考试');
    assert.equal(await hintShown(candidate), true, 'an existing database with set4 = 1 keeps its hint');
    assert.equal(await candidate.getAttribute('#WFLABEL9', 'title'), '标准答案：B');
    await startExam(server, candidate, '新考试');
    assert.equal(await hintShown(candidate), false);

    const teacher = await newPage();
    acceptDialogs(teacher, teacher.alerts);
    await openExamPage(server, teacher, old, '点击设置');
    assert.equal(await teacher.isChecked('#S4_INPUT_1'), true, 'set4 = 1 is shown as "启用"');
    await submitAndWait(teacher, () => teacher.click('#S4_INPUT_2'));
    assert.deepEqual(server.rows(`select set4 from test where id=${old}`), [{ set4: 0 }]);
    await startExam(server, candidate, '旧库考试');
    assert.equal(await hintShown(candidate), false, '"关闭" hides the hint');

    await submitAndWait(teacher, () => teacher.click('label[for="S4_INPUT_1"]'));
    assert.deepEqual(server.rows(`select set4 from test where id=${old}`), [{ set4: 1 }]);
    await startExam(server, candidate, '旧库考试');
    assert.equal(await hintShown(candidate), true, '"启用" shows the hint');

    await submitAndWait(teacher, () => teacher.click('text=【返回】'));
    const row = teacher.locator('#tblWFGRID1 tr', { has: teacher.locator('td', { hasText: new RegExp(`^${fresh}$`) }) });
    await submitAndWait(teacher, () => row.locator('a', { hasText: '点击设置' }).click());
    assert.equal(await teacher.isChecked('#S4_INPUT_2'), true, 'a new exam starts with "关闭"');
  } finally {
    await server.stop();
  }
});

test('"【删除成绩信息】" asks first: cancel keeps every row, OK deletes the exam\'s results', async () => {
  const server = await startExamServer();
  try {
    const exam = addExam(server, '期中', [['单选题', '一题', lines('A.甲', 'B.乙'), 'B']]);
    const other = addExam(server, '别的', [['单选题', '二题', lines('A.甲', 'B.乙'), 'A']]);
    const [{ id: question }] = server.rows(`select id from tm where testid=${exam}`);
    server.exec(`INSERT INTO cj (testid,ip,姓名,成绩) VALUES (${exam},'1.1.1.1','张三',1),(${exam},'1.1.1.2','李四',0),` +
                `(${other},'1.1.1.3','王五',1);` +
                `INSERT INTO dtxb (testid,tmid,xm,zd) VALUES (${exam},${question},'张三','B'),(${exam},${question},'李四','A')`);
    const counts = () => server.rows(`select (select count(*) from cj where testid=${exam}) as cj,` +
                                     `(select count(*) from dtxb where testid=${exam}) as dtxb,` +
                                     `(select count(*) from cj where testid=${other}) as other`)[0];
    const page = await newPage();
    let answer = false;
    const asked = [];
    page.on('dialog', (dialog) => {
      asked.push(dialog.message());
      (answer ? dialog.accept() : dialog.dismiss()).catch(() => {});
    });
    await openExamPage(server, page, exam, '点击查看');
    await page.click('text=【删除成绩信息】');
    await page.waitForTimeout(300);
    assert.deepEqual(asked, ['确定要删除该考试的全部成绩信息吗？删除后无法恢复！']);
    assert.deepEqual(counts(), { cj: 2, dtxb: 2, other: 1 });
    await waitUntilReady(page);
    assert.match(await page.textContent('#WFLABEL5'), /^参考人数：2/);

    answer = true;
    await submitAndWait(page, () => page.click('text=【删除成绩信息】'));
    assert.equal(asked.length, 2);
    assert.deepEqual(counts(), { cj: 0, dtxb: 0, other: 1 });
    assert.equal(await page.textContent('#WFLABEL5'), '尚无人参加该项考试！');
  } finally {
    await server.stop();
  }
});

// Six options of 120 characters each.
const longOptions = ['A', 'B', 'C', 'D', 'E', 'F'].map((letter, i) =>
  `${letter}.` + `选项${i + 1}的内容很长，`.repeat(20).slice(0, 118) + '。');

// The boxes of the shown options, the buttons and the legend, in page pixels.
async function layout(page) {
  return page.evaluate(() => {
    const box = (element) => {
      const r = element.getBoundingClientRect();
      return { top: r.top + window.scrollY, bottom: r.bottom + window.scrollY, left: r.left, right: r.right };
    };
    const shown = (element) => element && element.offsetParent !== null;
    const radios = [...document.querySelectorAll('#WFRADIOGROUP1 label')].filter(shown);
    const checks = ['A', 'B', 'C', 'D', 'E', 'F'].map((l) => document.getElementById('X' + l)).filter(shown);
    return {
      options: (radios.length > 0 ? radios : checks).map(box),
      buttons: ['WFBUTTON1', 'WFBUTTON2', 'WFBUTTON4'].map((id) => box(document.getElementById(id))),
      legend: ['WFLABEL8', 'DQJLCOL', 'WFLABEL5', 'WFLABEL7', 'WFLABEL10'].map((id) => box(document.getElementById(id))),
      hint: shown(document.getElementById('WFLABEL9')) ? box(document.getElementById('WFLABEL9')) : null,
      region: box(document.getElementById('WFREGION1')),
      footer: box(document.getElementById('TWFFRAME111WFFRAMEREGION')),
    };
  });
}

const overlaps = (a, b) => a.top < b.bottom && b.top < a.bottom && a.left < b.right && b.left < a.right;

function assertNothingOverlaps(shape, what) {
  for (let i = 0; i < shape.options.length; i++) {
    // One line of the 12-point options is about 20 pixels high.
    assert.ok(shape.options[i].bottom - shape.options[i].top > 30, `${what}: option ${i + 1} wraps onto more lines`);
    for (let j = i + 1; j < shape.options.length; j++) {
      assert.ok(!overlaps(shape.options[i], shape.options[j]), `${what}: options ${i + 1} and ${j + 1} overlap`);
    }
  }
  const last = shape.options[shape.options.length - 1];
  for (const button of shape.buttons) assert.ok(button.top >= last.bottom, `${what}: a button is above the last option`);
  for (const part of shape.legend) assert.ok(part.top >= last.bottom, `${what}: the legend is above the last option`);
  if (shape.hint) assert.ok(!overlaps(shape.hint, shape.options[0]), `${what}: the hint covers the first option`);
  const lowest = Math.max(...shape.legend.map((part) => part.bottom), ...shape.buttons.map((b) => b.bottom));
  assert.ok(shape.region.bottom >= lowest, `${what}: the main region ends above its content`);
  assert.ok(shape.footer.top >= shape.region.bottom, `${what}: the footer overlaps the main region`);
}

test('six options of 120 characters: every row as tall as its text, buttons and legend below them', async () => {
  const server = await startExamServer();
  try {
    addExam(server, '长选项', [
      ['单选题', '单选题目', lines(...longOptions), 'F'],
      ['多选题', '多选题目', lines(...longOptions), 'AF'],
    ], { set4: 1 });
    const page = await newPage();
    acceptDialogs(page, page.alerts);
    await startExam(server, page, '长选项');
    assert.equal(await page.getAttribute('#WFMEMO1', 'readonly'), '', 'the question box is read-only');
    assert.equal(await page.textContent('#WFLABEL10'), '已答 0 / 2 题');
    let shape = await layout(page);
    assert.equal(shape.options.length, 6);
    assertNothingOverlaps(shape, 'single choice');

    // The last option, chosen by its text, is visible and clickable below the others.
    await page.click('label[for="WFRADIOGROUP1_INPUT_6"]');
    assert.equal(await page.isChecked('#WFRADIOGROUP1_INPUT_6'), true);
    await submitAndWait(page, () => page.click('#WFBUTTON2'));
    assert.equal(await page.textContent('#WFLABEL10'), '已答 1 / 2 题');
    shape = await layout(page);
    assert.equal(shape.options.length, 6);
    assertNothingOverlaps(shape, 'multiple choice');

    await page.click('label[for="XF_CHECKBOX"]');
    await page.click('label[for="XA_CHECKBOX"]');
    await submitAndWait(page, () => page.click('#WFBUTTON1'));
    assert.equal(await page.textContent('#WFLABEL10'), '已答 2 / 2 题');
    await page.fill('#WFEDIT1', '长选项考生');
    await submitAndWait(page, () => page.click('#WFBUTTON4'));
    assert.deepEqual(server.rows("select zd from dtxb where xm='长选项考生' order by tmid"), [{ zd: 'F' }, { zd: 'AF' }]);
  } finally {
    await server.stop();
  }
});

test('the settings page keeps a 270-character question inside its column', async () => {
  const server = await startExamServer();
  try {
    const question = '这是一道很长的题目，'.repeat(27);
    const exam = addExam(server, '长题目', [['单选题', question, lines(...longOptions), 'A']]);
    const page = await newPage();
    acceptDialogs(page, page.alerts);
    await openExamPage(server, page, exam, '点击设置');
    const sizes = await page.evaluate(() => {
      const grid = document.getElementById('tblWFDBGRID1') || document.querySelector('#WFDBGRID1 table');
      const frame = grid.parentElement;
      const cells = [...grid.rows[1].cells].map((cell) => cell.getBoundingClientRect().width);
      return { table: grid.getBoundingClientRect().width, frame: frame.clientWidth, scroll: frame.scrollWidth, cells };
    });
    assert.ok(sizes.table <= sizes.frame + 1, `the grid (${sizes.table}) is wider than its frame (${sizes.frame})`);
    assert.ok(sizes.scroll <= sizes.frame + 1, 'the frame scrolls sideways');
    assert.ok(sizes.cells[0] > 20, 'the number column keeps room');
    assert.ok(sizes.cells[1] <= 420, `the question column is ${sizes.cells[1]} wide`);
  } finally {
    await server.stop();
  }
});

async function errorPage(page) {
  return page.evaluate(() => ({
    lang: document.documentElement.lang,
    headings: [...document.querySelectorAll('h1')].filter((h) => h.offsetParent !== null).map((h) => h.textContent),
    link: document.querySelector('a.home') && document.querySelector('a.home').textContent,
    message: document.getElementById('message') && document.getElementById('message').textContent,
  }));
}

test('a session that is gone shows the Chinese page with the link home; so does a missing database', async () => {
  const server = await startExamServer();
  try {
    addExam(server, '一场考试', [['单选题', '一题', lines('A.甲', 'B.乙'), 'B']]);
    const page = await newPage();
    acceptDialogs(page, page.alerts);
    await openHome(server, page);
    // The session ended (idle time-out, restart): the next post names a session the server no longer has.
    await page.evaluate(() => {
      const form = document.forms.SubmitForm;
      form.action = form.action.replace(/[0-9a-z]{28}$/, 'abcdefghijklmnopqrstuvwxyz01');
    });
    await Promise.all([page.waitForNavigation(), page.click('#tblWFGRID1 a')]);
    await page.waitForSelector('a.home');
    assert.deepEqual(await errorPage(page), {
      lang: 'zh-CN', headings: ['页面已失效'], link: '返回首页', message: 'Session not found. Session may have expired.',
    });
    await Promise.all([page.waitForNavigation(), page.click('a.home')]);
    await page.waitForSelector('text=【系统设置】');
    assert.equal(await page.title(), '首页---栎川考试系统');
  } finally {
    await server.stop();
  }

  const bare = await startServer(examServerProgram, ['-headless', '-port', '0', '-bind', '127.0.0.1']);
  try {
    const page = await newPage();
    await page.goto(bare.url + '/');
    await page.waitForSelector('a.home');
    const shown = await errorPage(page);
    assert.deepEqual(shown.headings, ['系统错误']);
    assert.equal(shown.link, '返回首页');
    assert.match(shown.message, /db1\.db/);
  } finally {
    await bare.stop();
  }
});

test('by keyboard: labels name the fields, one Tab from the question reaches the first option, Enter logs in', async () => {
  const server = await startExamServer();
  try {
    addExam(server, '键盘考试', [
      ['单选题', '单选', lines('A.甲', 'B.乙'), 'B'],
      ['多选题', '多选', lines('A.一', 'B.二'), 'AB'],
    ]);
    const page = await newPage();
    acceptDialogs(page, page.alerts);
    await startExam(server, page, '键盘考试');
    assert.equal(await page.getAttribute('html', 'lang'), 'zh-CN');
    assert.equal(await page.textContent('label[for="WFEDIT1"]'), '姓名');
    assert.equal(await page.getAttribute('iframe', 'tabindex'), '-1', 'the banner is out of the tab order');
    const focused = () => page.evaluate(() => document.activeElement.id);

    // Enter in the name field posts nothing by itself: the page and its answers stay.
    const before = page.url();
    await page.fill('#WFEDIT1', '键盘考生');
    await page.focus('#WFEDIT1');
    await page.keyboard.press('Enter');
    await page.waitForTimeout(500);
    assert.equal(page.url(), before);
    assert.equal(await page.inputValue('#WFEDIT1'), '键盘考生');

    await page.focus('#WFMEMO1');
    await page.keyboard.press('Tab');
    assert.equal(await focused(), 'WFRADIOGROUP1_INPUT_1');
    await page.keyboard.press('ArrowDown');
    assert.equal(await page.isChecked('#WFRADIOGROUP1_INPUT_2'), true);
    await submitAndWait(page, () => page.keyboard.press('Tab').then(() => page.keyboard.press('Tab'))
      .then(() => page.keyboard.press('Enter')));
    assert.equal(await page.textContent('#WFLABEL2'), '多选题');
    await page.focus('#WFMEMO1');
    await page.keyboard.press('Tab');
    assert.equal(await focused(), 'XA_CHECKBOX');
    await page.keyboard.press('Space');
    await page.keyboard.press('Tab');
    assert.equal(await focused(), 'XB_CHECKBOX');

    const admin = await newPage();
    acceptDialogs(admin, admin.alerts);
    await openHome(server, admin);
    await submitAndWait(admin, () => admin.click('text=【系统设置】'));
    assert.equal(await admin.textContent('label[for="WFEDIT1"]'), '请输入管理密码');
    await admin.focus('#WFEDIT1');
    await admin.keyboard.type('wrong');
    await submitAndWait(admin, () => admin.keyboard.press('Enter'));
    assert.equal(await admin.title(), '登录管理平台---栎川考试系统');
    for (let i = 0; i < 40 && admin.alerts.length === 0; i++) await admin.waitForTimeout(50);
    assert.deepEqual(admin.alerts, ['密码错误！']);
    assert.equal(new URL(admin.url()).search, '', 'the password never lands in the address');
    await admin.fill('#WFEDIT1', adminPassword);
    await admin.focus('#WFEDIT1');
    await submitAndWait(admin, () => admin.keyboard.press('Enter'));
    assert.equal(await admin.title(), '考试列表---栎川考试系统');
  } finally {
    await server.stop();
  }
});
