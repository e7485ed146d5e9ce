// What an exam room needs beyond the pages, in a real browser: the results saved as a
// workbook and as CSV, questions imported from a file, and the database backed up.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launchBrowser } from './lib/browser.mjs';
import { adminPassword, startExamServer } from './lib/exam.mjs';
import { acceptDialogs, submitAndWait, waitUntilReady } from './lib/pages.mjs';

let browser;
let downloads;

before(async () => {
  browser = await launchBrowser();
  downloads = mkdtempSync(join(tmpdir(), 'e2e-downloads-'));
});
after(async () => {
  await browser.close();
  rmSync(downloads, { recursive: true, force: true });
});

// Every sheet of a workbook as rows of cell texts, read with Python's zipfile and XML
// parser: a reader that shares nothing with the server's.
const readWorkbook = `
import json, re, sys, zipfile
import xml.etree.ElementTree as ET
ns = {'m': 'http://schemas.openxmlformats.org/spreadsheetml/2006/main'}
rel = '{http://schemas.openxmlformats.org/officeDocument/2006/relationships}id'
z = zipfile.ZipFile(sys.argv[1])
strings = []
if 'xl/sharedStrings.xml' in z.namelist():
    for si in ET.fromstring(z.read('xl/sharedStrings.xml')).findall('m:si', ns):
        strings.append(''.join(t.text or '' for t in si.iter('{%s}t' % ns['m'])))
targets = {r.get('Id'): r.get('Target') for r in ET.fromstring(z.read('xl/_rels/workbook.xml.rels'))}
sheets = {}
for sheet in ET.fromstring(z.read('xl/workbook.xml')).find('m:sheets', ns):
    root = ET.fromstring(z.read('xl/' + targets[sheet.get(rel)]))
    rows = []
    for row in root.find('m:sheetData', ns):
        while len(rows) < int(row.get('r')) - 1:
            rows.append([])
        cells = {}
        for c in row:
            col = 0
            for ch in re.match('[A-Z]+', c.get('r')).group(0):
                col = col * 26 + ord(ch) - 64
            v = c.find('m:v', ns)
            text = '' if v is None else v.text
            if c.get('t') == 's':
                text = strings[int(text)]
            cells[col - 1] = {'text': text, 'style': c.get('s'), 'formula': c.find('m:f', ns) is not None}
        rows.append([cells.get(i, {'text': '', 'style': None, 'formula': False}) for i in range(max(cells) + 1)])
    sheets[sheet.get('name')] = rows
print(json.dumps(sheets))
`;

function workbookSheets(path) {
  return JSON.parse(execFileSync('python3', ['-c', readWorkbook, path], { encoding: 'utf8' }));
}

const texts = (rows) => rows.map((row) => row.map((cell) => cell.text));

async function logIn(server, dialogs = []) {
  const page = await browser.context.newPage();
  acceptDialogs(page, dialogs);
  await page.goto(server.url + '/');
  await page.waitForSelector('text=【系统设置】');
  await waitUntilReady(page);
  await submitAndWait(page, () => page.click('text=【系统设置】'));
  await page.fill('#WFEDIT1', adminPassword);
  await submitAndWait(page, () => page.click('#WFBUTTON1'));
  assert.equal(await page.title(), '考试列表---栎川考试系统');
  return page;
}

async function openExam(page, examName, link) {
  const row = page.locator('#tblWFGRID1 tr', { hasText: examName });
  await submitAndWait(page, () => row.locator('a', { hasText: link }).click());
}

// Clicks a link whose answer makes the browser save a file; returns the file and its name.
async function download(page, caption) {
  const [file] = await Promise.all([page.waitForEvent('download'), submitAndWait(page, () => page.click(`text=${caption}`))]);
  const path = join(downloads, `${Date.now()}-${file.suggestedFilename()}`);
  await file.saveAs(path);
  return { path, name: file.suggestedFilename() };
}

function today() {
  const now = new Date();
  return `${now.getFullYear()}${String(now.getMonth() + 1).padStart(2, '0')}${String(now.getDate()).padStart(2, '0')}`;
}

