// The vendor's pages served by the exam server itself (started without -vendor): the
// banner in every page's header, the answer review after a hand-in, the manual, the news
// page and the product page, and review posts that carry hostile markup.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { launchBrowser } from './lib/browser.mjs';
import { startExamServer, adminPassword } from './lib/exam.mjs';
import { acceptDialogs, submitAndWait, waitUntilReady } from './lib/pages.mjs';

let browser;

before(async () => { browser = await launchBrowser(); });
after(async () => { await browser.close(); });

function sqlText(text) {
  return "'" + text.replaceAll("'", "''") + "'";
}

const lines = (...options) => options.map((option) => option + '\r\n').join('');

// Adds an exam with its questions ([type, text, options, answer, points]); returns its id.
function addExam(server, name, questions, { set1 = 0, set5 = 0 } = {}) {
  server.exec(`INSERT INTO test (考试名称,set1,set3,set5) VALUES (${sqlText(name)},${set1},1,${set5})`);
  const [{ id }] = server.rows('select max(id) as id from test');
  for (const [type, text, options, answer, points] of questions) {
    server.exec(`INSERT INTO tm (testid,题型,题目,候选项,答案,分数) VALUES (${id},${sqlText(type)},` +
                `${sqlText(text + '\r\n')},${sqlText(options)},${sqlText(answer)},${points})`);
  }
  return id;
}

const reviewExam = [
  ['单选题', '我国的首都是哪座城市？', lines('A.上海', 'B.北京', 'C.广州'), 'B', 2],
  ['多选题', '下列哪些是哺乳动物？', lines('A.鲸', 'B.鲨鱼', 'C.蝙蝠'), 'AC', 3],
  ['判断题', '月亮自己会发光。', lines('A.对', 'B.错'), 'B', 1.5],
];

// A page that records every dialog it raises and accepts it.
async function newPage() {
  const page = await browser.context.newPage();
  page.dialogs = [];
  acceptDialogs(page, page.dialogs);
  return page;
}

// The banner frame of the page shown: loaded from this server with status 200, its text,
// and whether its content fits the 660 x 60 frame without scrolling.
async function bannerOf(page, statuses) {
  const frame = await (async () => {
    for (let i = 0; i < 100; i++) {
      const found = page.frames().find((candidate) => candidate.url().endsWith('/zxtest/bannerkhd.html'));
      if (found) return found;
      await page.waitForTimeout(50);
    }
    return null;
  })();
  assert.ok(frame, `no banner frame on ${await page.title()}`);
  await frame.waitForSelector('.product');
  const box = await frame.evaluate(() => ({
    text: document.body.innerText,
    width: document.documentElement.scrollWidth,
    height: document.documentElement.scrollHeight,
  }));
  assert.ok(statuses.get(frame.url()) === 200, `banner status ${statuses.get(frame.url())}`);
  return box;
}

async function openHome(server, page) {
  await page.goto(server.url + '/');
  await page.waitForSelector('#tblWFGRID1');
  await waitUntilReady(page);
}

async function handIn(server, page, examName, candidate, choose) {
  await openHome(server, page);
  await submitAndWait(page, () => page.locator('#tblWFGRID1 a', { hasText: examName }).first().click());
  await page.waitForSelector('#WFBUTTON4');
  await choose(page);
  await page.fill('#WFEDIT1', candidate);
  await submitAndWait(page, () => page.click('#WFBUTTON4'));
  assert.equal(await page.title(), '交卷完成---栎川考试系统');
}

// Clicks the review button and returns the window it opens, loaded.
async function openReview(page) {
  const [review] = await Promise.all([browser.context.waitForEvent('page'), page.click('#button')]);
  review.dialogs = [];
  acceptDialogs(review, review.dialogs);
  await review.waitForLoadState('load');
  return review;
}

