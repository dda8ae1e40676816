#!/usr/bin/env python3
"""Writes the input storm as xdotool scripts, one per round, all drawn from one
random state so that a failing storm can be replayed exactly.

Usage: storm-events.py STATE ROUNDS EVENTS_PER_ROUND SETTLE_EVERY VIEWER OTHER OUTDIR

Writes OUTDIR/round-NN.xdo (NN from 01), OUTDIR/counts with one "kind count"
line per kind of event, and OUTDIR/release.xdo, which lets go of every key
and button the storm may hold. VIEWER and OTHER are X window ids: the viewer
and a second client that can take the keyboard focus.

Keys and buttons go through the X server's test extension (no --window), so
they reach whichever window has the focus or lies under the pointer, exactly
as a user's would. The script keeps a model of the window (shown, minimised
or withdrawn), of the focus and of the keys and buttons held, and only sends
what is valid in that state: an xdotool script stops at the first command
that fails. After every SETTLE_EVERY rounds the test puts the window back to
normal (shown, focused, 800 x 600, nothing held); the model does the same."""
import random
import string
import sys

# Keys as X key names. The viewer's own keys come first; the rest are keys
# it must ignore, modifiers and system keys (F10, anything with Alt).
ACTION_KEYS = ["r", "p", "f", "n", "e", "Prior", "Next", "Control_L", "Control_R"]
MODIFIERS = ["Control_L", "Control_R", "Alt_L", "Shift_L", "Shift_R"]
OTHER_KEYS = (list(string.ascii_lowercase) + list(string.digits) +
              ["F%d" % n for n in range(1, 13)] +
              ["space", "Escape", "Return", "Tab", "BackSpace", "Home", "End", "Insert",
               "Delete", "Left", "Right", "Up", "Down", "KP_Enter", "Pause"])
ALL_KEYS = sorted(set(ACTION_KEYS + MODIFIERS + OTHER_KEYS))

# Buttons: 1 left, 2 middle, 3 right; 4 and 5 turn the wheel.
BUTTON_SETS = [[1], [3], [1, 3], [3, 1], [2], [2, 1], [2, 3], [1, 2, 3]]

# Client sizes the storm asks for: the smallest X allows (1 by 1; X has no
# empty windows), thin strips, odd sizes, larger than the screen.
SIZES = [(1, 1), (1, 1), (1, 600), (800, 1), (2, 3), (17, 9), (333, 77), (640, 480),
         (1023, 767), (1200, 900), (800, 600)]

# Pointer positions relative to the viewer's client area, a little beyond it
# on every side so drags leave the window and come back.
X_RANGE = (-40, 840)
Y_RANGE = (-30, 640)


