// What every browser test does with the runtime's pages: open the start address and post.
// A page is locked from the moment it starts loading until its script has run, so "ready"
// means loaded and unlocked.

export const formsTestServer =
  process.env.FORMS_TESTSERVER || new URL('../../build/tests/forms_testserver', import.meta.url).pathname;

export async function waitUntilReady(page) {
  await page.waitForFunction(() => typeof IsLocked === 'function' && !IsLocked());
}

// Opens the start address in a new tab and waits for the element and the unlocked page.
export async function openPage(browser, url, selector) {
  const page = await browser.context.newPage();
  await page.goto(url + '/');
  await page.waitForSelector(selector);
  await waitUntilReady(page);
  return page;
}

// Runs an action that posts the page and waits until the answer is ready.
export async function submitAndWait(page, action) {
  await Promise.all([page.waitForNavigation(), action()]);
  await waitUntilReady(page);
}

// Accepts every dialog of the page, recording its message. A dialog may already be gone
// when its handler runs (the page navigated away), which is no failure.
export function acceptDialogs(page, messages, { alertsOnly = false } = {}) {
  page.on('dialog', (dialog) => {
    if (!alertsOnly || dialog.type() === 'alert') messages.push(dialog.message());
    dialog.accept().catch(() => {});
  });
}
