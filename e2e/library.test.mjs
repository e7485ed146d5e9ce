// The shared-exam region of the exam list in a real browser, against a PostgreSQL server of
// the test's own (scripts/private-postgres.sh) holding a library made by scripts/library.sh.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync } from 'node:fs';
import { launchBrowser } from './lib/browser.mjs';
import { examServerProgram, adminPassword } from './lib/exam.mjs';
import { startServer } from './lib/server.mjs';
import { acceptDialogs, openPage, submitAndWait } from './lib/pages.mjs';

const scripts = new URL('../scripts/', import.meta.url).pathname;
const pgBin = process.env.PG_BIN || '/usr/lib/postgresql/15/bin';

// Starts the private server with a library in it; stop() removes it again.
function startLibrary() {
  const folder = execFileSync(`${scripts}private-postgres.sh`, ['start'], { encoding: 'utf8' }).trim();
  const stop = () => execFileSync(`${scripts}private-postgres.sh`, ['stop', folder]);
  try {
    execFileSync(`${scripts}library.sh`, [], {
      env: { ...process.env, PGHOST: folder, PGPORT: '5432', PGUSER: 'postgres' },
      stdio: 'ignore',
    });
  } catch (error) {
    stop();
    throw error;
  }
  return { connection: `host=${folder} port=5432 dbname=examlibrary user=examlibrary`, stop };
}

async function alertsAfter(page, action, expected = 1) {
  const seen = page.alerts.length;
  await submitAndWait(page, action);
  for (let i = 0; i < 40 && page.alerts.length < seen + expected; i++) await page.waitForTimeout(50);
  if (expected === 0) await page.waitForTimeout(100);
  return page.alerts.slice(seen);
}

test('the exam list finds a shared exam by number and loads it with its questions', {
  skip: existsSync(`${pgBin}/initdb`) ? false : `PostgreSQL server programs not found in ${pgBin}`,
}, async () => {
  const library = startLibrary();
  let server;
  let browser;
  try {
    server = await startServer(examServerProgram, ['-initdb', '-demo', '-password', adminPassword, '-headless',
      '-port', '0', '-bind', '127.0.0.1', '-library', library.connection]);
    const published = execFileSync(examServerProgram,
      ['-publish', '1', '-fbq', '30', '-yykl', 'Ab', '-library', library.connection],
      { cwd: server.folder, encoding: 'utf8' });
    assert.equal(published, 'Published exam 1. Shared exam number: 1\n');
    const rows = (sql) => JSON.parse(execFileSync('sqlite3', ['-cmd', '.timeout 5000', '-json',
      `${server.folder}/db1.db`, sql], { encoding: 'utf8' }) || '[]');

    browser = await launchBrowser();
    const page = await openPage(browser, server.url, 'text=【系统设置】');
    page.alerts = [];
    acceptDialogs(page, page.alerts);
    await submitAndWait(page, () => page.click('a:has-text("【系统设置】")'));
    await page.fill('#WFEDIT1', adminPassword);
    await submitAndWait(page, () => page.click('#WFBUTTON1'));
    await page.waitForSelector('#tblWFGRID1');

    assert.equal(await page.isVisible('text=从栎川云载入考试数据'), false);
    await submitAndWait(page, () => page.click('a:has-text("【从栎川云载入】")'));
    assert.equal(await page.isVisible('text=从栎川云载入考试数据'), true);
    assert.equal(await page.isVisible('#WFEDIT8'), false);
    assert.equal(await page.getAttribute('#WFBUTTON3', 'value'), '查找');

    await page.fill('#WFEDIT7', '第一');
    assert.deepEqual(await alertsAfter(page, () => page.click('#WFBUTTON3')), ['考试编号必须为数字，请检查！！！']);
    await page.fill('#WFEDIT7', '99');
    assert.deepEqual(await alertsAfter(page, () => page.click('#WFBUTTON3')), ['考试编号错误，请检查！！！']);
    await page.fill('#WFEDIT7', ' 1 ');
    assert.deepEqual(await alertsAfter(page, () => page.click('#WFBUTTON3'), 0), []);
    assert.equal(await page.inputValue('#WFEDIT8'), '常识小测验');
    assert.equal(await page.isVisible('text=应用口令'), true);
    assert.equal(await page.getAttribute('#WFEDIT7', 'readonly'), '');
    assert.equal(await page.getAttribute('#WFBUTTON3', 'value'), '载入');

    await page.fill('#WFEDIT9', 'ab');
    assert.deepEqual(await alertsAfter(page, () => page.click('#WFBUTTON3')), ['应用口令错误，请检查！！！']);
    assert.equal(rows('select count(*) as n from test')[0].n, 1);
    await page.fill('#WFEDIT8', '常识（共享）');
    await page.fill('#WFEDIT9', 'Ab');
    assert.deepEqual(await alertsAfter(page, () => page.click('#WFBUTTON3'), 0), []);

    assert.deepEqual(rows('select id, 考试名称, wid from test order by id'),
      [{ id: 1, '考试名称': '常识小测验', wid: null }, { id: 2, '考试名称': '常识（共享）', wid: 1 }]);
    assert.deepEqual(rows('select 题型, 题目, 候选项, 答案, 分数 from tm where testid=2 order by id'),
      rows('select 题型, 题目, 候选项, 答案, 分数 from tm where testid=1 order by id'));

    await submitAndWait(page, () => page.click('#WFLINK9'));
    assert.equal(await page.isVisible('text=从栎川云载入考试数据'), false);
  } finally {
    if (browser) await browser.close();
    if (server) await server.stop();
    library.stop();
  }
});