test('every page of the candidate and the administrator shows the built-in banner, and the footer leads to the product page', async () => {
  const server = await startExamServer({ demo: true });
  try {
    const page = await newPage();
    const statuses = new Map();
    page.on('response', (response) => statuses.set(response.url(), response.status()));
    const seen = [];
    const check = async () => {
      const banner = await bannerOf(page, statuses);
      assert.match(banner.text, /栎川在线考试系统/);
      assert.ok(banner.width <= 660 && banner.height <= 60, `banner ${banner.width}x${banner.height}`);
      seen.push(await page.title());
    };
    await openHome(server, page);
    await check();
    await submitAndWait(page, () => page.locator('#tblWFGRID1 a', { hasText: '常识小测验' }).first().click());
    await check();
    await page.fill('#WFEDIT1', '赵六');
    await submitAndWait(page, () => page.click('#WFBUTTON4'));
    await check();

    await openHome(server, page);
    await submitAndWait(page, () => page.click('text=【系统设置】'));
    await page.fill('#WFEDIT1', adminPassword);
    await submitAndWait(page, () => page.click('#WFBUTTON1'));
    await check();
    const row = page.locator('#tblWFGRID1 tr', { hasText: '常识小测验' });
    await submitAndWait(page, () => row.locator('a', { hasText: '点击设置' }).click());
    await check();
    await submitAndWait(page, () => page.click('text=【查看统计信息】'));
    await check();
    assert.deepEqual(seen, ['首页---栎川考试系统', '考试页面---栎川考试系统', '交卷完成---栎川考试系统',
                            '考试列表---栎川考试系统', '考试设置---栎川考试系统', '考试成绩及统计---栎川考试系统']);

    const [home] = await Promise.all([browser.context.waitForEvent('page'),
                                      page.click('a:has-text("枫岚软件工作室")')]);
    const response = await home.waitForResponse((reply) => reply.url().endsWith('/home')).catch(() => null);
    await home.waitForLoadState('load');
    assert.equal(new URL(home.url()).pathname, '/home');
    assert.ok(response === null || response.status() === 200);
    assert.equal(await home.textContent('#version'), '1.1');
    assert.match(await home.textContent('#datafile'), /db1\.db$/);
    await home.close();
    // The hand-in's confirmation (naming the questions left unanswered) and nothing else: no
    // page raised an error.
    assert.deepEqual(page.dialogs, ['您还有 6 道题未作答（第 1、2、3、4、5、6 题），确定要交卷吗？']);
    await page.close();
  } finally {
    await server.stop();
  }
});

test('the review after a hand-in opens in a new window and marks every question as the exam scored it', async () => {
  const server = await startExamServer();
  try {
    addExam(server, '回顾考试', reviewExam);
    const page = await newPage();
    await handIn(server, page, '回顾考试', '钱七', async (exam) => {
      // First question right (B), second wrong (A only), third left empty.
      await exam.check('#WFRADIOGROUP1_INPUT_2');
      await submitAndWait(exam, () => exam.click('#WFBUTTON2'));
      await exam.check('input[name="XA_CHECKBOX"]');
      await submitAndWait(exam, () => exam.click('#WFBUTTON2'));
    });
    assert.equal(await page.textContent('#WFLABEL2'), '姓名：钱七  成绩：2');
    const review = await openReview(page);
    assert.equal(await review.title(), '答题详情---回顾考试');
    assert.equal(await review.textContent('#examname'), '回顾考试');
    assert.equal(await review.textContent('#candidate'), '钱七');
    assert.equal(await review.textContent('#score'), '2');

    // The marks follow the stored answers: right exactly where the answer equals the key.
    const stored = server.rows('select tm.id as id, 答案 as answer, zd from tm, dtxb where tm.id = dtxb.tmid');
    const expected = Object.fromEntries(stored.map((row) => [`#${row.id}`, row.answer === row.zd ? 'tilok' : 'tilerr']));
    const marks = await review.$$eval('#questions li', (items) =>
      items.map((item) => [item.querySelector('a').getAttribute('href'), item.className, item.textContent.trim()]));
    assert.equal(marks.length, 3);
    for (const [href, mark, text] of marks) {
      assert.equal(mark, expected[href], text);
      assert.ok(text.startsWith(mark === 'tilok' ? '[对]' : '[错]'), text);
    }
    assert.deepEqual(marks.map(([, mark]) => mark).sort(), ['tilerr', 'tilerr', 'tilok']);

    // Each question links to its details, which link back to the list.
    const [href] = marks[1];
    await review.click(`#questions a[href="${href}"]`);
    assert.equal(new URL(review.url()).hash, href);
    const details = review.locator('.nr', { has: review.locator(`a[name="${href.slice(1)}"]`) });
    assert.equal(await details.locator('.fh a').getAttribute('href'), '#top');
    assert.match(await details.locator('.zdok, .zderr').textContent(), /^标准答案：/);
    assert.equal(await review.locator('.nr').count(), 3);
    assert.equal(await review.locator('.zderr').count(), 2);
    assert.deepEqual(review.dialogs, []);
    await review.close();
    await page.close();
  } finally {
    await server.stop();
  }
});

const payloads = [
  '<script>window.pwned=1;alert("script")</script>',
  '<img src=x onerror="window.pwned=2;alert(\'img\')">',
  '<svg onload="window.pwned=3;alert(\'svg\')"><circle r="5"></circle></svg>',
  '<a href="javascript:window.pwned=4;alert(\'link\')" id="jslink">点我</a>',
  '<div class="nr" onmouseover="window.pwned=5" id="hover">悬停</div>',
  '<iframe srcdoc="<script>parent.pwned=6;parent.alert(1)</script>"></iframe>',
  '"><script>window.pwned=7</script>',
  "'><img src=x onerror=window.pwned=8>",
  '<div class="nr"<script>window.pwned=9</script>',
  '&lt;script&gt;window.pwned=10&lt;/script&gt;',
  '<a href="&#106;avascript:window.pwned=11">实体</a>',
  '<style>body{display:none}</style><li class="tilok" onclick="window.pwned=12">x</li>',
  '</div></ol></body><script>window.pwned=13</script>',
];

