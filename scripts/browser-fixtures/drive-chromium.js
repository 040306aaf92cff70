// Writes a Chromium profile as a user would: the test extension makes its
// bookmarks, then a page is visited and its form filled in and sent; given
// the port of the HTTPS site, both test sites store their data there (each
// with the other's frame inside), and the settings page allows the cookies
// of the first.
// Usage: node drive-chromium.js <chromium> <profile folder> <extension> <site> [<https port>]
const { chromium } = require("playwright-core");

// Time for the browser to write what it keeps in memory (bookmarks are saved
// a few seconds after a change, form entries by a background task).
const SettleMs = 8000;
// The test sites' host names all lead to the local site.
const TestSites = ["www.site-a.test", "www.site-b.test"];
const StoredMs = 30000;
// Settings > Site data: the first "Add" is the list of sites allowed to save data.
const SiteDataSettings = "chrome://settings/content/siteData";
const AllowedPattern = "[*.]site-a.test";
const UiMs = 1000;

async function allowCookies(page) {
  await page.goto(SiteDataSettings);
  await page.locator("cr-button", { hasText: "Add" }).first().click();
  await page.locator("add-site-dialog cr-input input").first().fill(AllowedPattern);
  await page.waitForTimeout(UiMs);
  await page.locator("add-site-dialog #add").click();
  await page.waitForTimeout(UiMs);
}

async function main() {
  const [executable, profile, extension, site, httpsPort] = process.argv.slice(2);
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
      "--host-resolver-rules=MAP *.test 127.0.0.1",
      "--ignore-certificate-errors",
    ],
    ignoreHTTPSErrors: true,
  });
  const page = context.pages()[0] || (await context.newPage());
  await page.goto(site);
  await page.fill("#email", "form-entry@example.com");
  await page.fill("#nickname", "form-entry-nickname");
  await page.fill("#city", "Formtown");
  await Promise.all([page.waitForURL(/thanks/), page.click("#send")]);
  await page.goto(site);
  for (const host of httpsPort ? TestSites : []) {
    await page.goto(`https://${host}:${httpsPort}/store`);
    await page.waitForFunction(() => document.title !== "storing", null, { timeout: StoredMs });
    if ((await page.title()) !== "stored")
      throw new Error(`${host}: ${await page.title()}`);
  }
  if (httpsPort) await allowCookies(page);
  await page.waitForTimeout(SettleMs);
  await context.close();
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
