// "Copy link": an address that holds the whole scene, the view and the
// colour mode in its fragment, which no browser sends to a server. The link
// is shown beside the button, copied when the browser lets the page, and
// put in the address bar so that a reload opens the same.
import {fragmentOf} from "./fragment.js";

export function linkOf(shown) {
    return location.href.replace(/#.*$/s, "") + fragmentOf(shown);
}

// shown() gives {text, camera, colour}: the surface drawn, as it is now.
export function followLinkButton(button, field, shown) {
    button.addEventListener("click", async () => {
        const link = linkOf(shown());
        field.value = link;
        field.hidden = false;
        // Past Chromium's 2 MB an address is refused: the field keeps it.
        try {
            history.replaceState(null, "", link);
        } catch {}
        try {
            await navigator.clipboard.writeText(link);
            button.textContent = "Link copied";
        } catch {
            // No clipboard for this page: the link stays selected to copy.
            field.select();
            button.textContent = "Copy link";
        }
    });
}
