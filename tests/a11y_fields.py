"""Reads named text fields of one of the program's windows through the
accessibility bus, as a screen reader would: each must be found by its name
and read out its current text.

usage: a11y_fields.py <application name> <window title> <name>=<text>..."""
import sys

from a11y_bus import poll, top_windows, walk

app_name, title = sys.argv[1], sys.argv[2]
wanted = dict(arg.split("=", 1) for arg in sys.argv[3:])


def find_window():
    return next((w for w in top_windows(app_name) if w.name == title), None)


def text_of(node):
    try:
        text = node.queryText()
    except NotImplementedError:
        return None
    return text.getText(0, text.characterCount)


window = poll(find_window)
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