test('hostile markup in every review field runs nothing, and the review around it still renders', async () => {
  const server = await startExamServer();
  try {
    addExam(server, '攻击测试', reviewExam);
    const page = await newPage();
    await handIn(server, page, '攻击测试', '孙八', async (exam) => { await exam.check('#WFRADIOGROUP1_INPUT_2'); });
    const attack = payloads.join('\r\n');
    // Every field gets the payloads; the two markup fields keep their own markup before them.
    await page.evaluate((text) => {
      for (const input of document.querySelectorAll('#upym input[type="hidden"]')) input.value += text;
    }, attack);
    const review = await openReview(page);
    await review.mouse.move(200, 300);
    for (const selector of ['#jslink', '#hover']) {
      if (await review.locator(selector).count()) await review.click(selector).catch(() => {});
    }
    await review.waitForTimeout(300);
    assert.deepEqual(review.dialogs, []);
    assert.equal(await review.evaluate(() => window.pwned), undefined);
    assert.equal(await review.locator('script, iframe, svg, img, style:not(head style)').count(), 0);
    const handlers = await review.$$eval('body *', (elements) =>
      elements.flatMap((element) => [...element.attributes].map((attribute) => attribute.name))
        .filter((name) => name.startsWith('on') || name === 'style' || name === 'src'));
    assert.deepEqual(handlers, []);
    assert.equal(await review.locator('a[href^="javascript"], a[href*="avascript"]').count(), 0);

    // The payloads are shown as text, and the legitimate review is all there.
    assert.ok((await review.textContent("#candidate")).startsWith(`孙八${payloads[0]}`));
    assert.equal(await review.locator('#questions li.tilok').count(), 1);
    assert.equal(await review.locator('#questions li.tilerr').count(), 2);
    assert.equal(await review.locator('#details .nr').count(), 3);
    assert.match(await review.textContent('#details'), /<svg onload=/);
    await review.close();
    await page.close();
  } finally {
    await server.stop();
  }
});

test('a review post without its fields gets a short message; unknown vendor paths are not found', async () => {
  const server = await startExamServer();
  try {
    const page = await newPage();
    const reply = await page.goto(server.url + '/zxtest/up.asp');
    assert.equal(reply.status(), 400);
    assert.match(await page.textContent('#message'), /没有收到答题数据/);
    assert.equal((await page.goto(server.url + '/zxtest/nothing.asp')).status(), 404);
    assert.match(reply.headers()['content-security-policy'], /script-src 'none'/);
    await page.close();
  } finally {
    await server.stop();
  }
});

test('the manual and the news page load from the exam server', async () => {
  const server = await startExamServer({ demo: true });
  try {
    const page = await newPage();
    const manual = await page.goto(server.url + '/zxtest/manual.html');
    assert.equal(manual.status(), 200);
    assert.equal(new URL(page.url()).pathname, '/zxtest/manual/');
    assert.equal(await page.textContent('main h1'), '使用手册');
    const chapters = await page.$$eval('main ol a', (links) => links.map((link) => link.getAttribute('href')));
    assert.deepEqual(chapters, ['install.html', 'candidate.html', 'exams.html', 'switches.html', 'results.html',
                                'trouble.html']);
    for (const chapter of chapters) {
      const reply = await page.goto(`${server.url}/zxtest/manual/${chapter}`);
      assert.equal(reply.status(), 200, chapter);
      assert.ok((await page.textContent('main h1')).length > 0, chapter);
      const images = await page.$$eval('main img', (all) => all.map((image) => [image.src, image.naturalWidth]));
      for (const [src, width] of images) assert.ok(width > 0, `${chapter}: ${src}`);
      const background = await page.evaluate(() => getComputedStyle(document.querySelector('header')).backgroundColor);
      assert.equal(background, 'rgb(90, 70, 48)', `${chapter}: the style sheet`);
    }

    const news = await page.goto(server.url + '/zxtest/mshow.html');
    assert.equal(news.status(), 200);
    const port = new URL(server.url).port;
    const addresses = await page.$$eval('li', (items) => items.map((item) => item.textContent));
    assert.ok(addresses.includes(`http://127.0.0.1:${port}/`), addresses.join(' '));
    assert.match(await page.textContent('#sessions'), /^\d+$/);
    assert.equal(await page.textContent('#papers'), '0');
    assert.equal(await page.getAttribute('meta[http-equiv="refresh"]', 'content'), '30');
    assert.deepEqual(page.dialogs, []);
    await page.close();
  } finally {
    await server.stop();
  }
});
