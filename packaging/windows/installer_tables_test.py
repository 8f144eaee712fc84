#!/usr/bin/env python3
"""Checks the tables of the Windows installer that scripts/build-msi.sh makes, from stand-in
files, so that no Windows build is needed: the properties that may hold a password are hidden
from msiexec's log, the site's DESTINATION is secure and drawn unless given or kept, the
connection check's shortcut names the same destination as the form's, the Start-menu
entries the program's advice names are the ones installed, and the event source is registered."""
import os
import re
import shutil
import subprocess
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
FILES = ("timetable-print.exe", "timetable-preview.exe", "LICENSE.txt", "DejaVu-LICENSE.txt",
         "README.txt", "README-pl.txt", "share/locale/pl/LC_MESSAGES/timetable-print.mo")
TOOLS = ("wixl", "msibuild", "msiinfo", "rsvg-convert", "icotool")


def table(msi, name):
    """The rows of a table, each a list of its fields, after the three header lines."""
    text = subprocess.run(["msiinfo", "export", msi, name], capture_output=True, check=True,
                          text=True, encoding="utf-8").stdout
    return [line.split("\t") for line in text.replace("\r", "").splitlines()[3:]]


def advised_menu_entries():
    """The Start-menu entries the program's advice names, from platform/start_menu.cpp."""
    with open(os.path.join(ROOT, "platform", "start_menu.cpp"), encoding="utf-8") as source:
        text = source.read()
    entries = {}
    pattern = r"const char (k\w+MenuEntry)\[\]\s*=\s*((?:\"[^\"]*\"\s*)+);"
    for name, literals in re.findall(pattern, text):
        joined = "".join(re.findall(r"\"([^\"]*)\"", literals))
        entries[name] = joined.encode("latin-1").decode("unicode_escape").encode(
            "latin-1").decode("utf-8")
    return entries


class InstallerTables(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        missing = [tool for tool in TOOLS if not shutil.which(tool)]
        if missing:
            raise unittest.SkipTest("%s missing (scripts/install-deps.sh installs them)"
                                    % ", ".join(missing))
        cls.folder = tempfile.mkdtemp()
        packed = os.path.join(cls.folder, "timetable-print")
        for name in FILES:
            os.makedirs(os.path.dirname(os.path.join(packed, name)), exist_ok=True)
            with open(os.path.join(packed, name), "w") as stand_in:
                stand_in.write("stand-in\n")
        shutil.copytree(os.path.join(ROOT, "packaging", "windows", "policies"),
                        os.path.join(packed, "policies"))
        cls.msi = os.path.join(cls.folder, "timetable-print.msi")
        subprocess.run([os.path.join(ROOT, "scripts", "build-msi.sh"), "1.4.0", packed, cls.msi],
                       check=True, capture_output=True)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder)

    def test_a_password_stays_out_of_the_log_and_the_site_s_properties_are_secure(self):
        properties = dict(row[:2] for row in table(self.msi, "Property"))
        self.assertEqual(properties["MsiHiddenProperties"].split(";"), ["PROXY", "SAVED_PROXY"])
        self.assertEqual(properties["SecureCustomProperties"].split(";")[-6:],
                         ["SERVICE", "CA_FILE", "PROXY", "DESTINATION", "EVENTS", "OFFLINE"])

    def test_the_destination_is_kept_else_drawn(self):
        actions = {row[0]: row[2:4] for row in table(self.msi, "CustomAction")}
        sequence = {row[0]: (row[1], int(row[2]))
                    for row in table(self.msi, "InstallExecuteSequence")}
        self.assertEqual(actions["KeepDestination"], ["DESTINATION", "[SAVED_DESTINATION]"])
        self.assertEqual(actions["DefaultDestination"], ["DESTINATION", "drawn"])
        self.assertEqual(actions["KeepOffline"], ["OFFLINE", "[SAVED_OFFLINE]"])
        self.assertLess(sequence["AppSearch"][1], sequence["KeepDestination"][1])
        self.assertLess(sequence["KeepDestination"][1], sequence["DefaultDestination"][1])
        self.assertEqual(sequence["DefaultDestination"][0], "NOT DESTINATION")
        self.assertIn(["SAVED_DESTINATION", "SavedDestination"], table(self.msi, "AppSearch"))
        registry = [row for row in table(self.msi, "Registry") if row[3] == "Destination"]
        self.assertEqual([row[4] for row in registry], ["[DESTINATION]"])

    def test_the_event_source_names_the_program_for_its_messages(self):
        key = r"SYSTEM\CurrentControlSet\Services\EventLog\Application\timetable-print"
        values = {row[3]: row[4] for row in table(self.msi, "Registry")
                  if row[1] == "2" and row[2] == key}
        self.assertEqual(values, {"EventMessageFile": "[INSTALLDIR]timetable-print.exe",
                                  "TypesSupported": "#7"})
        # The component's values go with it on uninstall.
        self.assertIn(["Complete", "EventSource"], table(self.msi, "FeatureComponents"))

    def test_the_check_checks_where_the_form_s_entry_prints(self):
        rows = table(self.msi, "Shortcut")
        columns = ["Shortcut", "Directory_", "Name", "Component_", "Target", "Arguments"]
        shortcuts = {row[0]: dict(zip(columns, row)) for row in rows}
        form = shortcuts["DrawnForm"]["Arguments"].split()
        check = shortcuts["ConnectionCheck"]["Arguments"].split()
        self.assertEqual([word for word in check if word != "--check"], form)
        # The entries the program's advice names are installed by those names.
        names = {shortcut["Name"] for shortcut in shortcuts.values()}
        entries = advised_menu_entries()
        self.assertEqual(set(entries), {"kFormMenuEntry", "kScreenMenuEntry", "kCheckMenuEntry",
                                        "kReprintMenuEntry"})
        self.assertEqual(set(entries.values()) - names, set())
        self.assertEqual(shortcuts["DrawnForm"]["Name"], entries["kFormMenuEntry"])
        self.assertEqual(shortcuts["ConnectionCheck"]["Name"], entries["kCheckMenuEntry"])
        self.assertEqual(shortcuts["Reprint"]["Name"], entries["kReprintMenuEntry"])


if __name__ == "__main__":
    unittest.main()