class Storm:
    def __init__(self, state, events_per_round, viewer, other):
        self.random = random.Random(state)
        self.events_per_round = events_per_round
        self.viewer = viewer
        self.other = other
        self.counts = {}
        self.settle()

    def settle(self):
        """The state the test restores at every settling point."""
        self.shown = "normal"  # or "minimised", "withdrawn"
        self.focus = "viewer"
        self.keys = []
        self.buttons = []

    def count(self, kind, amount=1):
        self.counts[kind] = self.counts.get(kind, 0) + amount

    def key_down(self, key, lines):
        lines.append("keydown --delay 0 %s" % key)
        if key not in self.keys:
            self.keys.append(key)
        self.count("key presses")

    def key_up(self, key, lines):
        lines.append("keyup --delay 0 %s" % key)
        if key in self.keys:
            self.keys.remove(key)
        self.count("key releases")

    def pointer_move(self, lines):
        x = self.random.randint(*X_RANGE)
        y = self.random.randint(*Y_RANGE)
        # "--": a negative coordinate is not an option.
        lines.append("mousemove --window %d -- %d %d" % (self.viewer, x, y))
        self.count("pointer moves")

    # One step of the storm: a few commands of one kind.
    def keyboard(self, lines):
        pick = self.random.random()
        if self.keys and pick < 0.4:
            self.key_up(self.random.choice(self.keys), lines)
        elif pick < 0.5:
            # A chord: a modifier held around another key, released in either order.
            modifier = self.random.choice(MODIFIERS)
            key = self.random.choice(ACTION_KEYS + OTHER_KEYS)
            self.key_down(modifier, lines)
            self.key_down(key, lines)
            first, second = (key, modifier) if self.random.random() < 0.7 else (modifier, key)
            self.key_up(first, lines)
            self.key_up(second, lines)
        elif pick < 0.55:
            # A release without a press.
            self.key_up(self.random.choice(ALL_KEYS), lines)
        else:
            pool = ACTION_KEYS if self.random.random() < 0.6 else MODIFIERS + OTHER_KEYS
            key = self.random.choice(pool)
            self.key_down(key, lines)
            if self.random.random() < 0.6:
                self.key_up(key, lines)

    def drag(self, lines):
        if self.buttons and self.random.random() < 0.5:
            # Let go, in any order, maybe somewhere else.
            if self.random.random() < 0.5:
                self.pointer_move(lines)
            self.random.shuffle(self.buttons)
            for button in self.buttons:
                lines.append("mouseup %d" % button)
                self.count("button releases")
            self.buttons = []
            return
        self.pointer_move(lines)
        for button in self.random.choice(BUTTON_SETS):
            if button not in self.buttons:
                lines.append("mousedown %d" % button)
                self.buttons.append(button)
                self.count("button presses")
        for _ in range(self.random.randint(1, 12)):
            self.pointer_move(lines)

    def wheel(self, lines):
        notches = self.random.randint(1, 6)
        lines.append("click --delay 0 --repeat %d %d" % (notches, self.random.choice([4, 5])))
        self.count("wheel turns", notches)

    def resize(self, lines):
        width, height = self.random.choice(SIZES)
        if self.random.random() < 0.3:
            width, height = self.random.randint(1, 1100), self.random.randint(1, 800)
        lines.append("windowsize %d %d %d" % (self.viewer, width, height))
        self.count("resizes")

    def show_state(self, lines):
        if self.shown == "minimised":
            lines.append("windowactivate %d" % self.viewer)
            self.shown, self.focus = "normal", "viewer"
            self.count("restores")
        elif self.shown == "withdrawn":
            lines.append("windowmap %d" % self.viewer)
            self.shown = "normal"
            self.count("restores")
        elif self.random.random() < 0.7:
            lines.append("windowminimize %d" % self.viewer)
            self.shown, self.focus = "minimised", "none"
            self.count("minimises")
        else:
            lines.append("windowunmap %d" % self.viewer)
            self.shown, self.focus = "withdrawn", "none"
            self.count("minimises")

    def focus_change(self, lines):
        # The other window is always shown, so it may also be focused directly;
        # the viewer only through the window manager, which waits until a
        # window it has just been asked to show can take the focus (a direct
        # focus on a window not yet shown is an X error, ending the script).
        if self.focus != "other":
            command = self.random.choice(["windowactivate", "windowfocus"])
            lines.append("%s %d" % (command, self.other))
            self.focus = "other"
        elif self.shown == "normal":
            lines.append("windowactivate %d" % self.viewer)
            self.focus = "viewer"
        else:
            return
        self.count("focus changes")

    def pause(self, lines):
        # Lets frames run between events, so the window changes under frames.
        lines.append("sleep %.3f" % self.random.uniform(0.005, 0.04))

    STEPS = [(keyboard, 30), (drag, 12), (pointer_move, 25), (wheel, 10), (resize, 5),
             (show_state, 3), (focus_change, 4), (pause, 4)]

    def round(self):
        lines = []
        steps = [step for step, _ in self.STEPS]
        weights = [weight for _, weight in self.STEPS]
        events_before = sum(self.counts.values())
        while sum(self.counts.values()) - events_before < self.events_per_round:
            self.random.choices(steps, weights)[0](self, lines)
        return lines


def main():
    if len(sys.argv) != 8:
        sys.exit(__doc__)
    state, rounds, per_round, settle_every = (int(value) for value in sys.argv[1:5])
    viewer, other = int(sys.argv[5]), int(sys.argv[6])
    outdir = sys.argv[7]
    storm = Storm(state, per_round, viewer, other)
    for number in range(1, rounds + 1):
        with open("%s/round-%02d.xdo" % (outdir, number), "w") as script:
            script.write("\n".join(storm.round()) + "\n")
        if number % settle_every == 0:
            storm.settle()
    with open("%s/release.xdo" % outdir, "w") as release:
        release.write("".join("keyup --delay 0 %s\n" % key for key in ALL_KEYS))
        release.write("mouseup 1\nmouseup 2\nmouseup 3\n")
    with open("%s/counts" % outdir, "w") as counts:
        for kind in sorted(storm.counts):
            counts.write("%s %d\n" % (kind.replace(" ", "_"), storm.counts[kind]))


if __name__ == "__main__":
    main()
