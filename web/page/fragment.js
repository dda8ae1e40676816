// A scene handed over in the address's fragment ("#scene=" and the text,
// percent-encoded): it stays in the browser, never reaches a server, and is
// only ever put in the text box as text.

// A scene file is read up to 1 MiB: its encoding takes at most three
// characters a byte.
const longestFragment = 3 * (1 << 20) + 16;

// The scene text in `hash`, or null (with the reason in `refusal.reason`).
export function sceneFromFragment(hash, refusal = {}) {
    if (!hash.startsWith("#scene="))
        return null;
    if (hash.length > longestFragment) {
        refusal.reason = "the address holds more than a scene file's 1 MiB: not loaded";
        return null;
    }
    try {
        return decodeURIComponent(hash.slice("#scene=".length));
    } catch {
        refusal.reason = "the address's scene is not percent-encoded text: not loaded";
        return null;
    }
}
