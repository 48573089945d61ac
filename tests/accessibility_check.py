"""The viewer as a screen reader meets it, read over the accessibility bus.

    /usr/bin/python3 accessibility_check.py FOLDER REGION GROUP

Runs the viewer of the program folder FOLDER (a copy of its own, with a fake
download client) under the X server and session bus it is started in, and
walks what the viewer tells assistive technology: the tabs of both tab
controls, a region's list, boxes and pictures, a quest group's list, the top
strip, and that nothing on a hidden page reports itself as showing. Tabs.ini
in FOLDER selects region tab REGION and quest tab GROUP. The folder's progress
tool names the tabs and their entries, so the check follows the catalog.
"""
import os
import re
import signal
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

# Generous: a sanitized build on a busy machine starts slowly.
DEADLINE = 90


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def note(message):
    print("-- " + message, flush=True)


def take_news():
    """Lets the bus library take in what the viewer announced since the last
    look (new applications, changed names and states); its cache of the tree
    follows those announcements only."""
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def wait_for(what, probe):
    """Polls probe() until it gives something true; fails naming `what`."""
    end = time.monotonic() + DEADLINE
    problem = ""
    while True:
        take_news()
        try:
            result = probe()
        except Exception as error:  # an object that went away while being read
            result, problem = None, f" ({error})"
        if result:
            return result
        if time.monotonic() > end:
            fail(f"no {what} within {DEADLINE} s{problem}")
        time.sleep(0.2)


# --- what the catalog says, through the progress tool -----------------------

def tool(folder, *args):
    return subprocess.run([os.path.join(folder, "huntmark-progress"), "--folder", folder, *args],
                          check=True, capture_output=True, text=True).stdout


def tab_table(folder):
    """The region and quest-group captions with their done and total counts."""
    sections = {}
    current = None
    for line in tool(folder, "show").splitlines():
        row = re.match(r"^  (.*\S)\s+(\d+)/(\d+)$", line)
        if row and current is not None:
            current.append((row.group(1), int(row.group(2)), int(row.group(3))))
        elif not line.startswith(" ") and not re.search(r"\d+/\d+$", line):
            current = sections.setdefault(line, [])
    return sections["Regions"], sections["Quest groups"]


def entries(folder, caption):
    """The entries of one tab: (name, done)."""
    return [(line[4:], line[1] == "x") for line in tool(folder, "show", caption).splitlines()
            if line[:3] in ("[x]", "[ ]")]


# --- the accessible tree ----------------------------------------------------

def children(node):
    return [node.getChildAtIndex(i) for i in range(node.childCount)]


def has_state(node, state):
    return node.getState().contains(state)


def showing(node):
    return has_state(node, pyatspi.STATE_SHOWING)


def descendants(node):
    for child in children(node):
        yield child
        yield from descendants(child)


def page_tabs(tab_list):
    return [c for c in children(tab_list) if c.getRole() == pyatspi.ROLE_PAGE_TAB]


def pages(tab_list):
    return [c for c in children(tab_list) if c.getRole() != pyatspi.ROLE_PAGE_TAB]


def tab_list_of(app, count):
    found = [n for n in descendants(app)
             if n.getRole() == pyatspi.ROLE_PAGE_TAB_LIST and len(page_tabs(n)) == count]
    return found[0] if len(found) == 1 else None


def selected_tabs(tab_list):
    return [i for i, tab in enumerate(page_tabs(tab_list)) if has_state(tab, pyatspi.STATE_SELECTED)]


def by_role(node, role):
    return [c for c in children(node) if c.getRole() == role]


def text_of(node):
    text = node.queryText()
    return text.getText(0, text.characterCount)


def press(node):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Press" not in names:
        fail(f"{node.name!r} offers the actions {names}, not Press")
    action.doAction(names.index("Press"))


def select_row(view, row):
    """Selects a line the way assistive technology does."""
    try:
        view.querySelection().selectChild(row)
    except NotImplementedError:
        view.queryTable().addRowSelection(row)


def check_nothing_hidden_shows(app):
    """Whatever reports itself as showing lies in something that shows; a line
    or box of a hidden page that says it shows is read out as if on screen."""
    hidden_lines = 0

    def walk(node, path, parent_shows):
        nonlocal hidden_lines
        for i, child in enumerate(children(node)):
            here = f"{path}/{child.getRoleName()}[{i}]{child.name!r}"
            shows = showing(child)
            if shows and not parent_shows:
                fail(f"{here} reports itself as showing inside something hidden")
            if not parent_shows and child.getRole() == pyatspi.ROLE_LIST_ITEM:
                hidden_lines += 1
            walk(child, here, shows)

    walk(app, "", True)
    # The walk did reach the lines of hidden pages.
    if hidden_lines < 100:
        fail(f"only {hidden_lines} lines of hidden lists in the tree")


def check_tabs(tab_list, captions, selected, what):
    """captions: (caption, done, total, done word) of each tab."""
    names = [tab.name for tab in page_tabs(tab_list)]
    if names != [c for c, _, _, _ in captions]:
        fail(f"the {what} are named {names}")
    if selected_tabs(tab_list) != [selected]:
        fail(f"the selected {what} are {selected_tabs(tab_list)}, not [{selected}]")
    for tab, (caption, done, total, done_word) in zip(page_tabs(tab_list), captions):
        # The count comes first; what else the tool tip tells may follow.
        told = f"{done} of {total} {done_word}"
        if not tab.description.startswith(told):
            fail(f"the tab {caption!r} is described as {tab.description!r}, not {told!r}")
        if not showing(tab):
            fail(f"the tab {caption!r} does not show")


