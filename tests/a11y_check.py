"""Reads the running program through the accessibility bus, as a screen
reader would, and checks what one needs to find its way round the main
window: a status bar whose panels are labels with their texts, toolbar
buttons named by their tool tips, and a named folder tree and file list.

usage: a11y_check.py <application name> <expected panel text>"""
import sys
import time

import pyatspi

app_name, panel_text = sys.argv[1], sys.argv[2]


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


def find_app():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == app_name:
            return app
    return None


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
    app = find_app()
    if app is None:
        return None
    for node in walk(app):
        if node.getRole() == pyatspi.ROLE_FRAME and node.name.startswith(app_name):
            bars = [n for n in walk(node) if n.getRole() == pyatspi.ROLE_STATUS_BAR]
            if bars and any(c.name for c in walk(bars[0]) if c is not bars[0]):
                return node
    return None


frame = None
deadline = time.monotonic() + 60
while time.monotonic() < deadline:
    try:
        frame = probe()
    except Exception:
        frame = None
    if frame is not None:
        break
    time.sleep(0.5)
if frame is None:
    sys.exit("no main window with a status bar on the accessibility bus")
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
    if not any(l.name == panel_text for l in labels):
        faults.append("no status panel reads %r: %r" % (panel_text, [l.name for l in labels]))

buttons = [n for n in nodes
           if n.getRole() in (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON)
           and any(p.getRole() == pyatspi.ROLE_TOOL_BAR for p in [n.parent])]
if len(buttons) < 20:
    faults.append("only %d toolbar buttons" % len(buttons))
for b in buttons:
    if not b.name:
        faults.append("a toolbar button without a name (tool tip %r)" % b.description)
    elif b.description and b.name != b.description:
        faults.append("button %r has tool tip %r" % (b.name, b.description))

names_by_role = {}
for n in nodes:
    names_by_role.setdefault(role(n), set()).add(n.name)
tree_names = names_by_role.get("tree", set()) | names_by_role.get("tree table", set())
list_names = (names_by_role.get("table", set()) | names_by_role.get("list", set())
              | names_by_role.get("tree table", set()))
if "Folders" not in tree_names:
    faults.append("no tree named 'Folders': %r" % tree_names)
if "Files" not in list_names:
    faults.append("no list named 'Files': %r" % list_names)

if faults:
    print("\n".join(faults))
    dump(frame)
    sys.exit(1)
print("accessibility: %d toolbar buttons named, status bar with %d labels"
      % (len(buttons), len(labels)))