test('the results page saves the shown results as a workbook and as CSV', async () => {
  const server = await startExamServer();
  try {
    server.exec([
      "INSERT INTO test (id,考试名称) VALUES (1,'期中考试')",
      "INSERT INTO tm (id,testid,题型,题目,候选项,答案,分数) VALUES (11,1,'单选题','一加一？','A.一'||char(13,10)||'B.二'||char(13,10),'B',50)," +
        "(12,1,'多选题','哪些是偶数？','A.2'||char(13,10)||'B.3'||char(13,10)||'C.4'||char(13,10),'AC',50)",
      "INSERT INTO cj (testid,ip,姓名,成绩,考试标识,提交时间,自动交卷) VALUES (1,'10.0.0.7','李四',100,'一班','2024-05-01 10:00:00',0)," +
        "(1,'10.0.0.8','=cmd|'' /C calc''!A0',50,'一班','2024-05-01 10:01:00',0),(1,'10.0.0.9','王五',0,'二班','2024-05-01 10:02:00',1)",
      "INSERT INTO dtxb (testid,tmid,xm,zd,考试标识) VALUES (1,11,'李四','B','一班'),(1,12,'李四','AC','一班')," +
        "(1,11,'=cmd|'' /C calc''!A0','B','一班'),(1,12,'=cmd|'' /C calc''!A0','A','一班'),(1,11,'王五','A','二班')",
    ].join(';\n') + ';');
    const page = await logIn(server);
    await openExam(page, '期中考试', '点击查看');

    const workbook = await download(page, '【导出Excel】');
    assert.equal(workbook.name, `期中考试-成绩-${today()}.xlsx`);
    assert.equal(await page.title(), '考试成绩及统计---栎川考试系统');
    const sheets = workbookSheets(workbook.path);
    assert.deepEqual(Object.keys(sheets), ['成绩', '答题矩阵']);
    assert.deepEqual(texts(sheets['成绩']), [
      ['姓名', '成绩', '考试标识', 'IP', '提交时间', '自动交卷'],
      ['李四', '100', '一班', '10.0.0.7', '2024-05-01 10:00:00'],
      ["=cmd|' /C calc'!A0", '50', '一班', '10.0.0.8', '2024-05-01 10:01:00'],
      ['王五', '0', '二班', '10.0.0.9', '2024-05-01 10:02:00', '是'],
      [],
      ['参考人数：3   总成绩：150   平均分：50.00'],
    ]);
    assert.ok(sheets['成绩'].flat().every((cell) => !cell.formula));
    const matrix = sheets['答题矩阵'];
    assert.deepEqual(texts(matrix), [
      ['姓名', '考试标识', '成绩', '11', '12'],
      ['标准答案', '', '', 'B', 'AC'],
      ['李四', '一班', '100', 'B', 'AC'],
      ["=cmd|' /C calc'!A0", '一班', '50', 'B', 'A'],
      ['王五', '二班', '0', 'A', ''],
      ['正确率[%]', '', '', '66.67', '33.33'],
    ]);
    const right = matrix[2][3].style;
    const wrong = matrix[3][4].style;
    assert.notEqual(right, wrong);
    assert.deepEqual([matrix[2][4].style, matrix[3][3].style, matrix[4][3].style, matrix[4][4].style], [right, right, wrong, wrong]);

    // The tag filter limits the CSV as it limits the page.
    const filter = page.locator('#WFCOMBOBOX1');
    await submitAndWait(page, () => filter.selectOption({ label: '一班' }));
    const csv = await download(page, '【导出CSV】');
    assert.equal(csv.name, `期中考试-成绩-${today()}.csv`);
    assert.equal(readFileSync(csv.path, 'utf8'),
      '\ufeff姓名,成绩,考试标识,IP,提交时间\r\n' +
      '李四,100,一班,10.0.0.7,2024-05-01 10:00:00\r\n' +
      "'=cmd|' /C calc'!A0,50,一班,10.0.0.8,2024-05-01 10:01:00\r\n");
  } finally {
    await server.stop();
  }
});

test('an exam without results exports the headings only', async () => {
  const server = await startExamServer();
  try {
    server.exec("INSERT INTO test (id,考试名称) VALUES (1,'空考试'); " +
      "INSERT INTO tm (id,testid,题型,题目,候选项,答案,分数) VALUES (5,1,'单选题','题','','A',1);");
    const page = await logIn(server);
    await openExam(page, '空考试', '点击查看');
    const sheets = workbookSheets((await download(page, '【导出Excel】')).path);
    assert.deepEqual(texts(sheets['成绩']), [['姓名', '成绩', '考试标识', 'IP', '提交时间', '自动交卷']]);
    assert.deepEqual(texts(sheets['答题矩阵']), [['姓名', '考试标识', '成绩', '5']]);
  } finally {
    await server.stop();
  }
});

async function importFile(page, path) {
  await page.setInputFiles('#WFUPLOAD1_FILE', path);
  await submitAndWait(page, () => page.click('#WFUPLOAD1_SEND'));
}

