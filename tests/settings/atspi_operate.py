#!/usr/bin/python3
"""Operates one control of a running application through AT-SPI, as a
screen reader or an automation tool would: finds it by role and name among
the controls shown, then acts on it.

    atspi_operate.py APP ROLE NAME press
    atspi_operate.py APP ROLE NAME value NUMBER
    atspi_operate.py APP ROLE NAME state
    atspi_operate.py APP ROLE NAME extents
    atspi_operate.py APP ROLE NAME press keys KEY...

After the action, "keys" types the named keys (Down, Up, End, Home,
Return, Escape, space, or one character typed without Shift) on the
keyboard, as the user would in a menu or a panel the action opened, once
the keyboard focus has gone to it.

ROLE is an AT-SPI role name ("check box", "slider", ...). Prints one line:
"ok ..." with the control's state or value after the action (for extents its
place on the screen, "ok X Y W H"); exits 1 with
"cannot ..." when the control is not found within the deadline or refuses.
"""

import sys
import time

import pyatspi

DEADLINE_S = 30

# X keysyms of the keys "keys" types.
KEYSYMS = {"Down": 0xFF54, "Up": 0xFF52, "End": 0xFF57, "Home": 0xFF50,
           "Return": 0xFF0D, "Escape": 0xFF1B, "space": 0x20}


def showing(node):
    try:
        return node.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def in_active_window(node):
    while node is not None:
        try:
            if node.getRoleName() in ("frame", "dialog", "window") and \
                    node.getState().contains(pyatspi.STATE_ACTIVE):
                return True
            node = node.parent
        except Exception:
            return False
    return False


def find(app_name, role, name):
    """The control shown; among several of that role and name (an OK in a
    window and in the editor over it), the one in the active window."""
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is None or app.name != app_name:
            continue
        found = pyatspi.findAllDescendants(
            app, lambda n: n is not None and n.getRoleName() == role and n.name == name and showing(n))
        if len(found) > 1:
            active = [n for n in found if in_active_window(n)]
            if active:
                return active[0]
        if found:
            return found[0]
    return None


class FocusWatch:
    """Notes the first control other than `node` that takes the keyboard
    focus (the list of a menu that opened, the field of a panel): the keys
    are typed only once it is there, however slowly it comes up."""

    def __init__(self, node):
        self.role = node.getRoleName()
        self.name = node.name
        self.moved = False
        pyatspi.Registry.registerEventListener(self.on_focus, "object:state-changed:focused")

    def on_focus(self, event):
        try:
            if event.detail1 != 1 or (event.source.getRoleName() == self.role and event.source.name == self.name):
                return
        except Exception:
            return
        self.moved = True
        pyatspi.Registry.stop()

    def wait(self):
        from gi.repository import GLib

        def give_up():
            pyatspi.Registry.stop()
            return False
        if not self.moved:
            GLib.timeout_add(int(DEADLINE_S * 1000), give_up)
            pyatspi.Registry.start()
        pyatspi.Registry.deregisterEventListener(self.on_focus, "object:state-changed:focused")
        return self.moved


def describe(node):
    words = []
    state = node.getState()
    words.append("checked" if state.contains(pyatspi.STATE_CHECKED) else "unchecked")
    try:
        words.append("value=%r" % node.queryValue().currentValue)
    except NotImplementedError:
        pass
    return " ".join(words)


def main(argv):
    if len(argv) < 5:
        print("cannot operate: usage: APP ROLE NAME press|value NUMBER|state|extents")
        return 1
    app_name, role, name, what = argv[1:5]
    node = None
    deadline = time.monotonic() + DEADLINE_S
    while node is None and time.monotonic() < deadline:
        try:
            node = find(app_name, role, name)
        except Exception:
            node = None
        if node is None:
            time.sleep(0.25)
    if node is None:
        print("cannot find the %s named %r in %s" % (role, name, app_name))
        return 1

    typing = len(argv) > 5 and argv[5] == "keys"
    watch = FocusWatch(node) if typing else None
    if what == "press":
        action = node.queryAction()
        names = [action.getName(i).lower() for i in range(action.nActions)]
        for wanted in ("toggle", "press", "click"):
            if wanted in names:
                action.doAction(names.index(wanted))
                break
        else:
            print("cannot press the %s named %r: actions %r" % (role, name, names))
            return 1
    elif what == "value":
        node.queryValue().currentValue = float(argv[5])
    elif what == "extents":
        box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        print("ok %d %d %d %d" % (box.x, box.y, box.width, box.height))
        return 0
    elif what != "state":
        print("cannot operate: unknown action %r" % what)
        return 1
    if typing:
        if not watch.wait():
            print("cannot type: the keyboard focus never left the %s named %r" % (role, name))
            return 1
        time.sleep(0.3)
        for key in argv[6:]:
            # A single character is its own key (Latin-1 keysyms are the
            # character codes); only those typed without Shift.
            if len(key) == 1:
                keysym = ord(key)
            elif key in KEYSYMS:
                keysym = KEYSYMS[key]
            else:
                print("cannot type the key %r" % key)
                return 1
            pyatspi.Registry.generateKeyboardEvent(keysym, None, pyatspi.KEY_SYM)
            time.sleep(0.15)
    time.sleep(0.3)
    print("ok " + describe(node))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
