#!/usr/bin/python3
"""An accessibility client (AT-SPI, as a screen reader reads) checking the document manager's window.

  accessibility_client.py listed PID
      the program PID is on the accessibility bus with a window (exit 0), else exit 1
  accessibility_client.py listen FILE
      registers for focus events before the program starts (a program learns the listeners at its start;
      one registered later may be heard of too late) and appends "ROLE INDEX" of every cell that gains the
      focus to FILE; FILE.ready once registered. Runs until killed.
  accessibility_client.py list PID FIRST_NAME FIRST_KIND FOCUS_FILE
      the list of the window: rows as many as the count line names, the five column titles as column
      headers, row 0's file name and kind, the seven named text fields; then Space ticks the current row
      (its tick cell reads checked) and Down moves the focused cell one row down
  accessibility_client.py cell PID ROWS ROW COLUMN TEXT
      the window holds a table of ROWS rows whose cell (ROW, COLUMN) reads TEXT

Every wait polls with a deadline; a failure prints what was read and exits 1.
"""
import subprocess
import sys
import time

import pyatspi
from gi.repository import Atspi, GLib

TIMEOUT = 30
TITLES = ["C", "파일명", "내용", "수량", "경로"]
FIELDS = ["결과화일"] + ["제외자료 %d" % i for i in range(1, 7)]


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def wait_for(what, probe):
    deadline = time.time() + TIMEOUT
    while True:
        while GLib.MainContext.default().pending():  # the events the bus delivered meanwhile
            GLib.MainContext.default().iteration(False)
        try:
            value = probe()
        except Exception as e:  # the bus may still be coming up, or an object changing under the reader
            value, last = None, e
        else:
            last = None
        if value:
            return value
        if time.time() > deadline:
            fail("timed out waiting for %s%s" % (what, " (%s)" % last if last else ""))
        time.sleep(0.2)


def heard_within(probe, seconds):
    """Whether probe() holds within the time, the bus's events delivered meanwhile."""
    deadline = time.time() + seconds
    while time.time() < deadline:
        while GLib.MainContext.default().pending():
            GLib.MainContext.default().iteration(False)
        if probe():
            return True
        time.sleep(0.1)
    return False


def application(pid):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid and app.childCount > 0:
            return app
    return None


def descendants(acc, keep, found=None):
    """Every descendant for which keep() holds, not looking inside tables (their cells are many)."""
    found = [] if found is None else found
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is None:
            continue
        if keep(child):
            found.append(child)
        if child.getRole() != pyatspi.ROLE_TABLE:
            descendants(child, keep, found)
    return found


def states(acc):
    acc.clear_cache()  # read what the program says now, not what the library kept from an earlier event
    return acc.getState()


def listen(path):
    def heard(event):
        if event.detail1 == 1:
            with open(path, "a") as f:
                f.write("%d %d\n" % (int(event.source.getRole()), event.source.getIndexInParent()))

    listener = Atspi.EventListener.new(heard)
    listener.register("object:state-changed:focused")
    open(path + ".ready", "w").close()
    Atspi.event_main()


def focus_events(path):
    """The (role, index in parent) of every focus gain the listener heard."""
    try:
        with open(path) as f:
            return [tuple(int(v) for v in line.split()) for line in f if line.strip()]
    except FileNotFoundError:
        return []


