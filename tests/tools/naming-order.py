#!/usr/bin/env python3
"""Reads a system-call trace (strace -f -y -s 0 -e trace=openat,write,pwrite64,
fsync,fdatasync,linkat,renameat,renameat2) and checks that every file given its
final name was synced before it took that name, and its folder after:

- the last thing done to the file's descriptor before the name is an fsync
  (or fdatasync), not a write, so the bytes are on disk when the name is;
- the folder holding the name is synced after it, so the name is too.

Temporary names (.vextal-*) are steps on the way, not checked. Prints the
names checked, one a line, and each problem; exits 1 on a problem.
    naming-order.py TRACE
"""
import re
import sys

CALL = re.compile(r"^(\d+)\s+(?:<\.\.\. )?(\w+)(?:\(| resumed>)(.*)$")
FD = re.compile(r"(\d+)<([^>]*)>")


def events(lines):
    """(call, arguments and result) in the order the calls were made; a call
    split by another thread's is taken where it started, with its result."""
    trace, unfinished = [], {}
    for line in lines:
        match = CALL.match(line)
        if not match:
            continue
        pid, call, rest = match.groups()
        if " resumed>" in line:
            if pid in unfinished:
                trace[unfinished.pop(pid)][1] += rest
        elif rest.endswith("<unfinished ...>"):
            unfinished[pid] = len(trace)
            trace.append([call, rest[:-len("<unfinished ...>")]])
        else:
            trace.append([call, rest])
    return [tuple(event) for event in trace]


def main():
    trace = events(open(sys.argv[1], errors="replace").read().splitlines())
    problems, checked = [], []
    named = {}  # a file's path, as last named, to the descriptor it was written through
    for index, (call, text) in enumerate(trace):
        result = re.search(r"= (\d+)<([^>]*)>\s*$", text)
        if call == "openat" and result and ("O_CREAT" in text or "O_TMPFILE" in text):
            named[result.group(2)] = int(result.group(1))
            continue
        if call == "linkat":
            match = re.match(r'[^,]*, "([^"]*)", (\d+)<([^>]*)>, "([^"]*)"', text)
            if not match or not text.rstrip().endswith("= 0"):
                continue
            source = re.match(r"/proc/self/fd/(\d+)$", match.group(1))
            fd = int(source.group(1)) if source else named.get(match.group(1))
            folder, name = match.group(3), match.group(4)
        elif call in ("renameat", "renameat2"):
            match = re.match(r'(\d+)<([^>]*)>, "([^"]*)", (\d+)<([^>]*)>, "([^"]*)"', text)
            if not match or not re.search(r"= 0\s*$", text):
                continue
            fd = named.get(match.group(2) + "/" + match.group(3))
            folder, name = match.group(5), match.group(6)
        else:
            continue
        path = folder + "/" + name
        named[path] = fd
        if name.startswith(".vextal-"):
            continue
        checked.append(path)
        last = None
        for call_before, text_before in reversed(trace[:index]):
            fd_before = FD.match(text_before)
            if fd_before and int(fd_before.group(1)) == fd and call_before in (
                    "write", "pwrite64", "writev", "fsync", "fdatasync"):
                last = call_before
                break
            opened = re.search(r"= (\d+)<", text_before)
            if call_before == "openat" and opened and int(opened.group(1)) == fd:
                break
        if last not in ("fsync", "fdatasync"):
            problems.append(f"{path}: named after {last or 'no sync'} of its descriptor, not after fsync")
        folder_synced = any(
            call_after == "fsync" and (m := FD.match(text_after)) and m.group(2) == folder
            for call_after, text_after in trace[index + 1:])
        if not folder_synced:
            problems.append(f"{path}: its folder {folder} is not synced after the name")
    for path in checked:
        print(path)
    for problem in problems:
        print("FAIL:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
