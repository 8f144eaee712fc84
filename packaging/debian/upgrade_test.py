#!/usr/bin/env python3
"""Checks that an unattended upgrade from an earlier release never stops: the earlier package,
built from its commit, is installed in a private mount namespace with /etc, /usr and /var
overlaid, its /etc/timetable-print.conf edited as a site would, and the package under test
installed over it with apt-get, without a terminal. The upgrade must end with exit status 0,
and the site's file must stay as it was and still be read.

The earlier package is built once into build/debian-RELEASE/ and kept there.

Usage: upgrade_test.py build/debian/timetable-print_VERSION_amd64.deb
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SETTINGS_FILE = "/etc/timetable-print.conf"
EXAMPLE = "/usr/share/doc/timetable-print/examples/timetable-print.conf"
# The releases a site may upgrade from, by the commit each was built from, newest first: the
# newest older than the package under test is the one installed first.
RELEASES = (("1.5.0", "07b7141"), ("1.4.0", "d9617b1"), ("1.3.0", "13adbc3"))
SITE_LINE = "service = depot.example.org:9641\n"


def version_key(version):
    return tuple(int(part) for part in version.split("."))


def earlier_package(version):
    """The earlier release's package, built from git once; None with the reason when it cannot
    be."""
    older = [(release, commit) for release, commit in RELEASES
             if version_key(release) < version_key(version)]
    if not older:
        return None, "no release older than %s is known" % version
    release, commit = older[0]
    cache = os.path.join(ROOT, "build", "debian-" + release)
    deb = os.path.join(cache, "timetable-print_%s_amd64.deb" % release)
    if os.path.exists(deb):
        return deb, None
    if subprocess.run(["git", "-C", ROOT, "cat-file", "-e", commit + "^{commit}"],
                      capture_output=True).returncode != 0:
        return None, "the commit %s of release %s is not in this clone" % (commit, release)
    source = os.path.join(cache, "source")
    shutil.rmtree(source, True)
    os.makedirs(source)
    archive = subprocess.Popen(["git", "-C", ROOT, "archive", commit], stdout=subprocess.PIPE)
    subprocess.run(["tar", "-x", "-C", source], stdin=archive.stdout, check=True)
    if archive.wait() != 0:
        raise RuntimeError("git archive %s failed" % commit)
    # ccache, where there is one, keeps a second build short.
    environment = dict(os.environ)
    if shutil.which("ccache"):
        environment.setdefault("CMAKE_CXX_COMPILER_LAUNCHER", "ccache")
        environment.setdefault("CCACHE_BASEDIR", source)
    subprocess.run([os.path.join(source, "scripts", "package-debian.sh")], check=True,
                   env=environment, stdout=subprocess.DEVNULL)
    shutil.copy(os.path.join(source, "build", "debian", os.path.basename(deb)), deb)
    shutil.rmtree(source)
    return deb, None


def inside(old_deb, new_deb):
    """In the private mount namespace: overlays /etc, /usr and /var on a tmpfs, installs the
    earlier package, edits its settings file, upgrades, and prints what was found as JSON."""
    scratch = tempfile.mkdtemp()
    subprocess.run(["mount", "-t", "tmpfs", "tmpfs", scratch], check=True)
    for folder in ("etc", "usr", "var"):
        upper, work = os.path.join(scratch, folder), os.path.join(scratch, folder + ".work")
        os.makedirs(upper)
        os.makedirs(work)
        subprocess.run(["mount", "-t", "overlay", "overlay", "-o", "lowerdir=/%s,upperdir=%s,"
                        "workdir=%s" % (folder, upper, work), "/" + folder], check=True)
    environment = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    facts = {}

    def step(name, *command):
        with open(os.devnull) as nothing:
            done = subprocess.run(command, stdin=nothing, capture_output=True, text=True,
                                  env=environment, cwd=os.path.dirname(new_deb))
        facts[name] = {"status": done.returncode, "output": done.stdout + done.stderr}

    step("install", "dpkg", "-i", old_deb)
    with open(SETTINGS_FILE, "a", encoding="utf-8") as settings:
        settings.write(SITE_LINE)
    with open(SETTINGS_FILE, encoding="utf-8") as settings:
        facts["edited"] = settings.read()
    step("upgrade", "apt-get", "install", "-y", "./" + os.path.basename(new_deb))
    with open(SETTINGS_FILE, encoding="utf-8") as settings:
        facts["after"] = settings.read()
    step("status", "dpkg-query", "-W", "-f", "${Version} ${db:Status-Abbrev}", "timetable-print")
    facts["example"] = os.path.isfile(EXAMPLE)
    home = tempfile.mkdtemp()
    environment = {"PATH": os.environ["PATH"], "HOME": home, "LC_ALL": "C.UTF-8"}
    step("settings", "/usr/bin/timetable-print", "--settings")
    print(json.dumps(facts))


class Upgrade(unittest.TestCase):
    def test_an_upgrade_without_a_terminal_keeps_the_site_s_settings_file(self):
        if os.geteuid() != 0:
            self.skipTest("installing packages needs root")
        if subprocess.run(["unshare", "-m", "true"], capture_output=True).returncode != 0:
            self.skipTest("unshare -m is not permitted here, and the test needs its own mounts")
        version = re.search(r"_([0-9.]+)_amd64\.deb$", NEW_DEB).group(1)
        old_deb, reason = earlier_package(version)
        if old_deb is None:
            self.skipTest(reason)
        done = subprocess.run(["unshare", "-m", sys.executable, os.path.abspath(__file__),
                               "--inside", old_deb, os.path.abspath(NEW_DEB)],
                              capture_output=True, text=True, timeout=600)
        if done.returncode != 0 and "overlay" in done.stderr:
            self.skipTest("this system cannot overlay /etc, /usr and /var: " + done.stderr)
        self.assertEqual(done.returncode, 0, done.stderr)
        facts = json.loads(done.stdout)
        self.assertEqual(facts["install"]["status"], 0, facts["install"]["output"])
        self.assertEqual(facts["upgrade"]["status"], 0, facts["upgrade"]["output"])
        self.assertNotIn("conffile prompt", facts["upgrade"]["output"])
        self.assertEqual(facts["status"]["output"], version + " ii ")
        # The site's file, as the site left it, and still the settings of every run.
        self.assertEqual(facts["after"], facts["edited"])
        self.assertTrue(facts["example"], EXAMPLE)
        lines = facts["edited"].splitlines()
        self.assertEqual((facts["settings"]["status"], facts["settings"]["output"].splitlines()[0]),
                         (0, "service = depot.example.org:9641 (from %s, line %d)"
                          % (SETTINGS_FILE, lines.index(SITE_LINE.strip()) + 1)))


if __name__ == "__main__":
    if sys.argv[1] == "--inside":
        inside(sys.argv[2], sys.argv[3])
        sys.exit(0)
    NEW_DEB = sys.argv.pop(1)
    unittest.main()
