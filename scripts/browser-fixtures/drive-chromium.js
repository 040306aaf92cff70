// Writes a Chromium profile as a user would: the test extension makes its
// bookmarks, then a page is visited and its form filled in and sent.
// Usage: node drive-chromium.js <chromium> <profile folder> <extension> <site>
const { chromium } = require("playwright-core");

// Time for the browser to write what it keeps in memory (bookmarks are saved
// a few seconds after a change, form entries by a background task).
const SettleMs = 8000;

async function main() {
  const [executable, profile, extension, site] = process.argv.slice(2);
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: executable,
    headless: true,
    // The test extension must load; every other default stays.
    ignoreDefaultArgs: ["--disable-extensions"],
    args: [
      "--no-sandbox",
      "--disable-gpu",
      "--disable-quic",
      `--disable-extensions-except=${extension}`,
      `--load-extension=${extension}`,
    ],
  });
  const page = context.pages()[0] || (await context.newPage());
  await page.goto(site);
  await page.fill("#email", "form-entry@example.com");
  await page.fill("#nickname", "form-entry-nickname");
  await page.fill("#city", "Formtown");
  await Promise.all([page.waitForURL(/thanks/), page.click("#send")]);
  await page.goto(site);
  await page.waitForTimeout(SettleMs);
  await context.close();
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
