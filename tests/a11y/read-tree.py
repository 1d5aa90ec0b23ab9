"""Reads Pairsight's windows as a screen reader does, over the real AT-SPI bus.

    read-tree.py FIXTURE

Starts FIXTURE (tests/a11y/busfixture.cpp) on the X display and session bus
it is given, finds it among the applications on the accessibility bus and
checks the names, roles, rows, selection and focus events of its lists.
Exits 0 when all hold, 1 with each failure said when not, and 77 (skipped)
when the accessibility bus cannot be reached.
"""

import os
import select
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

SKIPPED = 77
failures = []


def check(condition, what):
    print(("ok      " if condition else "FAILED  ") + what)
    if not condition:
        failures.append(what)
    return condition


def has_state(accessible, state):
    return accessible.get_state_set().contains(state)


def walk(accessible):
    """Every object under accessible; the rows of lists that manage their
    descendants are left to their table interface, as readers leave them."""
    yield accessible
    if has_state(accessible, Atspi.StateType.MANAGES_DESCENDANTS):
        return
    for i in range(accessible.get_child_count()):
        child = accessible.get_child_at_index(i)
        if child is not None:
            yield from walk(child)


def find(root, roles, name):
    for accessible in walk(root):
        if accessible.get_role() in roles and accessible.get_name() == name:
            return accessible
    return None


def read_line(process, timeout):
    ready, _, _ = select.select([process.stdout], [], [], timeout)
    return process.stdout.readline().strip() if ready else None


def application_of(pid, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_process_id() == pid:
                return app
        time.sleep(0.2)
    return None


def spin(seconds, until=lambda: False):
    """Runs the main loop, where the bus's events arrive, for a while or until told."""
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline and not until():
        context.iteration(False)
        time.sleep(0.01)


def check_list(root, name, rows, first_rows):
    listed = find(root, (Atspi.Role.LIST,), name)
    if not check(listed is not None, f'"{name}" is a list'):
        return None
    check(has_state(listed, Atspi.StateType.MANAGES_DESCENDANTS),
          f'"{name}" tells readers not to walk its rows')
    check(listed.get_n_rows() == rows, f'"{name}" has {rows} rows (it says {listed.get_n_rows()})')
    check(listed.get_child_count() >= rows, f'"{name}" counts its rows as children')
    for row, text in enumerate(first_rows):
        cell = listed.get_accessible_at(row, 0)
        check(cell is not None and cell.get_name() == text and cell.get_role() == Atspi.Role.LIST_ITEM,
              f'row {row} of "{name}" is the item "{text}"')
    return listed


def main():
    fixture = sys.argv[1]
    try:
        Atspi.get_desktop(0).get_child_count()
    except Exception as error:  # the bus itself is missing
        print(f"SKIPPED: the accessibility bus cannot be reached ({error})")
        return SKIPPED

    environment = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    process = subprocess.Popen([fixture], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                               env=environment)
    try:
        if not check(read_line(process, 60) == "ready", "the windows are shown"):
            return 1
        app = application_of(process.pid, 20)
        if app is None:
            print("SKIPPED: the program did not appear on the accessibility bus")
            return SKIPPED

        main_window = find(app, (Atspi.Role.FRAME,), "TANDREL - Pairsight")
        check(main_window is not None, "the main window is a frame")
        results = find(app, (Atspi.Role.FRAME, Atspi.Role.WINDOW), "Compare Results")
        check(results is not None, "the results window is a window")
        if main_window is None or results is None:
            return 1

        list1 = check_list(main_window, "List #1", 504, ["a", "b", "c"])
        check_list(main_window, "List #2", 2, ["b", "e"])
        if list1 is not None:
            check(list1.get_n_selected_rows() == 2 and list1.is_row_selected(1) and list1.is_row_selected(2)
                  and not list1.is_row_selected(0), "list #1 says rows 1 and 2 are selected")
            check(has_state(list1.get_accessible_at(1, 0), Atspi.StateType.SELECTED),
                  "a selected row says so")
            check(has_state(list1.get_accessible_at(0, 0), Atspi.StateType.SHOWING)
                  and not has_state(list1.get_accessible_at(503, 0), Atspi.StateType.SHOWING),
                  "the rows in view are showing, those below are not")
        for number in ("1", "2"):
            check(find(main_window, (Atspi.Role.PUSH_BUTTON,), f"Save List #{number}") is not None,
                  f'the icon button "Save List #{number}" is named')

        tabs = [tab.get_name() for tab in walk(results) if tab.get_role() == Atspi.Role.PAGE_TAB]
        check(tabs == ["Intersection", "Only #1", "Only #2", "In One List Only"],
              f"the tab bar holds the tabs there are, no hidden Union ({tabs})")
        check_list(results, "Only #1", 503, ["a", "c", "d"])

        # The reader follows the focused row by its events.
        focused = []

        def on_focus(event):
            if event.detail1 == 1 and event.source is not None:
                parent = event.source.get_parent()
                focused.append((event.source.get_name(), parent.get_name() if parent else None))

        listener = Atspi.EventListener.new(on_focus)
        listener.register("object:state-changed:focused")
        # The program learns of the listener through the registry first.
        spin(1.0)
        for command, list_name in (("main", "List #1"), ("results", "Only #1")):
            process.stdin.write(command + "\n")
            process.stdin.flush()
            check(read_line(process, 10) == "done", f"the program moved the current row of {list_name}")

            def last_row():
                rows = [row for row, parent in focused if parent == list_name]
                return rows[-1] if rows else None

            # Taking the focus moved the current row first; the move comes last.
            spin(5.0, lambda: last_row() == "c")
            spin(0.5)
            check(last_row() == "c", f'moving to row "c" of {list_name} is told as its focus '
                                     f'(told: {focused})')
        listener.deregister("object:state-changed:focused")
    finally:
        process.stdin.close()
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
