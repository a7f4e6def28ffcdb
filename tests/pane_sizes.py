"""Prints where the main window's folder tree, file list and preview lie on
the screen, read through the accessibility bus once the window is up:

    Folders x y width height
    Files x y width height
    Preview x y width height

usage: pane_sizes.py <window title prefix>"""
import sys

import pyatspi

from a11y_bus import find_app, poll, walk

title = sys.argv[1]
wanted = ("Folders", "Files", "Preview")


def panes():
    """The panes by name, the outermost object of each name; None while the
    window is not up yet."""
    app = find_app("Kvo View")
    if app is None:
        return None
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


found = poll(panes)
if not found:
    sys.exit("no window %r with its three panes on the accessibility bus" % title)
for name in wanted:
    e = found[name]
    print(name, e.x, e.y, e.width, e.height)