test('questions come in from the templates; a file with wrong rows stores nothing and lists them', async () => {
  const server = await startExamServer();
  try {
    server.exec("INSERT INTO test (id,考试名称) VALUES (1,'导入考试');");
    const dialogs = [];
    const page = await logIn(server, dialogs);
    await openExam(page, '导入考试', '点击设置');
    assert.equal(await page.title(), '考试设置---栎川考试系统');

    await submitAndWait(page, () => page.click('text=【批量导入】'));
    assert.ok(await page.isVisible('#WFUPLOAD1_FILE'));
    const workbook = await download(page, '【Excel模板】');
    assert.equal(workbook.name, '试题导入模板.xlsx');
    const csv = await download(page, '【CSV模板】');
    assert.equal(csv.name, '试题导入模板.csv');

    await importFile(page, workbook.path);
    assert.deepEqual(dialogs, ['成功导入2道试题！']);
    assert.deepEqual(server.rows('select 题型,题目,候选项,答案,分数 from tm order by id'), [
      { 题型: '单选题', 题目: '我国的首都是哪座城市？\r\n', 候选项: 'A.北京\r\nB.上海\r\nC.广州\r\nD.深圳\r\n', 答案: 'A', 分数: 1 },
      { 题型: '多选题', 题目: '下列数中哪些是偶数？\r\n', 候选项: 'A.2\r\nB.3\r\nC.4\r\nD.5\r\n', 答案: 'AC', 分数: 2 },
    ]);
    assert.ok(await page.isHidden('#WFUPLOAD1_FILE'));
    assert.equal(await page.locator('#tblWFDBGRID1 tr', { hasText: '下列数中哪些是偶数？' }).count(), 1);

    await submitAndWait(page, () => page.click('text=【批量导入】'));
    await importFile(page, csv.path);
    assert.deepEqual(dialogs, ['成功导入2道试题！', '成功导入2道试题！']);
    assert.equal(server.rows('select count(*) as n from tm')[0].n, 4);

    // Twenty-three wrong rows among right ones: nothing is stored, the first twenty are listed.
    let wrong = '题型,题目,候选项,答案,分数\r\n单选题,对的,"甲\n乙",A,1\r\n';
    for (let i = 0; i < 22; i++) wrong += '单选题,错的,"甲\n乙",C,1\r\n';
    wrong += '填空题,错的,,A,1\r\n';
    const wrongPath = join(downloads, 'wrong.csv');
    writeFileSync(wrongPath, wrong);
    await submitAndWait(page, () => page.click('text=【批量导入】'));
    await importFile(page, wrongPath);
    assert.equal(await page.textContent('#WFLABEL27'), '导入失败，没有保存任何试题：');
    const lines = (await page.inputValue('#WFMEMO4')).replace(/\r\n/g, '\n').trim().split('\n');
    assert.equal(lines.length, 21);
    assert.equal(lines[0], '第4行：答案C超出候选项范围（共2项）');
    assert.equal(lines[19], '第42行：答案C超出候选项范围（共2项）');
    assert.equal(lines[20], '……另有3行有错误');
    assert.equal(server.rows('select count(*) as n from tm')[0].n, 4);
    assert.equal(dialogs.length, 2);

    // A file of another type is named as such.
    const other = join(downloads, 'questions.txt');
    writeFileSync(other, 'hello');
    await importFile(page, other);
    assert.equal((await page.inputValue('#WFMEMO4')).trim(), '只能导入.xlsx或.csv文件');
    assert.equal(server.rows('select count(*) as n from tm')[0].n, 4);
  } finally {
    await server.stop();
  }
});

test('the backup link saves a checked copy with the same rows', async () => {
  const server = await startExamServer({ demo: true });
  try {
    server.exec("INSERT INTO cj (testid,ip,姓名,成绩,考试标识) VALUES (1,'10.0.0.7','张三',3,'');");
    const page = await logIn(server);
    const backup = await download(page, '【备份数据】');
    assert.match(backup.name, /^db1-\d{8}-\d{6}\.db$/);
    assert.equal(await page.title(), '考试列表---栎川考试系统');
    const query = (sql) => execFileSync('sqlite3', ['-json', backup.path, sql], { encoding: 'utf8' });
    assert.equal(query('PRAGMA integrity_check').trim(), '[{"integrity_check":"ok"}]');
    for (const sql of ['select * from test', 'select * from tm', 'select * from cj', 'select * from shezhi']) {
      assert.deepEqual(JSON.parse(query(sql)), server.rows(sql), sql);
    }
  } finally {
    await server.stop();
  }
});