def check_list(pid, first_name, first_kind, focus_file):
    app = wait_for("the program on the accessibility bus", lambda: application(pid))
    tables = wait_for("the list as a table", lambda: descendants(app, lambda a: a.getRole() == pyatspi.ROLE_TABLE))
    if len(tables) != 1:
        fail("%d tables in the window" % len(tables))
    table_acc = tables[0]
    table = table_acc.queryTable()

    # The count line names how many rows the list holds ("목록 N건 ...").
    def counted():
        for label in descendants(app, lambda a: a.getRole() == pyatspi.ROLE_LABEL):
            if label.name.startswith("목록 ") and "건" in label.name:
                return int(label.name.split()[1].rstrip("건"))
        return None

    rows = wait_for("the count line", counted)
    if rows < 2:
        fail("the demo lists %d rows" % rows)
    if table.nRows != rows or table.nColumns != len(TITLES):
        fail("the table has %d rows and %d columns; the count line says %d rows, the list has %d columns"
             % (table.nRows, table.nColumns, rows, len(TITLES)))
    if table_acc.childCount != len(TITLES) + rows * len(TITLES):
        fail("the table has %d children" % table_acc.childCount)
    descriptions = [table.getColumnDescription(c) for c in range(table.nColumns)]
    headers = [table.getColumnHeader(c) for c in range(table.nColumns)]
    if descriptions != TITLES or [h.name for h in headers] != TITLES:
        fail("column titles %s, headers %s" % (descriptions, [h and h.name for h in headers]))
    if any(h.getRole() != pyatspi.ROLE_TABLE_COLUMN_HEADER for h in headers):
        fail("a column title is not a column header: %s" % [h.getRoleName() for h in headers])
    name, kind = table.getAccessibleAt(0, 1).name, table.getAccessibleAt(0, 2).name
    if (name, kind) != (first_name, first_kind):
        fail("row 0 reads %r, %r; the result file's first line names %r, %r" % (name, kind, first_name, first_kind))
    cell = table.getAccessibleAt(rows - 1, 1)
    if table.getRowAtIndex(cell.getIndexInParent()) != rows - 1 or cell.getRole() != pyatspi.ROLE_TABLE_CELL:
        fail("the last row's cell does not know its place")

    named = sorted(a.name for a in descendants(app, lambda a: a.getRole() == pyatspi.ROLE_TEXT and a.name))
    if named != sorted(FIELDS):
        fail("the named text fields are %s" % named)

    # The current cell is focused: row 0 of the clicked column. Space ticks row 0; Down moves the focus.
    def focused_cell():
        for c in range(table.nColumns):
            for r in range(min(table.nRows, 3)):
                if states(table.getAccessibleAt(r, c)).contains(pyatspi.STATE_FOCUSED):
                    return (r, c)
        return None

    row, column = wait_for("a focused cell in the list", focused_cell)
    if row != 0:
        fail("the focused cell is in row %d, not the clicked row 0" % row)
    tick = table.getAccessibleAt(0, 0)
    if states(tick).contains(pyatspi.STATE_CHECKED):
        fail("row 0's tick reads checked before Space: %s" % states(tick).getStates())
    subprocess.run(["xdotool", "key", "space"], check=True)
    wait_for("row 0's tick to read checked", lambda: states(table.getAccessibleAt(0, 0)).contains(pyatspi.STATE_CHECKED))
    if states(table.getAccessibleAt(1, 0)).contains(pyatspi.STATE_CHECKED):
        fail("Space ticked row 1 as well")
    def focus_event_for_row_1():
        for role, index in focus_events(focus_file)[heard_before:]:
            if role == int(pyatspi.ROLE_TABLE_CELL) and table.getRowAtIndex(index) == 1:
                return True
        return False

    # The program hears of a new listener over the bus some time after it registered: a move made before
    # that is not announced, so the move is made again (Up, Down) a few times before the test gives up.
    for attempt in range(3):
        heard_before = len(focus_events(focus_file))
        subprocess.run(["xdotool", "key", "Down"], check=True)
        wait_for("the focused cell to move to row 1", lambda: focused_cell() == (1, column))
        if heard_within(focus_event_for_row_1, 5):
            break
        if attempt == 2:
            fail("no focus event for row 1's cell after Down (three tries)")
        subprocess.run(["xdotool", "key", "Up"], check=True)
        wait_for("the focused cell to move back to row 0", lambda: focused_cell() == (0, column))
    print("PASS: %d rows, %d columns, titles %s, row 0 %s; Space ticked it, Down moved the focus (and said so)" %
          (rows, len(TITLES), " ".join(TITLES), first_name))


def check_cell(pid, rows, row, column, text):
    app = wait_for("the program on the accessibility bus", lambda: application(pid))

    def table_of_rows():
        for t in descendants(app, lambda a: a.getRole() == pyatspi.ROLE_TABLE):
            if t.queryTable().nRows == rows:
                return t.queryTable()
        return None

    table = wait_for("a table of %d rows" % rows, table_of_rows)
    read = table.getAccessibleAt(row, column).name
    if read != text:
        fail("cell (%d, %d) reads %r, not %r" % (row, column, read, text))
    print("PASS: a table of %d rows; cell (%d, %d) reads %s" % (rows, row, column, text))


def main():
    if sys.argv[1] == "listen":
        listen(sys.argv[2])
        return
    mode, pid = sys.argv[1], int(sys.argv[2])
    if mode == "listed":
        wait_for("the program on the accessibility bus", lambda: application(pid))
        return
    if mode == "list":
        check_list(pid, sys.argv[3], sys.argv[4], sys.argv[5])
        return
    if mode == "cell":
        check_cell(pid, int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5]), sys.argv[6])
        return
    fail("unknown mode " + mode)


if __name__ == "__main__":
    main()
