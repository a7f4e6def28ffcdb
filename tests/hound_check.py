"""Drives Image Hound in the running program like a user with a mouse, and
reads it back like a screen reader: finds what to click through the
accessibility bus, clicks there with xdotool (real pointer events), and checks
what the window then shows and reports.

  1. Tools' "Image Hound" toolbar button opens the window; "Find File(s)"
     opens the folder chooser, which must start in the listed folder; Return
     chooses that folder and the summary appears in the status bar.
  2. Every tab of the default-sized window must be on show, inside the tab
     strip and the window, apart from the others, and clicking the middle of
     it must choose it and show its list (and only that list).
  3. On the GIF tab a click on the first result must show that picture in the
     preview at its natural size and count one view in "Odometer".

usage: hound_check.py <application name> <pictures folder> <settings file>
                      <images expected> [screenshot file]"""
import configparser
import subprocess
import sys
import time

import pyatspi

from a11y_bus import poll, status_labels, top_windows, walk

app_name, folder, settings_file = sys.argv[1], sys.argv[2], sys.argv[3]
expected_images = int(sys.argv[4])
shot = sys.argv[5] if len(sys.argv) > 5 else ""
TYPES = ["BMP", "CUR", "DIB", "EMF", "GIF", "ICO", "JPG", "WMF", "Other"]


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def extents(node):
    e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return (e.x, e.y, e.width, e.height)


def wait_for(what, find, seconds=30):
    found = poll(find, seconds, 0.2)
    if not found:
        sys.exit("timed out waiting for " + what)
    return found


def window(title, role=None):
    for w in top_windows(app_name):
        if w.name.startswith(title) and showing(w) and (role is None or w.getRole() == role):
            return w
    return None


def named(root, name, role=None):
    for n in walk(root):
        if n.name == name and (role is None or n.getRole() == role):
            return n
    return None


def click(node):
    x, y, w, h = extents(node)
    subprocess.run(["xdotool", "mousemove", str(x + w // 2), str(y + h // 2), "click", "1"],
                   check=True)


def status_texts(win):
    return [label.name for label in status_labels(win)]


def views():
    ini = configparser.RawConfigParser(strict=False)
    ini.optionxform = str
    ini.read(settings_file)
    return int(ini.get("Browser Options", "Odometer", fallback="0"))


def inside(inner, outer):
    x, y, w, h = inner
    ox, oy, ow, oh = outer
    return w > 0 and h > 0 and x >= ox and y >= oy and x + w <= ox + ow and y + h <= oy + oh


faults = []
main = wait_for("the main window", lambda: window("Kvo View 1", pyatspi.ROLE_FRAME), 60)
time.sleep(1)
click(wait_for("the Image Hound button", lambda: named(main, "Image Hound", pyatspi.ROLE_PUSH_BUTTON)))
hound = wait_for("Image Hound", lambda: window("Image Hound"))
time.sleep(0.5)
click(wait_for("Find File(s)", lambda: named(hound, "Find File(s)", pyatspi.ROLE_PUSH_BUTTON)))
chooser = wait_for("the folder chooser", lambda: window("Choose the root folder"))
time.sleep(1)
# The chooser's folder box names the folder it opened on.
boxes = [n.name for n in walk(chooser) if n.getRole() == pyatspi.ROLE_COMBO_BOX]
if folder.rstrip("/") not in [b.rstrip("/") for b in boxes]:
    sys.exit("the folder chooser opened on %r, not on %s" % (boxes, folder))
subprocess.run(["xdotool", "key", "Return"], check=True)
# The chooser answers with the folder's path, without a closing "/".
summary = "%d images were found for your query under the folder %s." % (
    expected_images, folder.rstrip("/"))
wait_for("the summary %r" % summary, lambda: summary in status_texts(hound))
time.sleep(0.5)


def screenshot(path):
    if not path:
        return
    wid = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Image Hound$"],
                         capture_output=True, text=True).stdout.split()
    if wid:
        subprocess.run(["import", "-window", wid[0], path])


screenshot(shot)

strip = next((n for n in walk(hound) if n.getRole() == pyatspi.ROLE_PAGE_TAB_LIST), None)
if strip is None:
    sys.exit("no page tab list")
if strip.name != "Image types":
    faults.append("the page tab list is named %r" % strip.name)
strip_box, window_box = extents(strip), extents(hound)
tabs = [strip.getChildAtIndex(i) for i in range(strip.childCount)]
names = [t.name.split(" ")[0] for t in tabs]
if names != TYPES:
    faults.append("tabs %r" % [t.name for t in tabs])
boxes = []
for t in tabs:
    box = extents(t)
    if not showing(t):
        faults.append("tab %r is not on show" % t.name)
    if not inside(box, strip_box) or not inside(box, window_box):
        faults.append("tab %r at %r lies outside the strip %r or the window %r"
                      % (t.name, box, strip_box, window_box))
    for other, obox in boxes:
        x, y, w, h = box
        ox, oy, ow, oh = obox
        if x < ox + ow and ox < x + w and y < oy + oh and oy < y + h:
            faults.append("tabs %r and %r overlap" % (t.name, other))
    boxes.append((t.name, box))

# Each tab, clicked where it is drawn, is chosen and shows its own list.
for kind, t in list(zip(TYPES, tabs[: len(TYPES)]))[::-1]:
    click(t)
    time.sleep(0.4)
    if not t.getState().contains(pyatspi.STATE_SELECTED):
        faults.append("a click on tab %r did not choose it" % t.name)
    shown = [n.name for n in walk(hound)
             if n.getRole() == pyatspi.ROLE_LIST and n.name.endswith(" images found") and showing(n)]
    if shown != [kind + " images found"]:
        faults.append("after tab %r the lists on show are %r" % (t.name, shown))

# GIF: the first result, clicked, is shown at its natural size and counted.
gifs = named(hound, "GIF images found", pyatspi.ROLE_LIST)
click(next(t for t in tabs if t.name.startswith("GIF")))
time.sleep(0.4)
first = next((n for n in walk(gifs) if n.getRole() == pyatspi.ROLE_LIST_ITEM), None)
if first is None:
    sys.exit("the GIF list is empty")
before = views()
click(first)
time.sleep(1)
screenshot(shot.replace(".png", "-gif-preview.png"))
picture = named(named(hound, "Preview"), "Picture")
if picture is None or not showing(picture):
    faults.append("no picture on show after a click on %r" % first.name)
elif extents(picture)[2:] != (149, 99):
    faults.append("the picture of %r is shown at %r, not 149 x 99" % (first.name, extents(picture)))
if views() != before + 1:
    faults.append("Odometer went from %d to %d" % (before, views()))
if not any(s.startswith("Image loaded in ") for s in status_texts(hound)):
    faults.append("no load time in the status bar: %r" % status_texts(hound))
if faults:
    sys.exit("\n".join(faults))
print("Image Hound: %d tabs on show and chosen by a click, %s previewed and counted"
      % (len(tabs), first.name))
