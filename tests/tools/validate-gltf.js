// Validates glTF files with the Khronos glTF validator; prints one line per
// file: "FILE: E errors, W warnings, I infos, H hints" and every message
// that is an error or a warning. Exits 1 when any file has an error or a
// warning, 2 when the validator cannot be loaded.
//   node validate-gltf.js NODE_MODULES_DIR FILE...
const fs = require("fs");
const path = require("path");

let validator;
try {
    validator = require(path.join(process.argv[2], "gltf-validator"));
} catch (error) {
    console.error("cannot load gltf-validator: " + error.message);
    process.exit(2);
}

async function validate(file) {
    const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), {
        maxIssues: 100,
    });
    const issues = report.issues;
    console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings, ` +
                `${issues.numInfos} infos, ${issues.numHints} hints`);
    for (const message of issues.messages)
        if (message.severity <= 1)
            console.log(`  ${message.code}: ${message.message} (${message.pointer || ""})`);
    return issues.numErrors + issues.numWarnings === 0;
}

(async () => {
    let clean = true;
    for (const file of process.argv.slice(3))
        clean = (await validate(file)) && clean;
    process.exit(clean ? 0 : 1);
})();
