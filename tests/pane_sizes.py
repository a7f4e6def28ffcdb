"""Prints where the main window's folder tree, file list and preview lie on
the screen, read through the accessibility bus once the window is up:

    Folders x y width height
    Files x y width height
    Preview x y width height

usage: pane_sizes.py <window title prefix>"""
import sys
import time

import pyatspi

title = sys.argv[1]
wanted = ("Folders", "Files", "Preview")


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for i in range(min(node.childCount, 200)):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        yield from walk(child, depth + 1)


def panes():
    """The panes by name, the outermost object of each name; None while the
    window is not up yet."""
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is None or app.name != "Kvo View":
            continue
        for frame in (n for n in walk(app, 38) if n.getRole() == pyatspi.ROLE_FRAME):
            if not frame.name.startswith(title):
                continue
            found = {}
            for node in walk(frame):
                if node.name in wanted and node.name not in found:
                    found[node.name] = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            if len(found) == len(wanted):
                return found
    return None


deadline = time.monotonic() + 60
found = None
while time.monotonic() < deadline:
    try:
        found = panes()
    except Exception:
        found = None
    if found:
        break
    time.sleep(0.5)
if not found:
    sys.exit("no window %r with its three panes on the accessibility bus" % title)
for name in wanted:
    e = found[name]
    print(name, e.x, e.y, e.width, e.height)
