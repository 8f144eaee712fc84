#!/usr/bin/env python3
"""Checks the Group Policy templates in packaging/windows/policies: the ADMX names the machine's
policy key and its seven text values, and every text and presentation it refers to is in the
English and the Polish ADML, so that Group Policy Management can show each policy in both."""
import os
import re
import unittest
import xml.etree.ElementTree as ElementTree

POLICIES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "policies")
NS = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}
KEY = "Software\\Policies\\timetable-print"
VALUES = {"Service", "CAFile", "Proxy", "Destination", "Events", "Offline", "Prefetch"}
LANGUAGES = ("en-US", "pl-PL")


def parse(*path):
    return ElementTree.parse(os.path.join(POLICIES, *path)).getroot()


def references(root, kind):
    """The ids of every $(kind.ID) in the attributes of root and its elements."""
    return {found for element in root.iter() for value in element.attrib.values()
            for found in re.findall(r"\$\(%s\.([^)]*)\)" % kind, value)}


class PolicyTemplates(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.admx = parse("timetable-print.admx")
        cls.adml = {language: parse(language, "timetable-print.adml") for language in LANGUAGES}

    def test_each_policy_sets_one_text_value_of_the_machine_key(self):
        policies = self.admx.findall("p:policies/p:policy", NS)
        values = set()
        for policy in policies:
            with self.subTest(policy=policy.get("name")):
                self.assertEqual(policy.get("key"), KEY)
                self.assertEqual(policy.get("class"), "Machine")
                elements = list(policy.find("p:elements", NS))
                self.assertEqual([element.tag for element in elements], ["{%s}text" % NS["p"]])
                self.assertIsNone(elements[0].get("key"))  # the policy's own key
                self.assertNotEqual(elements[0].get("expandable"), "true")  # REG_SZ
                values.add(elements[0].get("valueName"))
        self.assertEqual(len(policies), len(VALUES))
        self.assertEqual(values, VALUES)

    def test_every_reference_resolves_in_each_language(self):
        strings = references(self.admx, "string")
        presentations = references(self.admx, "presentation")
        self.assertTrue(strings and presentations)
        # Each presentation's text box belongs to an element of the policy that shows it.
        elements = {policy.get("presentation"): {element.get("id") for element in
                                                 policy.find("p:elements", NS)}
                    for policy in self.admx.findall("p:policies/p:policy", NS)}
        for language, adml in self.adml.items():
            with self.subTest(language=language):
                table = {string.get("id"): string.text or ""
                         for string in adml.findall("p:resources/p:stringTable/p:string", NS)}
                self.assertEqual(strings - set(table), set())
                self.assertTrue(all(table[name].strip() for name in strings))
                shown = {presentation.get("id"): presentation for presentation in
                         adml.findall("p:resources/p:presentationTable/p:presentation", NS)}
                self.assertEqual(presentations - set(shown), set())
                for reference, ids in elements.items():
                    boxes = shown[reference[len("$(presentation."):-1]]
                    self.assertEqual({box.get("refId") for box in boxes}, ids, reference)
                    self.assertTrue(all(box.findtext("p:label", "", NS).strip()
                                        for box in boxes), reference)
        # The Polish file is a translation, not a copy.
        english, polish = (
            {string.get("id"): string.text
             for string in self.adml[language].iter("{%s}string" % NS["p"])}
            for language in LANGUAGES)
        self.assertNotEqual(english["Service_Help"], polish["Service_Help"])


if __name__ == "__main__":
    unittest.main()
