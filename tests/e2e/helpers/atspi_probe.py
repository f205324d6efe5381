#!/usr/bin/python3
"""Reads the app through AT-SPI, the way a screen reader does, for the accessibility e2e script.

  atspi_probe.py names WINDOW            every showing control of the window that takes focus has a name
  atspi_probe.py find WINDOW ROLE NAME   prints the states and description of the first such object
  atspi_probe.py press WINDOW ROLE NAME  does the first action (Press) of the first such object
  atspi_probe.py focused WINDOW          prints the object of the window that has keyboard focus
  atspi_probe.py events KEYS...          presses the keys with xdotool and prints the events that follow
  atspi_probe.py extents WINDOW_ROLE ROLE  prints "x y width height name" of each showing object of
                                         that role in the app's showing windows of WINDOW_ROLE
Exit status 1 (with the reason on stderr) when a check fails.
"""
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

APP = "Orris Hollows"
# Roles a user operates; a focusable object of another role is a container and needs no focus.
CONTAINERS = {"filler", "panel", "scroll pane", "frame", "window", "viewport", "dialog", "application"}


def app():
    for _ in range(100):
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            child = desktop.get_child_at_index(i)
            if child is not None and child.get_name() == APP and child.get_role_name() == "application":
                return child
        time.sleep(0.1)
    sys.exit("no accessible application named " + APP)


def states(acc):
    return {s.value_nick for s in acc.get_state_set().get_states()}


def walk(acc, showing_only=True):
    yield acc
    for i in range(acc.get_child_count()):
        child = acc.get_child_at_index(i)
        if child is None:
            continue
        if showing_only and "showing" not in states(child):
            continue
        yield from walk(child, showing_only)


def window(name):
    """The top-level object of the app with that name (a window title), mapped."""
    for _ in range(100):
        root = app()
        for i in range(root.get_child_count()):
            child = root.get_child_at_index(i)
            if child is not None and child.get_name() == name and "showing" in states(child):
                return child
        time.sleep(0.1)
    sys.exit(f"no showing window named {name!r}")


def describe(acc):
    return f"[{acc.get_role_name()}] {acc.get_name()!r}"


def labelled_by(acc):
    names = []
    for relation in acc.get_relation_set():
        if relation.get_relation_type() == Atspi.RelationType.LABELLED_BY:
            for i in range(relation.get_n_targets()):
                names.append(relation.get_target(i).get_name())
    return names


def command_names(name):
    found = []
    count = 0
    for acc in walk(window(name)):
        st = states(acc)
        if "focusable" not in st:
            continue
        count += 1
        if not (acc.get_name() or "").strip():
            found.append(describe(acc) + " (description " + repr(acc.get_description()) + ")")
    if found:
        sys.exit(f"{name}: focusable objects without a name:\n  " + "\n  ".join(found))
    print(f"{name}: {count} focusable objects, all named")


def find(name, role, wanted):
    for acc in walk(window(name), showing_only=False):
        if acc.get_role_name() == role and acc.get_name() == wanted:
            return acc
    sys.exit(f"{name}: no {role} named {wanted!r}")


def command_press(name, role, wanted):
    acc = find(name, role, wanted)
    if acc.get_n_actions() == 0:
        sys.exit(f"{describe(acc)} offers no action")
    acc.do_action(0)


def command_find(name, role, wanted):
    acc = find(name, role, wanted)
    print("states:", " ".join(sorted(states(acc))))
    print("description:", acc.get_description())
    print("labelled-by:", "|".join(labelled_by(acc)))


def command_focused(name):
    for acc in walk(window(name)):
        if "focused" in states(acc) and acc.get_role_name() not in ("list item",):
            print(describe(acc))
            return
    print("[none]")


def command_events(keys):
    events = []

    def on_event(event):
        source = event.source
        try:
            who = describe(source)
        except Exception:  # the object went away
            who = "[gone]"
        data = ""
        if event.type.startswith("object:active-descendant-changed") and event.any_data is not None:
            data = describe(event.any_data)
        elif event.type.startswith("object:property-change:accessible-description"):
            # Read the new value as it is sent: a short-lived value (the copied badge) may be
            # gone by the time the listener has finished.
            try:
                data = "= " + (source.get_description() or "")
            except Exception:
                data = "= [gone]"
        events.append(f"{event.type} {event.detail1} {who} {data}".rstrip())

    listener = Atspi.EventListener.new(on_event)
    for kind in ("object:state-changed", "object:property-change", "object:active-descendant-changed", "focus:"):
        listener.register(kind)

    def press():
        subprocess.run(["xdotool", "key", "--delay", "80", *keys], check=False)
        GLib.timeout_add(1200, stop)
        return False

    def stop():
        Atspi.event_quit()
        return False

    app()
    GLib.timeout_add(400, press)
    Atspi.event_main()
    for line in events:
        print(line)


def command_extents(window_role, role):
    root = app()
    for i in range(root.get_child_count()):
        top = root.get_child_at_index(i)
        if top is None or top.get_role_name() != window_role or "showing" not in states(top):
            continue
        for acc in walk(top):
            if acc.get_role_name() == role and "showing" in states(acc):
                box = acc.get_extents(Atspi.CoordType.SCREEN)
                print(box.x, box.y, box.width, box.height, acc.get_name())


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == "names":
        command_names(sys.argv[2])
    elif len(sys.argv) == 5 and sys.argv[1] == "find":
        command_find(*sys.argv[2:])
    elif len(sys.argv) == 5 and sys.argv[1] == "press":
        command_press(*sys.argv[2:])
    elif len(sys.argv) == 3 and sys.argv[1] == "focused":
        command_focused(sys.argv[2])
    elif len(sys.argv) == 4 and sys.argv[1] == "extents":
        command_extents(*sys.argv[2:])
    elif len(sys.argv) >= 3 and sys.argv[1] == "events":
        command_events(sys.argv[2:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
