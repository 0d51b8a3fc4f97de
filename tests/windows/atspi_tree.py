#!/usr/bin/python3
"""Reads passgen's accessibility tree from the AT-SPI bus, as Orca does.

  atspi_tree.py dump   opens both child windows and prints the tree
  atspi_tree.py check  opens both child windows, prints the tree and checks
                       what a screen reader hears; exits 1 on a fault

Opening goes through the toolbar buttons' own "Press" actions, so a screen
reader's way of pressing a button is checked too. Runs with the system
Python, which python3-pyatspi installs for.
"""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

APP = "passgen"

# What each child window must offer a screen reader: name, role and, for the
# picture buttons and the fields with a tooltip, the tooltip as description.
EXPECTED = {
    "Генератор паролей": {
        "Генерация": ("push button", "generator"),
        "Установки": ("push button", "setup"),
        "Закрыть": ("push button", "quit"),
    },
    "Генератор": {
        "Выделить всё": ("push button", "select all"),
        "Очистить": ("push button", "clear selected/all"),
        "Копировать": ("push button", "copy selected/all in clipboard"),
        "Добавить в журнал": ("push button", "put in jurnal"),
        "Генерировать": ("push button", "generate"),
        "Журнал": ("text", ""),
        "Пароль": ("text", ""),
    },
    "Настройки": {
        "Кол-во символов в пароле": ("text", "count of simbol in password"),
        "Кол-во паролей": ("text", "count of passwords"),
        "Список исключений (символы, запрещенные в пароле)": ("text", "excluds"),
        "Набор символов, используемых для генерации пароля": ("text", "simbols"),
    },
}
# The labels that the number fields are labelled by.
LABELLED_BY = {
    "Кол-во символов в пароле": "Кол-во символов в пароле:",
    "Кол-во паролей": "Кол-во паролей:",
}
NO_SYMBOLS = "Нет символов для генерации пароля"
REFUSED = "Не принято:"
NOTE = "Не принято: «ä». Файл настроек хранит только символы кодовой страницы Windows-1251."
SYMBOLS = "Набор символов, используемых для генерации пароля"
# The strength in the toolbar: none while the generator finds nothing to
# draw, then that of eight symbols at length 6.
STRENGTH_NONE = "Стойкость пароля: нет, "
STRENGTH_SET = "Стойкость пароля: 17 бит, ненадёжная"
HINT = "x-kde-passwordManagerHint"

INTERACTIVE_ROLES = {"push button", "text", "password text", "check box", "radio button",
                     "combo box", "spin button", "toggle button", "menu item"}


def poll(find, seconds=20):
    """What find() gives once it is not None, or None after the seconds."""
    end = time.monotonic() + seconds
    while True:
        found = find()
        if found is not None or time.monotonic() >= end:
            return found
        time.sleep(0.2)


