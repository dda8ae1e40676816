// The mean colour of the surface in pictures on a black background: the
// pixels with a channel above 8, as raw 8-bit RGB (ImageMagick's
// "convert PICTURE.png -depth 8 rgb:PICTURE.rgb"). Prints, per picture,
// "R G B PIXELS" with the means to one decimal.
//   node surface-colour.js PICTURE.rgb...
const fs = require("fs");

for (const file of process.argv.slice(2)) {
    const bytes = fs.readFileSync(file);
    const sum = [0, 0, 0];
    let count = 0;
    for (let k = 0; k + 2 < bytes.length; k += 3) {
        if (Math.max(bytes[k], bytes[k + 1], bytes[k + 2]) <= 8)
            continue;
        for (let c = 0; c < 3; ++c)
            sum[c] += bytes[k + c];
        ++count;
    }
    const mean = sum.map((s) => (count ? s / count : 0).toFixed(1));
    console.log(`${mean.join(" ")} ${count}`);
}
