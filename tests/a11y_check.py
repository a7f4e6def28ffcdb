"""Reads the running program through the accessibility bus, as a screen
reader would, and checks what one needs to find its way round a window: a
status bar whose panels are labels with their texts, toolbar buttons named by
their tool tips, and its named views (the main window's folder tree and file
list, the viewer's picture).

usage: a11y_check.py <application name> <window title prefix>
                     <expected panel text, or ""> <least toolbar buttons>
                     <named view>..."""
import sys
import time

import pyatspi

from a11y_bus import find_app, poll, walk

app_name, title, panel_text = sys.argv[1], sys.argv[2], sys.argv[3]
least_buttons, views = int(sys.argv[4]), sys.argv[5:]


def role(node):
    return node.getRoleName()


def dump(node, depth=0):
    if node is None or depth > 12:
        return
    print("  " * depth + "%s %r (%r)" % (role(node), node.name, node.description))
    for i in range(min(node.childCount, 40)):
        dump(node.getChildAtIndex(i), depth + 1)


def probe():
    """The main window once its status bar has text; None while it starts
    (objects come and go while the splash screen closes)."""
    app = find_app(app_name)
    if app is None:
        return None
    for node in walk(app):
        if node.getRole() == pyatspi.ROLE_FRAME and node.name.startswith(title):
            bars = [n for n in walk(node) if n.getRole() == pyatspi.ROLE_STATUS_BAR]
            if bars and any(c.name for c in walk(bars[0]) if c is not bars[0]):
                return node
    return None


frame = poll(probe)
if frame is None:
    sys.exit("no window %r with a status bar on the accessibility bus" % title)
time.sleep(1)

faults = []
nodes = list(walk(frame))

bars = [n for n in nodes if n.getRole() == pyatspi.ROLE_STATUS_BAR]
if not bars:
    faults.append("no object with the status bar role")
else:
    labels = [n for n in walk(bars[0]) if n.getRole() == pyatspi.ROLE_LABEL]
    if len(labels) < 2:
        faults.append("status bar has %d labels" % len(labels))
    if panel_text and not any(l.name == panel_text for l in labels):
        faults.append("no status panel reads %r: %r" % (panel_text, [l.name for l in labels]))

buttons = [n for n in nodes
           if n.getRole() in (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON)
           and any(p.getRole() == pyatspi.ROLE_TOOL_BAR for p in [n.parent])]
if len(buttons) < least_buttons:
    faults.append("only %d toolbar buttons" % len(buttons))
for b in buttons:
    if not b.name:
        faults.append("a toolbar button without a name (tool tip %r)" % b.description)
    elif b.description and b.name != b.description:
        faults.append("button %r has tool tip %r" % (b.name, b.description))

names = {n.name for n in nodes}
for view in views:
    if view not in names:
        faults.append("nothing named %r" % view)

if faults:
    print("\n".join(faults))
    dump(frame)
    sys.exit(1)
print("accessibility of %r: %d toolbar buttons named, status bar with %d labels"
      % (frame.name, len(buttons), len(labels)))