def dispatch_until(done, seconds=20):
    """Hands the bus's events to the listeners until done() holds; done()."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while not done() and time.monotonic() < end:
        if not context.iteration(False):
            time.sleep(0.05)
    return done()


def wait_for(what, find, seconds=20):
    found = poll(find, seconds)
    if found is None:
        sys.exit(f"atspi_tree: {what} did not appear on the accessibility bus")
    return found


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == APP:
            return app
    return None


def walk(node, depth=0, stop_at_windows=False):
    """The node and all below it; with stop_at_windows, not into child windows."""
    yield node, depth
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is None:
            continue
        if stop_at_windows and child.getRoleName() in ("frame", "dialog", "alert"):
            continue
        yield from walk(child, depth + 1, stop_at_windows)


def find(root, name, role=None):
    for node, _ in walk(root):
        if node.name == name and (role is None or node.getRoleName() == role):
            return node
    return None


def press(node):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ("Press", "press", "click"):
            action.doAction(i)
            return
    sys.exit(f"atspi_tree: {node.name!r} offers no press action")


def describe(node):
    states = node.getState()
    marks = [s for s, state in (("focusable", pyatspi.STATE_FOCUSABLE),
                                ("focused", pyatspi.STATE_FOCUSED),
                                ("showing", pyatspi.STATE_SHOWING))
             if states.contains(state)]
    line = f"[{node.getRoleName()}] {node.name!r}"
    if node.description:
        line += f" desc={node.description!r}"
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            line += f" labelled-by={relation.getTarget(0).name!r}"
    if marks:
        line += " (" + ", ".join(marks) + ")"
    return line


def dump(app):
    for node, depth in walk(app):
        print("  " * depth + describe(node))


def interactive(node):
    states = node.getState()
    return node.getRoleName() in INTERACTIVE_ROLES and states.contains(pyatspi.STATE_SHOWING)


def check_window(window, expected, faults):
    names = {}
    for node, _ in walk(window, stop_at_windows=True):
        if node is window or not interactive(node):
            continue
        names.setdefault(node.name, []).append(node)
    for name, nodes in names.items():
        if not name:
            faults.append(f"{window.name}: {len(nodes)} control(s) without a name, "
                          f"e.g. {describe(nodes[0])}")
        elif len(nodes) > 1:
            faults.append(f"{window.name}: {len(nodes)} controls named {name!r}")
    for name, (role, description) in expected.items():
        nodes = names.get(name)
        if not nodes:
            faults.append(f"{window.name}: no control named {name!r}")
            continue
        node = nodes[0]
        if node.getRoleName() != role:
            faults.append(f"{name!r}: role {node.getRoleName()!r}, expected {role!r}")
        if description and node.description != description:
            faults.append(f"{name!r}: description {node.description!r}, expected {description!r}")
        if not node.getState().contains(pyatspi.STATE_FOCUSABLE):
            faults.append(f"{name!r} cannot take the keyboard focus")
    for field, label in LABELLED_BY.items():
        node = names.get(field, [None])[0]
        targets = [r.getTarget(0).name for r in (node.getRelationSet() if node else [])
                   if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]
        if node and label not in targets:
            faults.append(f"{field!r} is labelled by {targets}, expected {label!r}")


def windows_only(root):
    """The frame and the child windows: each is checked without the others."""
    frame = find(root, "Генератор паролей", "frame")
    yield frame
    for node, _ in walk(frame):
        if node is not frame and node.getRoleName() == "frame":
            yield node


# The names of the controls whose description changed, as the bus told.
described = []
DESCRIBED = "object:property-change:accessible-description"


def pump():
    """Lets the bus deliver the events that are waiting."""
    while GLib.MainContext.default().iteration(False):
        pass
    return True


def check(app):
    faults = []
    # Early, as the program learns of a listener only some time later.
    pyatspi.Registry.registerEventListener(lambda event: described.append(event.source.name),
                                           DESCRIBED)
    checked = set()
    for window in windows_only(app):
        expected = EXPECTED.get(window.name, {})
        checked.add(window.name)
        check_window(window, expected, faults)
    for name in EXPECTED:
        if name not in checked:
            faults.append(f"window {name!r} is not on the bus")

    # A screen reader's own copy and cut of a password are marked as a secret
    # on the clipboard, as every other copy is.
    for name, take in (("Пароль", "copyText"), ("Журнал", "cutText")):
        editable = find(app, name, "text").queryEditableText()
        editable.setTextContents("Kx7#q")
        getattr(editable, take)(0, 5)
        targets = clipboard("TARGETS").split()
        if HINT.encode() not in targets or clipboard(HINT) != b"secret":
            faults.append(f"{name!r}: {take} puts {clipboard('UTF8_STRING')!r} on the "
                          f"clipboard without the mark, offering {targets}")

    # A character the settings file cannot keep is refused, also when a
    # screen reader or braille display inserts it, and the note that says so
    # becomes the field's description, which the screen reader is told of.
    for name in ("Набор символов, используемых для генерации пароля",
                 "Список исключений (символы, запрещенные в пароле)"):
        field = find(app, name, "text")
        field.queryEditableText().insertText(0, "xä", 2)
        note = poll(lambda: field.description if field.description.startswith(REFUSED) else None)
        told = poll(lambda: True if pump() and name in described else None, 10)
        text = field.queryText().getText(0, -1)
        if note != NOTE or not told or text != "x":
            faults.append(f"{name!r}: inserting 'xä' leaves {text!r}, described as {note!r}"
                          f"{'' if told else ', and no change of the description was told'}")

    # A message box must read out its text: the generator with no symbols.
    press(find(app, "Генерировать", "push button"))
    box = wait_for("the message box", lambda: message_box(application()))
    print("message box:")
    dump(box)
    heard = {node.name for node, _ in walk(box)} | {box.description}
    if not any(NO_SYMBOLS in text for text in heard if text):
        faults.append(f"the message box does not read out {NO_SYMBOLS!r}")
    press(find(box, "OK", "push button"))

    # The strength in the toolbar, and its change heard as the settings
    # window's symbol field is typed into: the generator has just opened it.
    frame = find(app, "Генератор паролей", "frame")
    strength = wait_for("the strength", lambda: strength_label(frame))
    if not strength.name.startswith(STRENGTH_NONE):
        faults.append(f"the strength reads {strength.name!r}, expected {STRENGTH_NONE!r}…")
    heard = []
    pyatspi.Registry.registerEventListener(
        lambda event: heard.append(event.source.name)
        if event.source.getRoleName() == "label" else None,
        "object:property-change:accessible-name")
    field = wait_for("the symbol field", lambda: find(app, SYMBOLS, "text"))
    field.queryEditableText().setTextContents("abcdefgh")
    if not dispatch_until(lambda: STRENGTH_SET in heard):
        faults.append(f"no change of the strength's name to {STRENGTH_SET!r} was heard, "
                      f"only {heard}; it reads {strength_label(frame).name!r}")
    return faults


def strength_label(frame):
    for node, _ in walk(frame, stop_at_windows=True):
        if node.getRoleName() == "label" and node.name.startswith("Стойкость пароля"):
            return node
    return None


def clipboard(target):
    return subprocess.run(["xclip", "-selection", "clipboard", "-o", "-t", target],
                          capture_output=True, timeout=10, check=False).stdout


def message_box(app):
    for node, _ in walk(app):
        if node.getRoleName() in ("dialog", "alert") and node.getState().contains(
                pyatspi.STATE_SHOWING):
            return node
    return None


def main():
    mode = sys.argv[1] if len(sys.argv) > 1 else "dump"
    app = wait_for("passgen", application, 60)
    frame = wait_for("the frame window", lambda: find(app, "Генератор паролей", "frame"))
    for button, window in (("Генерация", "Генератор"), ("Установки", "Настройки")):
        press(wait_for(button, lambda: find(frame, button, "push button")))
        wait_for(window, lambda: find(frame, window))
    # The windows' controls come onto the bus after the windows; one that
    # never comes is left for the check to name.
    expected = {name for names in EXPECTED.values() for name in names}
    poll(lambda: True if expected <= {node.name for node, _ in walk(app)} else None)
    dump(app)
    if mode == "check":
        faults = check(app)
        for fault in faults:
            print("FAULT:", fault)
        print(f"{len(faults)} fault(s)")
        return 1 if faults else 0
    return 0


if __name__ == "__main__":
    sys.exit(main())
