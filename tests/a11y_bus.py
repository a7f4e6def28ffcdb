"""What the checks that read the running program through the accessibility
bus share: walking its objects, finding the program, and waiting for what
comes and goes while it starts."""
import time

import pyatspi


def walk(node, depth=0):
    """The node and everything under it, depth first (at most 40 levels deep
    and 500 children of any object); objects that vanish while read are
    passed over."""
    if node is None or depth > 40:
        return
    yield node
    for i in range(min(node.childCount, 500)):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        yield from walk(child, depth + 1)


def find_app(name):
    """The application of that name on the bus, or None."""
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == name:
            return app
    return None


def top_windows(app_name):
    """The top-level windows of the application of that name."""
    app = find_app(app_name)
    if app is None:
        return
    for i in range(app.childCount):
        window = app.getChildAtIndex(i)
        if window is not None:
            yield window


def poll(find, seconds=60, pause=0.5):
    """What find() returns once it is something; None when that takes longer
    than seconds. A find that raises (objects come and go while a window
    opens) counts as finding nothing."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            found = find()
        except Exception:
            found = None
        if found:
            return found
        time.sleep(pause)
    return None


def status_labels(window):
    """The labels of the window's first status bar: its panels."""
    bars = [n for n in walk(window) if n.getRole() == pyatspi.ROLE_STATUS_BAR]
    return [n for n in walk(bars[0]) if n.getRole() == pyatspi.ROLE_LABEL] if bars else []