def check_list(view, name, lines, word):
    if view.name != name:
        fail(f"a list is named {view.name!r}, not {name!r}")
    said = [line.name for line in children(view)]
    expected = [f"{entry} ({word})" if done else entry for entry, done in lines]
    if said != expected:
        fail(f"the list {name!r} reads {said}, not {expected}")


def shown_page(tab_list, index, what):
    shown = [i for i, page in enumerate(pages(tab_list)) if showing(page)]
    if shown != [index]:
        fail(f"the {what} pages {shown} show, not [{index}]")
    return pages(tab_list)[index]


def tabs_file(folder):
    with open(os.path.join(folder, "Tabs.ini"), encoding="ascii") as file:
        return file.read().split()[:2]


def check(folder, region, group, app):
    regions, groups = tab_table(folder)
    quests_done = sum(done for _, done, _ in groups)
    quests_total = sum(total for _, _, total in groups)
    outer_captions = [(*r, "defeated") for r in regions] + [("Quests", quests_done, quests_total, "completed")]

    note("the region tabs")
    outer = wait_for("tab list of 20 page tabs", lambda: tab_list_of(app, len(outer_captions)))
    check_tabs(outer, outer_captions, region, "region tabs")
    quests_tab = page_tabs(outer)[-1]
    inner = tab_list_of(app, len(groups))
    if inner is None or any(showing(tab) for tab in page_tabs(inner)):
        fail("the quest tabs are missing or show on a region tab")

    note("the region's page")
    caption = regions[region][0]
    lines = entries(folder, caption)
    page = shown_page(outer, region, "region")
    view = by_role(page, pyatspi.ROLE_LIST)[0]
    check_list(view, f"{caption} monsters", lines, "defeated")
    boxes = by_role(page, pyatspi.ROLE_TEXT)
    shown_boxes = [box.name for box in boxes if showing(box)]
    if shown_boxes != ["Level", "Location", "Appearance Conditions"] or len(boxes) != 4:
        fail(f"the page's text boxes that show are {shown_boxes}, of {len(boxes)}")
    # The two pictures come last; empty, they are plain labels.
    pictures = children(page)[-2:]
    if any(p.name or p.description for p in pictures):
        fail(f"before a selection the pictures are {[(p.name, p.description) for p in pictures]}")

    note("the top strip")
    strip = by_role(outer.parent, pyatspi.ROLE_LABEL)
    beaten = sum(done for _, done, _ in regions)
    if f"Uniques Beaten: {beaten}" not in [label.name for label in strip]:
        fail(f"the top strip reads {[label.name for label in strip]}")
    wait_for("note 'checked HH:MM · ...' described by its tool tip", lambda: any(
        re.fullmatch(r"checked \d\d:\d\d · (no change yet|last change \d\d:\d\d)", label.name)
        and label.description.startswith("The progress files last arrived") for label in strip))

    note("a selection through the list")
    row = next(i for i, (_, done) in enumerate(lines) if not done)
    name = lines[row][0]
    select_row(view, row)
    wait_for(f"details of {name!r}", lambda: text_of(boxes[0]) and has_state(
        children(view)[row], pyatspi.STATE_SELECTED))
    place = text_of(boxes[1])
    named = wait_for("named pictures", lambda: sorted(
        p.name for p in pictures if p.getRole() == pyatspi.ROLE_IMAGE and p.name and p.description))
    if named != sorted([f"Picture of {name}", f"Picture of {place}"]):
        fail(f"the pictures of {name!r} are named {named}")

    note("nothing hidden shows")
    check_nothing_hidden_shows(app)

    note("pressing the Quests tab")
    press(quests_tab)
    wait_for("Quests tab selected and remembered",
             lambda: selected_tabs(outer) == [len(regions)] and tabs_file(folder) == [str(len(regions)), str(group)])
    check_tabs(inner, [(*g, "completed") for g in groups], group, "quest tabs")
    group_page = shown_page(inner, group, "quest group")
    group_caption = groups[group][0]
    check_list(by_role(group_page, pyatspi.ROLE_LIST)[0], f"{group_caption} prerequisites",
               entries(folder, group_caption), "completed")
    if showing(page):
        fail("the region page still shows on the Quests tab")
    check_nothing_hidden_shows(app)

    note("back to the region")
    press(page_tabs(outer)[region])
    wait_for("region tab selected again", lambda: selected_tabs(outer) == [region] and showing(page))
    # Coming back empties the pictures, and what they were called with them.
    if any(p.name or p.description for p in pictures):
        fail(f"the emptied pictures are {[(p.name, p.description) for p in pictures]}")


def find_viewer(desktop):
    # The desktop's list of applications may have been read before the viewer
    # joined: read it afresh.
    desktop.clear_cache()
    return next((a for a in children(desktop) if a is not None and a.name == "Huntmark Viewer"), None)


def main():
    folder, region, group = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    viewer = subprocess.Popen([os.path.join(folder, "huntmark-viewer")], env=env, stdin=subprocess.DEVNULL)
    try:
        desktop = pyatspi.Registry.getDesktop(0)
        app = wait_for("application 'Huntmark Viewer' on the bus", lambda: find_viewer(desktop))
        check(folder, region, group, app)
    finally:
        if viewer.poll() is None:
            viewer.send_signal(signal.SIGTERM)
    try:
        status = viewer.wait(timeout=DEADLINE)
    except subprocess.TimeoutExpired:
        viewer.kill()
        fail("the viewer did not end on SIGTERM")
    if status != 0:
        fail(f"the viewer ended with status {status}")
    note("a screen reader finds, switches and reads the tabs, lists, boxes and pictures")


main()
