"""End-to-end tests: WindowsInstaller."""

import sys
import os
import re
import subprocess
import zipfile

import e2e_harness as harness
from e2e_harness import EndToEnd, control  # noqa: E402
from e2e_common import (EXPRESS, assert_polish_errors, icon_images, package_files,
                        release_program_facts, shell_link)  # noqa: E402


class WindowsInstaller(EndToEnd):
    """The MSI in a wine prefix of its own, as on a machine it has never been on."""
    INSTALLED = r"C:\Program Files\timetable-print"
    MACHINE_PRODUCTS = ("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\"
                        "S-1-5-18\\Products")
    APPS = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
    EVENT_SOURCE = r"HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\timetable-print"

    def setUp(self):
        if not harness.INSTALLER or not harness.PACKAGE or not harness.RUNNER:
            self.skipTest("no Windows installer given")
        super().setUp()
        saved = dict(os.environ)
        self.addCleanup(lambda: (os.environ.clear(), os.environ.update(saved)))
        self.prefix = os.path.join(self.folder, "prefix")
        os.mkdir(self.prefix)
        os.environ.update(WINEPREFIX=self.prefix, WINEDEBUG="-all",
                          WINEDLLOVERRIDES="mscoree,mshtml=")
        self.assertEqual(self.wine("wineserver", "-p"), 0)
        self.addCleanup(self.wine, "wineserver", "-k")
        self.assertEqual(self.wine(*harness.RUNNER, "cmd", "/c", "exit"), 0)
        self.drive = os.path.join(self.prefix, "drive_c")

    def wine(self, *command, output="wine.log"):
        """Runs a command of wine's with its output in a file: wine's own services, started by
        the first command, would keep a pipe open for ever."""
        with open(os.path.join(self.folder, output), "wb") as log:
            return subprocess.run(command, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                  timeout=300).returncode

    def msiexec(self, action, package, *properties):
        self.assertEqual(self.wine(*harness.RUNNER, "msiexec", action, package, "/qn",
                                   *properties), 0, "msiexec %s %s" % (action, package))

    def machine_settings(self):
        """The text values of the machine's settings key, by name."""
        self.wine(*harness.RUNNER, "reg", "query", r"HKLM\Software\timetable-print",
                  output="settings.txt")
        with open(os.path.join(self.folder, "settings.txt"), encoding="utf-8",
                  errors="replace") as f:
            lines = f.read().splitlines()
        values = [re.match(r"\s+(\S+)\s+REG_SZ\s*(.*)$", line) for line in lines]
        return {value.group(1): value.group(2) for value in values if value}

    def registered(self, key):
        """The program's entries under a registry key, each the values of one subkey by name,
        by the subkey's name."""
        self.wine(*harness.RUNNER, "reg", "query", key, "/s", output="products.txt")
        products, values = {}, None
        with open(os.path.join(self.folder, "products.txt"), encoding="utf-8",
                  errors="replace") as f:
            for line in f.read().splitlines():
                if line.startswith("HKEY_"):
                    values = {}
                    products[line.rsplit("\\", 1)[-1]] = values
                elif re.match(r"\s+\S+\s+REG_", line) and values is not None:
                    name, _, value = (line.strip().split(None, 2) + [""])[:3]
                    values[name] = value
        return {name: product for name, product in products.items()
                if product.get("DisplayName") == "timetable-print"}

    def installed_versions(self):
        """The versions of the program that Windows Installer holds installed for the machine."""
        return [product.get("DisplayVersion")
                for product in self.registered(self.MACHINE_PRODUCTS).values()]

    def drive_path(self, path):
        """Where a C:\\ path of the prefix is on this machine."""
        self.assertTrue(path.upper().startswith("C:\\"), path)
        return os.path.join(self.drive, *path[3:].split("\\"))

    def leftovers(self):
        """Whatever on the prefix's drive C: is named after the program, but for the user's own
        support log, which is the user's data and outlives the program, as the user's settings
        under HKCU do."""
        log_folder = os.path.join("AppData", "Local", "timetable-print")
        return sorted(path for path in (
            os.path.join(folder, name) for folder, folders, files in os.walk(self.drive)
            for name in folders + files if "timetable" in name.lower())
            if log_folder not in path)

    def test_installs_with_start_menu_shortcuts_upgrades_and_uninstalls(self):
        version = tuple(int(part) for part in re.search(
            r"timetable-print-(\d+)\.(\d+)\.(\d+)-win64\.msi$", harness.INSTALLER).groups())
        with zipfile.ZipFile(harness.PACKAGE) as package:
            package.extractall(self.folder)
        packed = os.path.join(self.folder, "timetable-print")
        # A newer version made from the same files, as the next release would be.
        newer_version = "%d.%d.%d" % (version[0], version[1], version[2] + 1)
        newer = os.path.join(self.folder, "newer.msi")
        built = subprocess.run([os.path.join(harness.ROOT, "scripts", "build-msi.sh"),
                                newer_version, packed, newer], capture_output=True, text=True)
        self.assertEqual(built.returncode, 0, built.stderr)
        # The same version built again, as a release rebuilt with a fix is: a new product code.
        rebuilt = os.path.join(self.folder, "rebuilt.msi")
        built = subprocess.run([os.path.join(harness.ROOT, "scripts", "build-msi.sh"),
                                "%d.%d.%d" % version, packed, rebuilt], capture_output=True,
                               text=True)
        self.assertEqual(built.returncode, 0, built.stderr)
        # The row that finds versions to remove takes the installer's own version too
        # (msidbUpgradeAttributesVersionMaxInclusive).
        upgrade = subprocess.run(["msiinfo", "export", harness.INSTALLER, "Upgrade"],
                                 capture_output=True, text=True, check=True).stdout
        removed = [line.split("\t") for line in upgrade.splitlines()
                   if line.rstrip("\r").endswith("\tWIX_UPGRADE_DETECTED")]
        self.assertEqual(len(removed), 1, upgrade)
        self.assertEqual(removed[0][2], "%d.%d.%d" % version)
        self.assertTrue(int(removed[0][4]) & 0x200, upgrade)
        # The installer ships no CA bundle, and passes the site's settings to its elevated part.
        files = subprocess.run(["msiinfo", "export", harness.INSTALLER, "File"],
                               capture_output=True, text=True, check=True).stdout
        self.assertIn("timetable-print.exe", files)
        self.assertNotIn("cacert.pem", files)
        properties = subprocess.run(["msiinfo", "export", harness.INSTALLER, "Property"],
                                    capture_output=True, check=True).stdout.decode()
        self.assertRegex(properties, r"\nSecureCustomProperties\t[^\r\n]*;SERVICE;CA_FILE;PROXY;"
                                     r"DESTINATION;EVENTS;OFFLINE\r?\n")
        # A proxy's password stays out of msiexec's log.
        self.assertRegex(properties, r"\nMsiHiddenProperties\tPROXY;SAVED_PROXY\r?\n")
        # Without DESTINATION, nor one kept, the form's entry prints drawn pages.
        actions = subprocess.run(["msiinfo", "export", harness.INSTALLER, "CustomAction"],
                                 capture_output=True, check=True).stdout.decode()
        self.assertRegex(actions, r"\nDefaultDestination\t\d+\tDESTINATION\tdrawn\t")

        # The site's service on a port of its own, its authority in a file of its own; the
        # service on the usual port fails every timetable.
        other_port = harness.PORT + 1
        other_service = harness.start_service(other_port)
        self.addCleanup(other_service.wait, 10)
        self.addCleanup(other_service.terminate)
        control(timetable="html500")
        authority = "Z:" + harness.ca_file().replace("/", "\\")
        # No proxy yet: an empty value is the system's way, as when it is not set.
        # The printer at LPT1, where the tests read what was printed.
        site = {"Service": "localhost:%d" % other_port, "CAFile": authority, "Proxy": "",
                "Destination": "LPT1", "Events": "", "Offline": ""}
        self.msiexec("/i", harness.INSTALLER, "SERVICE=" + site["Service"],
                     "CA_FILE=" + authority, "DESTINATION=LPT1")
        self.assertEqual(self.machine_settings(), site)
        # The Application log's source of the events, which the uninstall removes.
        self.assertEqual(self.wine(*harness.RUNNER, "reg", "query", self.EVENT_SOURCE, "/v",
                                   "EventMessageFile"), 0)
        installed = os.path.join(self.drive, "Program Files", "timetable-print")
        self.assertEqual(package_files(installed), package_files(packed))
        for name in package_files(packed):
            with open(os.path.join(installed, name), "rb") as f, \
                    open(os.path.join(packed, name), "rb") as g:
                self.assertEqual(f.read(), g.read(), name)
        # Both programs carry the icon drawn for them, every size of it.
        icon = icon_images(os.path.join(os.path.dirname(harness.PROGRAM), "generated",
                                        "timetable-print.ico"))
        self.assertEqual(len(icon), 4)
        polish = {"timetable-print.exe": "Drukuje rozkład jazdy dla maszynisty",
                  "timetable-preview.exe": "Pokazuje plik z danymi dla drukarki"}
        for name in ("timetable-print.exe", "timetable-preview.exe"):
            with open(os.path.join(installed, name), "rb") as f:
                data = f.read()
            self.assertTrue(all(image in data for image in icon), name)
            # Task Manager's description in Polish too, on a Polish Windows.
            self.assertIn(polish[name].encode("utf-16-le"), data, name)
            facts = release_program_facts(os.path.join(installed, name))
            self.assertEqual(facts["version"], version, name)
            self.assertEqual(facts["product"], "timetable-print", name)
            self.assertTrue(facts["stripped"], name)
            manifest = facts["manifest"]
            self.assertIn('<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>', manifest,
                          name)
            self.assertRegex(manifest, r"<longPathAware[^>]*>true</longPathAware>", name)
            self.assertNotIn("activeCodePage", manifest, name)
        self.assertEqual(self.installed_versions(), ["%d.%d.%d" % version])
        # Settings > Apps: the publisher, a link to the installed README, and the icon, which
        # wine does not register (Windows makes it DisplayIcon), so it is found in the installer.
        apps = self.registered(self.APPS)
        self.assertEqual(len(apps), 1, apps)
        app = list(apps.values())[0]
        self.assertEqual(app.get("Publisher"), "timetable-print developers")
        self.assertEqual(app.get("HelpLink"), self.INSTALLED + "\\README.txt")
        self.assertIn("\nARPPRODUCTICON\ttimetable_print.ico\r\n", properties)
        icons = os.path.join(self.folder, "icons")
        os.mkdir(icons)
        subprocess.run(["msiinfo", "export", harness.INSTALLER, "Icon"], cwd=icons,
                       capture_output=True, check=True)
        self.assertEqual(icon_images(os.path.join(icons, "Icon", "Icon.timetable_print.ico")), icon)

        # Windows puts the shortcuts of a machine-wide install into the Start menu of all users;
        # wine 8 puts them into the installing user's.
        menus = [os.path.join(self.drive, "ProgramData", "Microsoft", "Windows", "Start Menu",
                              "Programs", "timetable-print")]
        menus += [os.path.join(self.drive, "users", user, "AppData", "Roaming", "Microsoft",
                               "Windows", "Start Menu", "Programs", "timetable-print")
                  for user in os.listdir(os.path.join(self.drive, "users"))]
        menu = [folder for folder in menus if os.path.isdir(folder)]
        self.assertEqual(len(menu), 1, menus)
        shortcuts = {name: shell_link(os.path.join(menu[0], name)) for name in os.listdir(menu[0])}
        program = self.INSTALLED + r"\timetable-print.exe"
        self.assertEqual({name: (link["target"], link["arguments"],
                                 link["working folder"].rstrip("\\"))
                          for name, link in shortcuts.items()}, {
            # The form's entry, the check's and the reprint's take the destination setting alike.
            "Rozkład jazdy.lnk": (program, "--start-menu", self.INSTALLED),
            "Rozkład jazdy na LPT1.lnk": (program, "-o LPT1 --start-menu", self.INSTALLED),
            "Rozkład jazdy na ekranie.lnk": (program, "--view --start-menu", self.INSTALLED),
            "Sprawdź połączenie.lnk": (program, "--check --start-menu", self.INSTALLED),
            "Drukuj ponownie ostatni formularz.lnk": (program, "--reprint --start-menu",
                                                      self.INSTALLED),
            "Drukuj ponownie ostatni formularz na LPT1.lnk": (
                program, "--reprint -o LPT1 --start-menu", self.INSTALLED)})
        for name, link in shortcuts.items():
            self.assertTrue(link.get("icon", "").endswith("timetable_print.ico"), link)
            self.assertEqual(icon_images(self.drive_path(link["icon"])), icon, name)

        # Started in a folder without cacert.pem, the installed program finds the service and its
        # authority in the settings.
        os.remove(self.path("cacert.pem"))
        run = self.run_program(EXPRESS[1], program=os.path.join(installed, "timetable-print.exe"))
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(os.path.join(harness.GOLDEN, "5410.prn"), "rb") as f:
            self.assertEqual(run.printed(), f.read())
        # The user's own value wins over the machine's.
        settings = self.run_program("", program=os.path.join(installed, "timetable-print.exe"),
                                    args=["--settings"])
        self.assertRegex(settings.stdout, "\\A" + re.escape((
            "service = localhost:%d (from HKLM\\Software\\timetable-print, value Service)\n"
            "ca-file = %s (from HKLM\\Software\\timetable-print, value CAFile)\n"
            "proxy = system (built in)\n"
            "destination = LPT1 (from HKLM\\Software\\timetable-print, value Destination)\n"
            "offline = 0 (built in)\n"
            "the service's certificate is checked against the ca-file %s\n"
            # A new wine prefix has automatic proxy detection on, and nothing answers it.
            "proxy for localhost:%d: direct, as no proxy is set; automatic proxy detection gave no "
            "answer\n")
            % (other_port, authority, authority, other_port)) +
            r"the support log is C:\\[^\n]*\\timetable-print\\timetable-print\.log\n\Z")
        self.wine(*harness.RUNNER, "reg", "add", r"HKCU\Software\timetable-print", "/v", "Service",
                  "/d", "localhost:%d" % harness.PORT, "/f")
        settings = self.run_program("", program=os.path.join(installed, "timetable-print.exe"),
                                    args=["--settings"])
        self.assertEqual(settings.stdout.splitlines()[0], "service = localhost:%d (from "
                         "HKCU\\Software\\timetable-print, value Service)" % harness.PORT)
        self.wine(*harness.RUNNER, "reg", "delete", r"HKCU\Software\timetable-print", "/f")
        assert_polish_errors(self, installed)

        # A rebuild of the same version replaces the first: one product, the rebuild's. It is
        # given a proxy, which an upgrade then keeps, as it keeps the service.
        self.msiexec("/i", rebuilt, "PROXY=direct")
        self.assertEqual(self.installed_versions(), ["%d.%d.%d" % version])
        self.assertEqual(len(self.registered(self.APPS)), 1)
        self.assertNotEqual(set(self.registered(self.APPS)), set(apps))
        site["Proxy"] = "direct"
        self.assertEqual(self.machine_settings(), site)
        self.assertEqual(package_files(installed), package_files(packed))

        # The newer version replaces it: one product, the newer, and the same files.
        self.msiexec("/i", newer)
        self.assertEqual(self.installed_versions(), [newer_version])
        self.assertEqual(self.machine_settings(), site)
        self.assertEqual(package_files(installed), package_files(packed))
        self.assertEqual(sorted(os.listdir(menu[0])), sorted(shortcuts))

        self.msiexec("/x", newer)
        self.assertEqual(self.installed_versions(), [])
        self.assertEqual(self.leftovers(), [])
        self.assertNotEqual(self.wine(*harness.RUNNER, "reg", "query",
                                      r"HKLM\Software\timetable-print"), 0)
        self.assertNotEqual(self.wine(*harness.RUNNER, "reg", "query", self.EVENT_SOURCE), 0)


if __name__ == "__main__":
    sys.exit(harness.main(sys.modules[__name__]))
