// Opens the page at URL in a headless Chromium, presses its download buttons
// and saves what they give into OUT/1 (the first example as it opens: STL,
// 3MF, PLY, GLB, PNG) and OUT/2 (the ring torus on a 300 x 200 grid, as 3MF
// in inches 3 across, STL and GLB), as a visitor's browser saves them. Then
// takes the network away and checks that the page opens again from the
// browser's cache and builds another example.
//   node page-downloads.js NODE_MODULES URL OUT
// Exits 0 when every file was saved, 1 when not, 3 when puppeteer-core or
// Chromium cannot be started (the test is then skipped).
const fs = require("fs");
const os = require("os");
const path = require("path");

const [modules, url, out] = process.argv.slice(2);

// Waits until `name` is saved whole in `folder`.
async function saved(folder, name) {
    const file = path.join(folder, name);
    for (let tries = 0; tries < 600; ++tries) {
        if (fs.existsSync(file) && !fs.readdirSync(folder).some((f) => f.endsWith(".crdownload")))
            return;
        await new Promise((done) => setTimeout(done, 100));
    }
    throw new Error(`${name} was not saved`);
}

async function download(session, tab, folder, base, formats) {
    fs.mkdirSync(folder, {recursive: true});
    await session.send("Browser.setDownloadBehavior", {behavior: "allow", downloadPath: folder});
    for (const format of formats) {
        await tab.click(`button[data-format="${format}"]`);
        await saved(folder, `${base}.${format}`);
        const problem = await tab.$eval("#download-status", (status) => status.textContent);
        if (problem)
            throw new Error(problem);
    }
}

async function main() {
    let puppeteer;
    try {
        puppeteer = require(path.join(path.resolve(modules), "puppeteer-core"));
    } catch (error) {
        console.error("cannot load puppeteer-core: " + error.message);
        return 3;
    }
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), "page-downloads-"));
    let browser;
    try {
        browser = await puppeteer.launch({
            executablePath: process.env.CHROMIUM || "chromium", headless: true, userDataDir: profile,
            args: ["--no-sandbox", "--disable-gpu", "--enable-unsafe-swiftshader",
                   "--use-angle=swiftshader", "--disable-background-networking",
                   "--disable-component-update", "--no-first-run", "--window-size=1160,700"],
        });
    } catch (error) {
        console.error("cannot start Chromium: " + error.message.split("\n")[0]);
        fs.rmSync(profile, {recursive: true, force: true});
        return 3;
    }
    try {
        const tab = await browser.newPage();
        // A loaded machine (a parallel test run) can take longer than
        // puppeteer's 30 s for a step of the page.
        tab.setDefaultTimeout(120000);
        tab.setDefaultNavigationTimeout(120000);
        tab.on("pageerror", (error) => console.log(`page error: ${error.message}`));
        await tab.goto(url);
        await tab.waitForFunction("window.vextalPage && window.vextalPage.meshHash() !== null",
                                  {timeout: 60000});
        const session = await browser.target().createCDPSession();
        await download(session, tab, path.join(out, "1"), "starfish", ["stl", "3mf", "ply", "glb", "png"]);

        await tab.select("#examples", "ring-torus.vextal");
        await tab.waitForFunction(() => document.getElementById("scene").value.startsWith("\"tss"));
        await tab.type("#grid-slices", "300");
        await tab.type("#grid-rotations", "200");
        await tab.$eval("#grid-rotations", (field) => field.dispatchEvent(new Event("change")));
        await tab.select("#file-unit", "inch");
        await tab.type("#file-size", "3");
        const surface = await tab.evaluate(() => window.vextalPage.lastLoad().surface);
        console.log(`the view: ${surface}`);
        await download(session, tab, path.join(out, "2"), "ring-torus", ["3mf", "stl", "glb"]);

        await tab.evaluate(() => navigator.serviceWorker.ready);
        await tab.setOfflineMode(true);
        await tab.goto(url);
        await tab.waitForFunction("window.vextalPage && window.vextalPage.meshHash() !== null",
                                  {timeout: 60000});
        const first = await tab.evaluate(() => window.vextalPage.meshHash());
        await tab.select("#examples", "typed-klein-bottle.vextal");
        await tab.waitForFunction((kept) => window.vextalPage.meshHash() !== kept, {timeout: 60000},
                                  first);
        console.log("offline: the page opened again and built the typed Klein bottle");
        return 0;
    } catch (error) {
        console.error("the downloads failed: " + error.message.split("\n")[0]);
        return 1;
    } finally {
        await browser.close();
        fs.rmSync(profile, {recursive: true, force: true});
    }
}

main().then((status) => process.exit(status));
