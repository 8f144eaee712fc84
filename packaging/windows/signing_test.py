#!/usr/bin/env python3
"""Packs the cross-built Windows programs with signing (scripts/pack-windows.sh), with a
certificate authority and a code-signing certificate made here and thrown away, and checks with
osslsigncode that every exe in the zip, the installer, and the exes inside the installer carry a
SHA-256 signature that the authority vouches for, and that a changed copy fails.

Usage: signing_test.py PROGRAM_BUILD_FOLDER
"""
import os
import subprocess
import sys
import tempfile
import unittest
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PROGRAMS = ("timetable-print.exe", "timetable-preview.exe")


def run(*command, **options):
    return subprocess.run(command, check=True, capture_output=True, text=True, **options).stdout


def make_certificates(folder):
    """A throwaway authority (ca.pem) and a code-signing certificate it issued, with its key, in
    sign.p12 under the password in password.txt."""
    def path(name):
        return os.path.join(folder, name)

    with open(path("code-signing.cnf"), "w", encoding="utf-8") as f:
        f.write("basicConstraints = critical, CA:FALSE\n"
                "keyUsage = critical, digitalSignature\n"
                "extendedKeyUsage = codeSigning\n")
    run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
        "-subj", "/CN=timetable-print test authority", "-keyout", path("ca.key"),
        "-out", path("ca.pem"), "-addext", "basicConstraints=critical,CA:TRUE",
        "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    run("openssl", "req", "-newkey", "rsa:2048", "-nodes", "-subj",
        "/CN=timetable-print developers", "-keyout", path("sign.key"), "-out", path("sign.csr"))
    run("openssl", "x509", "-req", "-in", path("sign.csr"), "-CA", path("ca.pem"),
        "-CAkey", path("ca.key"), "-CAcreateserial", "-days", "2",
        "-extfile", path("code-signing.cnf"), "-out", path("sign.pem"))
    with open(path("password.txt"), "w", encoding="utf-8") as f:
        f.write("a password of the test\n")
    run("openssl", "pkcs12", "-export", "-inkey", path("sign.key"), "-in", path("sign.pem"),
        "-certfile", path("ca.pem"), "-passout", "file:" + path("password.txt"),
        "-out", path("sign.p12"))


class Signing(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.temporary = tempfile.TemporaryDirectory()
        cls.folder = cls.temporary.name
        make_certificates(cls.folder)
        cls.ca = os.path.join(cls.folder, "ca.pem")
        environment = dict(os.environ, SIGN_PKCS12=os.path.join(cls.folder, "sign.p12"),
                           SIGN_PASSWORD_FILE=os.path.join(cls.folder, "password.txt"))
        environment.pop("SIGN_TIMESTAMP_URL", None)
        cls.out = os.path.join(cls.folder, "out")
        cls.packing = subprocess.run([os.path.join(ROOT, "scripts", "pack-windows.sh"), PROGRAM,
                                      cls.out], env=environment, capture_output=True, text=True)

    @classmethod
    def tearDownClass(cls):
        cls.temporary.cleanup()

    def verify(self, path):
        return subprocess.run(["osslsigncode", "verify", "-CAfile", self.ca, "-in", path],
                              capture_output=True, text=True)

    def assertSigned(self, path):
        verified = self.verify(path)
        self.assertEqual(verified.returncode, 0, verified.stdout + verified.stderr)
        self.assertRegex(verified.stdout, r"(?i)message digest algorithm\s*:\s*SHA256")
        self.assertIn("CN=timetable-print developers", verified.stdout)

    def installer(self):
        names = [name for name in os.listdir(self.out) if name.endswith("-win64.msi")]
        self.assertEqual(len(names), 1, names)
        return os.path.join(self.out, names[0])

    def test_packed_with_signing(self):
        self.assertEqual(self.packing.returncode, 0, self.packing.stdout + self.packing.stderr)
        self.assertNotIn("not signing", self.packing.stdout)

    def test_every_program_and_the_installer_are_signed(self):
        unpacked = os.path.join(self.folder, "unpacked")
        with zipfile.ZipFile(os.path.join(self.out, "timetable-print-win64.zip")) as package:
            package.extractall(unpacked)
        for name in PROGRAMS:
            with self.subTest(zipped=name):
                self.assertSigned(os.path.join(unpacked, "timetable-print", name))
        self.assertSigned(self.installer())
        extracted = os.path.join(self.folder, "extracted")
        run("msiextract", "-C", extracted, self.installer())
        found = {name: os.path.join(folder, name) for folder, _, names in os.walk(extracted)
                 for name in names if name in PROGRAMS}
        self.assertEqual(sorted(found), sorted(PROGRAMS))
        for name, path in found.items():
            with self.subTest(installed=name):
                self.assertSigned(path)

    def test_a_certificate_without_its_password_file_packs_nothing(self):
        # Half the signing settings is a mistake to report, not an unsigned release.
        environment = dict(os.environ, SIGN_PKCS12=os.path.join(self.folder, "sign.p12"))
        environment.pop("SIGN_PASSWORD_FILE", None)
        out = os.path.join(self.folder, "half")
        packing = subprocess.run([os.path.join(ROOT, "scripts", "pack-windows.sh"), PROGRAM, out],
                                 env=environment, capture_output=True, text=True)
        self.assertNotEqual(packing.returncode, 0)
        self.assertIn("SIGN_PASSWORD_FILE", packing.stderr)
        self.assertFalse(os.path.exists(out))

    def test_a_changed_program_fails_verification(self):
        with zipfile.ZipFile(os.path.join(self.out, "timetable-print-win64.zip")) as package:
            data = bytearray(package.read("timetable-print/timetable-print.exe"))
        # A byte of the first section, past the headers the signature leaves out of its hash.
        data[0x400] ^= 0xFF
        changed = os.path.join(self.folder, "changed.exe")
        with open(changed, "wb") as f:
            f.write(data)
        verified = self.verify(changed)
        self.assertNotEqual(verified.returncode, 0, verified.stdout)


if __name__ == "__main__":
    PROGRAM = sys.argv.pop(1)
    unittest.main()
