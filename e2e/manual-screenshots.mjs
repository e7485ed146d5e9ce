// Takes the screenshots of the manual (resources/vendor/manual/*.png) from a fresh server
// with the sample exam: node manual-screenshots.mjs (EXAMSERVER names the program).
import { join } from 'node:path';
import { launchBrowser } from './lib/browser.mjs';
import { startExamServer, adminPassword } from './lib/exam.mjs';
import { submitAndWait, waitUntilReady } from './lib/pages.mjs';

const folder = new URL('../resources/vendor/manual/', import.meta.url).pathname;

async function shoot(page, name, height) {
  await page.waitForTimeout(300);
  await page.screenshot({ path: join(folder, name), clip: { x: 0, y: 0, width: 1000, height } });
}

const server = await startExamServer({ demo: true });
const browser = await launchBrowser();
try {
  server.exec("update test set set3=1, set5=0, 考试标识='一班'");
  const page = await browser.context.newPage();
  await page.setViewportSize({ width: 1000, height: 760 });
  page.on('dialog', (dialog) => dialog.accept().catch(() => {}));
  await page.goto(server.url + '/');
  await page.waitForSelector('#tblWFGRID1');
  await waitUntilReady(page);
  await shoot(page, 'home.png', 330);

  await submitAndWait(page, () => page.locator('#tblWFGRID1 a', { hasText: '常识小测验' }).first().click());
  await page.check('#WFRADIOGROUP1_INPUT_2');
  await submitAndWait(page, () => page.click('#WFBUTTON2'));
  await page.check('#WFRADIOGROUP1_INPUT_3');
  await page.fill('#WFEDIT1', '张三');
  await shoot(page, 'exam.png', 680);
  await submitAndWait(page, () => page.click('#WFBUTTON4'));
  const [review] = await Promise.all([browser.context.waitForEvent('page'), page.click('#button')]);
  await review.setViewportSize({ width: 1000, height: 760 });
  await review.waitForLoadState('load');
  await shoot(review, 'review.png', 620);
  await review.close();

  await page.goto(server.url + '/');
  await page.waitForSelector('#tblWFGRID1');
  await waitUntilReady(page);
  await submitAndWait(page, () => page.click('text=【系统设置】'));
  await page.fill('#WFEDIT1', adminPassword);
  await submitAndWait(page, () => page.click('#WFBUTTON1'));
  await shoot(page, 'examlist.png', 330);
  const row = page.locator('#tblWFGRID1 tr', { hasText: '常识小测验' });
  await submitAndWait(page, () => row.locator('a', { hasText: '点击设置' }).click());
  await shoot(page, 'settings.png', 520);
  await submitAndWait(page, () => page.click('text=【查看统计信息】'));
  await shoot(page, 'results.png', 560);
} finally {
  await browser.close();
  await server.stop();
}
