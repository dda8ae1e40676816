// Opens a page in a headless Chromium and saves a screenshot of it, for tests
// of what a browser draws. The page is served over HTTP from ROOT (module
// scripts do not load from file://), with NODE_MODULES at /node_modules/;
// it says it is done by setting window.pageDone = true, or fails by setting
// window.pageError to a message. Pictures it leaves in window.pagePictures
// ({NAME: a PNG data URL}) are saved beside OUT.png as NAME.png. Chromium runs without a GPU (WebGL through
// SwiftShader), with a fresh profile in a temporary folder, removed after.
//   node headless-page.js NODE_MODULES ROOT PAGE OUT.png [WIDTHxHEIGHT]
// PAGE is a path under ROOT, with its query ("view.html?model=a.glb").
// Prints the page's console and errors. Exits 0 when the picture is saved,
// 1 when the page fails or takes longer than a minute, 3 when puppeteer-core
// or Chromium cannot be started (a test is then skipped). CHROMIUM names
// the browser (default: chromium on the PATH).
const fs = require("fs");
const http = require("http");
const os = require("os");
const path = require("path");

const [modulesGiven, rootGiven, page, out, size = "640x480"] = process.argv.slice(2);
const modules = path.resolve(modulesGiven), root = path.resolve(rootGiven);
const [width, height] = size.split("x").map(Number);

const types = {
    ".html": "text/html",
    ".css": "text/css",
    ".js": "text/javascript",
    ".mjs": "text/javascript",
    ".json": "application/json",
    ".glb": "model/gltf-binary",
    ".gltf": "model/gltf+json",
    ".png": "image/png",
    ".wasm": "application/wasm",
};

// Files under ROOT, and under NODE_MODULES for /node_modules/; nothing
// outside them.
function serve(request, response) {
    const url = decodeURIComponent(new URL(request.url, "http://localhost").pathname);
    const [base, rest] = url.startsWith("/node_modules/")
        ? [modules, url.slice("/node_modules/".length)]
        : [root, url.slice(1)];
    const file = path.resolve(base, rest);
    if (!file.startsWith(path.resolve(base) + path.sep) || !fs.existsSync(file) ||
        !fs.statSync(file).isFile()) {
        response.writeHead(404).end();
        return;
    }
    response.writeHead(200, {"Content-Type": types[path.extname(file)] || "application/octet-stream"});
    fs.createReadStream(file).pipe(response);
}

// The browser's full path: CHROMIUM, or chromium found on the PATH.
function browserPath() {
    if (process.env.CHROMIUM)
        return process.env.CHROMIUM;
    for (const folder of (process.env.PATH || "").split(path.delimiter)) {
        const candidate = path.join(folder, "chromium");
        if (folder && fs.existsSync(candidate))
            return candidate;
    }
    return "chromium";
}

async function main() {
    let puppeteer;
    try {
        puppeteer = require(path.join(modules, "puppeteer-core"));
    } catch (error) {
        console.error("cannot load puppeteer-core: " + error.message);
        return 3;
    }
    const server = http.createServer(serve);
    await new Promise((ready) => server.listen(0, "127.0.0.1", ready));
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), "headless-page-"));
    let browser;
    try {
        browser = await puppeteer.launch({
            executablePath: browserPath(),
            headless: true,
            userDataDir: profile,
            args: ["--headless", "--no-sandbox", "--disable-gpu", "--enable-unsafe-swiftshader",
                   "--use-angle=swiftshader", "--disable-background-networking",
                   "--disable-component-update", "--disable-sync", "--no-first-run",
                   "--no-default-browser-check", `--window-size=${width},${height}`],
        });
    } catch (error) {
        console.error("cannot start Chromium: " + error.message.split("\n")[0]);
        server.close();
        fs.rmSync(profile, {recursive: true, force: true});
        return 3;
    }
    let status = 0;
    try {
        const tab = await browser.newPage();
        await tab.setViewport({width, height, deviceScaleFactor: 1});
        tab.on("console", (message) => console.log(`page: ${message.text()}`));
        tab.on("pageerror", (error) => console.log(`page error: ${error.message}`));
        await tab.goto(`http://127.0.0.1:${server.address().port}/${page}`);
        await tab.waitForFunction("window.pageDone === true || window.pageError !== undefined",
                                  {timeout: 60000});
        const failure = await tab.evaluate(() => window.pageError);
        if (failure !== undefined) {
            console.error("the page failed: " + failure);
            status = 1;
        } else {
            await tab.screenshot({path: out});
            const pictures = await tab.evaluate(() => window.pagePictures || {});
            for (const [name, url] of Object.entries(pictures))
                fs.writeFileSync(path.join(path.dirname(out), path.basename(name) + ".png"),
                                 Buffer.from(url.replace(/^data:image\/png;base64,/, ""), "base64"));
        }
    } catch (error) {
        console.error("the page did not finish: " + error.message.split("\n")[0]);
        status = 1;
    } finally {
        await browser.close();
        server.close();
        fs.rmSync(profile, {recursive: true, force: true});
    }
    return status;
}

main().then((status) => process.exit(status));
