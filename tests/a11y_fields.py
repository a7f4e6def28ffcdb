"""Reads named text fields of one of the program's windows through the
accessibility bus, as a screen reader would: each must be found by its name
and read out its current text.

usage: a11y_fields.py <application name> <window title> <name>=<text>..."""
import sys
import time

import pyatspi

app_name, title = sys.argv[1], sys.argv[2]
wanted = dict(arg.split("=", 1) for arg in sys.argv[3:])


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for i in range(min(node.childCount, 500)):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        yield from walk(child, depth + 1)


def find_window():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is None or app.name != app_name:
            continue
        for j in range(app.childCount):
            window = app.getChildAtIndex(j)
            if window is not None and window.name == title:
                return window
    return None


def text_of(node):
    try:
        text = node.queryText()
    except NotImplementedError:
        return None
    return text.getText(0, text.characterCount)


window = None
deadline = time.monotonic() + 60
while window is None and time.monotonic() < deadline:
    try:
        window = find_window()
    except Exception:
        window = None
    if window is None:
        time.sleep(0.5)
if window is None:
    sys.exit("no window %r on the accessibility bus" % title)

faults = []
read = {}
for node in walk(window):
    if node.name in wanted:
        read[node.name] = text_of(node)
for name, text in wanted.items():
    if name not in read:
        faults.append("nothing named %r" % name)
    elif read[name] != text:
        faults.append("%r reads %r, not %r" % (name, read[name], text))
if faults:
    sys.exit("\n".join(faults))
print("accessibility of %r: %s" % (title, ", ".join("%s %s" % kv for kv in read.items())))
